// Saving and loading combats, and adding the combatants of a file.
#include "app/shell/CombatFiles.h"

#include "app/dialogs/CommandReporter.h"
#include "document/CombatDocument.h"

#include <QFileInfo>

namespace {
const QString CombatSuffix = QStringLiteral("ini");

// A name typed without an extension gets ".ini", or the load dialog's filter would hide it later.
QString withCombatSuffix(const QString &path)
{
    return QFileInfo(path).suffix().isEmpty() && !path.endsWith(u'.') ? path + u'.' + CombatSuffix : path;
}

QString folderOf(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}
} // namespace

CombatFiles::CombatFiles(CombatDocument &document, CommandReporter &reporter, QWidget *window)
    : m_document(document)
    , m_reporter(reporter)
    , m_window(window)
{
}

void CombatFiles::save()
{
    // The dialog offers the last combat file of this run, or the last path chosen.
    const QString &last = m_document.lastCombatPath();
    const QString offered = last.isEmpty() ? m_document.savePath() : last;
    const QString path = m_reporter.prompts().askSavePath(
        m_window, QStringLiteral("Save Combat"), QStringLiteral("Ini Files(.ini) (*.ini)"), offered, CombatSuffix);
    if (!path.isEmpty()) // cancelled: nothing written, nothing shown
        m_reporter.report(m_document.save(withCombatSuffix(path)));
}

void CombatFiles::askAndLoad()
{
    const QString path = m_reporter.prompts().askOpenPath(m_window, QStringLiteral("Load Combat"),
                                                          QStringLiteral("Ini Files (*.ini)"),
                                                          folderOf(m_document.lastCombatPath()));
    if (!path.isEmpty()) // cancelled: nothing changes
        load(path);
}

void CombatFiles::load(const QString &path)
{
    // The boxes come once the load is a step of the history, so none can split it.
    m_reporter.report(m_document.load(path));
}

void CombatFiles::askAndAdd()
{
    const QString path = m_reporter.prompts().askOpenPath(m_window, QStringLiteral("Add Combatants"),
                                                          QStringLiteral("Ini Files (*.ini)"),
                                                          folderOf(m_document.lastAddedPath()));
    if (!path.isEmpty())
        add(path);
}

void CombatFiles::add(const QString &path)
{
    m_reporter.report(m_document.addCombatants(path));
}
