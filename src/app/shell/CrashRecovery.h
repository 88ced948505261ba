#pragma once

#include "document/CommandResult.h"
#include "document/RecoveryWriter.h"
#include "files/StateFile.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>

#include <atomic>

#include <memory>
#include <thread>

class CombatDocument;

// A crash costs nothing: the document's combat is kept in this program's state file, and
// the newest combat an ended Fraymark left unsaved is offered back. It looks at the disk
// on a thread of its own once asked to (the window asks once it has first painted); a
// window shows what it offers and says (MainFrm::attachRecovery).
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
    // The copy holds the combat as it was at the last write: the folder is there and that
    // write did not fail.
    bool keepsTheCombat();
    // Starts the look at the disk, once: for copies left behind, and for this program's own.
    void look();
    // Looks, if it has not yet, and waits until what it found has been taken in (tests).
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
    CrashRecovery(CombatDocument &document, QString folder);
    // On the window's thread: this program's own file, made first so that the combat is
    // kept from the start; then the newest copy left, found however long that takes.
    void takeFile();
    void takeLeft();
    void offerLeft();
    // Without a file of its own: a change makes one, when the folder lets it now.
    void tryAgain();
    void startWriting(std::unique_ptr<files::StateFile> file);

    CombatDocument &m_document;
    QString m_folder;
    std::thread m_look;
    std::atomic<bool> m_stopLooking = false;
    // Filled by the look's thread, each made final before the call that takes it in is sent.
    std::unique_ptr<files::StateFile> m_foundFile;
    QString m_problem;
    std::unique_ptr<files::LeftState> m_foundLeft;
    std::atomic<bool> m_fileFound = false;
    bool m_fileTaken = false;
    bool m_ready = false;
    std::unique_ptr<RecoveryWriter> m_writer;
    std::unique_ptr<files::LeftState> m_offered;
    QString m_waitingMessage;
    bool m_failureTold = false;
    QElapsedTimer m_lastTry;
};
