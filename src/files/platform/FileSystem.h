#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Every call the files floor makes to the operating system goes through here.
// One implementation per platform family (FileSystemPosix*.cpp, FileSystemWin*.cpp);
// the floor above turns the results into the sentences the user reads.
namespace files::platform {

// What went wrong, sorted by what the user is told.
enum class Fault {
    None,
    Missing,          // nothing at the path, or (saving) its folder does not exist; `place` says which
    NotAFolder,       // a part of the path that should be a folder is a file
    FolderClosed,     // a folder on the path may not be entered
    NameTooLong,      // the name is longer than the folder's file system allows (`limit` bytes)
    PathTooLong,      // the whole path is longer than the system allows (`limit` bytes)
    LinkLoop,         // the link at `place` leads round in a circle
    ForeignLink,      // the link at `place`, of `owner`, is not followed: it sits in a folder open to
                      // all, or where only a file of this user's own may be
    Busy,             // another save of the file at `place` is under way
    InUse,            // another program has the file open and does not share it (Windows)
    DeviceName,       // the name is a device's, such as CON or COM1 (Windows)
    IsFolder,
    NotOrdinary,      // a pipe, a device, a socket
    ReadOnly,         // the user's own file, which may not be written
    OthersFile,       // a file of `owner` that this user may not write
    FolderReadOnly,   // the folder `place` does not let this user create files
    TooLarge,         // reading: over the size asked for
    Failed,           // any other refusal of the system; `systemText` has its words
};

struct Result
{
    Fault fault = Fault::None;
    QString place;      // the path the fault is about
    QString systemText; // the system's own words for the error, when it gave one
    QString owner;      // OthersFile, ForeignLink: the owner's name
    qint64 limit = 0;   // NameTooLong, PathTooLong: the allowed bytes
    QString keptCopy;   // saving in place failed part way: where the old content was left
    bool putBack = false; // a save of the file cut off earlier was undone first: its old content is back
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

// The whole ordinary file at `path` into `bytes`, at most `maxSize` bytes. Never
// waits on what is not an ordinary file, such as a pipe.
Result readWholeFile(const QString &path, qint64 maxSize, QByteArray &bytes);

// Puts `bytes` into the file at `path`, following links to their target (made if
// missing) as the kernel's protected links do: in a sticky folder writable by
// others only a link of this user or of the folder's owner is followed. The file stays what it was: owner, group, permissions, extended
// attributes and ACLs, hard links. Either the whole new content is in the file
// or the old content is; only when even putting the old content back fails does
// a copy of it stay beside the file, named in `keptCopy`. A save cut off earlier
// (the process killed) is undone first, and `putBack` says so.
Result replaceFileContents(const QString &path, const QByteArray &bytes);

// Undoes a save of the file at `path` that was cut off part way (its old content
// comes back whole from the journal beside it; `putBack` says so) and clears what
// such saves left in its folder. Nothing to do is no fault.
Result recoverInterruptedSave(const QString &path);

// Makes the folder at `path` and those above it that are missing; the folder itself is
// made, or left, readable by its owner alone (0700).
Result makePrivateFolder(const QString &path);

// Takes the lock of the file at `path` (made, 0600, when missing) without waiting. The
// system lets it go when the descriptor is closed or the process ends, however it ends,
// so a lock that can be taken belongs to nobody alive. `descriptor` holds it; Busy when
// another process holds it.
Result tryLockFile(const QString &path, int &descriptor);
// Lets go of a lock that tryLockFile took.
void releaseLock(int descriptor);

// Makes the file at `path` for this user alone (0600), or opens the one there. Nothing looks
// before the making, so nothing can be put at the name between a look and it, and what is
// judged is what was opened. It must be an ordinary file of this user's own: a link is refused
// whoever made it (ForeignLink), so is another's file (OthersFile), a folder (IsFolder)
// and anything else (NotOrdinary). Its content is left as it is.
Result makeOwnFile(const QString &path);

// Removes the file at `path`; a link goes itself, never what it leads to. Nothing there is
// no fault.
Result removeFile(const QString &path);

// The size of the ordinary file at `path`, a link not followed. Missing when nothing is
// there, IsFolder or NotOrdinary (a link too) for what is no ordinary file.
Result fileSize(const QString &path, qint64 &size);

// The names of the ordinary files (links left out) in the folder at `folder` that begin
// with `prefix` and end with `suffix`, sorted.
Result listFiles(const QString &folder, const QString &prefix, const QString &suffix, QStringList &names);

} // namespace files::platform
