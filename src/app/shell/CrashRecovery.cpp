#include "app/shell/CrashRecovery.h"

#include "document/CombatDocument.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <utility>

// What the look at the state folder found.
struct CrashRecovery::Found
{
    std::unique_ptr<files::LeftState> left;
    std::unique_ptr<files::StateFile> file;
    QString problem;
};

std::unique_ptr<CrashRecovery> CrashRecovery::start(CombatDocument &document, const QString &folder)
{
    if (files::recoveryTurnedOff())
        return nullptr;
    return std::unique_ptr<CrashRecovery>(new CrashRecovery(document, folder));
}

CrashRecovery::CrashRecovery(CombatDocument &document, QString folder)
    : m_document(document)
    , m_folder(std::move(folder))
{
}

void CrashRecovery::look()
{
    if (m_look.joinable() || m_ready)
        return;
    m_found = std::make_unique<Found>();
    m_look = std::thread([this, folder = m_folder, found = m_found.get()] {
        // Found before this program's own file exists, so never offered to itself.
        found->left = files::LeftState::findNewest(folder);
        found->file = files::StateFile::open(folder, found->problem);
        // Taken in on the window's thread; the destructor waits for this thread first.
        QMetaObject::invokeMethod(this, &CrashRecovery::takeFound, Qt::QueuedConnection);
    });
}

void CrashRecovery::takeFound()
{
    if (m_ready)
        return;
    if (m_look.joinable())
        m_look.join();
    m_ready = true;
    take(*m_found);
    m_found.reset();
}

CrashRecovery::~CrashRecovery()
{
    if (m_look.joinable())
        m_look.join();
}

void CrashRecovery::waitUntilReady()
{
    look();
    while (!m_ready)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
}

void CrashRecovery::take(Found &found)
{
    if (found.file) {
        m_writer = std::make_unique<RecoveryWriter>(m_document, std::move(found.file));
        connect(m_writer.get(), &RecoveryWriter::failed, this, [this](const QString &message) {
            m_failureTold = true;
            emit told(message);
        });
        // A copy written after a failure: what was told of it is no longer so.
        connect(m_writer.get(), &RecoveryWriter::written, this, [this] {
            if (std::exchange(m_failureTold, false))
                emit withdrawn();
        });
    } else {
        m_waitingMessage = QStringLiteral("The combat is not being kept for after a crash. %1").arg(found.problem);
    }
    if (!found.left) {
        offerLeft();
        return;
    }
    emit offered(found.left->mark().changed, found.left->mark().closed);
    m_offered = std::move(found.left);
    // The user went on with another combat: the offer leaves, and stays for the next start.
    connect(&m_document, &CombatDocument::changed, this, [this] {
        if (m_offered) {
            m_offered.reset();
            emit withdrawn();
            offerLeft();
        }
    });
}

void CrashRecovery::close()
{
    // A look that ended but was not taken in yet still keeps the combat.
    if (m_found)
        takeFound();
    if (m_writer)
        m_writer->close();
}

bool CrashRecovery::keepsTheCombat()
{
    if (m_found)
        takeFound();
    return m_writer && !m_writer->lastWriteFailed();
}

QString CrashRecovery::statePath() const
{
    return m_writer ? m_writer->path() : QString();
}

void CrashRecovery::offerLeft()
{
    if (!m_waitingMessage.isEmpty())
        emit told(std::exchange(m_waitingMessage, QString()));
}

CommandResult CrashRecovery::restore()
{
    if (!m_offered)
        return CommandResult::done();
    std::unique_ptr<files::LeftState> offered = std::move(m_offered);
    offerLeft();
    QString problem;
    const QByteArray bytes = offered->read(problem);
    if (!problem.isEmpty())
        return CommandResult::refused(problem); // the file stays, to be offered again
    const CommandResult result = m_document.restore(bytes);
    if (result.isRefused())
        return result; // the file stays, to be offered again
    if (!m_writer) {
        offered->remove();
        return result;
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
    return result;
}

void CrashRecovery::discard()
{
    if (m_offered)
        m_offered->remove();
    m_offered.reset();
    offerLeft();
}
