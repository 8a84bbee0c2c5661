#pragma once
// Scripts for the soak game: random but valid commands for every player,
// repeatable from one seed. Every few hundred frames all fleets are sent to
// a common meeting point (with a little scatter per player), so they keep
// running into each other until few ships are left; between the meetings
// each player selects and moves at random.
#include <cstdint>
#include <string>
#include <vector>

namespace orbitfall::soak {

// One script per player (element 0 is player 1, the host) in the host/join
// syntax, lines in frame order, for a map of mapSize x mapSize units.
std::vector<std::string> MakeSoakScripts(std::uint32_t seed, std::int32_t frames, int players,
                                         int mapSize);

}  // namespace orbitfall::soak
