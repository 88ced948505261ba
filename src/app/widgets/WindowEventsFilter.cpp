#include "app/widgets/WindowEventsFilter.h"

#include "app/widgets/DraggedFile.h"

#include <QDropEvent>
#include <QKeyEvent>

namespace {

bool isUndoOrRedoKey(const QKeyEvent *key)
{
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
        || QKeySequence(key->keyCombination()) == QKeySequence(Qt::CTRL | Qt::Key_Y);
}

} // namespace

bool WindowEventsFilter::eventFilter(QObject *watched, QEvent *event)
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
        if (!draggedCombatFile(static_cast<QDropEvent *>(event)->mimeData()).isEmpty()) {
            event->ignore();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
