// The recovery bar at the top of the window: it offers the combat an ended Fraymark left
// unsaved, and leaves at Restore, at Discard or with the user's next change; it says once
// when the combat cannot be kept; FRAYMARK_NO_RECOVERY=1 turns it all off.
#include "WindowFixture.h"
#include "CommandChecks.h"

#include "app/shell/CrashRecovery.h"
#include "app/shell/RecoveryBar.h"

#include <QPushButton>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using roster::Field;

namespace {

// What an ended program left: a fight in its first turn, never saved.
QString leaveFight(const QString &folder)
{
    QDir().mkpath(folder);
    CombatDocument played;
    mustBeDone(played.setFieldText(0, roster::Field::Name, u"Ogre"_s));
    mustBeDone(played.setFieldText(0, roster::Field::Initiative, u"12"_s));
    mustBeDone(played.setFieldText(1, roster::Field::Name, u"Sela"_s));
    mustBeDone(played.calculateOrder());
    mustBeDone(played.nextTurn());
    const QString path = folder + u"/combat-1-1.ini"_s;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(files::stateFileBytes(played.roster(), played.order(), played.state().turn,
                                     {QDateTime::fromString(u"2026-03-14T21:05:00Z"_s, Qt::ISODate), false, false}));
    return path;
}

// Crash recovery started as main() starts it, with its look at the disk taken in.
std::unique_ptr<CrashRecovery> startRecovery(WindowFixture &f, const QString &folder)
{
    std::unique_ptr<CrashRecovery> recovery = CrashRecovery::start(f.document, folder);
    if (recovery) {
        f.window->attachRecovery(*recovery);
        recovery->waitUntilReady();
    }
    return recovery;
}

} // namespace

class TestRecoveryBar : public QObject
{
    Q_OBJECT

private slots:
    void theBarLeaves_data();
    void theBarLeaves();
    void noOfferOnceTheUserHasGoneOn();
    void aFolderThatCannotHoldTheFileIsToldOnceAndTriedAgain();
    void aFailureToldLeavesOnceACopyIsKeptAgain();
    void exitAsksOnlyWhenNothingKeepsTheChanges_data();
    void exitAsksOnlyWhenNothingKeepsTheChanges();
    void turnedOffNothingIsWritten();
};

void TestRecoveryBar::theBarLeaves_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("firstName"); // row 0 after it
    QTest::addColumn<bool>("fileStays");    // the left file, for the next start
    QTest::newRow("Restore") << u"restore"_s << u"Ogre"_s << false;
    QTest::newRow("Discard") << u"discard"_s << QString() << false;
    QTest::newRow("a change of the user's") << u"change"_s << u"Zed"_s << true;
}

void TestRecoveryBar::theBarLeaves()
{
    QFETCH(QString, how);
    QTemporaryDir dir;
    const QString left = leaveFight(dir.path());
    WindowFixture f;
    QVERIFY(f.show(Shown::Exposed));
    const int height = f.window->height();
    const auto recovery = startRecovery(f, dir.path());
    RecoveryBar &bar = f.window->recoveryBar();
    QVERIFY(bar.offering());
    QVERIFY2(bar.text().contains(u"ended before"_s) && bar.text().contains(u"2026"_s), qPrintable(bar.text()));
    QCOMPARE(control<QPushButton>(bar, u"RestoreCmd"_s)->accessibleName(), u"Restore the unsaved combat"_s);

    if (how == u"restore")
        QTest::mouseClick(control<QPushButton>(bar, u"RestoreCmd"_s), Qt::LeftButton);
    else if (how == u"discard")
        QTest::mouseClick(control<QPushButton>(bar, u"DiscardCmd"_s), Qt::LeftButton);
    else
        typeInto(field(*f.window, Field::Name, 0), u"Zed"_s);
    QVERIFY(bar.isHidden());
    QTRY_COMPARE(f.window->height(), height); // the bar's room given back
    QTEST(f.document.row(0).name, "firstName");
    QFETCH(bool, fileStays);
    QTRY_COMPARE(QFile::exists(left), fileStays);
    if (how == u"restore") {
        QCOMPARE(f.document.currentRow(), 0);
        QCOMPARE(action(*f.window, "mnuUndo")->text(), u"&Undo Restore Combat"_s);
        QVERIFY(QFile::exists(recovery->statePath())); // the combat is in this program's file now
    }
}

// A combat typed before the look for left copies ends is kept, and nothing is offered over it.
void TestRecoveryBar::noOfferOnceTheUserHasGoneOn()
{
    QTemporaryDir dir;
    const QString left = leaveFight(dir.path());
    WindowFixture f;
    const auto recovery = CrashRecovery::start(f.document, dir.path());
    f.window->attachRecovery(*recovery);
    typeInto(field(*f.window, Field::Name, 0), u"Zed"_s);
    recovery->waitUntilReady();
    QVERIFY(f.window->recoveryBar().isHidden());
    QVERIFY(QFile::exists(left)); // for the next start
    QTRY_VERIFY(QFile(recovery->statePath()).size() > 0);
}

void TestRecoveryBar::aFolderThatCannotHoldTheFileIsToldOnceAndTriedAgain()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(u"file"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    WindowFixture f;
    const auto recovery = startRecovery(f, dir.filePath(u"file/fraymark"_s));
    RecoveryBar &bar = f.window->recoveryBar();
    QVERIFY(!bar.isHidden() && !bar.offering());
    QVERIFY2(bar.text().contains(u"not being kept for after a crash"_s)
                 && bar.text().contains(u"\"%1\" is a file, not a folder"_s.arg(QDir::toNativeSeparators(blocker.fileName()))),
             qPrintable(bar.text()));
    QTest::mouseClick(control<QPushButton>(bar, u"CloseCmd"_s), Qt::LeftButton);
    typeInto(field(*f.window, Field::Name, 0), u"Orc"_s);
    QTest::qWait(50);
    QVERIFY(bar.isHidden());
    QCOMPARE(f.document.row(0).name, u"Orc"_s);
    // The folder mended: a later change makes the copy after all.
    QVERIFY(blocker.remove());
    QTest::qWait(1000);
    typeInto(field(*f.window, Field::Name, 0), u"Orcs"_s);
    QTRY_VERIFY(QFileInfo(recovery->statePath()).isFile());
    QVERIFY(recovery->keepsTheCombat());
}

void TestRecoveryBar::aFailureToldLeavesOnceACopyIsKeptAgain()
{
    QTemporaryDir dir;
    WindowFixture f;
    const auto recovery = startRecovery(f, dir.path());
    QVERIFY(QDir().mkdir(recovery->statePath())); // a folder in the file's place: the next write fails
    typeInto(field(*f.window, Field::Name, 0), u"Orc"_s);
    QTRY_VERIFY(!f.window->recoveryBar().isHidden());
    QVERIFY(QDir().rmdir(recovery->statePath()));
    typeInto(field(*f.window, Field::Name, 0), u"Orcs"_s);
    QTRY_VERIFY(f.window->recoveryBar().isHidden());
    QTRY_VERIFY(QFileInfo(recovery->statePath()).isFile());
    // Failing again is news again.
    QVERIFY(QFile::remove(recovery->statePath()) && QDir().mkdir(recovery->statePath()));
    typeInto(field(*f.window, Field::Name, 0), u"Ogre"_s);
    QTRY_VERIFY(!f.window->recoveryBar().isHidden());
}

void TestRecoveryBar::exitAsksOnlyWhenNothingKeepsTheChanges_data()
{
    QTest::addColumn<bool>("copyFails");
    QTest::addColumn<QString>("answer"); // the button pressed; empty: Esc
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closes");
    QTest::newRow("copy kept") << false << QString() << false << true;
    QTest::newRow("copy failed, Exit") << true << u"E&xit"_s << true << true;
    QTest::newRow("copy failed, Esc") << true << QString() << true << false;
    QTest::newRow("copy failed, Save cancelled") << true << u"&Save"_s << true << false;
}

void TestRecoveryBar::exitAsksOnlyWhenNothingKeepsTheChanges()
{
    QFETCH(bool, copyFails);
    QFETCH(QString, answer);
    QFETCH(bool, asked);
    QFETCH(bool, closes);
    QTemporaryDir dir;
    WindowFixture f;
    QVERIFY(f.show(Shown::Exposed));
    const auto recovery = startRecovery(f, dir.path());
    if (copyFails)
        QVERIFY(QDir().mkdir(recovery->statePath()));
    typeInto(field(*f.window, Field::Name, 0), u"Orc"_s);
    QTRY_VERIFY(copyFails != f.window->recoveryBar().isHidden());
    f.prompts->choiceAnswers << answer; // Save opens the save dialog, which is cancelled
    QCOMPARE(f.window->close(), closes);
    QCOMPARE(f.prompts->questions.size(), asked ? 1 : 0);
}

void TestRecoveryBar::turnedOffNothingIsWritten()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"fraymark"_s);
    qputenv("FRAYMARK_NO_RECOVERY", "1");
    WindowFixture f;
    const auto recovery = startRecovery(f, folder);
    qunsetenv("FRAYMARK_NO_RECOVERY");
    QVERIFY(!recovery);
    typeInto(field(*f.window, Field::Name, 0), u"Orc"_s);
    QTest::qWait(50);
    QVERIFY(!QFileInfo::exists(folder));
}

QTEST_MAIN(TestRecoveryBar)
#include "tst_recoverybar.moc"
