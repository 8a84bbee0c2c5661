#pragma once
// The start record: what every machine needs to create the same game.
//
//   offset size field         type
//        0    1 MapNameLength uint8   0..128
//        1  128 MapName       chars   map name without folder or extension
//      129    3 padding
//      132    4 RandomSeed    int32   state of the shared generator
//      136    1 PlayerNumber  uint8   the player the receiving machine plays
//      137    1 PlayerCount   uint8   players in the game, host included
//      138    2 padding
//
// Packed, 140 bytes, little-endian; padding and unused name bytes are sent as
// zero. It travels in the start packet and is kept beside every replay as a
// ".ofs" file, since the replay itself holds no map, seed or player numbers.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orbitfall {

#pragma pack(push, 1)
struct TStartInfo {
    std::uint8_t MapNameLength = 0;
    char MapNameChars[128] = {};
    std::uint8_t Padding1[3] = {};
    std::int32_t RandomSeed = 0;
    std::uint8_t PlayerNumber = 0;
    std::uint8_t PlayerCount = 0;
    std::uint8_t Padding2[2] = {};

    std::string MapName() const;
    // Cuts the name to 128 characters.
    void SetMapName(const std::string& name);
};
#pragma pack(pop)

static_assert(sizeof(TStartInfo) == 140, "TStartInfo is 140 packed bytes");
static_assert(offsetof(TStartInfo, RandomSeed) == 132);
static_assert(offsetof(TStartInfo, PlayerNumber) == 136);
static_assert(offsetof(TStartInfo, PlayerCount) == 137);

// The ".ofs" file beside a replay: the start record this machine used.
std::string StartFileFor(const std::string& replayPath);
void WriteStartFile(const std::string& path, const TStartInfo& info);
// What is wrong with a start record that came from outside (a start file, a
// start packet), in a few words; empty when nothing is: a map-name length
// above 128, a NUL inside the map name, a player count 0 or above 15, a local
// player 0 (the neutral one) or above the count.
std::string StartInfoFault(const TStartInfo& info);
// Reads and checks a start file (only a regular one, and no more of it than a
// record); each fault raises an Exception naming the file and the fault
// (wrong size, not a regular file, or one of StartInfoFault's).
TStartInfo ReadStartFile(const std::string& path);

}  // namespace orbitfall
