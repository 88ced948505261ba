// Saving and loading combats, and adding the combatants of a file.
#include "app/shell/CombatFiles.h"

#include "document/CombatDocument.h"
#include "files/CombatLoader.h"

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

CombatFiles::CombatFiles(CombatDocument &document, Prompts &prompts, QWidget *window, const QString &version)
    : m_document(document)
    , m_prompts(prompts)
    , m_window(window)
    , m_version(version)
{
}

void CombatFiles::showError(const QString &message)
{
    m_prompts.message(m_window, message, QStringLiteral("Fraymark"), Prompts::Icon::Stop);
}

void CombatFiles::save()
{
    // The dialog offers the last combat file of this run, or the last path chosen.
    const QString &last = m_document.lastCombatPath();
    const QString offered = last.isEmpty() ? m_document.savePath() : last;
    const QString path = m_prompts.askSavePath(m_window, QStringLiteral("Save Combat"),
                                               QStringLiteral("Ini Files(.ini) (*.ini)"), offered, CombatSuffix);
    if (path.isEmpty())
        return; // cancelled: nothing written, nothing shown
    const files::SaveOutcome outcome = m_document.save(withCombatSuffix(path));
    showNotice(outcome.notice);
    if (!outcome.ok)
        showError(outcome.error);
}

void CombatFiles::askAndLoad()
{
    const QString &last = m_document.lastCombatPath();
    const QString startFolder = last.isEmpty() ? QString() : QFileInfo(last).absolutePath();
    const QString path =
        m_prompts.askOpenPath(m_window, QStringLiteral("Load Combat"), QStringLiteral("Ini Files (*.ini)"), startFolder);
    if (!path.isEmpty()) // cancelled: nothing changes
        load(path);
}

void CombatFiles::showNotice(const QString &notice)
{
    if (!notice.isEmpty())
        m_prompts.message(m_window, notice, QStringLiteral("Fraymark"), Prompts::Icon::Warning);
}

bool CombatFiles::showReadOutcome(const files::LoadOutcome &outcome)
{
    // An earlier save of the file cut off and put back: said whatever the load did.
    showNotice(outcome.notice);
    switch (outcome.status) {
    case files::LoadOutcome::Status::Refused:
        showError(outcome.message);
        return false;
    case files::LoadOutcome::Status::Failed:
        m_prompts.message(m_window, outcome.message, files::unknownErrorTitle(outcome.message), Prompts::Icon::Stop);
        return false;
    case files::LoadOutcome::Status::Loaded:
        break;
    }
    // Shown once the load is a step of the history, so the box cannot split it.
    if (outcome.oldVersionRow)
        m_prompts.message(m_window, files::oldVersionWarningText(m_version), files::OldVersionTitle, Prompts::Icon::Stop);
    if (!outcome.cutNotice.isEmpty())
        m_prompts.message(m_window, outcome.cutNotice, files::CutOffTitle, Prompts::Icon::Warning);
    return true;
}

void CombatFiles::load(const QString &path)
{
    const files::LoadOutcome outcome = m_document.load(path);
    if (showReadOutcome(outcome))
        showNotice(outcome.fightNotice); // Add Combatants never reads the fight

}

void CombatFiles::askAndAdd()
{
    const QString &last = m_document.lastAddedPath();
    const QString startFolder = last.isEmpty() ? QString() : QFileInfo(last).absolutePath();
    const QString path = m_prompts.askOpenPath(m_window, QStringLiteral("Add Combatants"),
                                               QStringLiteral("Ini Files (*.ini)"), startFolder);
    if (!path.isEmpty())
        add(path);
}

void CombatFiles::add(const QString &path)
{
    const CombatDocument::AddOutcome outcome = m_document.addCombatants(path);
    if (outcome.message.isEmpty()) {
        showReadOutcome(outcome.load);
        return;
    }
    showNotice(outcome.load.notice);
    showError(outcome.message); // the file was read, and nothing of it was added
}

QString draggedCombatFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}
