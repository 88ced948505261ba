// The one undo history, driven through the window as a user would.
#include "WindowTest.h"
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
using roster::Field;

class TestUndo : public WindowTest
{
    Q_OBJECT

public:
    TestUndo() : WindowTest(Shown::Active) {}

private slots:
    void init()
    {
        QVERIFY(openWindow());
        // A small combat typed by hand, each field its own step.
        typeInto(field(window(), Field::Name, 1), u"Orc"_s);
        typeInto(field(window(), Field::HitPoints, 1), u"5"_s);
        typeInto(field(window(), Field::Name, 2), u"Goblin"_s);
        typeInto(field(window(), Field::HitPoints, 2), u"3"_s);
    }

    void everyCommandUndoesAndRedoes_data();
    void everyCommandUndoesAndRedoes();
    void keystrokesInOneFieldAreOneStep();
    void ctrlZInsideAFieldUndoesTheWindowsHistory();
    void aHeldSpinRepeatIsOneStep();
    void aTextSetWithoutKeystrokesIsPartOfItsBlow();
    void contextMenuUndoIsTheWindows();
    void typedAndErasedIsNoStep();
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
        typeInto(field(w, Field::HitPoints, 4), u"12"_s);
    } else if (command == u"check") {
        QTest::mouseClick(includeBox(w, 2), Qt::LeftButton);
    } else if (command == u"substract") {
        typeInto(amountBox(w, 1), u"20"_s);
        QTest::mouseClick(substractButton(w, 1), Qt::LeftButton); // 5 - 20: down
        QVERIFY(!field(w, Field::HitPoints, 1)->isEnabled());
    } else if (command == u"spin") {
        QTest::mouseClick(hitPointsSpin(w, 1), Qt::LeftButton, {}, QPoint(hitPointsSpin(w, 1)->width() / 2, 2));
        QCOMPARE(field(w, Field::HitPoints, 1)->text(), u"6"_s);
    } else if (command == u"clear") {
        QTest::mouseClick(clearButton(w, 2), Qt::LeftButton);
    } else if (command == u"new") {
        QTest::keyClick(&w, Qt::Key_N, Qt::ControlModifier);
    } else if (command == u"drop") {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        // Onto a text field, which would otherwise take the path as text.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(field(w, Field::Note, 0), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(field(w, Field::Note, 0), &drop);
        QTRY_COMPARE(field(w, Field::Name, 0)->text(), u"Troll"_s);
        QCOMPARE(field(w, Field::Note, 0)->text(), QString());
    } else if (command == u"note") {
        typeInto(generalNote(w), u"Wolves\u00a0at dusk"_s);
    }
    // Steps done before the command were typing, so the newest step must be the command itself
    // (with the amount typed for Substract, which is part of it).
    const QStringList after = visibleState(w);
    QVERIFY(after != before);
    QCOMPARE(action(w, "mnuUndo")->text().remove(u'&'), undoText);
    QVERIFY(prompts().messages.isEmpty());

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
    const int steps = w.combat().history().count();
    typeInto(field(w, Field::Note, 1), u"Bloodied"_s);
    typeInto(field(w, Field::Note, 2), u"Hides"_s);
    QCOMPARE(w.combat().history().count(), steps + 2);
    field(w, Field::Note, 1)->setFocus(); // back in a field: a new edit, a new step
    QTest::keyClicks(field(w, Field::Note, 1), u"!"_s);
    QCOMPARE(w.combat().history().count(), steps + 3);
}

void TestUndo::ctrlZInsideAFieldUndoesTheWindowsHistory()
{
    MainFrm &w = window();
    typeInto(field(w, Field::Initiative, 1), u"14"_s);
    field(w, Field::Name, 2)->setFocus();
    // The name field has no typing of its own to undo here: the window's newest step goes.
    QTest::keyClick(field(w, Field::Name, 2), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(field(w, Field::Initiative, 1)->text(), QString());
    QCOMPARE(field(w, Field::Name, 2)->text(), u"Goblin"_s);
    QCOMPARE(QApplication::focusWidget(), field(w, Field::Initiative, 1));
    QTest::keyClick(field(w, Field::Initiative, 1), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(field(w, Field::Initiative, 1)->text(), u"14"_s);
}

void TestUndo::aHeldSpinRepeatIsOneStep()
{
    MainFrm &w = window();
    const int steps = w.combat().history().count();
    const QPoint up(armourClassSpin(w, 1)->width() / 2, 2);
    QTest::mousePress(armourClassSpin(w, 1), Qt::LeftButton, {}, up);
    QTRY_COMPARE(field(w, Field::ArmourClass, 1)->text(), u"3"_s); // the first step and two repeats
    QTest::mouseRelease(armourClassSpin(w, 1), Qt::LeftButton, {}, up);
    QCOMPARE(w.combat().history().count(), steps + 1);
    QTest::mouseClick(armourClassSpin(w, 1), Qt::LeftButton, {}, up); // a new click: a new step
    QCOMPARE(w.combat().history().count(), steps + 2);
    action(w, "mnuUndo")->trigger();
    action(w, "mnuUndo")->trigger();
    QCOMPARE(field(w, Field::ArmourClass, 1)->text(), QString());
}

void TestUndo::aTextSetWithoutKeystrokesIsPartOfItsBlow()
{
    MainFrm &w = window();
    // As an assistive tool sets it: no keystroke, no step yet.
    QAccessible::queryAccessibleInterface(amountBox(w, 1))->setText(QAccessible::Value, u"2"_s);
    QCOMPARE(amountBox(w, 1)->text(), u"2"_s);
    QTest::mouseClick(substractButton(w, 1), Qt::LeftButton);
    QCOMPARE(field(w, Field::HitPoints, 1)->text(), u"3"_s);
    QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(field(w, Field::HitPoints, 1)->text(), u"5"_s);
    QCOMPARE(amountBox(w, 1)->text(), QString());
    QVERIFY(!action(w, "mnuUndo")->text().contains(u"amount"_s));
}

void TestUndo::contextMenuUndoIsTheWindows()
{
    MainFrm &w = window();
    typeInto(field(w, Field::Note, 1), u"Bloodied"_s);
    field(w, Field::Name, 2)->setFocus();
    // The name field's own menu: its Undo takes back the window's newest step, the note.
    QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(5, 5), field(w, Field::Name, 2)->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(field(w, Field::Name, 2), &open);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QWidget *menu = QApplication::activePopupWidget();
    QAction *undo = menu->findChild<QAction *>(u"edit-undo"_s);
    QVERIFY(undo && undo->isEnabled());
    undo->trigger();
    menu->close();
    QCOMPARE(field(w, Field::Note, 1)->text(), QString());
    QCOMPARE(field(w, Field::Name, 2)->text(), u"Goblin"_s);
}

void TestUndo::typedAndErasedIsNoStep()
{
    MainFrm &w = window();
    const int steps = w.combat().history().count();
    typeInto(field(w, Field::Name, 5), u"x"_s);
    QTest::keyClick(field(w, Field::Name, 5), Qt::Key_Backspace);
    QCOMPARE(w.combat().history().count(), steps);
    QCOMPARE(action(w, "mnuUndo")->text().remove(u'&'), u"Undo typing in Row 3 HP"_s);
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
