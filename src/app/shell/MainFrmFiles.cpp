// Saving and loading combats: through the menus, and by dropping a file on the window.
#include "app/shell/MainFrm.h"

#include "files/CombatLoader.h"
#include "files/CombatSave.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {
const QString CombatSuffix = QStringLiteral("ini");

// A name typed without an extension gets ".ini", or the load dialog's filter would hide it later.
QString withCombatSuffix(const QString &path)
{
    return QFileInfo(path).suffix().isEmpty() && !path.endsWith(u'.') ? path + u'.' + CombatSuffix : path;
}
} // namespace

void MainFrm::mnuSave_Click()
{
    runHandler([this] {
        // The dialog offers the last combat file of this run, or the last path chosen.
        const QString &last = m_document.lastCombatPath();
        const QString offered = last.isEmpty() ? m_document.savePath() : last;
        const QString path = m_prompts->askSavePath(this, QStringLiteral("Save Combat"),
                                                    QStringLiteral("Ini Files(.ini) (*.ini)"), offered, CombatSuffix);
        if (path.isEmpty())
            return; // cancelled: nothing written, nothing shown
        const files::SaveOutcome outcome = m_document.save(withCombatSuffix(path));
        if (!outcome.ok)
            showError(outcome.error);
    });
}

void MainFrm::mnuLoad_Click()
{
    runHandler([this] {
        const QString &last = m_document.lastCombatPath();
        const QString startFolder = last.isEmpty() ? QString() : QFileInfo(last).absolutePath();
        const QString path = m_prompts->askOpenPath(this, QStringLiteral("Load Combat"), QStringLiteral("Ini Files (*.ini)"), startFolder);
        if (!path.isEmpty()) // cancelled: nothing changes
            loadCombatFrom(path);
    });
}

bool MainFrm::showReadOutcome(const files::LoadOutcome &outcome)
{
    switch (outcome.status) {
    case files::LoadOutcome::Status::Refused:
        showError(outcome.message);
        return false;
    case files::LoadOutcome::Status::Failed:
        m_prompts->message(this, outcome.message, files::unknownErrorTitle(outcome.message), Prompts::Icon::Stop);
        return false;
    case files::LoadOutcome::Status::Loaded:
        break;
    }
    // Shown once the load is a step of the history, so the box cannot split it.
    if (outcome.oldVersionRow)
        m_prompts->message(this, files::oldVersionWarningText(VerTxt), files::OldVersionTitle, Prompts::Icon::Stop);
    return true;
}

void MainFrm::loadCombatFrom(const QString &path)
{
    runHandler([&, this] { showReadOutcome(m_document.load(path)); });
}

void MainFrm::mnuAdd_Click()
{
    runHandler([this] {
        const QString &last = m_document.lastAddedPath();
        const QString startFolder = last.isEmpty() ? QString() : QFileInfo(last).absolutePath();
        const QString path = m_prompts->askOpenPath(this, QStringLiteral("Add Combatants"), QStringLiteral("Ini Files (*.ini)"), startFolder);
        if (!path.isEmpty())
            addCombatantsFrom(path);
    });
}

void MainFrm::addCombatantsFrom(const QString &path)
{
    runHandler([&, this] {
        const CombatDocument::AddOutcome outcome = m_document.addCombatants(path);
        if (!outcome.message.isEmpty())
            showError(outcome.message);
        else
            showReadOutcome(outcome.load);
    });
}

QString MainFrm::droppedCombatFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

void MainFrm::dragEnterEvent(QDragEnterEvent *event)
{
    m_draggedPath = droppedCombatFile(event->mimeData());
    if (!m_draggedPath.isEmpty())
        event->acceptProposedAction();
}

void MainFrm::dragLeaveEvent(QDragLeaveEvent *)
{
    m_draggedPath.clear();
}

void MainFrm::dropEvent(QDropEvent *event)
{
    // A source that no longer answers for its data at the drop still dragged this file.
    QString path = droppedCombatFile(event->mimeData());
    if (path.isEmpty())
        path = m_draggedPath;
    m_draggedPath.clear();
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Loaded once the drag has ended, so a message box does not open inside the drop.
    // With Ctrl held, its combatants join the running fight instead.
    const bool add = event->modifiers().testFlag(Qt::ControlModifier);
    QMetaObject::invokeMethod(
        this, [this, path, add] { add ? addCombatantsFrom(path) : loadCombatFrom(path); }, Qt::QueuedConnection);
}
