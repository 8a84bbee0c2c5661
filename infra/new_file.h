#pragma once
// Files that are written once and never replaced (reports a player sends
// on): created only where no file, folder or link of that name exists, and
// never through a symbolic link, so a planted link cannot redirect the write
// onto another file.
#include <string>

namespace orbitfall {

// Makes folder (one level, an existing one is kept) and writes text into a
// new file in it named stem + extension, or stem + "-2" + extension and so on
// when that name is taken. Returns the path written. EFCreateError when the
// folder is a link or cannot be made, or no free name is found; a write that
// fails half-way removes the partial file before it raises.
std::string WriteNewFile(const std::string& folder, const std::string& stem, const std::string& extension,
                         const std::string& text);

}  // namespace orbitfall
