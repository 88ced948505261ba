// Saving and loading combats through the window, with the dialogs answered by a fake.
#include "WindowTest.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Field;

namespace {
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// An old file: the sections of a combat without any "Check" key.
QByteArray fileWithoutChecks(int rows)
{
    QByteArray bytes;
    for (int r = 0; r < rows; ++r)
        bytes += "[Info" + QByteArray::number(r) + "]\r\nName=Foe " + QByteArray::number(r) + "\r\nHP=" +
                 QByteArray::number(10 - 3 * r) + "\r\nGeneralNote=Old(t55)file\r\n";
    return bytes;
}
} // namespace

class TestFilesWindow : public WindowTest
{
    Q_OBJECT

public:
    TestFilesWindow() : WindowTest(Shown::No) {}

private slots:
    void init()
    {
        QVERIFY(openWindow());
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        closeWindow();
        m_dir.reset();
    }

    void saveAndLoadBringTheCombatBack();
    void bothSaveCommandsWriteTheSameBytes();
    void cancelledDialogsChangeNothing();
    void failedSaveKeepsTheOldFileAndSays();
    void oldFileWarnsOnceAndLoadsWhole();
    void cutFileLoadsWhatItHoldsAndWarns();
    void badCheckValueChangesNothing();
    void whatIsNoCombatIsRefused_data();
    void whatIsNoCombatIsRefused();
    void noteKeepsEveryCharacter();
    void typedNameGetsTheCombatSuffixAndIsOfferedAgain();

private:
    void fillCombat();
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFilesWindow::fillCombat()
{
    MainFrm &w = window();
    field(w, Field::Name, 0)->setText(u"Goblin archer"_s);
    field(w, Field::HitPoints, 0)->setText(u"7"_s);
    field(w, Field::Initiative, 0)->setText(u"18"_s);
    field(w, Field::Fort, 0)->setText(u"-1"_s);
    field(w, Field::Name, 1)->setText(u"Ogre"_s);
    field(w, Field::HitPoints, 1)->setText(u"-2"_s);
    amountBox(w, 1)->setText(u"10"_s);
    substractButton(w, 1)->click(); // down at -12
    field(w, Field::Name, 18)->setText(u"Orc=chief é€"_s);
    includeBox(w, 18)->setChecked(false);
    generalNote(w)->setPlainText(u"Ambush at the ford\nWolves arrive at dusk"_s);
}

void TestFilesWindow::saveAndLoadBringTheCombatBack()
{
    MainFrm &w = window();
    fillCombat();
    const QString path = m_dir->filePath(u"combat.ini"_s);
    prompts().answers << path;
    action(w, "mnuSave")->trigger();
    QCOMPARE(prompts().saveDialogs.size(), 1);
    QCOMPARE(prompts().saveDialogs[0].title, u"Save Combat"_s);
    QCOMPARE(prompts().saveDialogs[0].filter, u"Ini Files(.ini) (*.ini)"_s);
    QCOMPARE(w.combat().savePath(), path);
    QVERIFY(readAll(path).startsWith("[Info0]\r\nName=Goblin archer\r\n"));

    QStringList expected = visibleState(w);
    // The row unchecked by hand comes back checked: the load recomputes every box.
    expected[18 * 12 + 11] = u"checked"_s;
    action(w, "mnuNew")->trigger();
    generalNote(w)->clear();

    prompts().answers << path;
    action(w, "mnuLoad")->trigger();
    QCOMPARE(prompts().openDialogs.size(), 1);
    QCOMPARE(prompts().openDialogs[0].title, u"Load Combat"_s);
    QCOMPARE(prompts().openDialogs[0].filter, u"Ini Files (*.ini)"_s);
    QCOMPARE(visibleState(w), expected);
    QVERIFY(!field(w, Field::Name, 1)->isEnabled());
    QVERIFY(prompts().messages.isEmpty());

    // The next save starts from the last name chosen.
    action(w, "mnuSave")->trigger();
    QCOMPARE(prompts().saveDialogs.last().startPath, path);
}

void TestFilesWindow::bothSaveCommandsWriteTheSameBytes()
{
    fillCombat();
    const QString first = m_dir->filePath(u"first.ini"_s), second = m_dir->filePath(u"second.ini"_s);
    prompts().answers << first << second;
    action(window(), "mnuSave")->trigger();
    action(window(), "mnuSave1")->trigger();
    QVERIFY(!readAll(first).isEmpty());
    QCOMPARE(readAll(second), readAll(first));
}

void TestFilesWindow::cancelledDialogsChangeNothing()
{
    MainFrm &w = window();
    fillCombat();
    const QStringList before = visibleState(w);
    action(w, "mnuSave1")->trigger();
    action(w, "mnuLoad1")->trigger();
    QCOMPARE(prompts().saveDialogs.size(), 1);
    QCOMPARE(prompts().openDialogs.size(), 1);
    QCOMPARE(visibleState(w), before);
    QVERIFY(prompts().messages.isEmpty());
    QVERIFY(QDir(m_dir->path()).isEmpty());
}

void TestFilesWindow::failedSaveKeepsTheOldFileAndSays()
{
    MainFrm &w = window();
    fillCombat();
    const QString missing = m_dir->filePath(u"no such folder/combat.ini"_s);
    prompts().answers << missing;
    const QStringList before = visibleState(w);
    action(w, "mnuSave")->trigger();
    QCOMPARE(prompts().messages.size(), 1);
    QVERIFY2(prompts().messages[0].text.contains(QDir::toNativeSeparators(missing)), qPrintable(prompts().messages[0].text));
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Stop);
    QCOMPARE(visibleState(w), before);
    QVERIFY(!QFile::exists(missing));
}

void TestFilesWindow::oldFileWarnsOnceAndLoadsWhole()
{
    MainFrm &w = window();
    const QString path = m_dir->filePath(u"old.ini"_s);
    writeAll(path, fileWithoutChecks(10));
    prompts().answers << path;
    action(w, "mnuLoad")->trigger();

    QCOMPARE(prompts().messages.size(), 1);
    QCOMPARE(prompts().messages[0].text, u"You are loading a combat prior to v1.9, there may be some errors"_s);
    QCOMPARE(prompts().messages[0].title, u"Old Version Combat"_s);
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Stop);
    QCOMPARE(field(w, Field::Name, 9)->text(), u"Foe 9"_s);
    QCOMPARE(field(w, Field::HitPoints, 7)->text(), u"-11"_s);
    QVERIFY(!field(w, Field::Name, 7)->isEnabled()); // -11 is down
    QVERIFY(field(w, Field::Name, 6)->isEnabled());  // -8 is not
    QVERIFY(field(w, Field::Name, 10)->text().isEmpty());
    QVERIFY(includeBox(w, 10)->isChecked());
    QVERIFY(generalNote(w)->toPlainText().isEmpty()); // the last sections have no note
}

void TestFilesWindow::cutFileLoadsWhatItHoldsAndWarns()
{
    MainFrm &w = window();
    fillCombat();
    const QString saved = m_dir->filePath(u"saved.ini"_s);
    prompts().answers << saved;
    action(w, "mnuSave")->trigger();
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    const QString cut = m_dir->filePath(u"cut.ini"_s);
    writeAll(cut, bytes.left(bytes.indexOf("[Info1]") + 15)); // "Name=O": inside row 2's name line
    action(w, "mnuNew")->trigger();

    prompts().answers << cut;
    action(w, "mnuLoad")->trigger();
    QCOMPARE(prompts().messages.size(), 1);
    QCOMPARE(prompts().messages[0].title, u"Combat File Ends Early"_s);
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Warning);
    QVERIFY2(prompts().messages[0].text.contains(u"cut.ini"_s), qPrintable(prompts().messages[0].text));
    QCOMPARE(field(w, Field::Name, 0)->text(), u"Goblin archer"_s); // the first row came whole
    QCOMPARE(field(w, Field::Name, 1)->text(), u"O"_s);              // the second up to the cut
    QVERIFY(field(w, Field::HitPoints, 1)->text().isEmpty());
}

void TestFilesWindow::badCheckValueChangesNothing()
{
    MainFrm &w = window();
    fillCombat();
    const QString path = m_dir->filePath(u"bad.ini"_s);
    prompts().answers << path;
    action(w, "mnuSave")->trigger();
    QByteArray bytes = readAll(path);
    const qsizetype row4 = bytes.indexOf("[Info4]");
    bytes.replace(bytes.indexOf("Check=1", row4), 7, "Check=7");
    writeAll(path, bytes);

    action(w, "mnuNew")->trigger();
    field(w, Field::Name, 2)->setText(u"Survivor"_s);
    field(w, Field::HitPoints, 2)->setText(u"-11"_s);
    amountBox(w, 2)->setText(u"1"_s);
    substractButton(w, 2)->click(); // down
    const QStringList before = visibleState(w);

    prompts().answers << path;
    action(w, "mnuLoad")->trigger();

    QCOMPARE(visibleState(w), before);
    QCOMPARE(prompts().messages.size(), 1);
    const FakePrompts::Message &box = prompts().messages[0];
    QVERIFY(!box.text.isEmpty());
    QCOMPARE(box.title, u"Unknown Error. Contact Vesmar:\r\n"_s + box.text);
    QCOMPARE(box.icon, Prompts::Icon::Stop);
}

void TestFilesWindow::whatIsNoCombatIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
    QTest::newRow("missing file") << u"missing.ini"_s << QByteArray();
    QTest::newRow("a picture") << u"picture.ini"_s << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    QTest::newRow("no row sections") << u"other.ini"_s << QByteArray("[Settings]\r\nName=x\r\n");
}

void TestFilesWindow::whatIsNoCombatIsRefused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    MainFrm &w = window();
    fillCombat();
    const QString path = m_dir->filePath(name);
    if (!bytes.isEmpty())
        writeAll(path, bytes);
    const QStringList before = visibleState(w);

    prompts().answers << path;
    action(w, "mnuLoad")->trigger();

    QCOMPARE(visibleState(w), before);
    QCOMPARE(prompts().messages.size(), 1);
    QVERIFY2(prompts().messages[0].text.contains(name), qPrintable(prompts().messages[0].text));
    QCOMPARE(prompts().messages[0].title, u"Fraymark"_s);
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Stop);
}

void TestFilesWindow::noteKeepsEveryCharacter()
{
    // Typed, not set: a non-breaking space and a line separator are characters of the
    // note; only the real line break becomes "(t55)".
    MainFrm &w = window();
    QVERIFY(fixture().show(Shown::Active));
    generalNote(w)->setFocus();
    for (const QChar c : u"a\u00a0b\u2028c"_s) { // keyClicks() types Latin-1 only
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(generalNote(w), &key);
    }
    QTest::keyClick(generalNote(w), Qt::Key_Return);
    QTest::keyClicks(generalNote(w), u"d"_s);
    QCOMPARE(w.combat().roster().generalNote, u"a\u00a0b\u2028c\nd"_s);

    const QString path = m_dir->filePath(u"note.ini"_s);
    prompts().answers << path;
    action(w, "mnuSave")->trigger();
    QVERIFY(readAll(path).contains(u"GeneralNote=a\u00a0b\u2028c(t55)d\r\n"_s.toUtf8()));
    generalNote(w)->clear();
    prompts().answers << path;
    action(w, "mnuLoad")->trigger();
    QCOMPARE(w.combat().roster().generalNote, u"a\u00a0b\u2028c\nd"_s);
}

void TestFilesWindow::typedNameGetsTheCombatSuffixAndIsOfferedAgain()
{
    MainFrm &w = window();
    QDir(m_dir->path()).mkdir(u"camp"_s);
    const QString typed = m_dir->filePath(u"camp/ambush"_s);
    prompts().answers << typed;
    action(w, "mnuSave")->trigger();
    QVERIFY(QFile::exists(typed + u".ini"_s));
    QVERIFY(!QFile::exists(typed));
    QCOMPARE(prompts().saveDialogs[0].defaultSuffix, u"ini"_s);

    action(w, "mnuLoad")->trigger(); // cancelled; it starts where the last combat went
    QCOMPARE(prompts().openDialogs[0].startPath, m_dir->filePath(u"camp"_s));
    action(w, "mnuSave")->trigger();
    QCOMPARE(prompts().saveDialogs[1].startPath, typed + u".ini"_s);
}

QTEST_MAIN(TestFilesWindow)
#include "tst_fileswindow.moc"
