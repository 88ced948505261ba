#include "document/RecoveryWriter.h"

RecoveryWriter::RecoveryWriter(const CombatDocument &document, std::unique_ptr<files::StateFile> file,
                               std::chrono::milliseconds interval, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_file(std::move(file))
    , m_interval(interval)
{
    connect(&document, &CombatDocument::changed, this, [this] {
        m_changed = QDateTime::currentDateTimeUtc();
        m_anyChange = true;
        take(false);
    });
    // A save or load after the last change: the file now says a save holds it.
    connect(&document, &CombatDocument::saved, this, [this] {
        if (m_anyChange)
            take(false);
    });
    m_thread = std::thread([this] { run(); });
    // A combat changed before the writer came is written at once.
    if (document.history().canUndo()) {
        m_changed = QDateTime::currentDateTimeUtc();
        m_anyChange = true;
        take(false);
    }
}

RecoveryWriter::~RecoveryWriter()
{
    stop();
}

void RecoveryWriter::close()
{
    if (m_anyChange)
        take(true);
    stop();
}

void RecoveryWriter::take(bool closed)
{
    Snapshot next{m_document.state(), m_document.savedState(), m_changed, closed, ++m_taken};
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_pending = std::move(next);
    }
    m_wake.notify_one();
}

void RecoveryWriter::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void RecoveryWriter::run()
{
    auto lastWrite = std::chrono::steady_clock::now() - m_interval;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_stopping; });
        // The changes of the next moments join this one; a program that ends writes at once.
        m_wake.wait_until(lock, lastWrite + m_interval, [this] { return m_stopping; });
        if (!m_pending)
            return; // stopping, and everything written
        const Snapshot snapshot = std::move(*m_pending);
        m_pending.reset();
        lock.unlock();
        write(snapshot);
        lastWrite = std::chrono::steady_clock::now();
        lock.lock();
    }
}

void RecoveryWriter::write(const Snapshot &snapshot)
{
    const files::RecoveryMark mark{snapshot.changed, sameInAFile(snapshot.state, snapshot.saved), snapshot.closed};
    const CombatState &state = snapshot.state;
    const QByteArray bytes = files::stateFileBytes(state.roster, state.order, state.turn, mark);
    QString problem;
    if (bytes.isEmpty()) {
        problem = QStringLiteral("The combat is too large to be kept for after a crash; save it to a file.");
        m_file->clear(); // an older copy would tell of a combat that is no more
    } else if (const files::SaveOutcome outcome = m_file->write(bytes); !outcome.ok) {
        problem = QStringLiteral("The combat is not being kept for after a crash. %1").arg(outcome.error);
    }
    m_lastFailed = !problem.isEmpty();
    // Told on the window's thread; dropped if this writer is gone by then.
    QMetaObject::invokeMethod(
        this,
        [this, problem, number = snapshot.number] {
            if (problem.isEmpty()) {
                m_toldFailure = false; // a later failure is news again
                emit written(number);
            } else if (!m_toldFailure) {
                m_toldFailure = true;
                emit failed(problem);
            }
        },
        Qt::QueuedConnection);
}
