// The window as a view of its document: the user's edits go to the document as
// steps, and whatever the document changes (a command, undo, redo) is shown again.
#include "app/MainFrm.h"

#include "combat/RowErrors.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTextDocument>

namespace {

bool isUndoOrRedoKey(const QKeyEvent *key)
{
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
        || QKeySequence(key->keyCombination()) == QKeySequence(Qt::CTRL | Qt::Key_Y);
}

} // namespace

QString MainFrm::rowLabel(int index) const
{
    return combat::rowPlace(index, ChrName[index]->text());
}

void MainFrm::followDocument()
{
    connect(&m_document, &CombatDocument::orderChanged, this, &MainFrm::showOrder);
    connect(&m_document, &CombatDocument::changed, this, &MainFrm::showState);
    showState();
}

void MainFrm::showState()
{
    writeRoster(m_document.state().roster);
    showTurn();
    updateUndoActions();
}

void MainFrm::userEdited(const QString &what, const QString &mergeKey)
{
    runHandler([&] { m_document.edited(readRoster(), what, mergeKey); });
}

void MainFrm::watchFields()
{
    auto watch = [this](FieldEdit *field) {
        field->installEventFilter(this);
        field->setHistoryActions(mnuUndo, mnuRedo);
        connect(field, &FieldEdit::inputRefused, this, &MainFrm::showError);
        connect(field, &QLineEdit::textEdited, this,
                [this, field] { userEdited(QStringLiteral("typing in ") + field->accessibleName(), field->objectName()); });
    };
    for (int r = 0; r < roster::RowCount; ++r) {
        for (const roster::FieldInfo &info : roster::RowFields)
            watch(field(r, info.field));
        watch(SubsTxt[r]);
        connect(ChrChk[r], &QCheckBox::clicked, this, [this, r](bool checked) {
            m_document.closeMerge();
            userEdited((checked ? QStringLiteral("Include ") : QStringLiteral("Exclude ")) + rowLabel(r));
        });
    }
    // The window's history replaces the note's own, which would also keep copies of a long note.
    NotesTxt->setUndoRedoEnabled(false);
    NotesTxt->setHistoryActions(mnuUndo, mnuRedo);
    connect(NotesTxt, &NoteEdit::inputRefused, this, &MainFrm::showError);
    NotesTxt->installEventFilter(this);
    NotesTxt->viewport()->installEventFilter(this);
    connect(NotesTxt, &QPlainTextEdit::textChanged, this,
            [this] { userEdited(QStringLiteral("typing in Other Notes"), NotesTxt->objectName()); });

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        // Keystrokes merge into one step only while the focus stays in their field.
        m_document.closeMerge();
        // Tab, undo or an error may put the focus on a row scrolled out of sight.
        if (now && RosterArea->widget()->isAncestorOf(now))
            RosterArea->ensureWidgetVisible(now);
    });
}

bool MainFrm::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // A text field would take Ctrl+Z for its own history; there is one history, the window's.
        if (isUndoOrRedoKey(static_cast<QKeyEvent *>(event))) {
            event->ignore();
            return true;
        }
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        // A field would take a dropped file's path as text: it passes the drag on to
        // the window, which loads the file.
        if (!droppedCombatFile(static_cast<QDropEvent *>(event)->mimeData()).isEmpty()) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainFrm::updateUndoActions()
{
    const UndoHistory &history = m_document.history();
    mnuUndo->setEnabled(history.canUndo());
    mnuUndo->setText(history.canUndo() ? QStringLiteral("&Undo ") + history.undoText() : QStringLiteral("&Undo"));
    mnuRedo->setEnabled(history.canRedo());
    mnuRedo->setText(history.canRedo() ? QStringLiteral("&Redo ") + history.redoText() : QStringLiteral("&Redo"));
}

void MainFrm::focusFirstChange(const roster::Roster &from, const roster::Roster &to)
{
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &a = from.rows[r];
        const roster::Row &b = to.rows[r];
        if (a == b)
            continue;
        QList<QWidget *> changed;
        for (const roster::Field f : roster::FieldsInColumnOrder) {
            const QString roster::Row::*text = roster::fieldInfo(f).text;
            if (a.*text != b.*text)
                changed << field(r, f);
        }
        if (a.check != b.check)
            changed << ChrChk[r];
        if (a.amount != b.amount)
            changed << SubsTxt[r];
        for (QWidget *control : changed) {
            if (control->isEnabled()) {
                control->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
        // A down row's main fields take no focus: its amount box is where it is healed.
        SubsTxt[r]->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (from.generalNote != to.generalNote)
        NotesTxt->setFocus(Qt::OtherFocusReason);
}

void MainFrm::undoOrRedo(bool undo)
{
    runHandler([&] {
        const roster::Roster shown = readRoster();
        if (undo ? m_document.undo(shown) : m_document.redo(shown))
            focusFirstChange(shown, m_document.state().roster);
    });
}

void MainFrm::mnuUndo_Click()
{
    undoOrRedo(true);
}

void MainFrm::mnuRedo_Click()
{
    undoOrRedo(false);
}
