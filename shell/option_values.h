#pragma once
// Command-line values shared by the program's entries.
#include <charconv>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace orbitfall {

// Wrong usage: the entry prints its usage text and exits 2.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A whole decimal number from low to high, else EUsageError naming the option.
template <class T>
T OptionNumber(const std::string& option, const std::string& text, long long low, long long high) {
    long long value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < low || value > high)
        throw EUsageError(option + ": '" + text + "' is not a number from " + std::to_string(low) + " to " +
                          std::to_string(high));
    return static_cast<T>(value);
}

// A comma-separated list of such numbers ("1,2,30").
std::vector<std::int32_t> OptionNumberList(const std::string& option, const std::string& text, long long low,
                                           long long high);

}  // namespace orbitfall
