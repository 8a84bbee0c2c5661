#include "shell/lobby/host_text.h"

#include <algorithm>
#include <charconv>

#include "infra/errors.h"
#include "infra/language.h"

namespace orbitfall {
namespace {

int PortOf(const std::string& text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        throw Exception(Translate("joinfailed"));
    return port;
}

}  // namespace

THostAddress ParseHostText(const std::string& text, int defaultPort) {
    if (text.empty()) return {"", defaultPort};
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos || close == 1) throw Exception(Translate("joinfailed"));
        const std::string rest = text.substr(close + 1);
        if (rest.empty()) return {text.substr(1, close - 1), defaultPort};
        if (rest.front() != ':') throw Exception(Translate("joinfailed"));
        return {text.substr(1, close - 1), PortOf(rest.substr(1))};
    }
    const auto colons = std::count(text.begin(), text.end(), ':');
    if (colons != 1) return {text, defaultPort};
    const std::size_t colon = text.find(':');
    if (colon == 0) throw Exception(Translate("joinfailed"));
    return {text.substr(0, colon), PortOf(text.substr(colon + 1))};
}

}  // namespace orbitfall
