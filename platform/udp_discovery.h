#pragma once
// UDP sockets for finding games on the local network, on the process's event
// loop (nothing here blocks). The responder answers queries on the game port
// of a hosting copy; the querier sends one query to every local IPv4
// network's broadcast address and hands each datagram that comes back to
// its owner. What the datagrams mean is the owner's business.
//
// ORBITFALL_DISCOVERY=loopback in the environment keeps queries on this
// machine: they go to 127.0.0.1 only, never to a broadcast address (tests
// and measurements run with it, so that nothing they do leaves loopback).
#include "platform/machine_name.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orbitfall {

class TEventLoop;

inline constexpr const char* DiscoveryEnvironment = "ORBITFALL_DISCOVERY";
// Datagrams are read into a buffer of this size; a longer one is cut and
// flagged as such, so that the owner can drop it.
inline constexpr std::size_t DiscoveryReceiveBuffer = 1024;

// Where a query goes: "127.0.0.1" when ORBITFALL_DISCOVERY is "loopback";
// otherwise the broadcast address of every IPv4 interface that is up and
// can broadcast (loopback when there is none).
std::vector<std::string> DiscoveryTargets();

class TUdpResponder {
public:
    // The answer to a query's bytes; empty: no answer.
    using TAnswer = std::function<std::vector<std::uint8_t>(const std::uint8_t* data, std::size_t size)>;

    TUdpResponder(TEventLoop& loop, TAnswer answer);
    ~TUdpResponder();
    TUdpResponder(const TUdpResponder&) = delete;
    TUdpResponder& operator=(const TUdpResponder&) = delete;

    // Binds UDP on all IPv4 interfaces at the port; false (and nothing
    // answered) when the port is taken: the game runs on without being found.
    bool Open(int port);
    // Answers sent so far, and their bytes.
    std::uint64_t AnswersSent() const;
    std::uint64_t BytesSent() const;

    // A peer that floods us with queries must not make us flood the network:
    // at most this many answers in any second.
    static constexpr int MaxAnswersPerSecond = 64;

private:
    struct TImpl;
    std::shared_ptr<TImpl> impl_;
};

class TUdpQuerier {
public:
    // One datagram from address (dotted IPv4); truncated: it was longer than
    // the receive buffer.
    using TDatagram = std::function<void(const std::string& address, const std::uint8_t* data,
                                         std::size_t size, bool truncated)>;

    explicit TUdpQuerier(TEventLoop& loop);
    ~TUdpQuerier();
    TUdpQuerier(const TUdpQuerier&) = delete;
    TUdpQuerier& operator=(const TUdpQuerier&) = delete;

    TDatagram OnDatagram;

    // Opens a fresh socket (answers to an earlier query are not read any
    // more), sends the query to every target at the port and reads what
    // comes back until Stop. Targets that cannot be sent to are skipped;
    // returns how many took the query.
    int Send(const std::vector<std::string>& targets, int port, const std::vector<std::uint8_t>& query);
    // Stops reading and closes the socket.
    void Stop();
    bool Listening() const;

private:
    struct TImpl;
    std::shared_ptr<TImpl> impl_;
};

}  // namespace orbitfall
