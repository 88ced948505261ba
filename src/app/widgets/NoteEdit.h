#pragma once

#include <QPlainTextEdit>
#include <QPointer>

class QLabel;

// The general note. A text document lays out a whole line at once, and wrapping a long
// line without blanks costs the square of its length: one line of a megabyte froze the
// window for minutes. So the note wraps only while its lines are short, the user edits
// at most EditableLength characters (EditableLineLength in one line), and a longer
// text given by the program (a loaded file, an undo) is kept whole but shown in part,
// read-only, with a notice under it; text() gives it back unchanged.
//
// Use it through a NoteEdit pointer: text() and setPlainText() hide the editor's own.
// An edit that would pass a bound (typing or a paste) is refused whole and reported
// by inputRefused().
class NoteEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    // Bounds within which setting, typing, moving and pasting stay in tens of milliseconds.
    static constexpr qsizetype EditableLength = 1 << 20;
    static constexpr qsizetype EditableLineLength = 1 << 17;
    // Longer lines turn wrapping off: a line without blanks is wrapped in quadratic time.
    static constexpr qsizetype WrappedLineLength = 1 << 14;
    // How much of a longer text the note shows.
    static constexpr qsizetype ShownLength = 1 << 14;

    explicit NoteEdit(QWidget *parent = nullptr);

    // The note exactly as set or typed: the blocks' texts joined by '\n' (toPlainText()
    // would turn a non-breaking space into a blank and U+2028 into a line break). Read
    // once per change.
    QString text() const;
    void setPlainText(const QString &text);
    // The window's Undo and Redo, which the note's menu offers in place of its own.
    void setHistoryActions(QAction *undo, QAction *redo)
    {
        m_undo = undo;
        m_redo = redo;
    }
    // True while the note holds a text longer than it can edit, shown in part.
    bool isShownInPart() const { return m_shownInPart; }
    // What the notice under a note shown in part says; empty otherwise.
    QString notice() const;

signals:
    // An edit was refused whole; the message says why, for the window's message box.
    void inputRefused(const QString &message);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QPointer<QAction> m_undo, m_redo;
    // The longest line the edit would leave, or -1 when it passes a bound (reported).
    qsizetype lineAfterInsert(const QString &inserted);
    void contentsEdited(int position, int removed, int added);
    void wrapFor(qsizetype longestLine);
    void setShownInPart(bool inPart, qsizetype length);
    void placeNotice();
    bool wholeSelected() const;

    mutable QString m_text;
    mutable bool m_textRead = true;
    bool m_shownInPart = false;
    bool m_setting = false; // inside setPlainText(): m_text already holds the new note
    QLabel *m_notice = nullptr;
};
