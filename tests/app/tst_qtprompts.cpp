// The real message box and condition dialog, opened and answered by a timer: what the user
// typed is shown as text; a condition's offered name gives way to typing.
#include "app/shell/QtPrompts.h"

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
    void conditionNameIsReplacedByTypingUnderAWholeTitle();
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

void TestQtPrompts::conditionNameIsReplacedByTypingUnderAWholeTitle()
{
    int width = 0;
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, &typist, [&] {
        if (!QApplication::activeModalWidget() || !QApplication::focusWidget())
            return;
        typist.stop();
        width = QApplication::activeModalWidget()->width();
        QTest::keyClicks(QApplication::focusWidget(), u"Held\r"_s);
    });
    typist.start(10);
    const QString title = u"Add Condition to Row 13 (Goblin archer)"_s;
    const auto answer = QtPrompts().askCondition(nullptr, title, {u"Stunned"_s, u"Prone"_s});
    QCOMPARE(answer ? answer->name : QString(), u"Held"_s);
    QFont bold = QApplication::font();
    bold.setBold(true);
    QVERIFY(width > QFontMetrics(bold).horizontalAdvance(title));
}

QTEST_MAIN(TestQtPrompts)
#include "tst_qtprompts.moc"
