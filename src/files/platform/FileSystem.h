#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>

// Every call the files floor makes to the operating system goes through here.
// One implementation per platform family (FileSystemPosix*.cpp, FileSystemWin*.cpp);
// the floor above turns the results into the sentences the user reads.
namespace files::platform {

// What went wrong, sorted by what the user is told.
enum class Fault {
    None,
    Missing,          // nothing at the path, or (saving) its folder does not exist; `place` says which
    NotAFolder,       // a part of the path that should be a folder is a file (`place`)
    FolderClosed,     // a folder on the path may not be entered
    NameTooLong,      // the name is longer than the folder's file system allows (`limit` bytes)
    PathTooLong,      // the whole path is longer than the system allows (`limit` bytes)
    LinkLoop,         // the link at `place` leads round in a circle
    ForeignLink,      // the link at `place`, of `owner`, is not followed: only the user's own are
    SharedFolderLink, // the link at `place` is not followed: the folder `via` on the way to it
                      // may be written by others, who could have put it there
    Busy,             // another program holds a lock on the file at `place`, perhaps a save of it
    Unsettled,        // the name kept leading to another file while a save looked at it
    Unreadable,       // the file may be written but not read, and a save into it keeps its old
                      // content first
    SystemLink,       // the link at `place` is one the system keeps to a program's open file
                      // (/proc), not a file's name
    OpenFolder,       // a folder on the way (`via`) lets others rename or replace what it holds
    NoJournals,       // the save must go into the file itself, and the user's folder for its
                      // journal could not be had (`systemText` says why)
    JournalFailed,    // the journal could not be written in the folder `place`
    InUse,            // another program has the file open and does not share it (Windows)
    DeviceName,       // the name is a device's, such as CON or COM1 (Windows)
    IsFolder,
    NotOrdinary,      // a pipe, a device, a socket
    ReadOnly,         // the user's own file, which may not be written
    OthersFile,       // a file or folder of `owner` where only the user's own may be
    FolderReadOnly,   // the folder `place` does not let this user create files
    TooLarge,         // reading: over the size asked for
    Moved,            // a folder held open is no longer at its path (`place`)
    Failed,           // any other refusal of the system; `systemText` has its words
};

struct Result
{
    Fault fault = Fault::None;
    QString place;      // the path the fault is about
    QString systemText; // the system's own words for the error, when it gave one
    QString owner;      // OthersFile, ForeignLink: the owner's name
    QString via;        // SharedFolderLink, OpenFolder: the folder others may write
    qint64 limit = 0;   // NameTooLong, PathTooLong: the allowed bytes
    QString keptCopy;   // saving in place failed part way: where the old content was left
    bool putBack = false; // a save of the file cut off earlier was undone first: its old content is back
    QString setAside;   // a cut-off save's journal no longer fitted the file, which was left as it
                        // is: where the content that save was replacing is kept now
    bool journalDamaged = false; // what was set aside is the journal itself, damaged on the disk
    QString cutSave;    // the path the cut-off save was writing, when it was another name
    bool ok() const { return fault == Fault::None; }
};

// A refusal at `place`, with the system's own words when it gave any.
inline Result refusal(Fault fault, const QString &place, const QString &systemText = QString())
{
    Result result;
    result.fault = fault;
    result.place = place;
    result.systemText = systemText;
    return result;
}

// A folder of this user's own and nobody else's, opened once: made (readable by its owner
// alone) when missing, every folder on the way found as a save finds the way to a file, and
// none of them one where others may rename or replace what it holds (a sticky folder of the
// user's or root's is safe). Every file in it is made, read, written, locked and removed
// through the folder held. The names given are bare file names.
class PrivateFolder
{
public:
    static Result open(const QString &path, std::unique_ptr<PrivateFolder> &folder);
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;

    const QString &path() const { return m_path; }
    // Moved when the path leads to another folder now (renamed away, replaced); no fault
    // while it is still the folder held.
    Result stillAtItsPath() const;

    // Writes `bytes` as the file `name` whole or not at all: a new file of this user's
    // alone (0600) renamed over the name. Whatever was at the name (a link, another's file)
    // is replaced, never written through.
    Result writeFile(const QString &name, const QByteArray &bytes) const;
    // At most `maxSize` bytes of the ordinary file `name` (a link is none), the last ones
    // when `tail` is set; TooLarge only without `tail`.
    Result readFile(const QString &name, qint64 maxSize, QByteArray &bytes, bool tail = false) const;
    // Renames the file `name` to `newName` in the folder.
    Result renameFile(const QString &name, const QString &newName) const;
    // Nothing there is no fault; a link goes itself.
    Result removeFile(const QString &name) const;
    // Missing when nothing is there, NotOrdinary for a link or anything else.
    Result fileSize(const QString &name, qint64 &size) const;
    struct Listed
    {
        QString name;
        qint64 modified = 0; // when last written, in ms since 1970 (UTC)
    };
    // The ordinary files whose names begin with `prefix`, the most recently written first.
    Result listFiles(const QString &prefix, QList<Listed> &files) const;
    // Takes the lock of the file `name` without waiting; with `make`, the file is made
    // (0600) when missing, without it Missing says there is none. The system lets the lock
    // go when `descriptor` is released or the process ends, however it ends, so a lock that
    // can be taken belongs to nobody alive. Busy when another process holds it.
    Result tryLock(const QString &name, bool make, int &descriptor) const;

private:
    struct Held;
    PrivateFolder(QString path, std::shared_ptr<Held> held)
        : m_path(std::move(path))
        , m_held(std::move(held))
    {
    }

    QString m_path;
    std::shared_ptr<Held> m_held; // shared: freed where the platform made it
};

// Lets go of a lock that PrivateFolder::tryLock took.
void releaseLock(int descriptor);

// The whole ordinary file at `path` into `bytes`, at most `maxSize` bytes. Links on the
// way are followed by the rule of replaceFileContents, so a load and a save of one path
// always reach the same file. Never waits on what is not an ordinary file, such as a pipe;
// waits a moment for an in-place save of the file under way (Busy when it goes on).
Result readWholeFile(const QString &path, qint64 maxSize, QByteArray &bytes);

// Puts `bytes` into the file at `path`, or nothing at all. A link on the way is followed
// only when it is the user's own (or root's, which nobody else can have put there) and no
// folder on the way to it may be written by anyone but the user and root, unless it is the
// user's own: whoever may write a folder may put a link there. A missing target is made.
// The file stays what it was: owner, group, permissions, extended attributes and ACLs,
// hard links.
//
// A new file beside it is renamed over it where that keeps all of these. Otherwise the
// bytes go into the file itself, under a lock on the file, so saves through any of its
// names wait for each other, and after a journal in `journals` (the user's private
// folder) holding the old content and the new one. A failure part way puts the old content
// back; only when even that fails does a copy of it stay, named in `keptCopy`. A save cut
// off earlier (the process killed) is undone first, and `putBack` says so; a journal of it
// that no longer fits the file is set aside (`setAside`). Without `journals`, a save that
// must write in place is refused.
Result replaceFileContents(const QString &path, const QByteArray &bytes, const PrivateFolder *journals);

// Undoes a save of the file at `path` that was cut off part way, when its journal in
// `journals` says the file holds exactly a cut of that save's bytes (`putBack`); a file
// that holds that save's new content whole, or its old one, only loses the journal, and a
// file that holds anything else is left alone, the journal set aside (`setAside`). Clears
// what saves left beside the file. Nothing to do is no fault.
Result recoverInterruptedSave(const QString &path, const PrivateFolder *journals);

} // namespace files::platform
