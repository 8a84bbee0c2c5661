#include "shell/option_values.h"

#include <algorithm>

namespace orbitfall {

std::vector<std::int32_t> OptionNumberList(const std::string& option, const std::string& text, long long low,
                                           long long high) {
    std::vector<std::int32_t> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        values.push_back(OptionNumber<std::int32_t>(option, text.substr(start, comma - start), low, high));
        start = comma + 1;
    }
    return values;
}

}  // namespace orbitfall
