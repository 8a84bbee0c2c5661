#pragma once
// Scripted commands for the headless runner, one per line:
//   frame player command args     (run)
//   frame command args            (host and join: the player is this machine's)
// Commands: select x1 y1 x2 y2 | selectadd x1 y1 x2 y2 | selectall | move x y |
// raw kind flags hex32 (the 16 payload bytes as 32 hex digits). Blank lines
// and lines starting with '#' are ignored.
#include <cstdint>
#include <string>
#include <vector>

#include "simulation/command.h"

namespace orbitfall {

struct TScriptCommand {
    std::int32_t Frame = 0;
    std::uint8_t Player = 0;  // unused without a player column
    TCommand Command;
};

// Commands in file order. An unreadable line raises an Exception naming its
// line number.
std::vector<TScriptCommand> ParseScript(const std::string& text, bool withPlayer);
std::vector<TScriptCommand> LoadScript(const std::string& path, bool withPlayer);

}  // namespace orbitfall
