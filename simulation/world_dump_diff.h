#pragma once
// Reads world dumps (the form of world_dump.h) back from text and names where
// two of them part: the first differing field of the objects, the players,
// the game and the unit types, each section on its own.
#include <cstdint>
#include <string>
#include <vector>

namespace orbitfall {

struct TWorldDump {
    std::int32_t Frame = 0;
    std::string Checksum;            // as printed, 8 hex digits
    std::vector<std::string> Lines;  // "game", "player", "type", "object" lines in order
};

// Every dump in text: a "frame F checksum H" line followed by at least one
// dump line. Other lines ("seed", "verified ...", '#' comments, checksum
// lines of frames not dumped) are passed over, so a saved dump and the saved
// output of `verify --dump-at` read alike.
std::vector<TWorldDump> ReadWorldDumps(const std::string& text);

// One sentence per section in which a and b differ, objects first, e.g.
// "frame 812: object 17 TControlledUnit of player 2: X 120.5 / 120.25".
// Empty when every field is equal.
std::vector<std::string> CompareWorldDumps(const TWorldDump& a, const TWorldDump& b);

}  // namespace orbitfall
