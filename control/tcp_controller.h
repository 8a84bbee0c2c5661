#pragma once
// A multiplayer game over TCP in lockstep. One machine hosts (empty host
// text); the others are its clients. Every machine creates the game from the
// host's start record and executes exactly the frames the host assembles,
// comparing the host's checksum with its own at every frame.
//
// Beyond the plain protocol, the host checks who sends what: a client may
// only command its own player, and only its commands and ready notes are
// passed on to the other clients.
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/controller.h"
#include "control/frame_collector.h"
#include "control/network_adapter.h"

namespace orbitfall {

class TTcpController : public TController {
public:
    inline static constexpr int DefaultPort = 6112;

    // Listens (empty host text) or connects and waits for the connection;
    // raises the translated "joinfailed" when it cannot be made. Then opens
    // the lobby.
    TTcpController(TShellLink& shell, const std::string& host, int port = DefaultPort);
    ~TTcpController() override;

    std::int32_t ReadyCount = 0;
    std::int32_t Lag = 0;
    bool IsServer() const { return isServer_; }

    // Host: Start in the lobby. Client: run by the start packet.
    void StartGame() override;
    void ExecuteCommands() override;
    void ExecuteCommand(const TCommand& command) override;
    void IssueCommand(TCommand command) override;

    // Host only: adds the command to the frame being collected, slowing the
    // host down when the command's sender lags more than 10 frames behind.
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

private:
    struct TPlayerEntry {
        std::string Name;
        TNetworkadapter::TConnection Connection;
    };

    void ClientConnected(TNetworkadapter::TConnection connection);
    void ClientDisconnected(TNetworkadapter::TConnection connection);
    void PacketReceived(TPointerStream& stream, TNetworkadapter::TConnection connection);
    void HandlePacket(TPointerStream& stream, TNetworkadapter::TConnection connection);
    bool AcceptRelay(const std::uint8_t* buffer, std::size_t size,
                     TNetworkadapter::TConnection connection) const;
    void ReceiveFrame(TFrameData frame);
    void StartHostGame();
    void StartClientGame();

    bool isServer_;
    std::unique_ptr<TTcpAdapter> adapter_;
    std::vector<TPlayerEntry> players_;
    // Host: the player each connection plays as, fixed when the game starts.
    std::map<TNetworkadapter::TConnection, std::uint8_t> playerOf_;
    TFrameCollector collector_;
    std::deque<TFrameData> frameQueue_;
    std::vector<std::uint8_t> sendBuffer_;
};

}  // namespace orbitfall
