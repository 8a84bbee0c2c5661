#include "control/tcp_controller.h"

#include "control/lockstep_client.h"
#include "control/lockstep_host.h"
#include "control/shell_link.h"
#include "infra/checked.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "simulation/game.h"

namespace orbitfall {

std::unique_ptr<TTcpController> TTcpController::Create(TShellLink& shell, const std::string& host, int port) {
    if (host.empty()) return std::make_unique<TLockstepHost>(shell, port);
    return std::make_unique<TLockstepClient>(shell, host, port);
}

TTcpController::TTcpController(TShellLink& shell)
    : TController(shell), adapter_(std::make_unique<TTcpAdapter>(shell.EventLoop())) {}

void TTcpController::Open(const std::string& host, int port) {
    adapter_->Port = port;
    adapter_->OnReceive = [this](TNetworkadapter&, TPointerStream&, const std::uint8_t* buffer,
                                 std::size_t size, TNetworkadapter::TConnection connection) {
        PacketReceived(buffer, size, connection);
    };
    adapter_->OnClientConnect = [this](TNetworkadapter&, TNetworkadapter::TConnection c) {
        ClientConnected(c);
    };
    adapter_->OnClientDisconnect = [this](TNetworkadapter&, TNetworkadapter::TConnection c) {
        ClientDisconnected(c);
    };

    TShellLink& shell = Shell();
    if (host.empty()) adapter_->Listen();
    else adapter_->Connect(host);
    while (adapter_->State == 1 && !shell.Terminated()) {
        shell.Sleep(1);
        shell.ProcessMessages();
    }
    if (adapter_->State != 2) throw Exception(Translate("joinfailed"));
    shell.CreateLobby(host.empty());
}

TTcpController::~TTcpController() {
    *alive_ = false;
    // The adapter closes its connections; its events must not reach a
    // controller that is half gone.
    adapter_->OnReceive = nullptr;
    adapter_->OnClientConnect = nullptr;
    adapter_->OnClientDisconnect = nullptr;
    adapter_->OnDisconnect = nullptr;
    adapter_.reset();
}

void TTcpController::PacketReceived(const std::uint8_t* payload, std::size_t size,
                                    TNetworkadapter::TConnection connection) {
    try {
        HandlePacket(payload, size, connection);
    } catch (const std::exception&) {
        ReportPacketError();
        Malformed(connection);
    }
}

void TTcpController::ReportPacketError() {
    // A peer can send a faulty packet many times a millisecond; the lobby
    // counts them on one line.
    if (++packetErrors_ == 1) Shell().AddLobbyMessage("Packet-Error");
    else Shell().RepeatLobbyMessage("Packet-Error", packetErrors_);
}

void TTcpController::Malformed(TNetworkadapter::TConnection connection) {
    if (++malformed_[connection] <= MaxMalformedPackets || adapter_->State != 2) return;
    DisconnectPeer(connection);
}

void TTcpController::ExecuteCommand(const TCommand& command) {
    TController::ExecuteCommand(command);
    const TGame& game = RequireGame();
    if (command.Player == game.LocalPlayerIndex) Lag = CheckedSub<std::int32_t>(game.Frame, command.Frame);
}

}  // namespace orbitfall
