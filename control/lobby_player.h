#pragma once
// One line of the lobby's list of players present.
#include <string>
#include <vector>

namespace orbitfall {

struct TLobbyPlayer {
    std::string Name;     // "Host", or the lobby name of a client ("Player 2")
    std::string Address;  // where it plays from: the host's machine name, a client's IP address
    bool You = false;     // the machine that shows the list

    bool operator==(const TLobbyPlayer&) const = default;
};

// The list on one line, as the console and the log show it:
// "2: Host at ada-pc, Player 1 at 192.168.1.7 (you)".
std::string LobbyPlayersText(const std::vector<TLobbyPlayer>& players);

}  // namespace orbitfall
