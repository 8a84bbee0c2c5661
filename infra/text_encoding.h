#pragma once
// Texts shown in windows are UTF-8. The data files (the language table, map
// names from file names, the user's host list) are 8-bit text that is either
// UTF-8 already or in the Windows code page the game's files were written in.
#include <string>

namespace orbitfall {

// Valid UTF-8 sequences pass unchanged; every other byte is read as
// Windows-1252 (its five unassigned bytes become U+FFFD). ASCII controls other
// than tab and line breaks become U+FFFD too, so nothing invisible is shown.
std::string ToUtf8(const std::string& text);

// True when the whole text is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool IsValidUtf8(const std::string& text);

}  // namespace orbitfall
