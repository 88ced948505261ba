// The menu bar: items, captions, shortcuts, and the commands that do not touch the roster.
#include "WindowTest.h"
#include "app/shell/Calculator.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Field;

namespace {
QString withoutMnemonic(QString caption)
{
    return caption.remove(u'&');
}

void makeExecutableFile(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// A program of that name in the folder, as the system names programs ("calc.exe" on Windows).
QString makeExecutable(const QString &folder, const QString &name)
{
#ifdef Q_OS_WIN
    const QString path = folder + u'/' + name + QStringLiteral(".exe");
#else
    const QString path = folder + u'/' + name;
#endif
    makeExecutableFile(path);
    return path;
}
} // namespace

class TestMenus : public WindowTest
{
    Q_OBJECT

public:
    TestMenus() : WindowTest(Shown::No) {}

private slots:
    void menuBarHasTheItemsInOrder();
    void mnemonicsAreUniqueInEachMenu();
    void items_data();
    void items();
    void shortcutsReachTheirCommands_data();
    void shortcutsReachTheirCommands();
    void aboutBox();
    void helpBox();
    void calculatorIsFoundInPreferenceOrder();
    void calculatorStartsOncePerClick();
    void missingCalculatorIsReported();
    void exitClosesWithoutAQuestion();
};

void TestMenus::menuBarHasTheItemsInOrder()
{
    QStringList bar;
    for (QAction *action : window().menuBar()->actions())
        bar << withoutMnemonic(action->text());
    QCOMPARE(bar, (QStringList{QStringLiteral("File"), QStringLiteral("Edit"), QStringLiteral("Combat"),
                               QStringLiteral("Load"), QStringLiteral("Save"),
                               QStringLiteral("Calculator"), QStringLiteral("Help")}));

    const QList<QAction *> barActions = window().menuBar()->actions();
    for (int menu : {0, 1, 2, 6})
        QVERIFY(barActions[menu]->menu());
    for (int command : {3, 4, 5}) // commands on the bar itself, not sub-menus
        QVERIFY(!barActions[command]->menu());

    QStringList file;
    for (QAction *action : barActions[0]->menu()->actions())
        file << withoutMnemonic(action->text());
    QCOMPARE(file, (QStringList{QStringLiteral("New Combat"), QStringLiteral("Load Combat..."),
                                QStringLiteral("Add Combatants..."), QStringLiteral("Add from Stat Block..."),
                                QStringLiteral("Add from Library..."), QStringLiteral("Save Combat..."),
                                QStringLiteral("Save Row to Library"), QStringLiteral("Library Folders..."),
                                QStringLiteral("Exit")}));
    QStringList help;
    for (QAction *action : barActions[6]->menu()->actions())
        help << withoutMnemonic(action->text());
    QCOMPARE(help, (QStringList{QStringLiteral("Help"), QStringLiteral("About")}));
}

void TestMenus::mnemonicsAreUniqueInEachMenu()
{
    QList<QWidget *> menus{window().menuBar()};
    for (QAction *action : window().menuBar()->actions())
        menus << action->menu(); // null for a command on the bar: skipped
    for (QWidget *menu : menus) {
        QStringList letters;
        for (QAction *action : menu ? menu->actions() : QList<QAction *>()) {
            if (action->isSeparator())
                continue;
            const qsizetype at = action->text().indexOf(u'&') + 1;
            QVERIFY2(at > 0 && !letters.contains(action->text().at(at).toLower()), qPrintable(action->text()));
            letters << action->text().at(at).toLower();
        }
    }
}

void TestMenus::items_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("mnuNew") << u"mnuNew"_s << u"New Combat"_s << QKeySequence(QStringLiteral("Ctrl+N"));
    QTest::newRow("mnuLoad") << u"mnuLoad"_s << u"Load Combat..."_s << QKeySequence(QStringLiteral("Ctrl+L"));
    QTest::newRow("mnuAdd") << u"mnuAdd"_s << u"Add Combatants..."_s << QKeySequence(QStringLiteral("Ctrl+Shift+L"));
    QTest::newRow("mnuDamage") << u"mnuDamage"_s << u"Damage..."_s << QKeySequence(QStringLiteral("F8"));
    QTest::newRow("mnuSave") << u"mnuSave"_s << u"Save Combat..."_s << QKeySequence(QStringLiteral("Ctrl+S"));
    QTest::newRow("mnuExit") << u"mnuExit"_s << u"Exit"_s << QKeySequence();
    QTest::newRow("mnuLoad1") << u"mnuLoad1"_s << u"Load"_s << QKeySequence();
    QTest::newRow("mnuSave1") << u"mnuSave1"_s << u"Save"_s << QKeySequence();
    QTest::newRow("mnuCalc") << u"mnuCalc"_s << u"Calculator"_s << QKeySequence();
    QTest::newRow("mnuOrder") << u"mnuOrder"_s << u"Calculate Fighting Order"_s << QKeySequence(QStringLiteral("F5"));
    QTest::newRow("mnuHide") << u"mnuHide"_s << u"Hide from Players"_s << QKeySequence(QStringLiteral("Ctrl+H"));
    QTest::newRow("mnuHealthWords") << u"mnuHealthWords"_s << u"Health Words"_s << QKeySequence(QStringLiteral("Ctrl+Shift+H"));
    QTest::newRow("mnuRollInitiativeAgain") << u"mnuRollInitiativeAgain"_s << u"Roll Initiative Again"_s << QKeySequence(QStringLiteral("Shift+F5"));
    QTest::newRow("mnuDelay") << u"mnuDelay"_s << u"Delay"_s << QKeySequence(QStringLiteral("Ctrl+F6"));
    QTest::newRow("mnuReady") << u"mnuReady"_s << u"Ready"_s << QKeySequence(QStringLiteral("Ctrl+Shift+F6"));
    QTest::newRow("mnuActNow") << u"mnuActNow"_s << u"Act Now"_s << QKeySequence(QStringLiteral("F12"));
    QTest::newRow("mnuGoTo") << u"mnuGoTo"_s << u"Go to..."_s << QKeySequence(QStringLiteral("Ctrl+G"));
    QTest::newRow("mnuInitiativeWalk") << u"mnuInitiativeWalk"_s << u"Enter Initiative..."_s << QKeySequence(QStringLiteral("Ctrl+I"));
    QTest::newRow("mnuPlayerWindow") << u"mnuPlayerWindow"_s << u"Player Window"_s << QKeySequence(QStringLiteral("F7"));
    QTest::newRow("mnuShare") << u"mnuShare"_s << u"Share with Players..."_s << QKeySequence(QStringLiteral("Ctrl+F7"));
    QTest::newRow("mnuHelp") << u"mnuHelp"_s << u"Help"_s << QKeySequence(QStringLiteral("F1"));
    QTest::newRow("mnuAbout") << u"mnuAbout"_s << u"About"_s << QKeySequence(QStringLiteral("F2"));
}

void TestMenus::items()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    auto *action = window().findChild<QAction *>(name);
    QVERIFY(action);
    QCOMPARE(withoutMnemonic(action->text()), caption);
    QCOMPARE(action->shortcut(), shortcut);
    QVERIFY(action->isEnabled());
    QVERIFY(action->isVisible());
}

void TestMenus::shortcutsReachTheirCommands_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("effect");
    QTest::newRow("Ctrl+N new combat") << int(Qt::Key_N) << int(Qt::ControlModifier) << u"new"_s;
    QTest::newRow("Ctrl+L load dialog") << int(Qt::Key_L) << int(Qt::ControlModifier) << u"Load Combat"_s;
    QTest::newRow("Ctrl+S save dialog") << int(Qt::Key_S) << int(Qt::ControlModifier) << u"Save Combat"_s;
    QTest::newRow("F1 help") << int(Qt::Key_F1) << int(Qt::NoModifier) << u"..."_s;
    QTest::newRow("F2 about") << int(Qt::Key_F2) << int(Qt::NoModifier) << u"Fraymark"_s;
}

void TestMenus::shortcutsReachTheirCommands()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, effect);
    MainFrm &w = window();
    QVERIFY(fixture().show(Shown::Active));
    field(w, Field::Name, 4)->setText(QStringLiteral("Orc"));

    QTest::keyClick(&w, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    if (effect == u"new") {
        QVERIFY(field(w, Field::Name, 4)->text().isEmpty());
    } else if (effect == u"Load Combat") {
        QCOMPARE(prompts().openDialogs.size(), 1);
        QCOMPARE(prompts().openDialogs[0].title, effect);
    } else if (effect == u"Save Combat") {
        QCOMPARE(prompts().saveDialogs.size(), 1);
        QCOMPARE(prompts().saveDialogs[0].title, effect);
    } else {
        QCOMPARE(prompts().messages.size(), 1);
        QCOMPARE(prompts().messages[0].title, effect);
    }
}

void TestMenus::aboutBox()
{
    action(window(), "mnuAbout")->trigger();
    QCOMPARE(prompts().messages.size(), 1);
    const FakePrompts::Message &box = prompts().messages[0];
    QCOMPARE(box.text, QStringLiteral("Fraymark made by Vesmar (spellchecked :-P).\r\n"
                                      "Helper for organizing d20 game combats.\r\n"
                                      "Thanks to Tembry for the save and load components.\r\n"
                                      "Enjoy!!"));
    QCOMPARE(box.text.split(QStringLiteral("\r\n")).size(), 4);
    QCOMPARE(box.title, QStringLiteral("Fraymark"));
    QCOMPARE(box.icon, Prompts::Icon::Information);
}

void TestMenus::helpBox()
{
    action(window(), "mnuHelp")->trigger();
    QCOMPARE(prompts().messages.size(), 1);
    const FakePrompts::Message &box = prompts().messages[0];
    QCOMPARE(box.text, QStringLiteral("I refuse to write a help file for such a simple program."));
    QCOMPARE(box.title, QStringLiteral("..."));
    QCOMPARE(box.icon, Prompts::Icon::Information);
}

void TestMenus::calculatorIsFoundInPreferenceOrder()
{
    const QStringList names = calculatorCandidates();
    QTemporaryDir first, second;
    QVERIFY(findCalculator({first.path(), second.path()}).isEmpty());
    const QString last = makeExecutable(second.path(), names.last());
    QCOMPARE(findCalculator({first.path(), second.path()}), last);
    if (names.size() < 2)
        return; // the system has one calculator of its own
    makeExecutable(first.path(), names.last());
    const QString preferred = makeExecutable(second.path(), names.first());
    // The earlier name in the list wins, whatever folder holds it.
    QCOMPARE(findCalculator({first.path(), second.path()}), preferred);
}

void TestMenus::calculatorStartsOncePerClick()
{
    QTemporaryDir dir;
    const QString calculator = makeExecutable(dir.path(), calculatorCandidates().last());
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QDir::toNativeSeparators(dir.path()).toLocal8Bit());
    action(window(), "mnuCalc")->trigger();
    action(window(), "mnuCalc")->trigger();
    qputenv("PATH", oldPath);

    QCOMPARE(fixture().startedPrograms, (QStringList{calculator, calculator}));
    QVERIFY(prompts().messages.isEmpty());
}

void TestMenus::missingCalculatorIsReported()
{
    QTemporaryDir empty;
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", empty.path().toLocal8Bit());
    action(window(), "mnuCalc")->trigger();
    qputenv("PATH", oldPath);

    QVERIFY(fixture().startedPrograms.isEmpty());
    QCOMPARE(prompts().messages.size(), 1);
    QCOMPARE(prompts().messages[0].text, QStringLiteral("No calculator program was found."));
    QCOMPARE(prompts().messages[0].title, QStringLiteral("Fraymark"));
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Stop);
    QVERIFY(window().isEnabled());
}

void TestMenus::exitClosesWithoutAQuestion()
{
    MainFrm &w = window();
    QVERIFY(fixture().show(Shown::Exposed));
    field(w, Field::Name, 0)->setText(QStringLiteral("Goblin"));
    field(w, Field::HitPoints, 0)->setText(QStringLiteral("7"));
    action(w, "mnuExit")->trigger();
    QVERIFY(!w.isVisible());
    QVERIFY(prompts().messages.isEmpty());
    QVERIFY(prompts().saveDialogs.isEmpty());
}

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
