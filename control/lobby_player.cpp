#include "control/lobby_player.h"

#include "infra/shown_text.h"

namespace orbitfall {

std::string LobbyPlayersText(const std::vector<TLobbyPlayer>& players) {
    std::string text = std::to_string(players.size()) + ":";
    for (std::size_t i = 0; i < players.size(); ++i) {
        const TLobbyPlayer& p = players[i];
        text += (i == 0 ? " " : ", ") + ShownText(p.Name);
        if (!p.Address.empty()) text += " at " + ShownText(p.Address);
        if (p.You) text += " (you)";
    }
    return text;
}

}  // namespace orbitfall
