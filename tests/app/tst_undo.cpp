// The one undo history, driven through the window as a user would.
#include "WindowFixture.h"
#include "app/widgets/SpinButton.h"

#include <QAccessible>
#include <QAction>
#include <QContextMenuEvent>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestUndo : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<WindowFixture>();
        window().show();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        // A small combat typed by hand, each field its own step.
        typeInto(window().roster().ChrName[1], u"Orc"_s);
        typeInto(window().roster().ChrHP[1], u"5"_s);
        typeInto(window().roster().ChrName[2], u"Goblin"_s);
        typeInto(window().roster().ChrHP[2], u"3"_s);
    }
    void cleanup() { m_fixture.reset(); }

    void everyCommandUndoesAndRedoes_data();
    void everyCommandUndoesAndRedoes();
    void keystrokesInOneFieldAreOneStep();
    void ctrlZInsideAFieldUndoesTheWindowsHistory();
    void aHeldSpinRepeatIsOneStep();
    void aTextSetWithoutKeystrokesIsPartOfItsBlow();
    void contextMenuUndoIsTheWindows();
    void typedAndErasedIsNoStep();

private:
    MainFrm &window() { return *m_fixture->window; }
    std::unique_ptr<WindowFixture> m_fixture;
};

void TestUndo::everyCommandUndoesAndRedoes_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("undoText");
    QTest::addColumn<QString>("focusAfterUndo");
    QTest::newRow("typing") << u"type"_s << u"Undo typing in Row 5 HP"_s << u"ChrHP_4"_s;
    QTest::newRow("check box") << u"check"_s << u"Undo Exclude Row 3 (Goblin)"_s << u"ChrChk_2"_s;
    QTest::newRow("substract to down") << u"substract"_s << u"Undo Substract Row 2 (Orc)"_s << u"ChrHP_1"_s;
    QTest::newRow("spin step") << u"spin"_s << u"Undo HP step in Row 2 (Orc)"_s << u"ChrHP_1"_s;
    QTest::newRow("clear") << u"clear"_s << u"Undo Clear Row 3 (Goblin)"_s << u"ChrName_2"_s;
    QTest::newRow("new combat") << u"new"_s << u"Undo New Combat"_s << u"ChrName_1"_s;
    QTest::newRow("drop") << u"drop"_s << u"Undo Load Combat"_s << u"ChrName_0"_s;
    QTest::newRow("note") << u"note"_s << u"Undo typing in Other Notes"_s << u"NotesTxt"_s;
}

void TestUndo::everyCommandUndoesAndRedoes()
{
    QFETCH(QString, command);
    QFETCH(QString, undoText);
    QFETCH(QString, focusAfterUndo);
    MainFrm &w = window();
    QTemporaryDir dir;
    const QString file = dir.filePath(u"loaded.ini"_s);
    {
        QFile bytes(file);
        QVERIFY(bytes.open(QIODevice::WriteOnly));
        bytes.write("[Info0]\r\nName=Troll\r\nHP=-12\r\nCheck=1\r\nGeneralNote=Bridge(t55)night\r\n");
        for (int r = 1; r < roster::RowCount; ++r)
            bytes.write("[Info" + QByteArray::number(r) + "]\r\nCheck=1\r\nGeneralNote=Bridge(t55)night\r\n");
    }

    const QStringList before = visibleState(w);
    if (command == u"type") {
        typeInto(w.roster().ChrHP[4], u"12"_s);
    } else if (command == u"check") {
        QTest::mouseClick(w.roster().ChrChk[2], Qt::LeftButton);
    } else if (command == u"substract") {
        typeInto(w.roster().SubsTxt[1], u"20"_s);
        QTest::mouseClick(w.roster().SubsCmd[1], Qt::LeftButton); // 5 - 20: down
        QVERIFY(!w.roster().ChrHP[1]->isEnabled());
    } else if (command == u"spin") {
        QTest::mouseClick(w.roster().UpDown1[1], Qt::LeftButton, {}, QPoint(w.roster().UpDown1[1]->width() / 2, 2));
        QCOMPARE(w.roster().ChrHP[1]->text(), u"6"_s);
    } else if (command == u"clear") {
        QTest::mouseClick(w.roster().cmdClear[2], Qt::LeftButton);
    } else if (command == u"new") {
        QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    } else if (command == u"drop") {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        // Onto a text field, which would otherwise take the path as text.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.roster().ChrNote[0], &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.roster().ChrNote[0], &drop);
        QTRY_COMPARE(w.roster().ChrName[0]->text(), u"Troll"_s);
        QCOMPARE(w.roster().ChrNote[0]->text(), QString());
    } else if (command == u"note") {
        typeInto(w.roster().NotesTxt, u"Wolves\u00a0at dusk"_s);
    }
    // Steps done before the command were typing, so the newest step must be the command itself
    // (with the amount typed for Substract, which is part of it).
    const QStringList after = visibleState(w);
    QVERIFY(after != before);
    QCOMPARE(w.mnuUndo->text().remove(u'&'), undoText);
    QVERIFY(m_fixture->prompts->messages.isEmpty());

    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), focusAfterUndo);
    QCOMPARE(visibleState(w), before);

    QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
    if (command == u"substract")
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(visibleState(w), after);
}

void TestUndo::keystrokesInOneFieldAreOneStep()
{
    MainFrm &w = window();
    const int steps = w.document().history().count();
    typeInto(w.roster().ChrNote[1], u"Bloodied"_s);
    typeInto(w.roster().ChrNote[2], u"Hides"_s);
    QCOMPARE(w.document().history().count(), steps + 2);
    w.roster().ChrNote[1]->setFocus(); // back in a field: a new edit, a new step
    QTest::keyClicks(w.roster().ChrNote[1], u"!"_s);
    QCOMPARE(w.document().history().count(), steps + 3);
}

void TestUndo::ctrlZInsideAFieldUndoesTheWindowsHistory()
{
    MainFrm &w = window();
    typeInto(w.roster().ChrIni[1], u"14"_s);
    w.roster().ChrName[2]->setFocus();
    // The name field has no typing of its own to undo here: the window's newest step goes.
    QTest::keyClick(w.roster().ChrName[2], Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.roster().ChrIni[1]->text(), QString());
    QCOMPARE(w.roster().ChrName[2]->text(), u"Goblin"_s);
    QCOMPARE(QApplication::focusWidget(), w.roster().ChrIni[1]);
    QTest::keyClick(w.roster().ChrIni[1], Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w.roster().ChrIni[1]->text(), u"14"_s);
}

void TestUndo::aHeldSpinRepeatIsOneStep()
{
    MainFrm &w = window();
    const int steps = w.document().history().count();
    const QPoint up(w.roster().UpDown2[1]->width() / 2, 2);
    QTest::mousePress(w.roster().UpDown2[1], Qt::LeftButton, {}, up);
    QTRY_COMPARE(w.roster().ChrAC[1]->text(), u"3"_s); // the first step and two repeats
    QTest::mouseRelease(w.roster().UpDown2[1], Qt::LeftButton, {}, up);
    QCOMPARE(w.document().history().count(), steps + 1);
    QTest::mouseClick(w.roster().UpDown2[1], Qt::LeftButton, {}, up); // a new click: a new step
    QCOMPARE(w.document().history().count(), steps + 2);
    w.mnuUndo->trigger();
    w.mnuUndo->trigger();
    QCOMPARE(w.roster().ChrAC[1]->text(), QString());
}

void TestUndo::aTextSetWithoutKeystrokesIsPartOfItsBlow()
{
    MainFrm &w = window();
    // As an assistive tool sets it: no keystroke, no step yet.
    QAccessible::queryAccessibleInterface(w.roster().SubsTxt[1])->setText(QAccessible::Value, u"2"_s);
    QCOMPARE(w.roster().SubsTxt[1]->text(), u"2"_s);
    QTest::mouseClick(w.roster().SubsCmd[1], Qt::LeftButton);
    QCOMPARE(w.roster().ChrHP[1]->text(), u"3"_s);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w.roster().ChrHP[1]->text(), u"5"_s);
    QCOMPARE(w.roster().SubsTxt[1]->text(), QString());
    QVERIFY(!w.mnuUndo->text().contains(u"amount"_s));
}

void TestUndo::contextMenuUndoIsTheWindows()
{
    MainFrm &w = window();
    typeInto(w.roster().ChrNote[1], u"Bloodied"_s);
    w.roster().ChrName[2]->setFocus();
    // The name field's own menu: its Undo takes back the window's newest step, the note.
    QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(5, 5), w.roster().ChrName[2]->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w.roster().ChrName[2], &open);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QWidget *menu = QApplication::activePopupWidget();
    QAction *undo = menu->findChild<QAction *>(u"edit-undo"_s);
    QVERIFY(undo && undo->isEnabled());
    undo->trigger();
    menu->close();
    QCOMPARE(w.roster().ChrNote[1]->text(), QString());
    QCOMPARE(w.roster().ChrName[2]->text(), u"Goblin"_s);
}

void TestUndo::typedAndErasedIsNoStep()
{
    MainFrm &w = window();
    const int steps = w.document().history().count();
    typeInto(w.roster().ChrName[5], u"x"_s);
    QTest::keyClick(w.roster().ChrName[5], Qt::Key_Backspace);
    QCOMPARE(w.document().history().count(), steps);
    QCOMPARE(w.mnuUndo->text().remove(u'&'), u"Undo typing in Row 3 HP"_s);
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
