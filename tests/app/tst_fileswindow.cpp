// Saving and loading combats through the window, with the dialogs answered by a fake.
#include "WindowFixture.h"

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

class TestFilesWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<WindowFixture>();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup()
    {
        m_fixture.reset();
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
    MainFrm &window() { return *m_fixture->window; }
    FakePrompts &prompts() { return *m_fixture->prompts; }
    void fillCombat();
    std::unique_ptr<WindowFixture> m_fixture;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFilesWindow::fillCombat()
{
    MainFrm &w = window();
    w.roster().ChrName[0]->setText(u"Goblin archer"_s);
    w.roster().ChrHP[0]->setText(u"7"_s);
    w.roster().ChrIni[0]->setText(u"18"_s);
    w.roster().ChrWill[0]->setText(u"-1"_s);
    w.roster().ChrName[1]->setText(u"Ogre"_s);
    w.roster().ChrHP[1]->setText(u"-2"_s);
    w.roster().SubsTxt[1]->setText(u"10"_s);
    w.roster().SubsCmd[1]->click(); // down at -12
    w.roster().ChrName[18]->setText(u"Orc=chief é€"_s);
    w.roster().ChrChk[18]->setChecked(false);
    w.roster().NotesTxt->setPlainText(u"Ambush at the ford\nWolves arrive at dusk"_s);
}

void TestFilesWindow::saveAndLoadBringTheCombatBack()
{
    MainFrm &w = window();
    fillCombat();
    const QString path = m_dir->filePath(u"combat.ini"_s);
    prompts().answers << path;
    w.mnuSave_Click();
    QCOMPARE(prompts().saveDialogs.size(), 1);
    QCOMPARE(prompts().saveDialogs[0].title, u"Save Combat"_s);
    QCOMPARE(prompts().saveDialogs[0].filter, u"Ini Files(.ini) (*.ini)"_s);
    QCOMPARE(w.document().savePath(), path);
    QVERIFY(readAll(path).startsWith("[Info0]\r\nName=Goblin archer\r\n"));

    QStringList expected = visibleState(w);
    // The row unchecked by hand comes back checked: the load recomputes every box.
    expected[18 * 12 + 11] = u"checked"_s;
    w.mnuNew->trigger();
    w.roster().NotesTxt->clear();

    prompts().answers << path;
    w.mnuLoad_Click();
    QCOMPARE(prompts().openDialogs.size(), 1);
    QCOMPARE(prompts().openDialogs[0].title, u"Load Combat"_s);
    QCOMPARE(prompts().openDialogs[0].filter, u"Ini Files (*.ini)"_s);
    QCOMPARE(visibleState(w), expected);
    QVERIFY(!w.roster().ChrName[1]->isEnabled());
    QVERIFY(prompts().messages.isEmpty());

    // The next save starts from the last name chosen.
    w.mnuSave_Click();
    QCOMPARE(prompts().saveDialogs.last().startPath, path);
}

void TestFilesWindow::bothSaveCommandsWriteTheSameBytes()
{
    fillCombat();
    const QString first = m_dir->filePath(u"first.ini"_s), second = m_dir->filePath(u"second.ini"_s);
    prompts().answers << first << second;
    window().mnuSave->trigger();
    window().mnuSave1->trigger();
    QVERIFY(!readAll(first).isEmpty());
    QCOMPARE(readAll(second), readAll(first));
}

void TestFilesWindow::cancelledDialogsChangeNothing()
{
    MainFrm &w = window();
    fillCombat();
    const QStringList before = visibleState(w);
    w.mnuSave1->trigger();
    w.mnuLoad1->trigger();
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
    w.mnuSave_Click();
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
    w.mnuLoad_Click();

    QCOMPARE(prompts().messages.size(), 1);
    QCOMPARE(prompts().messages[0].text, u"You are loading a combat prior to v1.9, there may be some errors"_s);
    QCOMPARE(prompts().messages[0].title, u"Old Version Combat"_s);
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Stop);
    QCOMPARE(w.roster().ChrName[9]->text(), u"Foe 9"_s);
    QCOMPARE(w.roster().ChrHP[7]->text(), u"-11"_s);
    QVERIFY(!w.roster().ChrName[7]->isEnabled()); // -11 is down
    QVERIFY(w.roster().ChrName[6]->isEnabled());  // -8 is not
    QVERIFY(w.roster().ChrName[10]->text().isEmpty());
    QVERIFY(w.roster().ChrChk[10]->isChecked());
    QVERIFY(w.roster().NotesTxt->toPlainText().isEmpty()); // the last sections have no note
}

void TestFilesWindow::cutFileLoadsWhatItHoldsAndWarns()
{
    MainFrm &w = window();
    fillCombat();
    const QString saved = m_dir->filePath(u"saved.ini"_s);
    prompts().answers << saved;
    w.mnuSave_Click();
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    const QString cut = m_dir->filePath(u"cut.ini"_s);
    writeAll(cut, bytes.left(bytes.indexOf("[Info1]") + 15)); // "Name=O": inside row 2's name line
    w.mnuNew->trigger();

    prompts().answers << cut;
    w.mnuLoad_Click();
    QCOMPARE(prompts().messages.size(), 1);
    QCOMPARE(prompts().messages[0].title, u"Combat File Ends Early"_s);
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Warning);
    QVERIFY2(prompts().messages[0].text.contains(u"cut.ini"_s), qPrintable(prompts().messages[0].text));
    QCOMPARE(w.roster().ChrName[0]->text(), u"Goblin archer"_s); // the first row came whole
    QCOMPARE(w.roster().ChrName[1]->text(), u"O"_s);              // the second up to the cut
    QVERIFY(w.roster().ChrHP[1]->text().isEmpty());
}

void TestFilesWindow::badCheckValueChangesNothing()
{
    MainFrm &w = window();
    fillCombat();
    const QString path = m_dir->filePath(u"bad.ini"_s);
    prompts().answers << path;
    w.mnuSave_Click();
    QByteArray bytes = readAll(path);
    const qsizetype row4 = bytes.indexOf("[Info4]");
    bytes.replace(bytes.indexOf("Check=1", row4), 7, "Check=7");
    writeAll(path, bytes);

    w.mnuNew->trigger();
    w.roster().ChrName[2]->setText(u"Survivor"_s);
    w.roster().ChrHP[2]->setText(u"-11"_s);
    w.roster().SubsTxt[2]->setText(u"1"_s);
    w.roster().SubsCmd[2]->click(); // down
    const QStringList before = visibleState(w);

    prompts().answers << path;
    w.mnuLoad_Click();

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
    w.mnuLoad_Click();

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
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.roster().NotesTxt->setFocus();
    for (const QChar c : u"a\u00a0b\u2028c"_s) { // keyClicks() types Latin-1 only
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w.roster().NotesTxt, &key);
    }
    QTest::keyClick(w.roster().NotesTxt, Qt::Key_Return);
    QTest::keyClicks(w.roster().NotesTxt, u"d"_s);
    QCOMPARE(w.document().roster().generalNote, u"a\u00a0b\u2028c\nd"_s);

    const QString path = m_dir->filePath(u"note.ini"_s);
    prompts().answers << path;
    w.mnuSave_Click();
    QVERIFY(readAll(path).contains(u"GeneralNote=a\u00a0b\u2028c(t55)d\r\n"_s.toUtf8()));
    w.roster().NotesTxt->clear();
    prompts().answers << path;
    w.mnuLoad_Click();
    QCOMPARE(w.document().roster().generalNote, u"a\u00a0b\u2028c\nd"_s);
}

void TestFilesWindow::typedNameGetsTheCombatSuffixAndIsOfferedAgain()
{
    MainFrm &w = window();
    QDir(m_dir->path()).mkdir(u"camp"_s);
    const QString typed = m_dir->filePath(u"camp/ambush"_s);
    prompts().answers << typed;
    w.mnuSave_Click();
    QVERIFY(QFile::exists(typed + u".ini"_s));
    QVERIFY(!QFile::exists(typed));
    QCOMPARE(prompts().saveDialogs[0].defaultSuffix, u"ini"_s);

    w.mnuLoad_Click(); // cancelled; it starts where the last combat went
    QCOMPARE(prompts().openDialogs[0].startPath, m_dir->filePath(u"camp"_s));
    w.mnuSave_Click();
    QCOMPARE(prompts().saveDialogs[1].startPath, typed + u".ini"_s);
}

QTEST_MAIN(TestFilesWindow)
#include "tst_fileswindow.moc"
