#pragma once

#include <QString>

namespace files {

// Fraymark's folders in the user's home, each in the place its kind has on the system; the
// XDG variable of the kind wins wherever it holds an absolute path.
// State (the crash copies, the journals of saves): $XDG_STATE_HOME/fraymark, else
// ~/.local/state/fraymark; on Windows the local application data, for this machine only.
QString stateFolderPath();
// Settings: $XDG_CONFIG_HOME/fraymark, else ~/.config/fraymark; on Windows the roaming
// application data, which follows the user.
QString configFolderPath();
// Data (the user's library of monsters): $XDG_DATA_HOME/fraymark, else ~/.local/share/fraymark;
// on Windows the roaming application data, which follows the user.
QString dataFolderPath();
// The library folder Save to Library writes into, always searched: "library" in the data folder.
QString libraryFolderPath();

} // namespace files
