// Where bank-data editions are kept outside the program.
//
// A user installs editions into a folder of their own,
// $XDG_DATA_HOME/Korvane/Talvenor (XDG_DATA_HOME defaults to
// ~/.local/share). An administrator may provide editions for every user in
// the folders "talvenor" below each entry of $XDG_DATA_DIRS (default
// /usr/local/share:/usr/share); the program only reads those. The
// machine's own folder, /var/lib/talvenor, is kept current by the
// system-wide update and read by every user's program. Relative entries in
// either variable are ignored, as the XDG rules demand.
#ifndef TALVENOR_PLATFORM_DATA_FOLDERS_H_
#define TALVENOR_PLATFORM_DATA_FOLDERS_H_

#include <filesystem>
#include <vector>

namespace talvenor::platform {

// The user's own edition folder (it need not exist yet).
std::filesystem::path UserDataFolder();

// The folder the system-wide update installs into: /var/lib/talvenor, or
// $TALVENOR_SYSTEM_DATA when that names an absolute folder (another
// layout, or a test's own folder).
std::filesystem::path SystemUpdateFolder();

// The system-wide edition folders, most important first: the update's
// folder, then those below $XDG_DATA_DIRS.
std::vector<std::filesystem::path> SystemDataFolders();

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_DATA_FOLDERS_H_
