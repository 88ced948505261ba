// Start-up state of the window and the error policy of its handlers.
#include "WindowFixture.h"
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

class TestMainFrm : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<WindowFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void captionCarriesTheVersion();
    void versionText_data();
    void versionText();
    void everyRowStartsEmptyEnabledAndChecked();
    void spinButtonsAreTiedToTheirOwnRow();
    void onlyColumnCaptionsAreBold();
    void savingThrowCaptionsStandOverTheirFields();
    void controlArraysHaveNineteenNamedElements();
    void escapingErrorIsShownAndTheWindowGoesOn();
    void fieldsHoldTextOfAnyLength();
    void everyChangeOfATextReachesTheDocument();

private:
    MainFrm &window() { return *m_fixture->window; }
    std::unique_ptr<WindowFixture> m_fixture;
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
        for (QLineEdit *field : {w.roster().ChrName[r], w.roster().ChrHP[r], w.roster().ChrIni[r], w.roster().ChrAC[r], w.roster().ChrNote[r], w.roster().ChrWill[r],
                                 w.roster().ChrFort[r], w.roster().ChrRex[r], w.roster().ChrAttack[r], w.roster().ChrDamage[r], w.roster().SubsTxt[r]}) {
            QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
            QVERIFY2(field->isEnabled(), qPrintable(field->objectName()));
        }
        QVERIFY(w.roster().ChrChk[r]->isChecked());
        QVERIFY(w.roster().ChrChk[r]->isEnabled());
        QVERIFY(w.roster().cmdClear[r]->isEnabled());
        QVERIFY(w.roster().SubsCmd[r]->isEnabled());
        QVERIFY(w.roster().UpDown1[r]->isEnabled());
        QVERIFY(w.roster().UpDown2[r]->isEnabled());
    }
    QCOMPARE(w.roster().List->model()->rowCount(), 0);
    QVERIFY(w.roster().NotesTxt->toPlainText().isEmpty());
    QVERIFY(w.document().savePath().isEmpty());
}

void TestMainFrm::spinButtonsAreTiedToTheirOwnRow()
{
    MainFrm &w = window();
    for (int r = 0; r < roster::RowCount; ++r) {
        QCOMPARE(w.roster().UpDown1[r]->buddy(), w.roster().ChrHP[r]);
        QCOMPARE(w.roster().UpDown2[r]->buddy(), w.roster().ChrAC[r]);
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
        QCOMPARE(w.roster().Label1[i]->text(), captions[i]);
        QVERIFY2(w.roster().Label1[i]->font().bold(), qPrintable(captions[i]));
    }
    QCOMPARE(w.roster().Label2->text(), QStringLiteral("Other Notes"));
    QCOMPARE(w.roster().Command1->text(), QStringLiteral("Calculate Fighting Order"));
    const QList<QWidget *> plain{w.roster().Label2, w.roster().Command1, w.roster().NotesTxt, w.roster().List, w.roster().ChrName[0], w.roster().ChrHP[18],
                                 w.roster().cmdClear[3], w.roster().SubsCmd[18], w.roster().ChrChk[0]};
    for (QWidget *widget : plain)
        QVERIFY2(!widget->font().bold(), qPrintable(widget->objectName()));
}

void TestMainFrm::savingThrowCaptionsStandOverTheirFields()
{
    // "Fort" stands over ChrWill, "Reflx" over ChrFort and "Will" over ChrRex.
    MainFrm &w = window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto left = [&](QWidget *widget) { return widget->mapTo(&w, QPoint(0, 0)).x(); };
    QCOMPARE(left(w.roster().Label1[6]), left(w.roster().ChrWill[0]));
    QCOMPARE(left(w.roster().Label1[8]), left(w.roster().ChrFort[0]));
    QCOMPARE(left(w.roster().Label1[7]), left(w.roster().ChrRex[0]));
    QVERIFY(left(w.roster().ChrWill[0]) < left(w.roster().ChrFort[0]));
    QVERIFY(left(w.roster().ChrFort[0]) < left(w.roster().ChrRex[0]));
}

void TestMainFrm::controlArraysHaveNineteenNamedElements()
{
    MainFrm &w = window();
    for (int r : {0, 7, 18}) {
        QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("ChrName_%1").arg(r)), w.roster().ChrName[r]);
        QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("SubsCmd_%1").arg(r)), w.roster().SubsCmd[r]);
        QCOMPARE(w.findChild<SpinButton *>(QStringLiteral("UpDown2_%1").arg(r)), w.roster().UpDown2[r]);
        QCOMPARE(w.roster().cmdClear[r]->text(), QStringLiteral("Clear"));
        QCOMPARE(w.roster().SubsCmd[r]->text(), QStringLiteral("Substract"));
    }
    QCOMPARE(w.findChildren<QLineEdit *>(QRegularExpression(QStringLiteral("^ChrHP_\\d+$"))).size(),
             roster::RowCount);
    QCOMPARE(w.findChildren<SpinButton *>().size(), 2 * roster::RowCount);
}

void TestMainFrm::escapingErrorIsShownAndTheWindowGoesOn()
{
    MainFrm &w = window();
    FakePrompts &prompts = *m_fixture->prompts;
    bool after = false;
    w.runHandler([] { throw roster::FieldError::overflow(); });
    w.runHandler([] { throw std::runtime_error("disk on fire"); });
    w.runHandler([&] { after = true; });

    QVERIFY(after);
    QCOMPARE(prompts.messages.size(), 2);
    QCOMPARE(prompts.messages[0].text, QStringLiteral("Overflow"));
    QCOMPARE(prompts.messages[0].title, QStringLiteral("Fraymark"));
    QCOMPARE(prompts.messages[0].icon, Prompts::Icon::Stop);
    QCOMPARE(prompts.messages[1].text, QStringLiteral("disk on fire"));
}

void TestMainFrm::fieldsHoldTextOfAnyLength()
{
    // A line edit cuts at 32767 characters unless told otherwise; a loaded note must not be cut.
    MainFrm &w = window();
    const QString note(40000, u'x');
    m_fixture->document.setFieldText(3, roster::Field::Note, note);
    QCOMPARE(w.roster().ChrNote[3]->text(), note);
    QCOMPARE(w.document().row(3).note, note); // not cut on its way back

    // A paste past what a field can edit is refused whole, and the window says so.
    w.roster().ChrAttack[5]->insert(QString(40000, u'y'));
    QCOMPARE(w.document().row(5).attack, QString());
    QCOMPARE(m_fixture->prompts->messages.size(), 1);
}

void TestMainFrm::everyChangeOfATextReachesTheDocument()
{
    MainFrm &w = window();
    RosterView &v = w.roster();
    v.ChrName[0]->insert(QStringLiteral("Orc")); // a paste
    QAccessible::queryAccessibleInterface(v.ChrNote[1])->editableTextInterface()->insertText(0, QStringLiteral("tired"));
    v.SubsTxt[2]->insert(QStringLiteral("4"));
    v.NotesTxt->insertPlainText(QStringLiteral("Dusk"));
    v.ChrChk[3]->setChecked(false);
    const CombatDocument &d = w.document();
    QCOMPARE(d.row(0).name, QStringLiteral("Orc"));
    QCOMPARE(d.row(1).note, QStringLiteral("tired"));
    QCOMPARE(d.row(2).amount, QStringLiteral("4"));
    QCOMPARE(d.roster().generalNote, QStringLiteral("Dusk"));
    QCOMPARE(d.row(3).check, 0);

    // Undone, each shows what the document holds again, and showing it is no edit.
    const int steps = d.history().count();
    w.mnuUndo->trigger();
    QCOMPARE(v.ChrChk[3]->isChecked(), true);
    QCOMPARE(d.history().count(), steps);
    QVERIFY(w.mnuRedo->isEnabled());
}

QTEST_MAIN(TestMainFrm)
#include "tst_mainfrm.moc"
