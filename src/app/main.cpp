#include "app/shell/AppSetup.h"
#include "app/shell/MainFrm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);

    CombatDocument document; // outlives the windows that show it
    MainFrm window(document);
    window.show();
    return app.exec();
}
