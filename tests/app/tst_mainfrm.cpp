// Start-up state of the window and the error policy of its handlers.
#include "WindowFixture.h"
#include "app/SpinButton.h"
#include "app/StartUp.h"
#include "roster/FieldError.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
    void downIsTheRowsOwnState();

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
        for (QLineEdit *field : {w.ChrName[r], w.ChrHP[r], w.ChrIni[r], w.ChrAC[r], w.ChrNote[r], w.ChrWill[r],
                                 w.ChrFort[r], w.ChrRex[r], w.ChrAttack[r], w.ChrDamage[r], w.SubsTxt[r]}) {
            QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
            QVERIFY2(field->isEnabled(), qPrintable(field->objectName()));
        }
        QVERIFY(w.ChrChk[r]->isChecked());
        QVERIFY(w.ChrChk[r]->isEnabled());
        QVERIFY(w.cmdClear[r]->isEnabled());
        QVERIFY(w.SubsCmd[r]->isEnabled());
        QVERIFY(w.UpDown1[r]->isEnabled());
        QVERIFY(w.UpDown2[r]->isEnabled());
    }
    QCOMPARE(w.List->count(), 0);
    QVERIFY(w.NotesTxt->toPlainText().isEmpty());
    QVERIFY(w.document().savePath().isEmpty());
}

void TestMainFrm::spinButtonsAreTiedToTheirOwnRow()
{
    MainFrm &w = window();
    for (int r = 0; r < roster::RowCount; ++r) {
        QCOMPARE(w.UpDown1[r]->buddy(), w.ChrHP[r]);
        QCOMPARE(w.UpDown2[r]->buddy(), w.ChrAC[r]);
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
        QCOMPARE(w.Label1[i]->text(), captions[i]);
        QVERIFY2(w.Label1[i]->font().bold(), qPrintable(captions[i]));
    }
    QCOMPARE(w.Label2->text(), QStringLiteral("Other Notes"));
    QCOMPARE(w.Command1->text(), QStringLiteral("Calculate Fighting Order"));
    const QList<QWidget *> plain{w.Label2, w.Command1, w.NotesTxt, w.List, w.ChrName[0], w.ChrHP[18],
                                 w.cmdClear[3], w.SubsCmd[18], w.ChrChk[0]};
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
    QCOMPARE(left(w.Label1[6]), left(w.ChrWill[0]));
    QCOMPARE(left(w.Label1[8]), left(w.ChrFort[0]));
    QCOMPARE(left(w.Label1[7]), left(w.ChrRex[0]));
    QVERIFY(left(w.ChrWill[0]) < left(w.ChrFort[0]));
    QVERIFY(left(w.ChrFort[0]) < left(w.ChrRex[0]));
}

void TestMainFrm::controlArraysHaveNineteenNamedElements()
{
    MainFrm &w = window();
    for (int r : {0, 7, 18}) {
        QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("ChrName_%1").arg(r)), w.ChrName[r]);
        QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("SubsCmd_%1").arg(r)), w.SubsCmd[r]);
        QCOMPARE(w.findChild<SpinButton *>(QStringLiteral("UpDown2_%1").arg(r)), w.UpDown2[r]);
        QCOMPARE(w.cmdClear[r]->text(), QStringLiteral("Clear"));
        QCOMPARE(w.SubsCmd[r]->text(), QStringLiteral("Substract"));
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
    roster::Roster roster = w.readRoster();
    roster.rows[3].note = QString(40000, u'x');
    roster.rows[3].name = QStringLiteral("Orc");
    w.writeRoster(roster);
    QCOMPARE(w.readRoster(), roster);

    // A paste past what a field can edit is refused whole, and the window says so.
    w.ChrAttack[5]->insert(QString(40000, u'y'));
    QCOMPARE(w.readRow(5).attack, QString());
    QCOMPARE(m_fixture->prompts->messages.size(), 1);
}

void TestMainFrm::downIsTheRowsOwnState()
{
    MainFrm &w = window();
    w.ChrHP[2]->setText(QStringLiteral("-15"));
    w.UpDown1_Change(2);
    // A disabled page around the rows (as while a modal moment lasts) is no down row.
    w.RosterArea->widget()->setEnabled(false);
    QVERIFY(w.readRow(2).down);
    QVERIFY(!w.readRow(3).down);
}

QTEST_MAIN(TestMainFrm)
#include "tst_mainfrm.moc"
