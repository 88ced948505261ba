#include "app/shell/AppSetup.h"

#include "app/widgets/FieldStyle.h"
#include "app/shell/WindowIcon.h"
#include "files/Version.h"

#include <QApplication>

void setUpApplication(QApplication &)
{
    QApplication::setApplicationName(QStringLiteral("Fraymark"));
    QApplication::setApplicationVersion(QLatin1String(FraymarkVersion));
    QApplication::setDesktopFileName(QStringLiteral("io.github.fraymark.Fraymark")); // the desktop entry, named after the AppStream id
    // Before any widget exists: the menu bar asks the style for its overflow icon
    // while it is being made.
    QApplication::setStyle(new FieldStyle);
    QApplication::setWindowIcon(fraymarkWindowIcon());
}
