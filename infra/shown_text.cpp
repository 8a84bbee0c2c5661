#include "infra/shown_text.h"

#include <vector>

namespace orbitfall {
namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "Player=3", "X=60": an attribute as the XML reader lists it.
bool IsAttributeLine(const std::string& line) {
    const std::size_t equals = line.find('=');
    if (equals == 0 || equals == std::string::npos) return false;
    for (std::size_t i = 0; i < equals; ++i) {
        const char c = line[i];
        const bool nameChar = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                              c == '_' || c == '-' || c == '.' || c == ':';
        if (!nameChar) return false;
    }
    return true;
}

std::vector<std::string> CleanLines(const std::string& message) {
    std::vector<std::string> lines;
    std::string line;
    auto finish = [&] {
        line = Trimmed(line);
        if (!line.empty() && (lines.empty() || !IsAttributeLine(line))) lines.push_back(line);
        line.clear();
    };
    for (const char ch : message) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r' || c == '\n') finish();
        else if (c == '\t') line += ' ';
        else if (!IsControl(c)) line += ch;
    }
    finish();
    return lines;
}

std::string Joined(const std::string& message, const char* separator) {
    std::string text;
    for (const std::string& line : CleanLines(message)) text += (text.empty() ? "" : separator) + line;
    if (text.size() <= MaxShownTextLength) return text;
    const std::string ellipsis = "...";
    std::size_t cut = MaxShownTextLength - ellipsis.size();
    // Back off over UTF-8 continuation bytes so that no character is split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return Trimmed(text.substr(0, cut)) + ellipsis;
}

}  // namespace

std::string ShownLines(const std::string& message) { return Joined(message, "\n"); }

std::string ShownText(const std::string& message) { return Joined(message, " "); }

}  // namespace orbitfall
