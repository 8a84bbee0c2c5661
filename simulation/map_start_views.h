#pragma once
// The start views a map file names, read the way the game's set-up reads
// them, so that a lobby can tell which maps fit the players present before a
// game is created from one.
#include <algorithm>
#include <string>

namespace orbitfall {

class TXMLItem;

struct TMapStartViews {
    int Count = 0;          // <Start> elements under <Objects>
    int LowestPlayer = 0;   // smallest and largest Player attribute among them
    int HighestPlayer = 0;  // (0 and 0 without any)

    // The set-up refuses a start view whose player is not in the game, and
    // a map names one start view per player it is made for.
    int PlayersNeeded() const { return std::max(Count, HighestPlayer); }
};

// The start views of a map document's root; a Player attribute that is no
// whole number raises the conversion error the set-up would raise.
TMapStartViews ReadStartViews(TXMLItem& root);

// The map file "maps\" + name + ".ofm", resolved as the game resolves it;
// raises when it cannot be read.
TMapStartViews ReadMapStartViews(const std::string& mapName);

}  // namespace orbitfall
