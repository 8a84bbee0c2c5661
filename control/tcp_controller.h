#pragma once
// A multiplayer game over TCP in lockstep. One machine hosts (empty host
// text, TLockstepHost); the others are its clients (TLockstepClient). Every
// machine creates the game from the host's start record and executes exactly
// the frames the host assembles, comparing the host's checksum with its own
// at every frame. This base holds what both roles share: the adapter, the
// lobby's "Packet-Error" line, the count of a peer's malformed packets and
// the Lag of the local player's commands.
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "control/controller.h"
#include "control/network_adapter.h"
#include "control/packet_codec.h"

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

    // A host for an empty host text, otherwise a client of that host; see
    // the constructors of the two.
    static std::unique_ptr<TTcpController> Create(TShellLink& shell, const std::string& host,
                                                  int port = DefaultPort);
    ~TTcpController() override;

    // Host: clients of the running game that reported ready, each counted
    // once. Client: ready notes of the others relayed by the host.
    std::int32_t ReadyCount = 0;
    std::int32_t Lag = 0;
    virtual bool IsServer() const = 0;

    void ExecuteCommand(const TCommand& command) override;

    TTcpAdapter& Adapter() { return *adapter_; }
    const TTcpAdapter& Adapter() const { return *adapter_; }

protected:
    explicit TTcpController(TShellLink& shell);
    // Listens (empty host text) or connects and waits for the connection;
    // raises the translated "joinfailed" when it cannot be made. Then opens
    // the lobby. Called by the subclass's constructor, once its handlers can
    // take events.
    void Open(const std::string& host, int port);

    virtual void HandlePacket(const std::uint8_t* payload, std::size_t size,
                              TNetworkadapter::TConnection connection) = 0;
    virtual void ClientConnected(TNetworkadapter::TConnection) {}
    virtual void ClientDisconnected(TNetworkadapter::TConnection) {}
    // The peer behind connection sent one more faulty packet.
    virtual void DisconnectPeer(TNetworkadapter::TConnection connection) = 0;

    void ReportPacketError();
    // Counts a malformed packet; past the bound, the peer is disconnected.
    void Malformed(TNetworkadapter::TConnection connection);
    void ForgetPeer(TNetworkadapter::TConnection connection) { malformed_.erase(connection); }
    void ResetPacketErrors() { packetErrors_ = 0; }

    TPacketBytes sendBuffer_;
    // Cleared with the controller: work posted to the loop checks it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

private:
    void PacketReceived(const std::uint8_t* payload, std::size_t size, TNetworkadapter::TConnection connection);

    std::unique_ptr<TTcpAdapter> adapter_;
    std::map<TNetworkadapter::TConnection, int> malformed_;
    int packetErrors_ = 0;  // "Packet-Error" lines shown in a row
};

}  // namespace orbitfall
