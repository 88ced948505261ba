// Saving and loading combats: through the menus, and by dropping a file on the window.
#include "app/MainFrm.h"

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
        const QString offered = m_lastCombatPath.isEmpty() ? SavePath : m_lastCombatPath;
        const QString path = m_prompts->askSavePath(this, QStringLiteral("Save Combat"),
                                                    QStringLiteral("Ini Files(.ini) (*.ini)"), offered, CombatSuffix);
        if (path.isEmpty())
            return; // cancelled: nothing written, nothing shown
        SavePath = withCombatSuffix(path);
        const files::SaveOutcome outcome = files::saveCombatFile(readRoster(), SavePath);
        if (!outcome.ok) {
            showError(outcome.error);
            return;
        }
        m_lastCombatPath = SavePath;
    });
}

void MainFrm::mnuSave1_Click()
{
    mnuSave_Click();
}

QString MainFrm::ShowOpenFileDialog(const QString &filter, const QString &title, const QString &startFolder)
{
    return m_prompts->askOpenPath(this, title, filter, startFolder);
}

void MainFrm::mnuLoad_Click()
{
    runHandler([this] {
        const QString startFolder = m_lastCombatPath.isEmpty() ? QString() : QFileInfo(m_lastCombatPath).absolutePath();
        const QString path = ShowOpenFileDialog(QStringLiteral("Ini Files (*.ini)"), QStringLiteral("Load Combat"),
                                                startFolder);
        if (!path.isEmpty()) // cancelled: nothing changes
            loadCombatFrom(path);
    });
}

void MainFrm::loadCombatFrom(const QString &path)
{
    bool loaded = false;
    std::optional<int> oldVersionRow;
    runCommand(QStringLiteral("Load Combat"), [&, this] {
        // The loader works on a copy: the window changes only when the whole load succeeds.
        const files::LoadOutcome outcome = files::loadCombatFile(path, readRoster());
        switch (outcome.status) {
        case files::LoadOutcome::Status::Refused:
            showError(outcome.message);
            return;
        case files::LoadOutcome::Status::Failed:
            m_prompts->message(this, outcome.message, files::unknownErrorTitle(outcome.message),
                               Prompts::Icon::Stop);
            return;
        case files::LoadOutcome::Status::Loaded:
            writeRoster(outcome.roster);
            clearTurn();
            loaded = true;
            oldVersionRow = outcome.oldVersionRow;
            return;
        }
    });
    if (!loaded)
        return;
    m_lastCombatPath = path;
    // Shown once the load is a step of the history, so the box cannot split it.
    if (oldVersionRow)
        runHandler([this] {
            m_prompts->message(this, files::oldVersionWarningText(VerTxt), files::OldVersionTitle,
                               Prompts::Icon::Stop);
        });
}

void MainFrm::mnuLoad1_Click()
{
    mnuLoad_Click();
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
    QMetaObject::invokeMethod(this, [this, path] { loadCombatFrom(path); }, Qt::QueuedConnection);
}
