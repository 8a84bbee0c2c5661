#pragma once
// The user folder of an installed copy. The program's own folder is not
// writable there, so logs, replays and user maps live in the player's home,
// where the XDG base-directory rules put per-user application data.
#include <string>

namespace orbitfall {

struct THomeUserFolder {
    std::string Path;     // absolute, lexically normal, ending in '/'
    std::string Source;   // "XDG_DATA_HOME", "HOME" or "the password database"
    // A set but unusable XDG_DATA_HOME that was passed over, else empty.
    std::string IgnoredXdgDataHome;
};

// $XDG_DATA_HOME/orbitfall/ when the variable is an absolute path; otherwise
// (unset, empty or relative: the XDG rules say a relative value is invalid and
// to be ignored) $HOME/.local/share/orbitfall/, with the home folder from the
// password database when HOME is unset or relative. Creates nothing.
// An Exception when no absolute home folder is known at all.
THomeUserFolder FindHomeUserFolder();

// Creates the folder (and missing parents, mode 0700 as the XDG rules ask)
// with its Replays and Maps folders, and checks that all three are writable
// folders. On failure an Exception naming the folder, and every folder this
// call made is removed again: no half-made tree is left behind.
void CreateHomeUserFolder(const THomeUserFolder& folder);

}  // namespace orbitfall
