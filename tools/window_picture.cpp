// Draws the window mid-fight into a PNG, in the light or a dark palette, without a display:
//   window_picture <out.png> <combat.ini> [dark] [WIDTHxHEIGHT]
// It loads the combat, calculates the order and marks the second turn.
#include "app/shell/AppSetup.h"
#include "app/shell/MainFrm.h"

#include <QAction>
#include <QApplication>
#include <QPalette>
#include <QStyle>

#include <cstdio>

namespace {

QPalette darkPalette()
{
    QPalette dark;
    const QColor window(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e), text(0xe8, 0xe8, 0xe8);
    for (const auto &[role, colour] : {std::pair{QPalette::Window, window}, {QPalette::Base, base},
                                       {QPalette::AlternateBase, window}, {QPalette::Button, window},
                                       {QPalette::Text, text}, {QPalette::WindowText, text},
                                       {QPalette::ButtonText, text}, {QPalette::Mid, QColor(0x55, 0x55, 0x55)},
                                       {QPalette::Highlight, QColor(0x3d, 0x8e, 0xe0)},
                                       {QPalette::HighlightedText, QColor(Qt::white)}})
        dark.setColor(role, colour);
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    return dark;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: window_picture <out.png> <combat.ini> [dark] [WIDTHxHEIGHT]\n");
        return 2;
    }
    setUpApplication(app);
    const bool dark = args.contains(QStringLiteral("dark"));
    if (dark)
        QApplication::setPalette(darkPalette());

    CombatDocument document;
    MainFrm window(document);
    window.show();
    window.loadCombatFrom(args.at(2));
    // The menus' commands by their object names: the window's members are its own.
    const auto run = [&window](const char *command) {
        QAction *action = window.findChild<QAction *>(QLatin1String(command));
        if (!action)
            qFatal("The window has no command %s", command);
        action->trigger();
    };
    run("mnuOrder");
    run("mnuNextTurn");
    run("mnuNextTurn");
    for (const QString &arg : args.mid(3)) {
        if (const QStringList size = arg.split(u'x'); size.size() == 2)
            window.resize(size.at(0).toInt(), size.at(1).toInt());
    }
    QApplication::processEvents();
    return window.grab().save(args.at(1)) ? 0 : 1;
}
