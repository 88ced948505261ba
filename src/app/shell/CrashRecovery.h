#pragma once

#include "document/CommandResult.h"
#include "document/RecoveryWriter.h"
#include "files/StateFile.h"

#include <QDateTime>
#include <QObject>

#include <memory>
#include <thread>

class CombatDocument;

// A crash costs nothing: the document's combat is kept in this program's state file, and
// the newest combat an ended Fraymark left unsaved is offered back. What it finds on the
// disk it looks for on a thread of its own, so the window shows meanwhile; a window shows
// what it offers and says (MainFrm::attachRecovery).
class CrashRecovery : public QObject
{
    Q_OBJECT

public:
    // Nothing when FRAYMARK_NO_RECOVERY=1: then nothing is written or offered.
    static std::unique_ptr<CrashRecovery> start(CombatDocument &document,
                                                const QString &folder = files::stateFolderPath());
    ~CrashRecovery() override;

    // Exit: the combat is written one last time and marked closed.
    void close();
    // This program's state file; empty while it is being made or when it cannot be kept.
    QString statePath() const;
    // Waits until the look at the disk has been taken in (tests and benchmarks).
    void waitUntilReady();

    // The offered combat back, as one step; refused when its file cannot be read (it stays
    // to be offered again).
    CommandResult restore();
    // The offered combat is forgotten for good.
    void discard();

signals:
    // A combat last changed at `changed` is offered; `closed`: its program ended through Exit.
    void offered(const QDateTime &changed, bool closed);
    // Something to say once: the combat is not being kept.
    void told(const QString &message);
    // The offer is gone (the user went on with another combat), or what was told is no
    // longer so.
    void withdrawn();

private:
    struct Found;
    explicit CrashRecovery(CombatDocument &document);
    // On the window's thread: what the look found.
    void take(Found &found);
    void offerLeft();

    CombatDocument &m_document;
    std::thread m_look;
    std::unique_ptr<RecoveryWriter> m_writer;
    std::unique_ptr<files::LeftState> m_offered;
    QString m_waitingMessage;
    bool m_ready = false;
    bool m_failureTold = false;
};
