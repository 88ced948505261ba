#include "app/shell/CrashRecovery.h"

#include "document/CombatDocument.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <utility>

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

CrashRecovery::~CrashRecovery()
{
    m_stopLooking = true;
    if (m_look.joinable())
        m_look.join();
}

void CrashRecovery::look()
{
    if (m_look.joinable() || m_ready)
        return;
    m_look = std::thread([this] {
        m_foundFile = files::StateFile::open(m_folder, m_problem);
        m_fileFound = true;
        // Taken in on the window's thread; the destructor waits for this thread first.
        QMetaObject::invokeMethod(this, &CrashRecovery::takeFile, Qt::QueuedConnection);
        // This program's own file is locked by it, so never offered to itself.
        m_foundLeft = files::LeftState::findNewest(m_folder, &m_stopLooking);
        QMetaObject::invokeMethod(this, &CrashRecovery::takeLeft, Qt::QueuedConnection);
    });
}

void CrashRecovery::waitUntilReady()
{
    look();
    // Windows' dispatcher may take the queued call in the round that begins a wait, and then
    // wait for a message that never comes: the timer's are such messages.
    QTimer tick;
    tick.start(20);
    while (!m_ready)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents);
}

void CrashRecovery::takeFile()
{
    if (m_fileTaken || !m_fileFound)
        return;
    m_fileTaken = true;
    if (!m_foundFile) {
        m_waitingMessage = QStringLiteral("The combat is not being kept for after a crash. %1").arg(m_problem);
        offerLeft();
        // The user may mend the folder meanwhile: each change tries again, now and then.
        m_lastTry.start();
        connect(&m_document, &CombatDocument::changed, this, &CrashRecovery::tryAgain);
        return;
    }
    startWriting(std::move(m_foundFile));
}

void CrashRecovery::tryAgain()
{
    constexpr qint64 TryEveryMs = 1000;
    if (m_writer || m_lastTry.elapsed() < TryEveryMs)
        return;
    m_lastTry.restart();
    QString problem;
    std::unique_ptr<files::StateFile> file = files::StateFile::open(m_folder, problem);
    if (!file)
        return;
    disconnect(&m_document, &CombatDocument::changed, this, &CrashRecovery::tryAgain);
    // What was said of the folder is no longer so; what waited to be said never will be.
    m_waitingMessage.clear();
    if (std::exchange(m_failureTold, false))
        emit withdrawn();
    startWriting(std::move(file));
}

void CrashRecovery::startWriting(std::unique_ptr<files::StateFile> file)
{
    // It writes at once what the user changed before it came.
    m_writer = std::make_unique<RecoveryWriter>(m_document, std::move(file));
    connect(m_writer.get(), &RecoveryWriter::failed, this, [this](const QString &message) {
        m_failureTold = true;
        emit told(message);
    });
    // A copy written after a failure: what was told of it is no longer so.
    connect(m_writer.get(), &RecoveryWriter::written, this, [this] {
        if (std::exchange(m_failureTold, false))
            emit withdrawn();
    });
}

void CrashRecovery::takeLeft()
{
    if (m_ready)
        return;
    if (m_look.joinable())
        m_look.join();
    m_ready = true;
    takeFile();
    std::unique_ptr<files::LeftState> left = std::move(m_foundLeft);
    // Offered only while the user has not gone on with another combat; it stays for the
    // next start otherwise.
    if (!left || m_document.history().canUndo()) {
        offerLeft();
        return;
    }
    emit offered(left->mark().changed, left->mark().closed);
    m_offered = std::move(left);
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
    // The look for copies left may stop; this program's own file, found or not, is taken in
    // to keep the combat one last time.
    m_stopLooking = true;
    if (m_look.joinable())
        m_look.join();
    takeFile();
    if (m_writer)
        m_writer->close();
}

bool CrashRecovery::keepsTheCombat()
{
    takeFile();
    return m_writer && !m_writer->lastWriteFailed();
}

QString CrashRecovery::statePath() const
{
    return m_writer ? m_writer->path() : QString();
}

void CrashRecovery::offerLeft()
{
    if (m_waitingMessage.isEmpty())
        return;
    m_failureTold = true;
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
