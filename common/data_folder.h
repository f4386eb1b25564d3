#pragma once

#include <QString>

namespace common {

// Looks a variable up in the process environment: walks the entries in their
// order (at most 1000, stopping at the first empty one) and answers the first
// entry whose leading Len(name) characters equal `name`, compared without
// regard to letter case, without those characters and the "=" after them.
// No match (or an empty name) gives an empty text.
QString GetEnvValue(const QString& name);

// Sets the per-user data folder: APPDATA when it is set, otherwise
// $XDG_DATA_HOME (default ~/.local/share), followed by "TamrasystemHikaku/".
// Every program calls this first thing at start-up.
void SetDataFolder();

// The data folder set by SetDataFolder, always ending with the separator, so
// file names are appended directly. Empty before SetDataFolder is called.
QString DataFolder();

enum class FolderAction {
    Check,  // only look
    Create, // make a missing folder with all its missing parents
};

// True when an entry (a folder or a file) of that path exists, or, with
// Create, once the missing folder has been made; false when it is missing
// (Check) or cannot be made.
bool EnsureFolder(FolderAction action, const QString& path);

} // namespace common
