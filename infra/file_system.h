#pragma once
// The one place where the program's file names meet the Linux file system.
//
// The game names files with backslashes ("Replays\Latest.ofr") and was written
// for a file system that ignores letter case (it asks for "maps\" + name while
// the lobby lists "Maps\*.ofm"). Every function here accepts such names, turns
// backslashes into '/', and finds an existing file or folder whose path differs
// from the given one only in letter case. Nothing else in the program converts
// separators or compensates for case.
#include <cstddef>
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

// Whole-file read and write; EFOpenError / EFCreateError on failure. The
// write goes through OpenForWriting: a link at the name is replaced.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& contents);

// Reads at most maxBytes of a regular file, for files whose size has a bound
// and that come from outside (a start record, a host list): EFOpenError when
// it cannot be opened; EFileError "... is not a regular file" for a FIFO, a
// device or a folder (opened without waiting for a FIFO's writer).
// fileSize receives the file's whole size.
std::string ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::uint64_t* fileSize = nullptr);

// Opens a native path for writing with O_WRONLY | O_CREAT | O_CLOEXEC plus
// flags, never following a symbolic link at its last component: the files
// the program writes under fixed names in the user folder would otherwise
// write into whatever such a link points to. A link found there is removed
// (its target is left alone) and a new file made in its place. Returns the
// descriptor, or -1 with errno set.
int OpenForWriting(const std::string& nativePath, int flags, unsigned mode = 0666);

// Names (not paths) of the regular files in folder whose names match pattern,
// where '*' and '?' are wildcards and letter case is ignored; sorted by name.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern);

// Folder of the running executable, absolute, ending in '/'.
std::string ExecutableDir();

}  // namespace orbitfall
