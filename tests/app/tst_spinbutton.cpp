// The spin buttons beside each row's HP and AC fields, driven by mouse, wheel, keyboard and screen reader.
#include "WindowFixture.h"
#include "app/widgets/SpinButton.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

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
    return {w.roster().ChrName[r]->text(), w.roster().ChrHP[r]->text(), w.roster().ChrIni[r]->text(), w.roster().ChrAC[r]->text(),
            w.roster().ChrNote[r]->text(), w.roster().SubsTxt[r]->text()};
}
} // namespace

class TestSpinButton : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<WindowFixture>();
        m_fixture->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fixture->window.get()));
    }
    void cleanup() { m_fixture.reset(); }

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

private:
    MainFrm &window() { return *m_fixture->window; }
    std::unique_ptr<WindowFixture> m_fixture;
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
        w.roster().ChrHP[r]->setText(QStringLiteral("12"));
        w.roster().ChrAC[r]->setText(QStringLiteral("15"));
    }
    clickArrow(w.roster().UpDown1[row], +1);
    clickArrow(w.roster().UpDown1[row], +1);
    clickArrow(w.roster().UpDown2[row], -1);

    for (int r = 0; r < roster::RowCount; ++r) {
        QCOMPARE(w.roster().ChrHP[r]->text(), r == row ? QStringLiteral("14") : QStringLiteral("12"));
        QCOMPARE(w.roster().ChrAC[r]->text(), r == row ? QStringLiteral("14") : QStringLiteral("15"));
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
    for (SpinButton *spin : {w.roster().UpDown1[3], w.roster().UpDown2[3]}) {
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
    w.roster().ChrAC[5]->setText(QStringLiteral("10"));
    w.roster().UpDown2[5]->setFocus();
    QTRY_VERIFY(w.roster().UpDown2[5]->hasFocus());
    QTest::keyClick(w.roster().UpDown2[5], Qt::Key_Up);
    QTest::keyClick(w.roster().UpDown2[5], Qt::Key_Up);
    QTest::keyClick(w.roster().UpDown2[5], Qt::Key_Down);
    QTest::keyClick(w.roster().UpDown2[5], Qt::Key_Up);
    QCOMPARE(w.roster().ChrAC[5]->text(), QStringLiteral("12"));
}

void TestSpinButton::acSpinChangesNoState()
{
    MainFrm &w = window();
    // Stepping AC down to -10 leaves every enabled state and box as it was.
    w.roster().ChrChk[2]->setChecked(false);
    w.roster().ChrAC[2]->setText(QStringLiteral("-9"));
    clickArrow(w.roster().UpDown2[2], -1);
    clickArrow(w.roster().UpDown2[2], -1);
    QCOMPARE(w.roster().ChrAC[2]->text(), QStringLiteral("-10"));
    QVERIFY(!w.roster().ChrChk[2]->isChecked());
    for (QLineEdit *field : {w.roster().ChrName[2], w.roster().ChrHP[2], w.roster().ChrAC[2], w.roster().ChrNote[2], w.roster().ChrIni[2]})
        QVERIFY(field->isEnabled());
}

void TestSpinButton::unreadableNumberIsReportedAndNothingChanges()
{
    MainFrm &w = window();
    w.roster().ChrHP[4]->setText(QStringLiteral("1e999"));
    w.roster().ChrName[4]->setText(QStringLiteral("Orc"));
    w.roster().ChrChk[4]->setChecked(false);
    const QStringList before = rowTexts(w, 4);

    clickArrow(w.roster().UpDown1[4], +1);

    QCOMPARE(rowTexts(w, 4), before);
    QVERIFY(!w.roster().ChrChk[4]->isChecked());
    QCOMPARE(m_fixture->prompts->messages.size(), 1);
    QCOMPARE(m_fixture->prompts->messages[0].text, QStringLiteral("Row 5 (Orc): the hit points \"1e999\" are out of range."));
    QCOMPARE(m_fixture->prompts->messages[0].title, QStringLiteral("Fraymark"));
    QCOMPARE(m_fixture->prompts->messages[0].icon, Prompts::Icon::Stop);
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
    SpinButton *spin = w.roster().UpDown2[3];
    QLineEdit *field = w.roster().ChrAC[3];
    field->setText(u"7"_s);
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());

    switch (input) {
    case Input::BuddyUp: QTest::keyClick(field, Qt::Key_Up); break;
    case Input::BuddyDigit: QTest::keyClick(field, Qt::Key_5); break;
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
    QCOMPARE(field->text(), after);
}

void TestSpinButton::screenReadersSeeASpinBox()
{
    MainFrm &w = window();
    w.roster().ChrHP[0]->setText(u"-9"_s);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w.roster().UpDown1[0]);
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
    QVERIFY(!w.roster().ChrHP[0]->isEnabled());
    face->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    QCOMPARE(w.roster().ChrHP[0]->text(), u"-9"_s);
    QVERIFY(w.roster().ChrHP[0]->isEnabled());
}

void TestSpinButton::continuedStepsAreMarkedRepeating()
{
    MainFrm &w = window();
    SpinButton *spin = w.roster().UpDown2[6];
    w.roster().ChrAC[6]->setText(u"10"_s);
    QList<bool> repeating;
    connect(spin, &SpinButton::stepRequested, this, [&] { repeating.append(spin->isRepeatingStep()); });

    QTest::keyClick(w.roster().ChrAC[6], Qt::Key_Up);
    autoRepeatKey(w.roster().ChrAC[6], Qt::Key_Up);
    autoRepeatKey(spin, Qt::Key_Down);
    wheel(spin, 240);
    QCOMPARE(repeating, (QList<bool>{false, true, true, false, true}));
    QCOMPARE(w.roster().ChrAC[6]->text(), u"13"_s);
    QVERIFY(!spin->isRepeatingStep()); // a held click's repeat: see the undo history's tests
}

void TestSpinButton::unreadableNumberEndsAHeldKey()
{
    MainFrm &w = window();
    FieldEdit *field = w.roster().ChrHP[4];
    field->setText(u"1e999"_s);
    QTest::keyClick(field, Qt::Key_Up);
    autoRepeatKey(field, Qt::Key_Up);
    QCOMPARE(m_fixture->prompts->messages.size(), 1); // one box, not one per repeat

    // A new press tries again.
    field->setText(u"4"_s);
    QTest::keyClick(field, Qt::Key_Up);
    autoRepeatKey(field, Qt::Key_Up);
    QCOMPARE(field->text(), u"6"_s);
}

QTEST_MAIN(TestSpinButton)
#include "tst_spinbutton.moc"
