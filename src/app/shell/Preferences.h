#pragma once

#include <QString>
#include <QStringList>

// The window's choices kept between runs of the program, in fraymark/fraymark.ini in the
// user's configuration folder ($XDG_CONFIG_HOME, else ~/.config; the roaming application
// data on Windows). The folder is held as the crash copies' folder is: only this user's,
// reached by no link another could have put there, and the file is read only when it is an
// ordinary one of a few kilobytes, so that no file put there can hold up the start.
namespace preferences {

// The Combat menu's checks, each off until the user turns it on.
struct Choices
{
    bool groupInitiative = false;
    bool monstersDieAtZero = false;
    // The folders the user added to the library, beside its own (files::libraryFolderPath()).
    QStringList libraryFolders;
    // The port Share with Players listens on; 0 lets the system choose one each time.
    int sharePort = 0;
};
Choices choices();
// False when the file could not be written, or a library folder not kept in it (a line break in
// its path, past 100 folders): the choices then last until the program ends.
bool setChoices(const Choices &choices);

// One choice, the others as they are kept.
inline bool groupInitiative() { return choices().groupInitiative; }
bool setGroupInitiative(bool on);
bool setMonstersDieAtZero(bool on);
// A folder whose path holds a line break cannot be kept, and is left out.
bool setLibraryFolders(const QStringList &folders);
bool setSharePort(int port);

// Where the choices are kept, to name it when it cannot be written.
QString fileName();

} // namespace preferences
