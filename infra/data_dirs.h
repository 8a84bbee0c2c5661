#pragma once
// The shipped data folder and the writable user folder, and how a relative
// data-file name becomes a path: user copy first, then shipped data, with
// image-extension substitution for ".img" names.
#include <string>

namespace orbitfall {

// Both absolute, ending in '/', fixed for the whole run once set.
const std::string& DataDir();
const std::string& UserDir();

// Where the folders were found.
enum class TDataLayout {
    BesideProgram,  // Data/ and UserFiles/ beside the executable
    GameFolder,     // ../Game/Data/ and ../Game/UserFiles/: a checkout's build/
    Installed,      // ../share/orbitfall/Data/, user files in the home folder
};

struct TDataFolders {
    TDataLayout Layout = TDataLayout::BesideProgram;
    std::string Data;  // absolute, ending in '/'
    std::string User;  // absolute, ending in '/'
    // Installed only: where User came from, and an XDG_DATA_HOME passed over
    // because it is not an absolute path (see home_user_folder.h).
    std::string UserSource;
    std::string IgnoredXdgDataHome;
};

// The folders the rules give for a program in exeDir, creating nothing:
// Data/ and UserFiles/ beside it, else ../Game/Data/ and ../Game/UserFiles/
// (both switch together), else the installed layout: ../share/orbitfall/Data/
// (relative to the program, so a moved prefix still works) with the user
// folder in the home folder. "Data not found" when none has a data folder.
TDataFolders FindDataFolders(const std::string& exeDir);

// Start-up of the folders as FindDataFolders finds them. userDirOverride, when
// not empty, is the user folder instead (several copies on one machine, tests),
// and the user folder the rules found is left untouched.
// Creates the user folder and its Replays and Maps folders: beside the program
// single-level with failures ignored (a failure shows when a file cannot be
// written); in the home folder with missing parents, and a folder that cannot
// be made or written is an Exception naming it, leaving nothing half-made.
void LocateDataDirs(const std::string& exeDir, const std::string& userDirOverride = "");

// The XDG_DATA_HOME that start-up passed over, else empty.
const std::string& IgnoredXdgDataHome();

// Sets both folders directly (tests, and --user-dir of the headless runner)
// and creates the user folders as LocateDataDirs does.
void SetDataDirs(const std::string& dataDir, const std::string& userDir);

// Tear-down: clears both names.
void ClearDataDirs();

// The absolute path for a relative name such as "Units\Units.ofu".
// "Invalid Filename" for a name containing "..".
std::string ResolveFileName(const std::string& name);

}  // namespace orbitfall
