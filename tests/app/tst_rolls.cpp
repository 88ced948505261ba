// Dice from the keyboard: the Rolls list and Roll Initiative's step.
#include "WindowTest.h"
#include "app/rolls/RollsModel.h"
#include "app/rolls/RollsPanel.h"
#include "app/shell/Preferences.h"
#include "roster/FieldText.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpression>
#include <QtTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;
using roster::Field;

class TestRolls : public WindowTest
{
    Q_OBJECT

public:
    TestRolls() : WindowTest(Shown::Active) {}

private slots:
    void init()
    {
        QVERIFY(openWindow());
        MainFrm &w = window();
        // Sela is a player's character who rolled at the table; the others roll.
        const QStringList rows[] = {{u"Sela"_s, u"16"_s, u"+7 rapier"_s, u"1d6+3"_s, u"[PC]"_s},
                                    {u"Goblin"_s, u"+3"_s, u"+4 shortbow 19-20"_s, u"1d6"_s, QString()},
                                    {u"Ogre"_s, u"-1"_s, u"see notes"_s, u"2d8+7"_s, QString()},
                                    {u"Wolf"_s, QString(), u"+3 bite"_s, u"1d6+1"_s, QString()}};
        for (int r = 0; r < 4; ++r) {
            typeInto(field(w, Field::Name, r), rows[r][0]);
            typeInto(field(w, Field::Initiative, r), rows[r][1]);
            typeInto(field(w, Field::Attack, r), rows[r][2]);
            typeInto(field(w, Field::Damage, r), rows[r][3]);
            typeInto(field(w, Field::Note, r), rows[r][4]);
        }
    }

    void rollInitiativeIsOneStepTheOrderFollows();
    void rollsListShowsTheCurrentCombatantsRolls();
    void quickRollAndACriticalsDamage();
    void groupInitiativeIsKeptBetweenRuns();
    void aSettingsFileOfAnotherKindIsNeitherReadNorWrittenThrough_data();
    void aSettingsFileOfAnotherKindIsNeitherReadNorWrittenThrough();
};

void TestRolls::rollInitiativeIsOneStepTheOrderFollows()
{
    MainFrm &w = window();
    const QStringList before = visibleState(w);
    QTest::keyClick(&w, Qt::Key_F5, Qt::ControlModifier);

    // Each rolled field: the total, then its modifier in brackets; the total is a d20's.
    const QRegularExpression rolled(u"^(\\d+) \\((.+)\\)$"_s);
    const int modifiers[] = {3, -1, 0};
    const QString modifierTexts[] = {u"+3"_s, u"-1"_s, u"+0"_s};
    QMap<int, QString> totals; // total -> name, to read the order by
    for (int r = 1; r < 4; ++r) {
        const QRegularExpressionMatch m = rolled.match(field(w, Field::Initiative, r)->text());
        QVERIFY2(m.hasMatch(), qPrintable(field(w, Field::Initiative, r)->text()));
        QCOMPARE(m.captured(2), modifierTexts[r - 1]);
        const int natural = m.captured(1).toInt() - modifiers[r - 1];
        QVERIFY2(natural >= 1 && natural <= 20, qPrintable(field(w, Field::Initiative, r)->text()));
    }
    QCOMPARE(field(w, Field::Initiative, 0)->text(), u"16"_s);
    QCOMPARE(w.rolls().rowCount(), 3);

    // The order sorts by the rolled totals.
    QTest::keyClick(&w, Qt::Key_F5);
    const QStringList order = listTexts(orderList(w));
    QCOMPARE(order.size(), 4);
    double last = 1e9;
    for (const QString &item : order) {
        const QString name = item.section(u" - "_s, 1);
        const int r = QStringList{u"Sela"_s, u"Goblin"_s, u"Ogre"_s, u"Wolf"_s}.indexOf(name);
        const double initiative = roster::textToNumber(field(w, Field::Initiative, r)->text());
        QVERIFY2(initiative <= last, qPrintable(order.join(u" | "_s)));
        last = initiative;
    }

    // One step takes every field back.
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier); // the order
    QCOMPARE(action(w, "mnuUndo")->text(), u"&Undo Roll Initiative"_s);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(visibleState(w), before);
    QCOMPARE(w.rolls().rowCount(), 3); // rolls are no steps
}

void TestRolls::rollsListShowsTheCurrentCombatantsRolls()
{
    MainFrm &w = window();
    QListView *list = w.rollsPanel().list();
    QCOMPARE(list->accessibleName(), u"Rolls"_s);
    QVERIFY(!action(w, "mnuRollAgain")->isEnabled());

    QTest::keyClick(&w, Qt::Key_F5); // Sela 16 first
    QTest::keyClick(&w, Qt::Key_F6);
    QTest::keyClick(&w, Qt::Key_F3);
    QTest::keyClick(&w, Qt::Key_F4);
    QTest::keyClick(&w, Qt::Key_R, Qt::ControlModifier); // the damage again
    const QStringList lines = listTexts(list).replaceInStrings(QString(QChar(0xa0)), u" "_s);
    QCOMPARE(lines.size(), 3);
    // A natural 20 makes the damage right after it offer the critical too.
    const QRegularExpression damage(u"^Sela, damage 1d6\\+3: (\\d+) \\(1d6: (\\d), \\+3\\)( · critical x2 if confirmed .*)?$"_s);
    for (const QString &line : lines.first(2)) {
        const QRegularExpressionMatch m = damage.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        QCOMPARE(m.captured(1).toInt(), m.captured(2).toInt() + 3);
    }
    const QRegularExpressionMatch attack = QRegularExpression(u"^Sela, attack \\+7 rapier: (\\d+) \\(d20 (\\d+)\\+7\\)"_s).match(lines[2]);
    QVERIFY2(attack.hasMatch(), qPrintable(lines[2]));
    QCOMPARE(attack.captured(1).toInt(), attack.captured(2).toInt() + 7);

    // The next combatant's text that holds nothing to roll says so in the list; no box.
    for (int turn = 0; turn < 3; ++turn) // Goblin, Wolf, Ogre
        QTest::keyClick(&w, Qt::Key_F6);
    QCOMPARE(w.combat().row(w.combat().currentRow()).name, u"Ogre"_s);
    QTest::keyClick(&w, Qt::Key_F3);
    QCOMPARE(listTexts(list).first(), u"Ogre, attack see notes: nothing to roll"_s);
    QVERIFY(prompts().messages.isEmpty());

    // Enter on an older line rolls it again, on top; the list keeps the last 200.
    list->setFocus();
    list->setCurrentIndex(list->model()->index(3, 0));
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(listTexts(list).first().startsWith(u"Sela, attack +7 rapier: "_s));
    // Ctrl+R rolls the newest line, whichever line the list has chosen.
    list->setCurrentIndex(list->model()->index(1, 0)); // the Ogre's
    QTest::keyClick(list, Qt::Key_R, Qt::ControlModifier);
    QVERIFY(listTexts(list).first().startsWith(u"Sela, attack +7 rapier: "_s));
    for (int i = 0; i < RollsModel::MaxLines; ++i)
        QTest::keyClick(&w, Qt::Key_F4);
    QCOMPARE(list->model()->rowCount(), RollsModel::MaxLines);
}

void TestRolls::quickRollAndACriticalsDamage()
{
    MainFrm &w = window();
    QListView *list = w.rollsPanel().list();
    auto newest = [list] { return listTexts(list).value(0).replace(QChar(0xa0), u' '); };

    // Shift+F4 reaches the field above the list; Enter rolls what it holds.
    QTest::keyClick(&w, Qt::Key_F4, Qt::ShiftModifier);
    auto *dice = control<QLineEdit>(w, u"RollDiceTxt"_s);
    QVERIFY(dice->hasFocus());
    QTest::keyClicks(dice, u"2d6+100"_s);
    QTest::keyClick(dice, Qt::Key_Return);
    const QRegularExpressionMatch rolled = QRegularExpression(u"^Roll 2d6\\+100: (\\d+) \\(2d6: (\\d), (\\d)\\)$"_s).match(newest());
    QVERIFY2(rolled.hasMatch(), qPrintable(newest()));
    QCOMPARE(rolled.captured(1).toInt(), rolled.captured(2).toInt() + rolled.captured(3).toInt() + 100);
    QCOMPARE(w.rolls().record(0).total, rolled.captured(1).toLongLong());

    // Damage right after a threat offers the critical; the next damage does not.
    typeInto(field(w, Field::Attack, 1), u"+4 shortbow crit 2-20 x3"_s);
    for (int tries = 0; tries < 30 && !newest().contains(u"threat"_s); ++tries)
        QTest::keyClick(&w, Qt::Key_F3);
    QVERIFY2(newest().startsWith(u"Goblin, attack"_s) && newest().contains(u"threat"_s), qPrintable(newest()));
    QTest::keyClick(&w, Qt::Key_F4);
    const QRegularExpressionMatch critical =
        QRegularExpression(u"^Goblin, damage 1d6: (\\d) \\(1d6: (\\d)\\) · critical x3 if confirmed (\\d+) \\(3d6: (\\d) (\\d) (\\d)\\)$"_s)
            .match(newest());
    QVERIFY2(critical.hasMatch(), qPrintable(newest()));
    QCOMPARE(critical.captured(4), critical.captured(2)); // the damage's die counts in the critical
    QCOMPARE(critical.captured(3).toInt(), critical.captured(4).toInt() + critical.captured(5).toInt() + critical.captured(6).toInt());
    QTest::keyClick(&w, Qt::Key_F4);
    QVERIFY2(QRegularExpression(u"^Goblin, damage 1d6: \\d \\(1d6: \\d\\)$"_s).match(newest()).hasMatch(), qPrintable(newest()));
}

void TestRolls::groupInitiativeIsKeptBetweenRuns()
{
    QVERIFY(!action(window(), "mnuGroupInitiative")->isChecked());
    action(window(), "mnuGroupInitiative")->trigger();
    QFile settings(preferences::fileName());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY2(settings.readAll().contains("GroupInitiative=true"), qPrintable(settings.fileName()));

    // The next start comes up with it on, and the pack rolls one d20.
    closeWindow();
    QVERIFY(openWindow());
    MainFrm &w = window();
    QVERIFY(action(w, "mnuGroupInitiative")->isChecked());
    typeInto(field(w, Field::Name, 0), u"Wolf"_s);
    typeInto(field(w, Field::Name, 1), u"Wolf 2"_s);
    typeInto(field(w, Field::Initiative, 1), QString());
    QTest::keyClick(&w, Qt::Key_F5, Qt::ControlModifier);
    QVERIFY2(listTexts(w.rollsPanel().list()).first().startsWith(u"Wolf, Wolf 2, initiative +0: "_s),
             qPrintable(listTexts(w.rollsPanel().list()).first()));
}

void TestRolls::aSettingsFileOfAnotherKindIsNeitherReadNorWrittenThrough_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a link to another file") << u"link"_s;
    QTest::newRow("a file far larger than settings") << u"large"_s;
#ifndef Q_OS_WIN
    QTest::newRow("a pipe, which would hold up the start") << u"pipe"_s;
#endif
}

// What stands at the settings file's name is read only when it is an ordinary file of a few
// kilobytes, and a choice replaces it rather than writing through it.
void TestRolls::aSettingsFileOfAnotherKindIsNeitherReadNorWrittenThrough()
{
    QFETCH(QString, kind);
    QTemporaryDir elsewhere;
    const QString path = QDir::fromNativeSeparators(preferences::fileName());
    QVERIFY(QDir().mkpath(QFileInfo(path).path()) && (!QFile::exists(path) || QFile::remove(path)));
    const QByteArray chosen = "[Initiative]\r\nGroupInitiative=true\r\n";
    const QString target = elsewhere.filePath(u"notes.ini"_s);
    QFile other(target);
    QVERIFY(other.open(QIODevice::WriteOnly) && other.write(chosen) == chosen.size());
    other.close();
    if (kind == u"link") {
        QVERIFY(QFile::link(target, path));
    } else if (kind == u"large") {
        QFile large(path);
        QVERIFY(large.open(QIODevice::WriteOnly) && large.write(chosen) > 0 && large.resize(1 << 30));
    }
#ifndef Q_OS_WIN
    if (kind == u"pipe")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    QVERIFY(!preferences::groupInitiative());
    QVERIFY(preferences::setGroupInitiative(false));
    QCOMPARE(QFileInfo(path).isSymLink(), false);
    QVERIFY(QFileInfo(path).isFile() && QFileInfo(path).size() < 100);
    QVERIFY(other.open(QIODevice::ReadOnly));
    QCOMPARE(other.readAll(), chosen);
}

QTEST_MAIN(TestRolls)
#include "tst_rolls.moc"
