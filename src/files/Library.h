#pragma once

#include "roster/Row.h"

#include <QList>
#include <QString>
#include <QStringList>

// The user's library of monsters: the stat-block text files (.txt) and saved combats (.ini)
// lying directly in a few folders (sub-folders are not looked into), each named monster a
// row to add to a combat.
namespace files {

struct LibraryEntry
{
    QString name;    // the row's name, as the search reads it
    roster::Row row; // as the stat block or the saved combat holds it
    QString file;    // the file it came from
};

struct LibraryIndex
{
    QList<LibraryEntry> entries; // sorted by name, ignoring case; equal names in the order read
    QStringList unreadable;      // one sentence for each file skipped, saying why
};

// A library file larger than this is no stat block or combat of a library, and is skipped.
inline constexpr qint64 LargestLibraryFile = 1024 * 1024;

// Every stat block of each .txt file and every named row of each saved combat (.ini) found
// directly in `folders`, the folders in their order and their files by name. A folder that is
// not there is passed over (the library's own until the first save, a drive not plugged in);
// one that cannot be listed, and a file too large, unreadable or holding nothing to take, is
// named in `unreadable`. Reads only; a cut-off save of a combat is left for its load to undo.
LibraryIndex indexLibrary(const QStringList &folders);

// The indices of the entries `typed` names, best first, as the target bar ranks names: the
// names equal to the text, then those that begin with it, those that contain it and those
// that hold its letters in order with others between ("wo2" is "Wolf 2"), ignoring case and
// the blanks around the text, each kind in the entries' order. Every entry for a blank text.
QList<int> searchLibrary(const QList<LibraryEntry> &entries, const QString &typed);

struct LibrarySave
{
    bool ok = false;
    QString path;  // the file written
    QString error; // a sentence for the user when nothing was written
};

// `name` as a file name that both Linux and Windows take: no path signs, no control
// characters, no device name, no leading dot, no trailing dot or blank, not too long;
// "Unnamed" when nothing is left.
QString libraryFileName(const QString &name);

// Writes the row as a stat block (combat::statBlockText) to a new file "<name>.txt" in
// `folder`, or "<name> 2.txt", "<name> 3.txt"... when the name is taken: an existing file is
// never written over. A missing folder is made, readable by its owner alone.
LibrarySave saveToLibrary(const roster::Row &row, const QString &folder);

} // namespace files
