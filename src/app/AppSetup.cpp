#include "app/AppSetup.h"

#include "app/FieldStyle.h"
#include "app/Version.h"
#include "app/WindowIcon.h"

#include <QApplication>

void setUpApplication(QApplication &)
{
    QApplication::setApplicationName(QStringLiteral("Fraymark"));
    QApplication::setApplicationVersion(QLatin1String(FraymarkVersion));
    QApplication::setDesktopFileName(QStringLiteral("io.github.fraymark.Fraymark")); // the desktop entry, named after the AppStream id
    // Before any widget exists: the menu bar asks the style for its overflow icon
    // while it is being made.
    QApplication::setStyle(new FieldStyle);
    // Task bars show 16 to 64 pixels; the X11 plugin sends every size at start-up, and the
    // large ones would be most of that work. An installed copy has the SVG for the rest.
    QApplication::setWindowIcon(fraymarkWindowIcon(64));
}
