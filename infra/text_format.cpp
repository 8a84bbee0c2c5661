#include "infra/text_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>

#include "infra/errors.h"

namespace orbitfall {

namespace {

// Anything larger is a typo or hostile input; refusing it keeps one bad
// message from allocating gigabytes.
constexpr int kMaxFieldNumber = 65535;
// The float conversions carry at most this many digits, like the runtime the
// messages were written for.
constexpr int kMaxFloatDigits = 18;

[[noreturn]] void FormatInvalid(const std::string& format) {
    throw Exception("Format '" + format + "' invalid or incompatible with argument");
}

struct Placeholder {
    bool leftAlign = false;
    int width = -1;
    int precision = -1;
    char type = 0;
};

std::string UnsignedDigits(std::uint64_t value, int base) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, base);
    std::string digits(buffer, result.ptr);
    for (char& c : digits)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return digits;
}

std::string PadDigits(std::string digits, int precision) {
    if (precision > 0 && static_cast<int>(digits.size()) < precision)
        digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
    return digits;
}

std::string FormatInteger(const FormatArg& arg, char type, int precision, const std::string& format) {
    std::uint64_t magnitude = 0;
    bool negative = false;
    if (const auto* s = std::get_if<std::int64_t>(&arg)) {
        if (type == 'd' && *s < 0) {
            negative = true;
            magnitude = static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(*s);
        } else {
            // %u and %x show a negative number as its two's-complement bit pattern.
            magnitude = static_cast<std::uint64_t>(*s);
        }
    } else if (const auto* u = std::get_if<std::uint64_t>(&arg)) {
        magnitude = *u;
    } else {
        FormatInvalid(format);
    }
    std::string digits = PadDigits(UnsignedDigits(magnitude, type == 'x' ? 16 : 10), precision);
    return negative ? "-" + digits : digits;
}

std::string NonFinite(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string CharsFixed(double value, int precision) {
    // 309 integer digits at most for a double, plus sign, point and decimals.
    std::string buffer(static_cast<std::size_t>(330 + precision), '\0');
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                std::chars_format::fixed, precision);
    buffer.resize(static_cast<std::size_t>(result.ptr - buffer.data()));
    return buffer;
}

// Mantissa digits "d.ddd" (sign included) and the decimal exponent.
std::pair<std::string, int> CharsScientific(double value, int digits) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                digits - 1);
    std::string text(buffer, result.ptr);
    std::size_t e = text.find('e');
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    exponent);
    return {text.substr(0, e), exponent};
}

std::string ExponentText(int exponent, bool alwaysSign) {
    std::string digits = PadDigits(std::to_string(exponent < 0 ? -exponent : exponent), 3);
    if (exponent < 0) return "E-" + digits;
    return alwaysSign ? "E+" + digits : "E" + digits;
}

std::string StripTrailingZeros(std::string number) {
    if (number.find('.') == std::string::npos) return number;
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
    return number;
}

std::string GroupThousands(const std::string& fixed) {
    std::size_t start = fixed.front() == '-' ? 1 : 0;
    std::size_t end = std::min(fixed.find('.'), fixed.size());
    std::string grouped = fixed.substr(0, start);
    for (std::size_t i = start; i < end; ++i) {
        if (i > start && (end - i) % 3 == 0) grouped += ',';
        grouped += fixed[i];
    }
    return grouped + fixed.substr(end);
}

std::string FormatGeneral(double value, int precision) {
    if (value == 0) return "0";
    auto [mantissa, exponent] = CharsScientific(value, precision);
    // Fixed notation while the integer digits fit the precision and the value
    // is not tiny; otherwise scientific with a three-digit exponent.
    if (exponent < precision && std::fabs(value) >= 0.00001)
        return StripTrailingZeros(CharsFixed(value, std::max(0, precision - 1 - exponent)));
    return StripTrailingZeros(mantissa) + ExponentText(exponent, false);
}

std::string FormatFloat(const FormatArg& arg, char type, int precision, const std::string& format) {
    const auto* d = std::get_if<double>(&arg);
    if (d == nullptr) FormatInvalid(format);
    double value = *d;
    if (!std::isfinite(value)) return NonFinite(value);
    switch (type) {
        case 'f':
        case 'n': {
            int decimals = precision < 0 ? 2 : std::min(precision, kMaxFloatDigits);
            std::string fixed = CharsFixed(value, decimals);
            return type == 'n' ? GroupThousands(fixed) : fixed;
        }
        case 'e': {
            int digits = precision < 0 ? 15 : std::clamp(precision, 1, kMaxFloatDigits);
            auto [mantissa, exponent] = CharsScientific(value, digits);
            return mantissa + ExponentText(exponent, true);
        }
        default:
            return FormatGeneral(value, precision < 0 ? 15 : std::clamp(precision, 1, kMaxFloatDigits));
    }
}

std::string FormatString(const FormatArg& arg, int precision, const std::string& format) {
    const auto* s = std::get_if<std::string>(&arg);
    if (s == nullptr) FormatInvalid(format);
    if (precision >= 0 && static_cast<std::size_t>(precision) < s->size())
        return s->substr(0, static_cast<std::size_t>(precision));
    return *s;
}

// Reads a decimal number at pos; -1 when there is none.
int ReadNumber(const std::string& format, std::size_t& pos) {
    int value = -1;
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
        value = (value < 0 ? 0 : value * 10) + (format[pos] - '0');
        if (value > kMaxFieldNumber) FormatInvalid(format);
        ++pos;
    }
    return value;
}

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string Format(const std::string& format, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(format.size() + 16);
    std::size_t nextArg = 0;
    std::size_t pos = 0;
    while (pos < format.size()) {
        std::size_t percent = format.find('%', pos);
        if (percent == std::string::npos) {
            out.append(format, pos, std::string::npos);
            break;
        }
        out.append(format, pos, percent - pos);
        pos = percent + 1;
        if (pos >= format.size()) FormatInvalid(format);
        if (format[pos] == '%') {
            out += '%';
            ++pos;
            continue;
        }

        Placeholder ph;
        int number = ReadNumber(format, pos);
        if (number >= 0 && pos < format.size() && format[pos] == ':') {
            nextArg = static_cast<std::size_t>(number);
            ++pos;
            number = -1;
        }
        if (number < 0) {
            if (pos < format.size() && format[pos] == '-') {
                ph.leftAlign = true;
                ++pos;
            }
            number = ReadNumber(format, pos);
        }
        ph.width = number;
        if (pos < format.size() && format[pos] == '.') {
            ++pos;
            ph.precision = ReadNumber(format, pos);
            if (ph.precision < 0) FormatInvalid(format);
        }
        if (pos >= format.size()) FormatInvalid(format);
        ph.type = LowerChar(format[pos++]);

        if (nextArg >= args.size()) FormatInvalid(format);
        const FormatArg& arg = *(args.begin() + nextArg);
        ++nextArg;

        std::string field;
        switch (ph.type) {
            case 'd':
            case 'u':
            case 'x': field = FormatInteger(arg, ph.type, ph.precision, format); break;
            case 'f':
            case 'g':
            case 'e':
            case 'n': field = FormatFloat(arg, ph.type, ph.precision, format); break;
            case 's': field = FormatString(arg, ph.precision, format); break;
            default: FormatInvalid(format);
        }
        std::size_t width = ph.width < 0 ? 0 : static_cast<std::size_t>(ph.width);
        if (field.size() < width) {
            if (ph.leftAlign)
                field.append(width - field.size(), ' ');
            else
                field.insert(0, width - field.size(), ' ');
        }
        out += field;
    }
    return out;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerChar(c);
    return text;
}

int CompareTextIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(LowerChar(a[i]));
        auto cb = static_cast<unsigned char>(LowerChar(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareTextIgnoringCase(a, b) == 0;
}

}  // namespace orbitfall
