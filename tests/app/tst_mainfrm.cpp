// Start-up state of the window and the error policy of its handlers.
#include "CommandChecks.h"
#include "WindowTest.h"
#include "app/widgets/SpinButton.h"
#include "app/shell/StartUp.h"
#include "roster/FieldError.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

#include <stdexcept>

using roster::Field;

class TestMainFrm : public WindowTest
{
    Q_OBJECT

public:
    TestMainFrm() : WindowTest(Shown::No) {}

private slots:
    void captionCarriesTheVersion();
    void versionText_data();
    void versionText();
    void everyRowStartsEmptyEnabledAndChecked();
    void spinButtonsAreTiedToTheirOwnRow();
    void onlyColumnCaptionsAreBold();
    void savingThrowCaptionsStandOverTheirFields();
    void controlArraysHaveNineteenNamedElements();
    void aRefusalIsShownAfterItsNotices();
    void fieldsHoldTextOfAnyLength();
    void everyChangeOfATextReachesTheDocument();
};

void TestMainFrm::captionCarriesTheVersion()
{
    QCOMPARE(window().windowTitle(), QStringLiteral("Fraymark v1.9 - By Vesmar"));
    QCOMPARE(window().VerTxt, QStringLiteral("v1.9"));
}

void TestMainFrm::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1.9") << 1 << 9 << QStringLiteral("Fraymark v1.9 - By Vesmar");
    QTest::newRow("2.10") << 2 << 10 << QStringLiteral("Fraymark v2.10 - By Vesmar");
    QTest::newRow("0.0") << 0 << 0 << QStringLiteral("Fraymark v0.0 - By Vesmar");
}

void TestMainFrm::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QString, caption);
    QCOMPARE(windowCaption(::versionText(qint16(major), qint16(minor))), caption);
}

void TestMainFrm::everyRowStartsEmptyEnabledAndChecked()
{
    MainFrm &w = window();
    for (int r = 0; r < roster::RowCount; ++r) {
        for (QLineEdit *edit : {field(w, Field::Name, r), field(w, Field::HitPoints, r), field(w, Field::Initiative, r),
                                field(w, Field::ArmourClass, r), field(w, Field::Note, r), field(w, Field::Fort, r),
                                field(w, Field::Reflex, r), field(w, Field::Will, r), field(w, Field::Attack, r),
                                field(w, Field::Damage, r), amountBox(w, r)}) {
            QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
            QVERIFY2(edit->isEnabled(), qPrintable(edit->objectName()));
        }
        QVERIFY(includeBox(w, r)->isChecked());
        QVERIFY(includeBox(w, r)->isEnabled());
        QVERIFY(clearButton(w, r)->isEnabled());
        QVERIFY(substractButton(w, r)->isEnabled());
        QVERIFY(hitPointsSpin(w, r)->isEnabled());
        QVERIFY(armourClassSpin(w, r)->isEnabled());
    }
    QCOMPARE(orderList(w)->model()->rowCount(), 0);
    QVERIFY(generalNote(w)->toPlainText().isEmpty());
    QVERIFY(w.combat().savePath().isEmpty());
}

void TestMainFrm::spinButtonsAreTiedToTheirOwnRow()
{
    MainFrm &w = window();
    for (int r = 0; r < roster::RowCount; ++r) {
        QCOMPARE(hitPointsSpin(w, r)->buddy(), field(w, Field::HitPoints, r));
        QCOMPARE(armourClassSpin(w, r)->buddy(), field(w, Field::ArmourClass, r));
    }
}

void TestMainFrm::onlyColumnCaptionsAreBold()
{
    MainFrm &w = window();
    const QStringList captions{QStringLiteral("Name"), QStringLiteral("HP"), QStringLiteral("AC"),
                               QStringLiteral("Random Note"), QStringLiteral("Attack"),
                               QStringLiteral("Current Initiative"), QStringLiteral("Fort"),
                               QStringLiteral("Will"), QStringLiteral("Reflx"), QStringLiteral("Damage")};
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(columnCaption(w, i)->text(), captions[i]);
        QVERIFY2(columnCaption(w, i)->font().bold(), qPrintable(captions[i]));
    }
    QCOMPARE(noteCaption(w)->text(), QStringLiteral("Other Notes"));
    QCOMPARE(calculateButton(w)->text(), QStringLiteral("Calculate Fighting Order"));
    const QList<QWidget *> plain{noteCaption(w), calculateButton(w), generalNote(w), orderList(w),
                                 field(w, Field::Name, 0), field(w, Field::HitPoints, 18), clearButton(w, 3),
                                 substractButton(w, 18), includeBox(w, 0)};
    for (QWidget *widget : plain)
        QVERIFY2(!widget->font().bold(), qPrintable(widget->objectName()));
}

void TestMainFrm::savingThrowCaptionsStandOverTheirFields()
{
    // "Fort" stands over ChrWill, "Reflx" over ChrFort and "Will" over ChrRex.
    MainFrm &w = window();
    QVERIFY(fixture().show(Shown::Exposed));
    const auto left = [&](QWidget *widget) { return widget->mapTo(&w, QPoint(0, 0)).x(); };
    QCOMPARE(left(columnCaption(w, 6)), left(field(w, Field::Fort, 0)));
    QCOMPARE(left(columnCaption(w, 8)), left(field(w, Field::Reflex, 0)));
    QCOMPARE(left(columnCaption(w, 7)), left(field(w, Field::Will, 0)));
    QVERIFY(left(field(w, Field::Fort, 0)) < left(field(w, Field::Reflex, 0)));
    QVERIFY(left(field(w, Field::Reflex, 0)) < left(field(w, Field::Will, 0)));
}

void TestMainFrm::controlArraysHaveNineteenNamedElements()
{
    MainFrm &w = window();
    for (int r : {0, 7, 18}) {
        // One control of each name, of its kind.
        QCOMPARE(w.findChildren<QLineEdit *>(QStringLiteral("ChrName_%1").arg(r)).size(), 1);
        QCOMPARE(w.findChildren<QPushButton *>(QStringLiteral("SubsCmd_%1").arg(r)).size(), 1);
        QCOMPARE(w.findChildren<SpinButton *>(QStringLiteral("UpDown2_%1").arg(r)).size(), 1);
        QCOMPARE(clearButton(w, r)->text(), QStringLiteral("Clear"));
        QCOMPARE(substractButton(w, r)->text(), QStringLiteral("Substract"));
    }
    QCOMPARE(w.findChildren<QLineEdit *>(QRegularExpression(QStringLiteral("^ChrHP_\\d+$"))).size(),
             roster::RowCount);
    QCOMPARE(w.findChildren<SpinButton *>().size(), 2 * roster::RowCount);
}

void TestMainFrm::aRefusalIsShownAfterItsNotices()
{
    CommandReporter reporter(prompts(), &window());
    QVERIFY(reporter.report(CommandResult::done()));
    QVERIFY(!reporter.report(CommandResult::refused(QStringLiteral("Overflow"))
                                 .notice(QStringLiteral("The file ends early."), QStringLiteral("Cut"))));

    QCOMPARE(prompts().messages.size(), 2);
    QCOMPARE(prompts().messages[0].text, QStringLiteral("The file ends early."));
    QCOMPARE(prompts().messages[0].title, QStringLiteral("Cut"));
    QCOMPARE(prompts().messages[0].icon, Prompts::Icon::Warning);
    QCOMPARE(prompts().messages[1].text, QStringLiteral("Overflow"));
    QCOMPARE(prompts().messages[1].title, QStringLiteral("Fraymark"));
    QCOMPARE(prompts().messages[1].icon, Prompts::Icon::Stop);
}

void TestMainFrm::fieldsHoldTextOfAnyLength()
{
    // A line edit cuts at 32767 characters unless told otherwise; a loaded note must not be cut.
    MainFrm &w = window();
    const QString note(40000, u'x');
    QVERIFY_DONE(fixture().document.setFieldText(3, roster::Field::Note, note));
    QCOMPARE(field(w, Field::Note, 3)->text(), note);
    QCOMPARE(w.combat().row(3).note, note); // not cut on its way back

    // A paste past what a field can edit is refused whole, and the window says so.
    field(w, Field::Attack, 5)->insert(QString(40000, u'y'));
    QCOMPARE(w.combat().row(5).attack, QString());
    QCOMPARE(prompts().messages.size(), 1);
}

void TestMainFrm::everyChangeOfATextReachesTheDocument()
{
    MainFrm &w = window();
    field(w, Field::Name, 0)->insert(QStringLiteral("Orc")); // a paste
    QAccessible::queryAccessibleInterface(field(w, Field::Note, 1))->editableTextInterface()->insertText(0, QStringLiteral("tired"));
    amountBox(w, 2)->insert(QStringLiteral("4"));
    generalNote(w)->insertPlainText(QStringLiteral("Dusk"));
    includeBox(w, 3)->setChecked(false);
    const CombatDocument &d = w.combat();
    QCOMPARE(d.row(0).name, QStringLiteral("Orc"));
    QCOMPARE(d.row(1).note, QStringLiteral("tired"));
    QCOMPARE(d.row(2).amount, QStringLiteral("4"));
    QCOMPARE(d.roster().generalNote, QStringLiteral("Dusk"));
    QCOMPARE(d.row(3).check, 0);

    // Undone, each shows what the document holds again, and showing it is no edit.
    const int steps = d.history().count();
    action(w, "mnuUndo")->trigger();
    QCOMPARE(includeBox(w, 3)->isChecked(), true);
    QCOMPARE(d.history().count(), steps);
    QVERIFY(action(w, "mnuRedo")->isEnabled());
}

QTEST_MAIN(TestMainFrm)
#include "tst_mainfrm.moc"
