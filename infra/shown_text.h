#pragma once
// What an error or lobby line may show a person. Messages raised deep down
// can carry what a file held (a map loader appends the offending element's
// attributes, one per line, with CR LF); that detail belongs in the log, not
// in a message box or the lobby.
#include <cstddef>
#include <string>

namespace orbitfall {

// Longest text shown; a longer one is cut and ends in "...".
inline constexpr std::size_t MaxShownTextLength = 240;

// The first line that holds anything; other control characters dropped (a
// tab becomes a space), spaces trimmed, cut to MaxShownTextLength bytes
// without splitting a UTF-8 sequence. The result has no control characters
// and is never empty unless the message holds nothing printable.
std::string ShownText(const std::string& message);

}  // namespace orbitfall
