#pragma once
// The program's one formatting routine for messages with placeholders
// ("%s in Zeile %d", "ListIndexError at %s", the language file's texts).
// Placeholders: %[index:][-][width][.precision]type with type d, u, x, s, f,
// g, e, n; "%%" is a percent sign. A placeholder that does not fit its
// argument, or an argument missing, raises an Exception naming the format.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace orbitfall {

using FormatArg = std::variant<std::int64_t, std::uint64_t, double, std::string>;

std::string Format(const std::string& format, std::initializer_list<FormatArg> args);

// Lower-cases ASCII letters only, as the data formats compare names.
std::string LowerAscii(std::string text);
// Case-insensitive comparison of ASCII texts: <0, 0, >0.
int CompareTextIgnoringCase(std::string_view a, std::string_view b);
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace orbitfall
