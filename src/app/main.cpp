#include "app/shell/AppSetup.h"
#include "app/shell/CrashRecovery.h"
#include "app/shell/MainFrm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);

    CombatDocument document; // outlives the windows that show it
    MainFrm window(document);
    // Before the window shows, so that an offer is there from its first paint.
    const std::unique_ptr<CrashRecovery> recovery = CrashRecovery::start(document, window);
    window.show();
    const int status = app.exec();
    if (recovery)
        recovery->close();
    return status;
}
