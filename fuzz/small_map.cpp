#include "fuzz/small_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>

namespace orbitfall::fuzz {

namespace {

// text with the number in group 2 of every match of pattern replaced by
// format(number); groups 1 and 3 are kept around it.
template <class Format>
std::string RewriteNumbers(const std::string& text, const std::regex& pattern, const Format& format) {
    std::string result;
    auto last = text.cbegin();
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        result.append(last, m[0].first);
        result += m[1].str() + format(std::stod(m[2].str())) + m[3].str();
        last = m[0].second;
    }
    result.append(last, text.cend());
    return result;
}

}  // namespace

std::string ShrinkMap(const std::string& text, int size) {
    const std::regex sides("(<(?:Width|Height)>)([0-9]+)(</)");
    double largest = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), sides); it != std::sregex_iterator(); ++it)
        largest = std::max(largest, std::stod((*it)[2].str()));
    if (largest <= size) return text;
    const double scale = size / largest;
    // Sides are whole map units.
    const std::string sized = RewriteNumbers(text, sides, [&](double v) {
        return std::to_string(std::max(1L, std::lround(v * scale)));
    });
    return RewriteNumbers(sized, std::regex("(\\b(?:X|Y|Radius)=\")([-+0-9.eE]+)(\")"), [&](double v) {
        char out[32];
        std::snprintf(out, sizeof out, "%g", v * scale);
        return std::string(out);
    });
}

}  // namespace orbitfall::fuzz
