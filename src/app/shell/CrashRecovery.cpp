#include "app/shell/CrashRecovery.h"

#include "app/shell/MainFrm.h"
#include "app/shell/RecoveryBar.h"

#include <utility>

std::unique_ptr<CrashRecovery> CrashRecovery::start(CombatDocument &document, MainFrm &window, const QString &folder)
{
    if (files::recoveryTurnedOff())
        return nullptr;
    std::unique_ptr<CrashRecovery> recovery(new CrashRecovery(document, window));
    // Found before this program's own file exists, so never offered to itself.
    std::unique_ptr<files::LeftState> left = files::LeftState::findNewest(folder);
    QString problem;
    if (std::unique_ptr<files::StateFile> file = files::StateFile::open(folder, problem)) {
        recovery->m_writer = std::make_unique<RecoveryWriter>(document, std::move(file));
        connect(recovery->m_writer.get(), &RecoveryWriter::failed, &window.recoveryBar(), &RecoveryBar::tell);
    } else {
        recovery->m_waitingMessage = QStringLiteral("The combat is not being kept for after a crash. %1").arg(problem);
    }
    if (left)
        recovery->offer(std::move(left));
    else
        recovery->offerLeft();
    return recovery;
}

CrashRecovery::CrashRecovery(CombatDocument &document, MainFrm &window)
    : m_document(document)
    , m_window(window)
{
}

CrashRecovery::~CrashRecovery() = default;

void CrashRecovery::close()
{
    if (m_writer)
        m_writer->close();
}

QString CrashRecovery::statePath() const
{
    return m_writer ? m_writer->path() : QString();
}

void CrashRecovery::offer(std::unique_ptr<files::LeftState> left)
{
    RecoveryBar &bar = m_window.recoveryBar();
    bar.offer(left->mark().changed, left->mark().closed);
    m_offered = std::move(left);
    connect(&bar, &RecoveryBar::restoreChosen, this, &CrashRecovery::restore);
    connect(&bar, &RecoveryBar::discardChosen, this, &CrashRecovery::discard);
    // The user went on with another combat: the offer leaves, and stays for the next start.
    connect(&m_document, &CombatDocument::changed, this, [this] {
        if (m_window.recoveryBar().offering()) {
            m_window.recoveryBar().hide();
            offerLeft();
        }
        m_offered.reset();
    });
}

void CrashRecovery::offerLeft()
{
    if (!m_waitingMessage.isEmpty())
        m_window.recoveryBar().tell(std::exchange(m_waitingMessage, QString()));
}

void CrashRecovery::restore()
{
    if (!m_offered)
        return;
    const QString path = m_offered->path();
    std::unique_ptr<files::LeftState> offered = std::move(m_offered);
    offerLeft();
    const files::LoadOutcome outcome = m_document.restore(path);
    if (outcome.status != files::LoadOutcome::Status::Loaded) {
        m_window.prompts().message(&m_window, outcome.message, QStringLiteral("Fraymark"), Prompts::Icon::Stop);
        return; // the file stays, to be offered again
    }
    // Told after the old file's going is arranged: the restored combat may be written
    // while the box is up.
    auto tell = [&] {
        if (!outcome.fightNotice.isEmpty())
            m_window.prompts().message(&m_window, outcome.fightNotice, QStringLiteral("Fraymark"),
                                       Prompts::Icon::Warning);
    };
    if (!m_writer) {
        offered->remove();
        tell();
        return;
    }
    // The old file goes once this program's own holds the combat.
    auto *held = new QObject(this);
    connect(m_writer.get(), &RecoveryWriter::written, held,
            [held, restored = m_writer->taken(), file = std::shared_ptr(std::move(offered))](quint64 number) {
                if (number < restored)
                    return; // an older state, written while the restore ran
                file->remove();
                held->deleteLater();
            });
    tell();
}

void CrashRecovery::discard()
{
    if (m_offered)
        m_offered->remove();
    m_offered.reset();
    offerLeft();
}
