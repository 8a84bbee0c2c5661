#pragma once
// The shipped data folder and the writable user folder, and how a relative
// data-file name becomes a path: user copy first, then shipped data, with
// image-extension substitution for ".img" names.
#include <string>

namespace orbitfall {

// Both absolute, ending in '/', fixed for the whole run once set.
const std::string& DataDir();
const std::string& UserDir();

// Start-up of the folders: Data/ and UserFiles/ beside the executable, else
// ../Game/Data/ and ../Game/UserFiles/ (both switch together); "Data not found"
// when neither exists. Creates the user folder and its Replays and Maps
// folders (single-level, failures ignored).
void LocateDataDirs(const std::string& exeDir);

// Sets both folders directly (tests, and --user-dir of the headless runner)
// and creates the user folders as LocateDataDirs does.
void SetDataDirs(const std::string& dataDir, const std::string& userDir);

// Tear-down: clears both names.
void ClearDataDirs();

// The absolute path for a relative name such as "Units\Units.ofu".
// "Invalid Filename" for a name containing "..".
std::string ResolveFileName(const std::string& name);

}  // namespace orbitfall
