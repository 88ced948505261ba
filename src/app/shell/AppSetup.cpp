#include "app/shell/AppSetup.h"

#include "app/widgets/FieldStyle.h"
#include "app/shell/WindowIcon.h"
#include "files/Version.h"

#include <QApplication>

#include <csignal>

void setUpApplication(QApplication &)
{
    QApplication::setApplicationName(QStringLiteral("Fraymark"));
    QApplication::setApplicationVersion(QLatin1String(FraymarkVersion));
    QApplication::setDesktopFileName(QStringLiteral("io.github.fraymark.Fraymark")); // the desktop entry, named after the AppStream id
    // Before any widget exists: the menu bar asks the style for its overflow icon
    // while it is being made.
    QApplication::setStyle(new FieldStyle);
    QApplication::setWindowIcon(fraymarkWindowIcon());
#ifdef SIGXFSZ
    // A limit on file sizes (ulimit -f) makes a write fail, which the save reports, instead
    // of ending the program with the combat in it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}
