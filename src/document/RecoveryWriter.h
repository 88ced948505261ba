#pragma once

#include "document/CombatDocument.h"
#include "files/StateFile.h"

#include <QDateTime>
#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Keeps the document's combat in this program's state file, so that a crash costs nothing.
// Each change hands a copy of the state (cheap: the texts and turns are shared) to a thread
// of its own, which turns it into bytes and writes it, at most once every `interval`; the
// changes in between are written together. The window's thread never waits for a write.
class RecoveryWriter : public QObject
{
    Q_OBJECT

public:
    RecoveryWriter(const CombatDocument &document, std::unique_ptr<files::StateFile> file,
                   std::chrono::milliseconds interval = std::chrono::milliseconds(250), QObject *parent = nullptr);
    // Writes what is still waiting, then stops.
    ~RecoveryWriter() override;

    QString path() const { return m_file->path(); }
    // Writes the combat one last time, marked closed (the program ends through Exit), and
    // waits for it. Nothing is written after.
    void close();
    // How many states were handed to the thread so far.
    quint64 taken() const { return m_taken; }
    // The last write that ended failed: the copy no longer keeps the combat.
    bool lastWriteFailed() const { return m_lastFailed; }

signals:
    // A write failed (a full disk, a folder that refuses files): said once until a write
    // succeeds again, a sentence.
    void failed(const QString &message);
    // A write reached the file, holding the combat of take number `taken` (see taken()).
    void written(quint64 taken);

private:
    struct Snapshot
    {
        CombatState state;
        CombatState saved;
        QDateTime changed;
        bool closed = false;
        quint64 number = 0;
    };
    void take(bool closed);
    void run();
    void write(const Snapshot &snapshot);
    void stop();

    const CombatDocument &m_document;
    std::unique_ptr<files::StateFile> m_file;
    const std::chrono::milliseconds m_interval;
    QDateTime m_changed;      // the window's thread: when the combat last changed
    bool m_anyChange = false; // the window's thread: the file was ever written
    bool m_toldFailure = false;
    std::atomic<bool> m_lastFailed = false;
    quint64 m_taken = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Snapshot> m_pending;
    bool m_stopping = false;
    std::thread m_thread;
};
