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
    const QString title = u"Add Condition to Row 13 (Goblin archer)"_s;
    int width = 0, titleWidth = 0;
    QTimer typist;
    typist.setInterval(10);
    QObject::connect(&typist, &QTimer::timeout, &typist, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || !QApplication::focusWidget())
            return;
        typist.stop();
        width = dialog->width();
        QFont bold = dialog->font();
        bold.setBold(true);
        titleWidth = QFontMetrics(bold).horizontalAdvance(dialog->windowTitle());
        QTest::keyClicks(QApplication::focusWidget(), u"Held"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    typist.start();

    QtPrompts prompts;
    const std::optional<Prompts::Condition> answer = prompts.askCondition(nullptr, title, {u"Stunned"_s, u"Prone"_s});
    QVERIFY(answer);
    QCOMPARE(answer->name, u"Held"_s);
    QVERIFY2(width > titleWidth, qPrintable(u"%1 px for a title of %2 px"_s.arg(width).arg(titleWidth)));
}

QTEST_MAIN(TestQtPrompts)
#include "tst_qtprompts.moc"
