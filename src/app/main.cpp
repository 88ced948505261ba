#include "app/AppSetup.h"
#include "app/MainFrm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);

    MainFrm window;
    window.show();
    return app.exec();
}
