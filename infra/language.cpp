#include "infra/language.h"

#include <algorithm>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/file_system.h"

namespace orbitfall {

namespace {

// Lines "key=value" in ascending case-insensitive order. The order is meant to
// be the platform's locale-aware one; ASCII case folding gives the same result
// for the keys the program uses.
std::vector<std::string> table;

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return CompareTextIgnoringCase(a, b) < 0;
}

// CR LF, a lone CR and a lone LF each end a line; a final line break does not
// start another line.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

}  // namespace

void LoadLanguage(const std::string& code) {
    std::vector<std::string> lines = SplitLines(ReadWholeFile(ResolveFileName("Language\\" + code + ".lang")));
    // A line equal to an earlier one ignoring case is dropped; the stable sort
    // keeps the earlier line first in its group, so it is the one kept.
    std::stable_sort(lines.begin(), lines.end(), LessIgnoringCase);
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](const std::string& a, const std::string& b) {
                                return CompareTextIgnoringCase(a, b) == 0;
                            }),
                lines.end());
    table = std::move(lines);
}

void ClearLanguage() { table.clear(); }

std::string Translate(const std::string& key) {
    const std::string probe = key + "=";
    auto it = std::lower_bound(table.begin(), table.end(), probe, LessIgnoringCase);
    // Only the first line at the probe's place counts, and it must carry the key
    // in exactly the case asked for.
    if (it == table.end() || it->compare(0, probe.size(), probe) != 0)
        throw Exception("String not translated: \"" + key + "\"");
    return it->substr(probe.size());
}

std::string TranslateFmt(const std::string& key, std::initializer_list<FormatArg> args) {
    return Format(Translate(key), args);
}

}  // namespace orbitfall
