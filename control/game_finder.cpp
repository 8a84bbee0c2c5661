#include "control/game_finder.h"

#include <random>

#include "platform/udp_discovery.h"

namespace orbitfall {

TGameFinder::TGameFinder(TEventLoop& loop) : querier_(std::make_unique<TUdpQuerier>(loop)) {
    querier_->OnDatagram = [this](const std::string& address, const std::uint8_t* data, std::size_t size,
                                  bool truncated) { Received(address, data, size, truncated); };
}

TGameFinder::~TGameFinder() = default;

int TGameFinder::Begin(int port) { return Begin(port, DiscoveryTargets()); }

int TGameFinder::Begin(int port, const std::vector<std::string>& targets) {
    // Not the game's generator: the token only tells this round's answers
    // from late ones, and draws nothing the simulation shares.
    static std::random_device entropy;
    round_.Begin(static_cast<std::uint32_t>(entropy()));
    queryBytes_ = 0;
    answerBytes_ = 0;
    const std::vector<std::uint8_t> query = EncodeDiscoveryQuery(round_.Token());
    roundStart_ = std::chrono::steady_clock::now();
    const int sent = querier_->Send(targets, port, query);
    queryBytes_ = static_cast<std::uint64_t>(sent) * query.size();
    if (OnChange) OnChange();
    return sent;
}

void TGameFinder::End() { querier_->Stop(); }

bool TGameFinder::Running() const { return querier_->Listening(); }

void TGameFinder::Received(const std::string& address, const std::uint8_t* data, std::size_t size, bool truncated) {
    answerBytes_ += size;
    // An oversized datagram still counts against the round's bound.
    const bool changed = round_.Offer(address, data, truncated ? 0 : size);
    if (round_.Saturated()) querier_->Stop();
    if (changed && OnChange) OnChange();
}

}  // namespace orbitfall
