#include "app/MainFrm.h"
#include "app/Version.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Fraymark"));
    QApplication::setApplicationVersion(QLatin1String(FraymarkVersion));
    QApplication::setDesktopFileName(QStringLiteral("fraymark"));

    MainFrm window;
    window.show();
    return app.exec();
}
