#include "infra/numeric.h"

#include <charconv>
#include <cstring>
#include <optional>

#include "infra/errors.h"
#include "infra/text_format.h"

namespace orbitfall {
namespace {

bool IsBlank(char c) { return c == ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the exact syntax the data files use ("." as separator, whatever the
// locale) and converts with from_chars, which never consults the locale.
std::optional<long double> ParseFloat(const std::string& text) {
    std::size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    std::size_t end = n;
    while (end > i && IsBlank(text[end - 1])) --end;
    if (i == end) return std::nullopt;

    std::size_t p = i;
    if (text[p] == '+' || text[p] == '-') ++p;
    std::size_t digits = 0;
    while (p < end && IsDigit(text[p])) { ++p; ++digits; }
    if (p < end && text[p] == '.') {
        ++p;
        while (p < end && IsDigit(text[p])) { ++p; ++digits; }
    }
    if (digits == 0) return std::nullopt;
    if (p < end && (text[p] == 'e' || text[p] == 'E')) {
        ++p;
        if (p < end && (text[p] == '+' || text[p] == '-')) ++p;
        std::size_t expDigits = 0;
        while (p < end && IsDigit(text[p])) { ++p; ++expDigits; }
        if (expDigits == 0) return std::nullopt;
    }
    if (p != end) return std::nullopt;

    // from_chars takes no leading '+'.
    std::size_t start = text[i] == '+' ? i + 1 : i;
    long double value = 0;
    auto [ptr, ec] = std::from_chars(text.data() + start, text.data() + end, value,
                                     std::chars_format::general);
    if (ec != std::errc() || ptr != text.data() + end) return std::nullopt;
    return value;
}

std::optional<std::int32_t> ParseInt(const std::string& text) {
    std::size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && text[i] == '+') ++i;
    if (i == n) return std::nullopt;
    std::int32_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + n, value, 10);
    if (ec != std::errc() || ptr != text.data() + n) return std::nullopt;
    return value;
}

}  // namespace

long double StrToFloatDef(const std::string& text, long double def) {
    return ParseFloat(text).value_or(def);
}

long double StrToFloat(const std::string& text) {
    if (auto v = ParseFloat(text)) return *v;
    throw EConvertError(Format("'%s' ist kein gültiger Gleitkommawert", {text}));
}

std::int32_t StrToInt(const std::string& text) {
    if (auto v = ParseInt(text)) return *v;
    throw EConvertError(Format("'%s' ist kein gültiger Integerwert", {text}));
}

std::int32_t StrToIntDef(const std::string& text, std::int32_t def) {
    return ParseInt(text).value_or(def);
}

void HashAdd(std::uint32_t& acc, const void* data, int size, std::uint32_t key) {
    if (size % 4 != 0) throw Exception("HashError");
    unsigned char bytes[4];
    std::memcpy(bytes, data, 4);
    const std::uint32_t word = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                               std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
    acc += word ^ key;  // the checksum is the one place where wrapping is wanted
}

}  // namespace orbitfall
