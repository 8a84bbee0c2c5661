#pragma once
// What an error or lobby line may show a person. Messages raised deep down
// can carry what a file held: a map loader appends the offending element's
// attributes, one "name=value" per line, ended by CR LF. That detail
// belongs in the log, not in a message box or the lobby; the sentences a
// message holds (one per line, like a desync's note where the world was
// written) are kept.
#include <cstddef>
#include <string>

namespace orbitfall {

// Longest text shown; a longer one is cut and ends in "...".
inline constexpr std::size_t MaxShownTextLength = 600;

// The message's lines for a message box, joined by "\n": CR dropped, other
// control characters dropped (a tab becomes a space), blank lines and the
// "name=value" lines of file content after the first line left out, cut to
// MaxShownTextLength bytes without splitting a UTF-8 sequence.
std::string ShownLines(const std::string& message);

// The same on one line (lines joined by a space), for a lobby line.
std::string ShownText(const std::string& message);

}  // namespace orbitfall
