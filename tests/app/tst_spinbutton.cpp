// The spin buttons beside each row's HP and AC fields, driven by mouse, wheel, keyboard and screen reader.
#include "WindowTest.h"
#include "app/widgets/SpinButton.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Field;

namespace {
void clickArrow(SpinButton *spin, int direction)
{
    const QPoint arrow(spin->width() / 2, direction > 0 ? spin->height() / 4 : spin->height() * 3 / 4);
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, arrow);
}

void wheel(SpinButton *spin, int delta)
{
    const QPointF centre(spin->width() / 2.0, spin->height() / 2.0);
    QWheelEvent event(centre, spin->mapToGlobal(centre), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(spin, &event);
}

void autoRepeatKey(QWidget *widget, Qt::Key key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(widget, &event);
}

enum class Input { BuddyUp, BuddyDigit, WheelUp, WheelTwoNotches, WheelThirds, WheelDisabled };

QStringList rowTexts(MainFrm &w, int r)
{
    return {field(w, Field::Name, r)->text(), field(w, Field::HitPoints, r)->text(),
            field(w, Field::Initiative, r)->text(), field(w, Field::ArmourClass, r)->text(),
            field(w, Field::Note, r)->text(), amountBox(w, r)->text()};
}
} // namespace

class TestSpinButton : public WindowTest
{
    Q_OBJECT

public:
    TestSpinButton() : WindowTest(Shown::Exposed) {}

private slots:
    void clicksStepOnlyTheirOwnRow_data();
    void clicksStepOnlyTheirOwnRow();
    void stepsStopAtTheBounds_data();
    void stepsStopAtTheBounds();
    void upAndDownKeysStepAFocusedButton();
    void acSpinChangesNoState();
    void unreadableNumberIsReportedAndNothingChanges();
    void otherInputsStepTheField_data();
    void otherInputsStepTheField();
    void screenReadersSeeASpinBox();
    void continuedStepsAreMarkedRepeating();
    void unreadableNumberEndsAHeldKey();
};

void TestSpinButton::clicksStepOnlyTheirOwnRow_data()
{
    QTest::addColumn<int>("row");
    for (int r : {0, 1, 9, 18})
        QTest::addRow("row %d", r) << r;
}

void TestSpinButton::clicksStepOnlyTheirOwnRow()
{
    QFETCH(int, row);
    MainFrm &w = window();
    for (int r = 0; r < roster::RowCount; ++r) {
        field(w, Field::HitPoints, r)->setText(QStringLiteral("12"));
        field(w, Field::ArmourClass, r)->setText(QStringLiteral("15"));
    }
    clickArrow(hitPointsSpin(w, row), +1);
    clickArrow(hitPointsSpin(w, row), +1);
    clickArrow(armourClassSpin(w, row), -1);

    for (int r = 0; r < roster::RowCount; ++r) {
        QCOMPARE(field(w, Field::HitPoints, r)->text(), r == row ? QStringLiteral("14") : QStringLiteral("12"));
        QCOMPARE(field(w, Field::ArmourClass, r)->text(), r == row ? QStringLiteral("14") : QStringLiteral("15"));
    }
}

void TestSpinButton::stepsStopAtTheBounds_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QStringList>("seen"); // the field after each of three clicks
    QTest::newRow("down to -10") << u"-8"_s << -1 << QStringList{u"-9"_s, u"-10"_s, u"-10"_s};
    QTest::newRow("up to 5000") << u"4998"_s << +1 << QStringList{u"4999"_s, u"5000"_s, u"5000"_s};
    QTest::newRow("empty reads as 0") << u""_s << +1 << QStringList{u"1"_s, u"2"_s, u"3"_s};
    QTest::newRow("text after the number") << u"12abc"_s << -1 << QStringList{u"11"_s, u"10"_s, u"9"_s};
}

void TestSpinButton::stepsStopAtTheBounds()
{
    QFETCH(QString, start);
    QFETCH(int, direction);
    QFETCH(QStringList, seen);
    MainFrm &w = window();
    for (SpinButton *spin : {hitPointsSpin(w, 3), armourClassSpin(w, 3)}) {
        spin->buddy()->setText(start);
        for (const QString &expected : seen) {
            clickArrow(spin, direction);
            QCOMPARE(spin->buddy()->text(), expected);
        }
    }
}

void TestSpinButton::upAndDownKeysStepAFocusedButton()
{
    MainFrm &w = window();
    field(w, Field::ArmourClass, 5)->setText(QStringLiteral("10"));
    armourClassSpin(w, 5)->setFocus();
    QTRY_VERIFY(armourClassSpin(w, 5)->hasFocus());
    QTest::keyClick(armourClassSpin(w, 5), Qt::Key_Up);
    QTest::keyClick(armourClassSpin(w, 5), Qt::Key_Up);
    QTest::keyClick(armourClassSpin(w, 5), Qt::Key_Down);
    QTest::keyClick(armourClassSpin(w, 5), Qt::Key_Up);
    QCOMPARE(field(w, Field::ArmourClass, 5)->text(), QStringLiteral("12"));
}

void TestSpinButton::acSpinChangesNoState()
{
    MainFrm &w = window();
    // Stepping AC down to -10 leaves every enabled state and box as it was.
    includeBox(w, 2)->setChecked(false);
    field(w, Field::ArmourClass, 2)->setText(QStringLiteral("-9"));
    clickArrow(armourClassSpin(w, 2), -1);
    clickArrow(armourClassSpin(w, 2), -1);
    QCOMPARE(field(w, Field::ArmourClass, 2)->text(), QStringLiteral("-10"));
    QVERIFY(!includeBox(w, 2)->isChecked());
    for (const Field f : {Field::Name, Field::HitPoints, Field::ArmourClass, Field::Note, Field::Initiative})
        QVERIFY(field(w, f, 2)->isEnabled());
}

void TestSpinButton::unreadableNumberIsReportedAndNothingChanges()
{
    MainFrm &w = window();
    field(w, Field::HitPoints, 4)->setText(QStringLiteral("1e999"));
    field(w, Field::Name, 4)->setText(QStringLiteral("Orc"));
    includeBox(w, 4)->setChecked(false);
    const QStringList before = rowTexts(w, 4);

    clickArrow(hitPointsSpin(w, 4), +1);

    QCOMPARE(rowTexts(w, 4), before);
    QVERIFY(!includeBox(w, 4)->isChecked());
    QCOMPARE(prompts().messages.size(), 1);
    QCOMPARE(prompts().messages[0].text, QStringLiteral("Row 5 (Orc): the hit points \"1e999\" are out of range."));
    QCOMPARE(prompts().messages[0].title, QStringLiteral("Fraymark"));
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Stop);
}

void TestSpinButton::otherInputsStepTheField_data()
{
    QTest::addColumn<Input>("input");
    QTest::addColumn<QString>("after"); // the field starts at 7
    QTest::newRow("Up in the field") << Input::BuddyUp << u"8"_s;
    QTest::newRow("a digit in the field is typed") << Input::BuddyDigit << u"75"_s;
    QTest::newRow("wheel up a notch") << Input::WheelUp << u"8"_s;
    QTest::newRow("wheel two notches at once") << Input::WheelTwoNotches << u"9"_s;
    QTest::newRow("wheel three thirds of a notch") << Input::WheelThirds << u"8"_s;
    QTest::newRow("wheel while disabled") << Input::WheelDisabled << u"7"_s;
}

void TestSpinButton::otherInputsStepTheField()
{
    QFETCH(Input, input);
    QFETCH(QString, after);
    MainFrm &w = window();
    SpinButton *spin = armourClassSpin(w, 3);
    QLineEdit *ac = field(w, Field::ArmourClass, 3);
    ac->setText(u"7"_s);
    ac->setFocus();
    QTRY_VERIFY(ac->hasFocus());

    switch (input) {
    case Input::BuddyUp: QTest::keyClick(ac, Qt::Key_Up); break;
    case Input::BuddyDigit: QTest::keyClick(ac, Qt::Key_5); break;
    case Input::WheelUp: wheel(spin, 120); break;
    case Input::WheelTwoNotches: wheel(spin, 240); break;
    case Input::WheelThirds:
        for (int i = 0; i < 3; ++i)
            wheel(spin, 40);
        break;
    case Input::WheelDisabled:
        spin->setEnabled(false);
        wheel(spin, 120);
        break;
    }
    QCOMPARE(ac->text(), after);
}

void TestSpinButton::screenReadersSeeASpinBox()
{
    MainFrm &w = window();
    field(w, Field::HitPoints, 0)->setText(u"-9"_s);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(hitPointsSpin(w, 0));
    QVERIFY(face);
    QCOMPARE(face->role(), QAccessible::SpinBox);
    QCOMPARE(face->text(QAccessible::Name), u"Row 1 HP up/down"_s);
    QCOMPARE(face->text(QAccessible::Value), u"-9"_s);
    const QStringList actions = face->actionInterface()->actionNames();
    QVERIFY(actions.contains(QAccessibleActionInterface::increaseAction()));
    QVERIFY(actions.contains(QAccessibleActionInterface::decreaseAction()));

    // Steps asked for by the reader run the down-row rule as clicks do.
    face->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    QCOMPARE(face->text(QAccessible::Value), u"-10"_s);
    QVERIFY(!field(w, Field::HitPoints, 0)->isEnabled());
    face->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    QCOMPARE(field(w, Field::HitPoints, 0)->text(), u"-9"_s);
    QVERIFY(field(w, Field::HitPoints, 0)->isEnabled());
}

void TestSpinButton::continuedStepsAreMarkedRepeating()
{
    MainFrm &w = window();
    SpinButton *spin = armourClassSpin(w, 6);
    field(w, Field::ArmourClass, 6)->setText(u"10"_s);
    QList<bool> repeating;
    connect(spin, &SpinButton::stepRequested, this, [&] { repeating.append(spin->isRepeatingStep()); });

    QTest::keyClick(field(w, Field::ArmourClass, 6), Qt::Key_Up);
    autoRepeatKey(field(w, Field::ArmourClass, 6), Qt::Key_Up);
    autoRepeatKey(spin, Qt::Key_Down);
    wheel(spin, 240);
    QCOMPARE(repeating, (QList<bool>{false, true, true, false, true}));
    QCOMPARE(field(w, Field::ArmourClass, 6)->text(), u"13"_s);
    QVERIFY(!spin->isRepeatingStep()); // a held click's repeat: see the undo history's tests
}

void TestSpinButton::unreadableNumberEndsAHeldKey()
{
    MainFrm &w = window();
    FieldEdit *hp = field(w, Field::HitPoints, 4);
    hp->setText(u"1e999"_s);
    QTest::keyClick(hp, Qt::Key_Up);
    autoRepeatKey(hp, Qt::Key_Up);
    QCOMPARE(prompts().messages.size(), 1); // one box, not one per repeat

    // A new press tries again.
    hp->setText(u"4"_s);
    QTest::keyClick(hp, Qt::Key_Up);
    autoRepeatKey(hp, Qt::Key_Up);
    QCOMPARE(hp->text(), u"6"_s);
}

QTEST_MAIN(TestSpinButton)
#include "tst_spinbutton.moc"
