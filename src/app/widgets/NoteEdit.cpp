#include "app/widgets/NoteEdit.h"

#include "app/widgets/EditMenu.h"
#include "app/widgets/LongText.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMetaMethod>
#include <QMimeData>
#include <QTextBlock>

NoteEdit::NoteEdit(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_notice(new QLabel(this))
{
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setWordWrap(true);
    m_notice->setMargin(2);
    m_notice->hide();
    // Connected before anyone else, so a listener of contentsChanged reads the new note.
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (m_setting)
            return;
        m_textRead = false;
        if (m_shownInPart) // replaced through the editor's own calls
            setShownInPart(false, 0);
    });
    connect(document(), &QTextDocument::contentsChange, this, &NoteEdit::contentsEdited);
}

QString NoteEdit::text() const
{
    if (!m_textRead) {
        QString text;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            if (block != document()->begin())
                text += u'\n';
            text += block.text();
        }
        m_text = text;
        m_textRead = true;
    }
    return m_text;
}

void NoteEdit::setPlainText(const QString &text)
{
    const qsizetype longest = longtext::longestLine(text);
    const bool inPart = text.size() > EditableLength || longest > EditableLineLength;
    const QString shown = inPart ? longtext::leadingPart(text, ShownLength) : text;
    m_text = text; // also keeps the characters that the document turns into line breaks
    m_textRead = true;
    m_setting = true;
    wrapFor(inPart ? longtext::longestLine(shown) : longest);
    setShownInPart(inPart, text.size());
    QPlainTextEdit::setPlainText(shown);
    m_setting = false;
}

QString NoteEdit::notice() const
{
    return m_shownInPart ? m_notice->text() : QString();
}

void NoteEdit::setShownInPart(bool inPart, qsizetype length)
{
    m_shownInPart = inPart;
    setReadOnly(inPart);
    if (inPart) {
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        m_notice->setText(QStringLiteral("Only the start of this note is shown, read-only: it has %1 characters, "
                                         "more than the %2 (or %3 in one line) that can be edited here. It is "
                                         "saved in full. Select all and press Delete to empty it.")
                              .arg(longtext::count(length), longtext::count(EditableLength),
                                   longtext::count(EditableLineLength)));
    }
    m_notice->setVisible(inPart);
    placeNotice();
}

void NoteEdit::placeNotice()
{
    if (!m_notice->isVisible()) {
        setViewportMargins(0, 0, 0, 0);
        return;
    }
    const int width = viewport()->width();
    const int height = m_notice->heightForWidth(width);
    setViewportMargins(0, 0, 0, height);
    const QRect view = viewport()->geometry();
    m_notice->setGeometry(view.left(), view.bottom() + 1, view.width(), height);
}

void NoteEdit::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    placeNotice();
}

void NoteEdit::wrapFor(qsizetype longestLine)
{
    const LineWrapMode mode = longestLine > WrappedLineLength ? NoWrap : WidgetWidth;
    if (lineWrapMode() != mode)
        setLineWrapMode(mode);
}

void NoteEdit::contentsEdited(int position, int removed, int added)
{
    if (m_setting || m_shownInPart)
        return;
    qsizetype longest = 0;
    if (lineWrapMode() != NoWrap) {
        // Only the lines the edit touched can have grown.
        for (QTextBlock block = document()->findBlock(position); block.isValid() && block.position() <= position + added;
             block = block.next())
            longest = std::max<qsizetype>(longest, block.length() - 1);
    } else if (removed > 0) {
        // Wrapping comes back once no line is too long for it.
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
            longest = std::max<qsizetype>(longest, block.length() - 1);
    } else {
        return;
    }
    wrapFor(longest);
}

qsizetype NoteEdit::lineAfterInsert(const QString &inserted)
{
    const QTextCursor cursor = textCursor();
    const qsizetype start = cursor.selectionStart();
    const qsizetype end = cursor.selectionEnd();
    const qsizetype total = document()->characterCount() - 1 - (end - start) + inserted.size();
    // The first inserted line joins what stands before the selection in its line, the
    // last one what follows it.
    const QTextBlock first = document()->findBlock(int(start));
    const QTextBlock last = document()->findBlock(int(end));
    const qsizetype before = start - first.position();
    const qsizetype after = last.position() + last.length() - 1 - end;
    qsizetype firstBreak = -1, lastBreak = -1;
    for (qsizetype i = 0; i < inserted.size(); ++i) {
        if (longtext::isBlockBreak(inserted.at(i))) {
            if (firstBreak < 0)
                firstBreak = i;
            lastBreak = i;
        }
    }
    const qsizetype longest = firstBreak < 0 ? before + inserted.size() + after
                                             : std::max({before + firstBreak, inserted.size() - lastBreak - 1 + after,
                                                         longtext::longestLine(inserted)});
    if (total <= EditableLength && longest <= EditableLineLength)
        return longest;
    const QString message =
        QStringLiteral("%1 holds at most %2 characters, and at most %3 in one line. Nothing was put in: it would "
                       "have made %4 characters, %5 in its longest line.")
            .arg(accessibleName().isEmpty() ? QStringLiteral("The note") : accessibleName(),
                 longtext::count(EditableLength), longtext::count(EditableLineLength), longtext::count(total),
                 longtext::count(longest));
    if (isSignalConnected(QMetaMethod::fromSignal(&NoteEdit::inputRefused)))
        emit inputRefused(message);
    else
        longtext::showRefusal(this, message);
    return -1;
}

void NoteEdit::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const qsizetype longest = lineAfterInsert(source->text());
    if (longest < 0)
        return;
    if (longest > WrappedLineLength)
        wrapFor(longest); // before the text goes in, not after it was wrapped once
    QPlainTextEdit::insertFromMimeData(source);
}

bool NoteEdit::wholeSelected() const
{
    const QTextCursor cursor = textCursor();
    return cursor.selectionStart() == 0 && cursor.selectionEnd() == document()->characterCount() - 1;
}

QMimeData *NoteEdit::createMimeDataFromSelection() const
{
    // All of a note shown in part goes to the clipboard, not the part on screen.
    if (m_shownInPart && wholeSelected()) {
        auto *data = new QMimeData;
        data->setText(m_text);
        return data;
    }
    return QPlainTextEdit::createMimeDataFromSelection();
}

void NoteEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_shownInPart) {
        if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && wholeSelected()) {
            QPlainTextEdit::setPlainText(QString()); // an edit: its listeners see it as typing
            event->accept();
            return;
        }
    } else if (!isReadOnly()) {
        const QString typed = event->text();
        const bool inserts = !typed.isEmpty() && (typed.at(0).isPrint() || typed == QLatin1String("\r"));
        if (inserts && lineAfterInsert(typed == QLatin1String("\r") ? QStringLiteral("\n") : typed) < 0) {
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void NoteEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (m_undo && m_redo)
        routeHistoryActions(menu, m_undo, m_redo);
    menu->popup(event->globalPos());
}
