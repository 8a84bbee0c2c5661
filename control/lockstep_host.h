#pragma once
// The host of a lockstep game: it listens, starts the game, collects each
// frame's commands from its own player and its clients, and sends every
// frame to all clients before executing it.
//
// A client may be hostile, so the host checks who sends what: a client may
// only command its own player, with kinds that have an effect and frame
// numbers it can have reached; only such commands and each client's first
// ready note go on to the other clients. Each incoming command is judged
// once, by the rulebook the game itself uses. At most 14 clients, a fair
// share of each frame's command slots, a limited number of malformed packets
// before a client is disconnected.
//
// A connection takes a seat only once it has greeted (greeting.h) with the
// host's version and unit types, within GreetingWait; a copy that differs is
// told why and closed. A map that a seated client lacks or holds in another
// form cannot be started.
//
// A client that reports being more than ThrottleLag frames behind slows the
// host (the throttle), but only for a while: the time it spends behind fills
// a bucket that empties at half that speed while it keeps up; at
// MaxBehind the client is dropped ("playerleft") and the game goes on. A
// client's frame reports are its empty commands, one per frame it executes
// with consecutive frame numbers: only those count as progress.
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "control/frame_collector.h"
#include "control/greeting.h"
#include "control/tcp_controller.h"

namespace orbitfall {

class TLockstepHost : public TTcpController {
public:
    TLockstepHost(TShellLink& shell, int port = DefaultPort);

    // How long a connection may take to greet before it is closed.
    std::chrono::milliseconds GreetingWait{10000};
    // A refused copy's connection stays open this long, so that the reason
    // reaches it before the close.
    inline static constexpr std::chrono::milliseconds RefusalLinger{500};
    // Frames a client may be behind before it slows the host.
    inline static constexpr std::int64_t ThrottleLag = 10;
    // Time behind (the bucket) after which a client is dropped: long enough
    // for a machine that stalls a moment (a window made anew for full
    // screen), short enough that nobody waits minutes for a player.
    inline static constexpr std::chrono::milliseconds MaxBehind{10000};

    bool IsServer() const override { return true; }

    // The lobby's Start: sends the start records, creates the game and its
    // window, then waits until every client of the game is ready (frames
    // run on the timer meanwhile).
    void StartGame() override;
    // Closes the frame being collected, sends it and executes it.
    void ExecuteCommands() override;
    void IssueCommand(TCommand command) override;

    // Adds the command to the frame being collected.
    void QueueCommand(const TCommand& command);

    // The seed of the next game; unset, it comes from the clock.
    std::optional<std::uint32_t> SeedOverride;
    // The connected clients' lobby names, in order of connection.
    std::vector<std::string> PlayerNames() const;
    // Why the map cannot be started with the players present, one sentence
    // per player; empty when it can.
    std::vector<std::string> MapRefusals(const std::string& mapName) const;
    // The host's own greeting, which joining copies must match.
    TGreeting Greeting;

protected:
    void HandlePacket(const std::uint8_t* payload, std::size_t size,
                      TNetworkadapter::TConnection connection) override;
    void ClientConnected(TNetworkadapter::TConnection connection) override;
    void ClientDisconnected(TNetworkadapter::TConnection connection) override;
    void DisconnectPeer(TNetworkadapter::TConnection connection) override;

private:
    struct TPlayerEntry {
        std::string Name;
        TNetworkadapter::TConnection Connection;
        TGreeting Greeting;
    };
    // A client of the running game: what it reported and how long it has
    // been behind.
    struct TProgress {
        std::uint8_t Player = 0;
        std::int32_t Reported = -1;    // the latest frame its commands carried
        std::int32_t LastEmpty = -1;   // the frame of its latest frame report
        std::int64_t BehindMs = 0;     // the bucket
    };
    enum class TVerdict { Accept, WrongSender, NoEffect, Refused, WrongFrame };

    TVerdict Judge(const TCommand& command, TNetworkadapter::TConnection connection) const;
    void HandleCommand(const std::uint8_t* payload, std::size_t size, TNetworkadapter::TConnection connection);
    void HandleReady(const std::uint8_t* payload, std::size_t size, TNetworkadapter::TConnection connection);
    // Sends a client's packet on to all clients, the sender included.
    void Relay(const std::uint8_t* payload, std::size_t size);
    void Throttle();
    // Fills or empties each client's bucket for the time since the last
    // frame and drops the clients past MaxBehind.
    void JudgeLag();
    void HandleGreeting(const std::uint8_t* payload, std::size_t size, TNetworkadapter::TConnection connection);
    void Refuse(TNetworkadapter::TConnection connection, const std::string& reason);
    void CloseLater(TNetworkadapter::TConnection connection, std::uint64_t serial, std::chrono::milliseconds delay,
                    const char* why);
    bool Seated(TNetworkadapter::TConnection connection) const;

    std::vector<TPlayerEntry> players_;
    // Connections that have not greeted yet, and refused ones on their way
    // out, by a serial that outlives the connection object's address.
    std::map<TNetworkadapter::TConnection, std::uint64_t> waiting_;
    std::map<TNetworkadapter::TConnection, std::uint64_t> refused_;
    std::uint64_t nextSerial_ = 0;
    // The clients of the running game, fixed when it starts.
    std::map<TNetworkadapter::TConnection, TProgress> progress_;
    std::set<TNetworkadapter::TConnection> ready_;
    std::uint32_t lastJudged_ = 0;
    // Frames the most lagging client reported since the last frame.
    std::int64_t worstLag_ = 0;
    TFrameCollector collector_;
};

}  // namespace orbitfall
