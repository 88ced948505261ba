// Saving and loading combats.
#include "app/MainFrm.h"

#include "files/CombatLoader.h"
#include "files/CombatSave.h"

void MainFrm::mnuSave_Click()
{
    runHandler([this] {
        const QString path = m_prompts->askSavePath(this, QStringLiteral("Save Combat"),
                                                    QStringLiteral("Ini Files(.ini) (*.ini)"), SavePath);
        if (path.isEmpty())
            return; // cancelled: nothing written, nothing shown
        SavePath = path;
        const files::SaveOutcome outcome = files::saveCombatFile(readRoster(), SavePath);
        if (!outcome.ok)
            showError(outcome.error);
    });
}

void MainFrm::mnuSave1_Click()
{
    mnuSave_Click();
}

QString MainFrm::ShowOpenFileDialog(const QString &filter, const QString &title)
{
    return m_prompts->askOpenPath(this, title, filter);
}

void MainFrm::mnuLoad_Click()
{
    runHandler([this] {
        const QString path = ShowOpenFileDialog(QStringLiteral("Ini Files (*.ini)"), QStringLiteral("Load Combat"));
        if (path.isEmpty())
            return; // cancelled: nothing changes

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
            CurRow = roster::RowCount;
            if (outcome.oldVersionRow)
                m_prompts->message(this, files::oldVersionWarningText(VerTxt), files::OldVersionTitle,
                                   Prompts::Icon::Stop);
            return;
        }
    });
}

void MainFrm::mnuLoad1_Click()
{
    mnuLoad_Click();
}
