#include "control/discovery_round.h"

#include <algorithm>

namespace orbitfall {

void TDiscoveryRound::Begin(std::uint32_t token) {
    token_ = token;
    datagrams_ = 0;
    games_.clear();
}

bool TDiscoveryRound::Offer(const std::string& address, const std::uint8_t* data, std::size_t size) {
    if (Saturated()) return false;
    ++datagrams_;
    auto answer = DecodeDiscoveryAnswer(data, size);
    if (!answer || answer->Token != token_) return false;
    auto same = std::find_if(games_.begin(), games_.end(), [&](const TFoundGame& game) {
        return game.Address == address && game.Answer.Port == answer->Port;
    });
    if (same != games_.end()) {
        const TDiscoveryAnswer& old = same->Answer;
        if (old.Name == answer->Name && old.Map == answer->Map && old.Players == answer->Players &&
            old.StartViews == answer->StartViews)
            return false;
        same->Answer = std::move(*answer);
        return true;
    }
    if (games_.size() >= MaxGames) return false;
    games_.push_back({address, std::move(*answer)});
    return true;
}

}  // namespace orbitfall
