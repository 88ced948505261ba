// Huge texts in the row fields and the general note: every character set comes back,
// and an edit past the bounds is refused whole, with a message.
#include "app/widgets/FieldEdit.h"
#include "app/widgets/LongText.h"
#include "app/widgets/NoteEdit.h"

#include <QClipboard>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
QString lines(qsizetype length, qsizetype lineLength)
{
    QString text(length, u'x');
    for (qsizetype i = lineLength; i < length; i += lineLength + 1)
        text[i] = u'\n';
    return text;
}
} // namespace

class TestLongText : public QObject
{
    Q_OBJECT

private slots:
    void everyCharacterComesBack_data();
    void everyCharacterComesBack();
    void aPastePastTheBoundIsRefusedWhole_data();
    void aPastePastTheBoundIsRefusedWhole();
};

void TestLongText::everyCharacterComesBack_data()
{
    QTest::addColumn<bool>("note");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("inPart");

    const QString emoji = u"\U0001F409"_s; // a surrogate pair astride the part shown
    QTest::newRow("field, short") << false << u"Goblin\u00a0shaman"_s << false;
    QTest::newRow("field, at the bound") << false << QString(FieldEdit::EditableLength, u'7') << false;
    QTest::newRow("field, one past") << false << QString(FieldEdit::EditableLength + 1, u'7') << true;
    QTest::newRow("field, 16 MiB, pair at the cut")
        << false << QString(FieldEdit::ShownLength - 1, u'a') + emoji + QString(16 << 20, u'b') << true;
    QTest::newRow("note, separators") << true << u"Wolves\u00a0at\u2028dusk\u2029ford\r\nbridge\rend"_s << false;
    QTest::newRow("note, at the bounds") << true << lines(NoteEdit::EditableLength, NoteEdit::EditableLineLength) << false;
    QTest::newRow("note, a line one past") << true << QString(NoteEdit::EditableLineLength + 1, u'x') << true;
    QTest::newRow("note, 16 MiB of lines, pair at the cut")
        << true << QString(NoteEdit::ShownLength - 1, u'a') + emoji + lines(16 << 20, 80) << true;
}

void TestLongText::everyCharacterComesBack()
{
    QFETCH(bool, note);
    QFETCH(QString, text);
    QFETCH(bool, inPart);

    if (note) {
        NoteEdit edit;
        edit.setPlainText(text);
        QCOMPARE(edit.text(), text);
        QCOMPARE(edit.isShownInPart(), inPart);
        QCOMPARE(edit.isReadOnly(), inPart);
        QCOMPARE(edit.notice().contains(longtext::count(text.size())), inPart);
        QVERIFY(edit.document()->characterCount() <= NoteEdit::EditableLength + 1);
        // Copying all of a note shown in part copies the whole note.
        if (inPart) {
            edit.selectAll();
            edit.copy();
            QCOMPARE(QGuiApplication::clipboard()->text(), text);
        }
        edit.setPlainText(u"Ambush"_s);
        QCOMPARE(edit.text(), u"Ambush"_s);
        QVERIFY(!edit.isReadOnly());
    } else {
        FieldEdit edit;
        edit.setText(text);
        QCOMPARE(edit.text(), text);
        QCOMPARE(edit.isShownInPart(), inPart);
        QCOMPARE(edit.isReadOnly(), inPart);
        QCOMPARE(edit.toolTip().contains(longtext::count(text.size())), inPart);
        QVERIFY(edit.QLineEdit::text().size() <= FieldEdit::EditableLength);
        edit.selectAll();
        QTest::keySequence(&edit, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
        // A spin button writes through the line edit's own setText(): that is the text now.
        edit.QLineEdit::setText(u"12"_s);
        QCOMPARE(edit.text(), u"12"_s);
        QVERIFY(!edit.isReadOnly());
    }
}

void TestLongText::aPastePastTheBoundIsRefusedWhole_data()
{
    QTest::addColumn<bool>("note");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<bool>("refused");

    const QString fieldFull(FieldEdit::EditableLength - 2, u'x');
    QTest::newRow("field, fits") << false << fieldFull << u"ab"_s << false;
    QTest::newRow("field, one too many") << false << fieldFull << u"abc"_s << true;
    QTest::newRow("field, 10 MiB") << false << u"Orc"_s << QString(10 << 20, u'y') << true;
    const QString noteFull = lines(NoteEdit::EditableLength - 3, 80);
    QTest::newRow("note, fits") << true << noteFull << u"a\nb"_s << false;
    QTest::newRow("note, one too many") << true << noteFull << u"a\nbc"_s << true;
    QTest::newRow("note, line too long") << true << u"Ford"_s << QString(NoteEdit::EditableLineLength, u'y') << true;
    QTest::newRow("note, 16 MiB of lines") << true << u"Ford"_s << lines(16 << 20, 80) << true;
}

void TestLongText::aPastePastTheBoundIsRefusedWhole()
{
    QFETCH(bool, note);
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(bool, refused);

    std::unique_ptr<QWidget> edit;
    std::function<QString()> text;
    if (note) {
        auto *noteEdit = new NoteEdit;
        noteEdit->setPlainText(before);
        noteEdit->moveCursor(QTextCursor::End);
        text = [noteEdit] { return noteEdit->text(); };
        edit.reset(noteEdit);
    } else {
        auto *field = new FieldEdit;
        field->setText(before);
        text = [field] { return field->text(); };
        edit.reset(field);
    }
    edit->setAccessibleName(u"Row 3 Name"_s);
    QSignalSpy refusals(edit.get(), SIGNAL(inputRefused(QString)));
    QGuiApplication::clipboard()->setText(pasted);
    QTest::keySequence(edit.get(), QKeySequence::Paste);

    QCOMPARE(text(), refused ? before : before + pasted);
    QCOMPARE(refusals.size(), refused ? 1 : 0);
    if (refused) {
        const QString message = refusals.first().first().toString();
        const qsizetype bound = note ? NoteEdit::EditableLength : FieldEdit::EditableLength;
        QVERIFY2(message.startsWith(u"Row 3 Name holds at most "_s + longtext::count(bound)), qPrintable(message));
        QVERIFY2(message.contains(u"Nothing was put in"_s), qPrintable(message));
    }
}

QTEST_MAIN(TestLongText)
#include "tst_longtext.moc"
