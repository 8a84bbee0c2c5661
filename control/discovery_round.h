#pragma once
// One round of looking for games: the answers that arrive for one query, one
// entry per answering address and port, in order of arrival. Whatever the
// network sends, the work stays bounded: answers to another round and
// malformed datagrams are dropped, a round looks at no more than
// MaxDatagrams datagrams and lists at most MaxGames games, and an address
// that answers again replaces its entry instead of adding one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "control/discovery_datagram.h"

namespace orbitfall {

struct TFoundGame {
    std::string Address;  // where the answer came from (the host's address on that network)
    TDiscoveryAnswer Answer;
};

class TDiscoveryRound {
public:
    static constexpr std::size_t MaxGames = 64;
    static constexpr std::size_t MaxDatagrams = 1024;

    // A new round: the list is emptied and only answers with this token count.
    void Begin(std::uint32_t token);
    // True when the list changed (a new game, or a known one with new values).
    bool Offer(const std::string& address, const std::uint8_t* data, std::size_t size);
    // The round has looked at as many datagrams as it may: stop reading.
    bool Saturated() const { return datagrams_ >= MaxDatagrams; }

    std::uint32_t Token() const { return token_; }
    const std::vector<TFoundGame>& Games() const { return games_; }
    std::size_t Datagrams() const { return datagrams_; }

private:
    std::uint32_t token_ = 0;
    std::size_t datagrams_ = 0;
    std::vector<TFoundGame> games_;
};

}  // namespace orbitfall
