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
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "control/frame_collector.h"
#include "control/tcp_controller.h"

namespace orbitfall {

class TLockstepHost : public TTcpController {
public:
    TLockstepHost(TShellLink& shell, int port = DefaultPort);

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
    };
    enum class TVerdict { Accept, WrongSender, NoEffect, Refused, WrongFrame };

    TVerdict Judge(const TCommand& command, TNetworkadapter::TConnection connection) const;
    void HandleCommand(const std::uint8_t* payload, std::size_t size, TNetworkadapter::TConnection connection);
    void HandleReady(const std::uint8_t* payload, std::size_t size, TNetworkadapter::TConnection connection);
    // Sends a client's packet on to all clients, the sender included.
    void Relay(const std::uint8_t* payload, std::size_t size);
    void Throttle();
    // The players present to the lobby and, each with its own entry
    // marked, to every client.
    void PublishPlayers();

    std::vector<TPlayerEntry> players_;
    // The player each connection plays as, fixed when the game starts.
    std::map<TNetworkadapter::TConnection, std::uint8_t> playerOf_;
    // The latest frame each client of the game reported.
    std::map<TNetworkadapter::TConnection, std::int32_t> reportedFrame_;
    std::set<TNetworkadapter::TConnection> ready_;
    // Frames the most lagging client reported since the last frame.
    std::int64_t worstLag_ = 0;
    TFrameCollector collector_;
};

}  // namespace orbitfall
