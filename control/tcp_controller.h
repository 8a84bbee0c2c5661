#pragma once
// A multiplayer game over TCP in lockstep. One machine hosts (empty host
// text); the others are its clients. Every machine creates the game from the
// host's start record and executes exactly the frames the host assembles,
// comparing the host's checksum with its own at every frame.
//
// Beyond the plain protocol, the host checks who sends what, since a peer
// may be hostile: a client may only command its own player, with kinds that
// have an effect and frame numbers it can have reached; only such commands
// and each client's first ready note go on to the other clients. A peer is
// held to bounds: at most 14 clients, a fair share of each frame's command
// slots, a limited number of malformed packets before it is disconnected,
// and on a client a limited queue of frames not yet executed.
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "control/controller.h"
#include "control/frame_collector.h"
#include "control/network_adapter.h"

namespace orbitfall {

class TTcpController : public TController {
public:
    inline static constexpr int DefaultPort = 6112;
    // The host is player 1; the game takes at most 15 players.
    inline static constexpr int MaxClients = 14;
    // Malformed packets a peer may send before its connection is closed.
    inline static constexpr int MaxMalformedPackets = 64;
    // Frames a client holds unexecuted before it gives up on the host.
    inline static constexpr std::size_t MaxQueuedFrames = 3000;

    // Listens (empty host text) or connects and waits for the connection;
    // raises the translated "joinfailed" when it cannot be made. Then opens
    // the lobby.
    TTcpController(TShellLink& shell, const std::string& host, int port = DefaultPort);
    ~TTcpController() override;

    // Host: clients of the running game that reported ready, each counted once.
    std::int32_t ReadyCount = 0;
    std::int32_t Lag = 0;
    bool IsServer() const { return isServer_; }

    // Host: Start in the lobby. Client: run by the start packet.
    void StartGame() override;
    // Client: a start packet that arrives while a frame waits for frame data
    // ends that frame (EFrameAbandoned); the new game starts at a later turn
    // of the event loop, when no frame uses the old one.
    void ExecuteCommands() override;
    void ExecuteCommand(const TCommand& command) override;
    void IssueCommand(TCommand command) override;

    // Host only: adds the command to the frame being collected.
    void QueueCommand(const TCommand& command);

    // How long a client waits for the host's next frame before giving up.
    std::chrono::milliseconds FrameWait{30000};
    // Host: the seed of the next game; unset, it comes from the clock.
    std::optional<std::uint32_t> SeedOverride;

    TTcpAdapter& Adapter() { return *adapter_; }
    // Host: the connected clients' lobby names, in order of connection.
    std::vector<std::string> PlayerNames() const;
    // Client: frames received and not yet executed.
    std::size_t QueuedFrames() const { return frameQueue_.size(); }
    // Client: a start packet waits for the running frame to end.
    bool StartPending() const { return pendingStart_.has_value(); }

private:
    struct TPlayerEntry {
        std::string Name;
        TNetworkadapter::TConnection Connection;
    };
    enum class TVerdict { Accept, WrongSender, NoEffect, Refused, WrongFrame };

    void ClientConnected(TNetworkadapter::TConnection connection);
    void ClientDisconnected(TNetworkadapter::TConnection connection);
    void PacketReceived(TPointerStream& stream, TNetworkadapter::TConnection connection);
    void HandlePacket(TPointerStream& stream, TNetworkadapter::TConnection connection);
    void HandleCommand(const TCommand& command, TNetworkadapter::TConnection connection);
    void HandleStart(const TStartInfo& info);
    TVerdict Judge(const TCommand& command, TNetworkadapter::TConnection connection) const;
    bool AcceptRelay(const std::uint8_t* buffer, std::size_t size,
                     TNetworkadapter::TConnection connection) const;
    void ReceiveFrame(TFrameData frame);
    void Throttle();
    void StartHostGame();
    void StartClientGame(const TStartInfo& info);
    void SchedulePendingStart();
    void RunPendingStart();
    void FrameReturned() override;
    void Malformed(TNetworkadapter::TConnection connection);
    void ReportPacketError();

    bool isServer_;
    std::unique_ptr<TTcpAdapter> adapter_;
    std::vector<TPlayerEntry> players_;
    // Host: the player each connection plays as, fixed when the game starts.
    std::map<TNetworkadapter::TConnection, std::uint8_t> playerOf_;
    // Host: the latest frame each client of the game reported.
    std::map<TNetworkadapter::TConnection, std::int32_t> reportedFrame_;
    std::set<TNetworkadapter::TConnection> ready_;
    std::map<TNetworkadapter::TConnection, int> malformed_;
    // Host: frames the most lagging client reported since the last frame.
    std::int64_t worstLag_ = 0;
    TFrameCollector collector_;
    std::deque<TFrameData> frameQueue_;
    bool queueOverrun_ = false;
    // Client: a start that arrived inside a frame, and the frames after it.
    std::optional<TStartInfo> pendingStart_;
    std::deque<TFrameData> pendingFrames_;
    bool executing_ = false;
    int packetErrors_ = 0;  // "Packet-Error" lines shown in a row
    std::vector<std::uint8_t> sendBuffer_;
    // Cleared with the controller: work posted to the loop checks it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace orbitfall
