#pragma once
// The one place where the program's file names meet the Linux file system.
//
// The game names files with backslashes ("Replays\Latest.ofr") and was written
// for a file system that ignores letter case (it asks for "maps\" + name while
// the lobby lists "Maps\*.ofm"). Every function here accepts such names, turns
// backslashes into '/', and finds an existing file or folder whose path differs
// from the given one only in letter case. Nothing else in the program converts
// separators or compensates for case.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbitfall {

// Backslashes to '/'; nothing else changes. Purely textual.
std::string ToNativeSeparators(const std::string& path);

// The path as it exists on disk: each component that exists in some letter
// case is replaced by its spelling on disk (an exact match wins over a
// case-insensitive one); components from the first missing one on are kept as
// given. Separators are native in the result.
std::string FindExistingCase(const std::string& path);

bool FileExists(const std::string& path);       // an existing regular file, not a folder
// The path as spelled on disk when it names an existing regular file.
std::optional<std::string> ExistingFile(const std::string& path);
bool DirectoryExists(const std::string& path);  // an existing folder

// Single-level create; true when the folder was made. Parent folders are not created.
bool CreateDir(const std::string& path);

// Whole-file read and write; EFOpenError / EFCreateError on failure.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& contents);

// Names (not paths) of the regular files in folder whose names match pattern,
// where '*' and '?' are wildcards and letter case is ignored; sorted by name.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern);

// Folder of the running executable, absolute, ending in '/'.
std::string ExecutableDir();

}  // namespace orbitfall
