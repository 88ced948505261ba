#pragma once

#include <QLineEdit>
#include <QPointer>

class QMimeData;

// A row field or amount box. A line edit lays out and shapes its whole text on every
// change, paint and cursor move, which freezes the window for minutes on a text of
// megabytes. So the user edits at most EditableLength characters here, and a longer
// text given by the program (a loaded file, an undo) is kept whole but shown in part,
// read-only, with a tooltip that says so; text() gives it back unchanged.
//
// Use it through a FieldEdit pointer: text() and setText() hide the line edit's own.
// The line edit's textChanged()/textEdited() signals still tell of every change; their
// argument is what the field shows, so read text() for the value. An edit that would
// pass the bound (typing or a paste) is refused whole and reported by inputRefused().
class FieldEdit : public QLineEdit
{
    Q_OBJECT

public:
    // The line edit's own old bound: every action stays within a few tens of milliseconds.
    static constexpr int EditableLength = 32767;
    // How much of a longer text the field shows.
    static constexpr int ShownLength = 200;

    explicit FieldEdit(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    // Inserts at the cursor as a paste does: refused whole past the bound.
    void insert(const QString &text);
    // The window's Undo and Redo, which the field's menu offers in place of its own.
    void setHistoryActions(QAction *undo, QAction *redo)
    {
        m_undo = undo;
        m_redo = redo;
    }
    // Commands of the field's row, after the editing ones in its menu ("Save Row to Library").
    void setRowActions(const QList<QAction *> &actions) { m_rowActions = actions; }
    // True while the field holds a text longer than it can edit, shown in part.
    bool isShownInPart() const { return m_shownInPart; }

signals:
    // An edit was refused whole; the message says why, for the window's message box.
    void inputRefused(const QString &message);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool refuses(qsizetype inserted);
    void pasteChecked();
    void copyWhole();
    void leaveShownInPart();

    QPointer<QAction> m_undo, m_redo;
    QList<QAction *> m_rowActions;
    QString m_whole;          // the whole text while shown in part
    QString m_ownToolTip;     // the tooltip to put back when it is no longer
    bool m_shownInPart = false;
    bool m_showing = false;   // inside setText(): the line edit's change is ours
};
