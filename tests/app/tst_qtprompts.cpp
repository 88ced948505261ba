// The real message box, opened and answered by a timer: what the user typed is shown as text.
#include "app/dialogs/QtPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestQtPrompts : public QObject
{
    Q_OBJECT

private slots:
    void messagesShowMarkupAsText();
    void escChoosesTheLastChoice();
    void aClosedBoxGivesTheKeysBackToItsWindow();
};

void TestQtPrompts::messagesShowMarkupAsText()
{
    const QString typed = u"Row 5 (<b>Goblin</b>): the initiative \"<font size=7>1e999</font>\" is out of range."_s;
    QString shownText;
    Qt::TextFormat shownFormat = Qt::AutoText;
    QString shownTitle;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        shownText = box->text();
        shownFormat = box->textFormat();
        shownTitle = box->windowTitle();
        box->accept();
    });
    closer.start();

    QtPrompts prompts;
    prompts.message(nullptr, typed, u"Unknown Error. Contact Vesmar:\r\nRow 5"_s, Prompts::Icon::Stop);

    QCOMPARE(shownText, typed);
    QCOMPARE(shownFormat, Qt::PlainText);
    QCOMPARE(shownTitle, u"Unknown Error. Contact Vesmar: Row 5"_s);
}

void TestQtPrompts::escChoosesTheLastChoice()
{
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, &closer, [] {
        if (QWidget *box = QApplication::activeModalWidget())
            QTest::keyClick(box, Qt::Key_Escape);
    });
    closer.start();
    QtPrompts prompts;
    QCOMPARE(prompts.choose(nullptr, u"Save first?"_s, u"Fraymark"_s, {u"&Save"_s, u"E&xit"_s, u"Cancel"_s}), 2);
}

// Some window managers hand the keys to whichever window of the program comes next, such as
// the players' window, when a box closes.
void TestQtPrompts::aClosedBoxGivesTheKeysBackToItsWindow()
{
    QWidget main, players;
    main.show();
    players.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main) && QTest::qWaitForWindowExposed(&players));
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, &closer, [&players] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            box->accept();
            players.activateWindow(); // as such a window manager does
        }
    });
    closer.start();
    QtPrompts().message(&main, u"Saved."_s, u"Fraymark"_s, Prompts::Icon::Information);
    QTRY_COMPARE(QApplication::activeWindow(), &main);
}

QTEST_MAIN(TestQtPrompts)
#include "tst_qtprompts.moc"
