#include "render/texture_config.h"

#include <map>
#include <vector>

#include "infra/checked.h"
#include "infra/numeric.h"
#include "infra/text_format.h"

namespace orbitfall {

namespace {

// CR LF, a lone CR and a lone LF each end a line.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

std::uint8_t Component(const std::string& value) {
    return CheckedRange<std::uint8_t>(StrToInt(value), 0, 255);
}

}  // namespace

TTextureConfig ParseTextureConfig(const std::string& text) {
    std::map<std::string, std::string> values;  // lower-case key, first value
    for (const std::string& line : Lines(text)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        values.emplace(LowerAscii(line.substr(0, eq)), line.substr(eq + 1));
    }
    auto value = [&](const char* key) {
        auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    };
    TTextureConfig config;
    const std::string r = value("colorkeyr"), g = value("colorkeyg"), b = value("colorkeyb");
    if (!r.empty()) config.R = Component(r);
    if (!g.empty()) config.G = Component(g);
    if (!b.empty()) {
        config.B = Component(b);
        config.ColorKey = true;
    }
    config.SelfAlpha = value("selfalpha") == "1";
    return config;
}

std::string ChangeExtension(const std::string& fileName, const std::string& extension) {
    const std::size_t dot = fileName.rfind('.');
    const std::size_t separator = fileName.find_last_of("\\/");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return fileName + extension;
    return fileName.substr(0, dot) + extension;
}

}  // namespace orbitfall
