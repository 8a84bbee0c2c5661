#include "control/start_check.h"

#include <exception>

#include "infra/event_log.h"
#include "simulation/map_start_views.h"

namespace orbitfall {

std::string TooFewPlayersText(const std::string& mapName, int needed, int players) {
    return mapName + " needs " + std::to_string(needed) + " players; " + std::to_string(players) +
           (players == 1 ? " is here" : " are here");
}

void CheckStartFits(const std::string& mapName, int players) {
    if (mapName.empty()) throw EStartRefused("No map is chosen");
    TMapStartViews views;
    try {
        views = ReadMapStartViews(mapName);
    } catch (const std::exception& e) {
        // The reader's text may quote the file; the log keeps it.
        Log("Status", 3, "Map " + mapName + " cannot be read: " + e.what());
        throw EStartRefused("The map " + mapName + " cannot be read");
    }
    if (views.Count > 0 && views.LowestPlayer < 1)
        throw EStartRefused("The map " + mapName + " has a start view for player " +
                            std::to_string(views.LowestPlayer) + "; players count from 1");
    if (views.PlayersNeeded() > players) throw EStartRefused(TooFewPlayersText(mapName, views.PlayersNeeded(), players));
}

}  // namespace orbitfall
