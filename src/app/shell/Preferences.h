#pragma once

#include <QString>

// The window's choices kept between runs of the program, in the user's settings file:
// fraymark/fraymark.ini in the user's configuration folder (~/.config on Linux, the roaming
// application data on Windows). An ini file on every system, so a test can move it with
// QSettings::setPath and never touch the user's own.
namespace preferences {

// Group Initiative in the Combat menu; off until the user turns it on.
bool groupInitiative();
// False when the file could not be written: the choice then lasts until the program ends.
bool setGroupInitiative(bool on);

// Where the choices are kept, to name it when it cannot be written.
QString fileName();

} // namespace preferences
