#include "infra/shown_text.h"

namespace orbitfall {
namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string ShownText(const std::string& message) {
    std::string line;
    for (std::size_t i = 0; i <= message.size(); ++i) {
        const bool end = i == message.size() || message[i] == '\r' || message[i] == '\n';
        if (end) {
            line = Trimmed(line);
            if (!line.empty()) break;
            continue;
        }
        const auto c = static_cast<unsigned char>(message[i]);
        if (c == '\t') line += ' ';
        else if (!IsControl(c)) line += static_cast<char>(c);
    }
    if (line.size() <= MaxShownTextLength) return line;
    const std::string ellipsis = "...";
    std::size_t cut = MaxShownTextLength - ellipsis.size();
    // Back off over UTF-8 continuation bytes so that no character is split.
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    return Trimmed(line.substr(0, cut)) + ellipsis;
}

}  // namespace orbitfall
