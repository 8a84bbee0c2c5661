#pragma once
// The maps the lobby offers: every "Maps\*.ofm" of the data folder, then of
// the user folder (a map in both is listed twice), named by the part of the
// file name before its first ".", with the number of start views the file
// holds so that the host can see which maps fit the players connected.
#include <string>
#include <vector>

namespace orbitfall {

struct TLobbyMap {
    std::string Name;     // what the start record carries
    int StartViews = -1;  // -1: the file could not be read as a map
};

std::vector<TLobbyMap> ListLobbyMaps(const std::string& dataDir, const std::string& userDir);

// The <Start> elements under <Objects> of a map file; -1 when unreadable.
int CountStartViews(const std::string& mapFile);

// "Name (n)" for the list; the bare name when the count is unknown. UTF-8.
std::string MapLabel(const TLobbyMap& map);

}  // namespace orbitfall
