#include "shell/sim/script.h"

#include <sstream>

#include "infra/errors.h"
#include "infra/file_system.h"
#include "infra/numeric.h"

namespace orbitfall {
namespace {

float ReadFloat(std::istringstream& in) {
    std::string word;
    if (!(in >> word)) throw Exception("a number is missing");
    return static_cast<float>(StrToFloat(word));
}

std::int32_t ReadInt(std::istringstream& in, std::int64_t low, std::int64_t high) {
    std::string word;
    if (!(in >> word)) throw Exception("a number is missing");
    const std::int32_t value = StrToInt(word);
    if (value < low || value > high)
        throw Exception("'" + word + "' is not in " + std::to_string(low) + ".." +
                        std::to_string(high));
    return value;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw Exception(std::string("'") + c + "' is not a hex digit");
}

TCommand ReadCommand(std::istringstream& in) {
    std::string name;
    if (!(in >> name)) throw Exception("the command is missing");
    TCommand c;
    if (name == "select" || name == "selectadd") {
        c.Kind = ckSelectRect;
        c.Flags = name == "selectadd" ? cfAddToSelection : 0;
        for (int word = 0; word < 4; ++word) c.SetFloat(word, ReadFloat(in));
    } else if (name == "selectall") {
        c.Kind = ckSelectAll;
    } else if (name == "move") {
        c.Kind = ckMove;
        c.SetInt(0, 0);
        c.SetFloat(1, ReadFloat(in));
        c.SetFloat(2, ReadFloat(in));
    } else if (name == "raw") {
        c.Kind = static_cast<std::uint8_t>(ReadInt(in, 0, 255));
        c.Flags = static_cast<std::uint8_t>(ReadInt(in, 0, 255));
        std::string hex;
        if (!(in >> hex) || hex.size() != 32) throw Exception("the payload needs 32 hex digits");
        for (int i = 0; i < 16; ++i)
            c.Payload[i] = static_cast<std::uint8_t>(HexDigit(hex[2 * i]) * 16 + HexDigit(hex[2 * i + 1]));
    } else {
        throw Exception("unknown command '" + name + "'");
    }
    std::string extra;
    if (in >> extra) throw Exception("unexpected '" + extra + "'");
    return c;
}

}  // namespace

std::vector<TScriptCommand> ParseScript(const std::string& text, bool withPlayer) {
    std::vector<TScriptCommand> commands;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::istringstream in(line);
        try {
            TScriptCommand entry;
            entry.Frame = ReadInt(in, 0, INT32_MAX);
            if (withPlayer) entry.Player = static_cast<std::uint8_t>(ReadInt(in, 0, 255));
            entry.Command = ReadCommand(in);
            entry.Command.Frame = entry.Frame;
            entry.Command.Player = entry.Player;
            commands.push_back(entry);
        } catch (const Exception& e) {
            throw Exception("script line " + std::to_string(number) + ": " + e.what());
        }
    }
    return commands;
}

std::vector<TScriptCommand> LoadScript(const std::string& path, bool withPlayer) {
    return ParseScript(ReadWholeFile(path), withPlayer);
}

}  // namespace orbitfall
