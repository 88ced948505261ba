#pragma once

#include "combat/FightingOrder.h"
#include "combat/Turns.h"
#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "files/ProfileReader.h"
#include "roster/Roster.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

// What a running Fraymark keeps of its combat so that a crash costs nothing: one file per
// running program in the user's state folder, a combat file with its fight and one more
// section, "[Recovery]", saying when the combat last changed, whether a save to a file
// holds it, and whether the program closed normally. A lock beside each file is held while
// its program runs, so another Fraymark tells the living from the dead.
namespace files {

inline const QString RecoverySectionName = QStringLiteral("Recovery");

// $XDG_STATE_HOME/fraymark, or ~/.local/state/fraymark when that is unset or not absolute
// (on Windows %LOCALAPPDATA%\fraymark).
QString stateFolderPath();
// FRAYMARK_NO_RECOVERY=1: nothing is written or offered.
bool recoveryTurnedOff();

struct RecoveryMark
{
    QDateTime changed; // UTC
    bool saved = false;  // a save to a file (or the file loaded) holds every change
    bool closed = false; // the program ended through Exit
};

// The whole state file: the combat as a save writes it, its fight, then the mark with what a
// combat file leaves out (the include boxes as they were, the amount boxes). Empty when the
// combat is too large for any load to take it back.
QByteArray stateFileBytes(const roster::Roster &roster, const QList<combat::OrderEntry> &order,
                          const combat::FightRecord &turn, const RecoveryMark &mark);
// The mark of a state file; nothing when it has none that reads.
std::optional<RecoveryMark> readRecoveryMark(const ProfileReader &file);

// The combat of a state file as loadCombatFile() reads a combat file, with the include and
// amount boxes as they were.
LoadOutcome loadStateFile(const QString &path, const roster::Roster &current);

// This program's own state file, its lock held from open() to the end.
class StateFile
{
public:
    // Makes the folder (0700) and locks this program's file in it; `problem` says why not,
    // as a sentence for the user.
    static std::unique_ptr<StateFile> open(const QString &folder, QString &problem);
    ~StateFile();
    StateFile(const StateFile &) = delete;
    StateFile &operator=(const StateFile &) = delete;

    const QString &path() const { return m_path; }
    // Replaces the file at once and whole, as a save does; it is readable by its owner alone.
    SaveOutcome write(const QByteArray &bytes) const;

private:
    StateFile(QString path, QString lockPath, int lock);
    QString m_path;
    QString m_lockPath;
    int m_lock;
};

// A state file whose program has ended, its lock held by this one while it is offered.
class LeftState
{
public:
    // The one whose combat changed last among those that no save holds, or none. Files of
    // ended programs that a save held are removed on the way; a file that does not read is
    // left alone.
    // A raised `stop` ends the look early, with what it found so far.
    static std::unique_ptr<LeftState> findNewest(const QString &folder, const std::atomic<bool> *stop = nullptr);
    ~LeftState();
    LeftState(const LeftState &) = delete;
    LeftState &operator=(const LeftState &) = delete;

    const QString &path() const { return m_path; }
    const RecoveryMark &mark() const { return m_mark; }
    // The file and its lock go: the combat was taken back, or turned down.
    void remove();

private:
    LeftState(QString path, QString lockPath, int lock, RecoveryMark mark);
    QString m_path;
    QString m_lockPath;
    int m_lock;
    RecoveryMark m_mark;
};

} // namespace files
