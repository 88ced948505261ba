// The undo history's side of the window: every change to the combat becomes one
// step, and undoing writes a whole earlier state back without running any rule.
#include "app/MainFrm.h"

#include "combat/RowErrors.h"

#include <QAction>
#include <QMimeData>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
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

CombatState MainFrm::currentState() const
{
    return {readRoster(), markedRow(), m_turn.round};
}

QString MainFrm::rowLabel(int index) const
{
    return combat::rowPlace(index, ChrName[index]->text());
}

void MainFrm::recordChange(const QString &what, const QString &mergeKey)
{
    CombatState now = currentState();
    if (now == m_committed)
        return;
    m_history.push(what, m_committed, now, mergeKey);
    m_committed = std::move(now);
    updateUndoActions();
}

void MainFrm::runCommand(const QString &what, const std::function<void()> &body, const QString &mergeKey)
{
    ++m_commandDepth;
    runHandler(body);
    --m_commandDepth;
    if (m_commandDepth > 0)
        return; // part of an outer command, which records the whole
    if (mergeKey.isEmpty())
        m_history.closeMerge();
    recordChange(what, mergeKey);
}

void MainFrm::fieldEdited(QLineEdit *field)
{
    if (m_commandDepth == 0)
        recordChange(QStringLiteral("typing in ") + field->accessibleName(), field->objectName());
}

void MainFrm::noteEdited()
{
    m_noteRead = false;
    if (m_commandDepth == 0)
        recordChange(QStringLiteral("typing in Other Notes"), NotesTxt->objectName());
}

void MainFrm::watchFields()
{
    auto watch = [this](QLineEdit *field) {
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, field] { fieldEdited(field); });
    };
    for (int r = 0; r < roster::RowCount; ++r) {
        for (QLineEdit *field : {ChrName[r], ChrHP[r], ChrIni[r], ChrAC[r], ChrNote[r], ChrWill[r], ChrFort[r],
                                 ChrRex[r], ChrAttack[r], ChrDamage[r], SubsTxt[r]})
            watch(field);
        connect(ChrChk[r], &QCheckBox::clicked, this, [this, r](bool checked) {
            m_history.closeMerge();
            recordChange((checked ? QStringLiteral("Include ") : QStringLiteral("Exclude ")) + rowLabel(r));
        });
    }
    // The window's history replaces the note's own, which would also keep copies of a long note.
    NotesTxt->setUndoRedoEnabled(false);
    NotesTxt->installEventFilter(this);
    NotesTxt->viewport()->installEventFilter(this);
    connect(NotesTxt->document(), &QTextDocument::contentsChanged, this, &MainFrm::noteEdited);

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        // Keystrokes merge into one step only while the focus stays in their field.
        m_history.closeMerge();
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
    mnuUndo->setEnabled(m_history.canUndo());
    mnuUndo->setText(m_history.canUndo() ? QStringLiteral("&Undo ") + m_history.undoText() : QStringLiteral("&Undo"));
    mnuRedo->setEnabled(m_history.canRedo());
    mnuRedo->setText(m_history.canRedo() ? QStringLiteral("&Redo ") + m_history.redoText() : QStringLiteral("&Redo"));
}

void MainFrm::applyState(const CombatState &state, const CombatState &shown)
{
    ++m_commandDepth;
    writeRoster(state.roster);
    setTurn({int(m_listRows.indexOf(state.markedRow)), state.round});
    --m_commandDepth;
    m_committed = currentState();
    focusFirstChange(shown, state);
    updateUndoActions();
}

void MainFrm::focusFirstChange(const CombatState &from, const CombatState &to)
{
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &a = from.roster.rows[r];
        const roster::Row &b = to.roster.rows[r];
        if (a == b)
            continue;
        const std::pair<QWidget *, bool> controls[] = {
            {ChrName[r], a.name != b.name},       {ChrHP[r], a.hp != b.hp},
            {ChrIni[r], a.ini != b.ini},          {ChrAC[r], a.ac != b.ac},
            {ChrNote[r], a.note != b.note},       {ChrWill[r], a.will != b.will},
            {ChrFort[r], a.fort != b.fort},       {ChrRex[r], a.rex != b.rex},
            {ChrAttack[r], a.attack != b.attack}, {ChrDamage[r], a.damage != b.damage},
            {ChrChk[r], a.check != b.check},      {SubsTxt[r], a.amount != b.amount},
        };
        for (const auto &[control, changed] : controls) {
            if (changed && control->isEnabled()) {
                control->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
        // A down row's main fields take no focus: its amount box is where it is healed.
        SubsTxt[r]->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (from.roster.generalNote != to.roster.generalNote)
        NotesTxt->setFocus(Qt::OtherFocusReason);
}

void MainFrm::mnuUndo_Click()
{
    runHandler([this] {
        if (!m_history.canUndo())
            return;
        const CombatState shown = m_history.undoFrom();
        applyState(m_history.undo(), shown);
    });
}

void MainFrm::mnuRedo_Click()
{
    runHandler([this] {
        if (!m_history.canRedo())
            return;
        const CombatState shown = m_history.redoFrom();
        applyState(m_history.redo(), shown);
    });
}
