#include "control/tcp_controller.h"

#include <algorithm>
#include <cstring>

#include "control/packets.h"
#include "control/shell_link.h"
#include "infra/checked.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "infra/random.h"
#include "simulation/game.h"

namespace orbitfall {

TTcpController::TTcpController(TShellLink& shell, const std::string& host, int port)
    : TController(shell), isServer_(host.empty()),
      adapter_(std::make_unique<TTcpAdapter>(shell.EventLoop())) {
    adapter_->Port = port;
    adapter_->OnReceive = [this](TNetworkadapter&, TPointerStream& stream, const std::uint8_t*,
                                 std::size_t, TNetworkadapter::TConnection connection) {
        PacketReceived(stream, connection);
    };
    adapter_->OnClientConnect = [this](TNetworkadapter&, TNetworkadapter::TConnection c) {
        ClientConnected(c);
    };
    adapter_->OnClientDisconnect = [this](TNetworkadapter&, TNetworkadapter::TConnection c) {
        ClientDisconnected(c);
    };
    adapter_->RelayFilter = [this](const std::uint8_t* buffer, std::size_t size,
                                   TNetworkadapter::TConnection c) { return AcceptRelay(buffer, size, c); };

    if (isServer_) adapter_->Listen();
    else adapter_->Connect(host);
    while (adapter_->State == 1 && !shell.Terminated()) {
        shell.Sleep(1);
        shell.ProcessMessages();
    }
    if (adapter_->State != 2) throw Exception(Translate("joinfailed"));
    shell.CreateLobby(isServer_);
}

TTcpController::~TTcpController() {
    // The adapter closes its connections; its events must not reach a
    // controller that is half gone.
    adapter_->OnReceive = nullptr;
    adapter_->OnClientConnect = nullptr;
    adapter_->OnClientDisconnect = nullptr;
    adapter_->RelayFilter = nullptr;
    adapter_.reset();
}

std::vector<std::string> TTcpController::PlayerNames() const {
    std::vector<std::string> names;
    for (const auto& p : players_) names.push_back(p.Name);
    return names;
}

void TTcpController::ClientConnected(TNetworkadapter::TConnection connection) {
    players_.push_back({"Player " + std::to_string(players_.size() + 1), connection});
    Shell().AddLobbyMessage("A player joined the game");
}

void TTcpController::ClientDisconnected(TNetworkadapter::TConnection connection) {
    auto it = std::find_if(players_.begin(), players_.end(),
                           [connection](const TPlayerEntry& p) { return p.Connection == connection; });
    if (it != players_.end()) {
        Shell().AddLobbyMessage(TranslateFmt("playerleft", {it->Name}));
        players_.erase(it);
    }
    // The connection object goes away after this event; so does its player
    // binding (its units stay in the game).
    playerOf_.erase(connection);
}

bool TTcpController::AcceptRelay(const std::uint8_t* buffer, std::size_t size,
                                 TNetworkadapter::TConnection connection) const {
    if (size == ReadyPacketSize && buffer[0] == ptReady) return true;
    if (size != CommandPacketSize || buffer[0] != ptCommand) return false;
    const auto sender = playerOf_.find(connection);
    if (sender == playerOf_.end()) return false;
    TCommand command;
    std::memcpy(&command, buffer + 1, sizeof command);
    const TGame* game = GetGame();
    return command.Player == sender->second && game && game->AcceptsCommand(command);
}

void TTcpController::PacketReceived(TPointerStream& stream, TNetworkadapter::TConnection connection) {
    try {
        HandlePacket(stream, connection);
    } catch (const std::exception&) {
        Shell().AddLobbyMessage("Packet-Error");
    }
}

void TTcpController::HandlePacket(TPointerStream& stream, TNetworkadapter::TConnection connection) {
    auto expectLength = [&stream](std::size_t size) {
        if (stream.Size() != size) throw Exception("Malformed packet");
    };
    std::uint8_t type = 0;
    stream.Read(&type, 1);
    switch (type) {
        case ptCommand: {
            expectLength(CommandPacketSize);
            TCommand command;
            stream.Read(&command, sizeof command);
            if (!isServer_) {
                Log("Network", 4, "Client received ptCommand");
                return;
            }
            RequireGame();
            const auto sender = playerOf_.find(connection);
            if (sender == playerOf_.end() || sender->second != command.Player) {
                Log("Network", 4, "Command for another player dropped");
                return;
            }
            // One client must not be able to stop everybody's game with a
            // command the game refuses (a move to no number, a negative word).
            if (!RequireGame().AcceptsCommand(command)) {
                Log("Network", 4, "Invalid command dropped");
                return;
            }
            QueueCommand(command);
            return;
        }
        case ptFrameData: {
            TFrameData frame;
            stream.Read(&frame.Header, sizeof frame.Header);
            expectLength(FrameDataPacketSize(frame.Header.Count));
            frame.Commands.resize(frame.Header.Count);
            for (TCommand& command : frame.Commands) stream.Read(&command, sizeof command);
            ReceiveFrame(std::move(frame));
            return;
        }
        case ptStartGame:
            if (isServer_) return;
            expectLength(StartPacketSize);
            Shell().ShowLobby(false);
            stream.Read(&StartRecord, sizeof StartRecord);
            StartClientGame();
            return;
        case ptReady:
            expectLength(ReadyPacketSize);
            ReadyCount = CheckedAdd<std::int32_t>(ReadyCount, 1);
            return;
        default:
            Log("Network", 4, "Unrecognized Packettype");
            return;
    }
}

void TTcpController::ReceiveFrame(TFrameData frame) {
    if (isServer_) throw Exception("Framedata sent to Server");
    frameQueue_.push_back(std::move(frame));
}

void TTcpController::QueueCommand(const TCommand& command) {
    const std::int64_t behind = std::int64_t{RequireGame().Frame} - command.Frame;
    if (behind > 10) Shell().Sleep(static_cast<int>(std::min<std::int64_t>(behind - 10, 10) * 25));
    collector_.Add(command);
}

void TTcpController::IssueCommand(TCommand command) {
    const TGame& game = RequireGame();
    command.Frame = game.Frame;
    command.Player = game.LocalPlayerIndex;
    if (isServer_) {
        QueueCommand(command);
        return;
    }
    // A client whose host has gone has nobody to tell; its frame wait
    // reports the interruption.
    if (adapter_->State != 2) return;
    std::uint8_t packet[CommandPacketSize];
    packet[0] = ptCommand;
    std::memcpy(packet + 1, &command, sizeof command);
    adapter_->Send(packet, sizeof packet);
}

void TTcpController::ExecuteCommand(const TCommand& command) {
    TController::ExecuteCommand(command);
    const TGame& game = RequireGame();
    if (command.Player == game.LocalPlayerIndex) Lag = game.Frame - command.Frame;
}

void TTcpController::ExecuteCommands() {
    TGame& game = RequireGame();
    if (isServer_) {
        TFrameData frame = collector_.Close(game.Checksum());
        FrameHeader = frame.Header;
        TController::ExecuteCommands();
        sendBuffer_.resize(FrameDataPacketSize(frame.Commands.size()));
        sendBuffer_[0] = ptFrameData;
        std::memcpy(sendBuffer_.data() + 1, &frame.Header, sizeof frame.Header);
        if (!frame.Commands.empty())
            std::memcpy(sendBuffer_.data() + 1 + sizeof frame.Header, frame.Commands.data(),
                        frame.Commands.size() * sizeof(TCommand));
        adapter_->Send(sendBuffer_.data(), sendBuffer_.size());
        for (const TCommand& command : frame.Commands) ExecuteCommand(command);
        return;
    }

    TShellLink& shell = Shell();
    const std::uint32_t t0 = shell.TickCount();
    while (frameQueue_.empty()) {
        if (shell.Terminated()) throw Exception(Translate("connectioninterrupted"));
        shell.Sleep(1);
        shell.ProcessMessages();
        if (shell.TickCount() - t0 > static_cast<std::uint32_t>(FrameWait.count()))
            throw Exception(Translate("connectioninterrupted"));
    }
    TCommand empty;
    IssueCommand(empty);
    const TFrameData& frame = frameQueue_.front();
    if (game.Checksum() != frame.Header.Checksum) throw Exception("Game asynchron");
    FrameHeader = frame.Header;
    TController::ExecuteCommands();
    const TFrameData current = std::move(frameQueue_.front());
    frameQueue_.pop_front();
    for (const TCommand& command : current.Commands) ExecuteCommand(command);
}

void TTcpController::StartGame() {
    if (isServer_) StartHostGame();
    else StartClientGame();
}

void TTcpController::StartHostGame() {
    if (SeedOverride) SetRandomState(*SeedOverride);
    else Randomize();
    const std::uint32_t seed = RandomState();

    TStartInfo info;
    info.SetMapName(Shell().SelectedMap());
    info.RandomSeed = static_cast<std::int32_t>(seed);
    const int clients = adapter_->ClientCount();
    info.PlayerCount = CheckedNarrow<std::uint8_t>(clients + 1);
    playerOf_.clear();
    for (int i = 0; i < clients; ++i) {
        info.PlayerNumber = CheckedNarrow<std::uint8_t>(i + 2);
        std::uint8_t packet[StartPacketSize];
        packet[0] = ptStartGame;
        std::memcpy(packet + 1, &info, sizeof info);
        const TNetworkadapter::TConnection connection = adapter_->GetClient(i);
        adapter_->Send(packet, sizeof packet, connection);
        playerOf_[connection] = info.PlayerNumber;
    }
    info.PlayerNumber = 1;
    // The game draws from the generator while it is created; the clients
    // start from the same state.
    SetRandomState(seed);
    CreateGame(info);
    collector_ = TFrameCollector{};
    TController::StartGame();

    ReadyCount = 0;
    // Counted against the clients still connected, so one that leaves during
    // the wait does not hold the host forever.
    while (ReadyCount < adapter_->ClientCount() && !Shell().Terminated()) {
        Shell().ProcessMessages();
        Shell().Sleep(10);
    }
}

void TTcpController::StartClientGame() {
    SetRandomState(static_cast<std::uint32_t>(StartRecord.RandomSeed));
    const TStartInfo info = StartRecord;
    frameQueue_.clear();
    CreateGame(info);
    TController::StartGame();
    Shell().SetFrameInterval(1);
    const std::uint8_t ready = ptReady;
    adapter_->Send(&ready, 1);
}

}  // namespace orbitfall
