#pragma once

#include "combat/FightingOrder.h"
#include "combat/Turns.h"
#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "files/ProfileReader.h"
#include "files/UserFolders.h"
#include "files/platform/FileSystem.h"
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

// The combat of a state file's bytes as loadCombatFile() reads a combat file, with the
// include and amount boxes as they were.
LoadOutcome loadStateFile(const QByteArray &bytes, const roster::Roster &current);

// The user's state folder, opened once and held (platform::PrivateFolder); `problem` says
// why it cannot be, as a sentence for the user.
std::shared_ptr<platform::PrivateFolder> openStateFolder(const QString &folder, QString &problem);

// This program's own state file in the state folder, its lock held from open() to the end.
// Every write goes through the folder held; a folder that is no longer at its path is
// noticed, and nothing more is written.
class StateFile
{
public:
    static std::unique_ptr<StateFile> open(const QString &folder, QString &problem);
    ~StateFile();
    StateFile(const StateFile &) = delete;
    StateFile &operator=(const StateFile &) = delete;

    // The file's path, for messages.
    QString path() const;
    // Replaces the file at once and whole; it is readable by its owner alone. When that
    // fails, the copy there goes too: an older copy would tell of a combat that is no more.
    SaveOutcome write(const QByteArray &bytes) const;
    // The copy goes, its lock stays.
    void clear() const;

private:
    StateFile(std::shared_ptr<platform::PrivateFolder> folder, QString name, int lock);
    std::shared_ptr<platform::PrivateFolder> m_folder;
    QString m_name;
    int m_lock;
};

// A state file whose program has ended, its lock held by this one while it is offered.
// How long a copy an ended program left unsaved is kept once ten newer ones wait before it.
inline constexpr int OldCopyDays = 30;
// How many copies ended programs left unsaved are kept at most, however recent.
inline constexpr int MostCopies = 100;

class LeftState
{
public:
    // The one whose combat changed last among those that no save holds, or none. The files
    // are read newest written first, only their ends, down to the one offered. Files of
    // ended programs that a save held are removed on the way, and so are locks without a
    // file and, beyond the ten newest files, those last written over OldCopyDays days ago
    // (beyond the MostCopies newest, every one);
    // a file that does not read is left alone. No lock is made or kept but the one of the
    // file offered. A raised `stop` ends the look early, with what it found so far.
    static std::unique_ptr<LeftState> findNewest(const QString &folder, const std::atomic<bool> *stop = nullptr);
    ~LeftState();
    LeftState(const LeftState &) = delete;
    LeftState &operator=(const LeftState &) = delete;

    // The file's path, for messages.
    QString path() const;
    const RecoveryMark &mark() const { return m_mark; }
    // Its bytes, through the folder held; empty with `problem` said when they cannot be read.
    QByteArray read(QString &problem) const;
    // The file and its lock go: the combat was taken back, or turned down.
    void remove();

private:
    LeftState(std::shared_ptr<platform::PrivateFolder> folder, QString name, int lock, RecoveryMark mark);
    std::shared_ptr<platform::PrivateFolder> m_folder;
    QString m_name;
    int m_lock;
    RecoveryMark m_mark;
};

} // namespace files
