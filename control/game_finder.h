#pragma once
// Looking for games on the local network from the event loop: one query per
// round (broadcast, or loopback with ORBITFALL_DISCOVERY=loopback) and the
// answers collected as they arrive, until the owner ends the round. Nothing
// waits: the owner runs the loop and is told when the list changes.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/discovery_round.h"

namespace orbitfall {

class TEventLoop;
class TUdpQuerier;

class TGameFinder {
public:
    explicit TGameFinder(TEventLoop& loop);
    ~TGameFinder();
    TGameFinder(const TGameFinder&) = delete;
    TGameFinder& operator=(const TGameFinder&) = delete;

    // The list of this round changed.
    std::function<void()> OnChange;

    // A new round: the list empties and a query goes to the port of every
    // target. Returns how many targets took it.
    int Begin(int port);
    // Same, with the targets given (tests).
    int Begin(int port, const std::vector<std::string>& targets);
    // Answers arriving after this are not read.
    void End();
    bool Running() const;

    const std::vector<TFoundGame>& Games() const { return round_.Games(); }
    // When this round's query went out.
    std::chrono::steady_clock::time_point RoundStart() const { return roundStart_; }
    std::size_t Datagrams() const { return round_.Datagrams(); }
    // Bytes of the queries sent and of the datagrams received this round.
    std::uint64_t QueryBytes() const { return queryBytes_; }
    std::uint64_t AnswerBytes() const { return answerBytes_; }

private:
    void Received(const std::string& address, const std::uint8_t* data, std::size_t size, bool truncated);

    std::unique_ptr<TUdpQuerier> querier_;
    TDiscoveryRound round_;
    std::uint64_t queryBytes_ = 0;
    std::uint64_t answerBytes_ = 0;
    std::chrono::steady_clock::time_point roundStart_{};
};

}  // namespace orbitfall
