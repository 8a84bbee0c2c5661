#include "simulation/world_dump_diff.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include "simulation/world_dump.h"

namespace orbitfall {

namespace {

const char* const Sections[] = {"object", "player", "game", "type"};

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// A dump line cut into its head ("object 17 TControlledUnit") and its fields.
struct TParsedLine {
    std::string Head;
    std::vector<std::pair<std::string, std::string>> Fields;

    std::string Field(const std::string& key) const {
        for (const auto& [k, v] : Fields)
            if (k == key) return v;
        return "";
    }
};

TParsedLine Parse(const std::string& line) {
    TParsedLine parsed;
    for (const std::string& w : Words(line)) {
        const auto eq = w.find('=');
        if (eq == std::string::npos) parsed.Head += (parsed.Head.empty() ? "" : " ") + w;
        else parsed.Fields.emplace_back(w.substr(0, eq), w.substr(eq + 1));
    }
    return parsed;
}

// How a sentence names the thing a line describes.
std::string Label(const TParsedLine& line) {
    const std::vector<std::string> head = Words(line.Head);
    if (head.empty()) return "?";
    if (head[0] == "object" && head.size() >= 3) {
        const std::string owner = " of player " + line.Field("Owner");
        if (head[1] != "-") return "object " + head[1] + " " + head[2] + owner;
        return "child " + line.Field("Child") + " " + head[2] + owner;
    }
    if (head[0] == "type" && head.size() >= 2)
        return "unit type " + head[1] + " " + UnescapeDumpValue(line.Field("Name"));
    return line.Head;
}

std::vector<std::string> SectionLines(const TWorldDump& dump, const std::string& section) {
    std::vector<std::string> lines;
    for (const std::string& line : dump.Lines)
        if (line.compare(0, section.size() + 1, section + " ") == 0 || line == section) lines.push_back(line);
    return lines;
}

std::string Shown(const TParsedLine& line, const std::string& key) {
    for (const auto& [k, v] : line.Fields)
        if (k == key) return v.empty() ? "(empty)" : v;
    return "(none)";
}

// The first difference between two lines of one section, or "".
std::string LineDifference(const TParsedLine& a, const TParsedLine& b) {
    if (a.Head != b.Head) return Label(a) + " / " + Label(b);
    const std::size_t n = std::max(a.Fields.size(), b.Fields.size());
    for (std::size_t i = 0; i < n; ++i) {
        // Where the field lists themselves part (dumps of different
        // versions), the field at this place is named with both its values.
        const std::string& key = i < a.Fields.size() ? a.Fields[i].first : b.Fields[i].first;
        const bool same = i < a.Fields.size() && i < b.Fields.size() && a.Fields[i] == b.Fields[i];
        if (!same) return Label(a) + ": " + key + " " + Shown(a, key) + " / " + Shown(b, key);
    }
    return "";
}

}  // namespace

std::vector<TWorldDump> ReadWorldDumps(const std::string& text) {
    std::vector<TWorldDump> dumps;
    TWorldDump current;
    bool inFrame = false;
    auto finish = [&] {
        if (inFrame && !current.Lines.empty()) dumps.push_back(std::move(current));
        current = TWorldDump();
        inFrame = false;
    };
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> words = Words(line);
        if (words.size() == 4 && words[0] == "frame" && words[2] == "checksum") {
            finish();
            try {
                current.Frame = std::stoi(words[1]);
            } catch (const std::exception&) {
                continue;
            }
            current.Checksum = words[3];
            inFrame = true;
            continue;
        }
        if (!inFrame || words.empty()) continue;
        for (const char* section : Sections)
            if (words[0] == section) current.Lines.push_back(line);
    }
    finish();
    return dumps;
}

std::vector<std::string> CompareWorldDumps(const TWorldDump& a, const TWorldDump& b) {
    std::vector<std::string> found;
    const std::string frame = "frame " + std::to_string(a.Frame) +
                              (a.Frame == b.Frame ? std::string() : " / " + std::to_string(b.Frame)) + ": ";
    for (const char* section : Sections) {
        const std::vector<std::string> la = SectionLines(a, section), lb = SectionLines(b, section);
        for (std::size_t i = 0; i < std::max(la.size(), lb.size()); ++i) {
            std::string difference;
            if (i >= la.size()) difference = Label(Parse(lb[i])) + " only in the second dump";
            else if (i >= lb.size()) difference = Label(Parse(la[i])) + " only in the first dump";
            else difference = LineDifference(Parse(la[i]), Parse(lb[i]));
            if (difference.empty()) continue;
            found.push_back(frame + difference);
            break;
        }
    }
    return found;
}

}  // namespace orbitfall
