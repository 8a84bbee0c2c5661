#pragma once
// Whether a game of the chosen map can start with the players present,
// asked on the host before any start record leaves it: a map made for more
// players than are here would fail on every machine at once, and the clients
// could only report a broken start.
#include <string>

#include "infra/errors.h"

namespace orbitfall {

// A start that cannot work, said in words that name the map and the numbers
// ("Kreuzung needs 4 players; 2 are here").
class EStartRefused : public Exception {
public:
    using Exception::Exception;
};

// Raises EStartRefused when the map (the lobby's bare name) cannot be
// played by that many players, or cannot be read at all.
void CheckStartFits(const std::string& mapName, int players);

// The sentence for a map that needs more players than are here.
std::string TooFewPlayersText(const std::string& mapName, int needed, int players);

}  // namespace orbitfall
