#include "control/tcp_controller.h"

#include <algorithm>
#include <cstring>

#include "control/desync_dump.h"
#include "control/packets.h"
#include "control/shell_link.h"
#include "infra/checked.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "infra/random.h"
#include "platform/event_loop.h"
#include "simulation/game.h"

namespace orbitfall {

namespace {

// Kinds a game executes with some effect; the others change nothing and are
// not worth a slot of anybody's frame.
bool HasEffect(std::uint8_t kind) {
    return kind == ckSelectRect || kind == ckSelectAll || kind == ckMove;
}

}  // namespace

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
    *alive_ = false;
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
    if (adapter_->ClientCount() > MaxClients) {
        Log("Network", 3, "Connection refused: the game is full");
        adapter_->Disconnect(connection);
        return;
    }
    players_.push_back({"Player " + std::to_string(players_.size() + 1), connection});
    packetErrors_ = 0;
    Shell().AddLobbyMessage("A player joined the game");
}

void TTcpController::ClientDisconnected(TNetworkadapter::TConnection connection) {
    auto it = std::find_if(players_.begin(), players_.end(),
                           [connection](const TPlayerEntry& p) { return p.Connection == connection; });
    if (it != players_.end()) {
        packetErrors_ = 0;
        Shell().AddLobbyMessage(TranslateFmt("playerleft", {it->Name}));
        players_.erase(it);
    }
    // The connection object goes away after this event; so does everything
    // kept about it (its units stay in the game).
    playerOf_.erase(connection);
    reportedFrame_.erase(connection);
    ready_.erase(connection);
    malformed_.erase(connection);
    ReadyCount = static_cast<std::int32_t>(ready_.size());
}

TTcpController::TVerdict TTcpController::Judge(const TCommand& command,
                                               TNetworkadapter::TConnection connection) const {
    const auto sender = playerOf_.find(connection);
    if (sender == playerOf_.end() || sender->second != command.Player) return TVerdict::WrongSender;
    const TGame* game = GetGame();
    if (game == nullptr) return TVerdict::Refused;
    // An empty command only reports the sender's frame.
    if (command.Kind != ckEmpty && !HasEffect(command.Kind)) return TVerdict::NoEffect;
    // One client must not be able to stop everybody's game with a command
    // the game refuses (a move to no number, a negative word).
    if (!game->AcceptsCommand(command)) return TVerdict::Refused;
    // A client issues at the frame it has reached: never beyond the host's,
    // never before what it reported already.
    const auto reported = reportedFrame_.find(connection);
    if (command.Frame > game->Frame || (reported != reportedFrame_.end() && command.Frame < reported->second))
        return TVerdict::WrongFrame;
    return TVerdict::Accept;
}

bool TTcpController::AcceptRelay(const std::uint8_t* buffer, std::size_t size,
                                 TNetworkadapter::TConnection connection) const {
    if (size == ReadyPacketSize && buffer[0] == ptReady)
        return playerOf_.contains(connection) && !ready_.contains(connection);
    if (size != CommandPacketSize || buffer[0] != ptCommand) return false;
    TCommand command;
    std::memcpy(&command, buffer + 1, sizeof command);
    return Judge(command, connection) == TVerdict::Accept;
}

void TTcpController::PacketReceived(TPointerStream& stream, TNetworkadapter::TConnection connection) {
    try {
        HandlePacket(stream, connection);
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
    if (isServer_) {
        bool listed = false;
        for (int i = 0; i < adapter_->ClientCount(); ++i) listed = listed || adapter_->GetClient(i) == connection;
        if (!listed) return;
        Log("Network", 3, "Too many malformed packets from a client: disconnected");
        adapter_->Disconnect(connection);
    } else {
        Log("Network", 3, "Too many malformed packets from the host: disconnected");
        adapter_->Disconnect();
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
            HandleCommand(command, connection);
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
        case ptStartGame: {
            if (isServer_) return;
            expectLength(StartPacketSize);
            TStartInfo info;
            stream.Read(&info, sizeof info);
            if (const std::string fault = StartInfoFault(info); !fault.empty())
                throw Exception("Start record: " + fault);
            HandleStart(info);
            return;
        }
        case ptReady:
            expectLength(ReadyPacketSize);
            if (!isServer_) {
                ReadyCount = CheckedAdd<std::int32_t>(ReadyCount, 1);
            } else if (playerOf_.contains(connection)) {
                ready_.insert(connection);
                ReadyCount = static_cast<std::int32_t>(ready_.size());
            }
            return;
        default:
            Log("Network", 4, "Unrecognized Packettype");
            Malformed(connection);
            return;
    }
}

void TTcpController::HandleCommand(const TCommand& command, TNetworkadapter::TConnection connection) {
    switch (Judge(command, connection)) {
        case TVerdict::WrongSender:
            Log("Network", 4, "Command for another player dropped");
            return;
        case TVerdict::NoEffect:
            Log("Network", 4, "Command without effect dropped");
            return;
        case TVerdict::Refused:
            Log("Network", 4, "Invalid command dropped");
            return;
        case TVerdict::WrongFrame:
            Log("Network", 4, "Command with an impossible frame dropped");
            return;
        case TVerdict::Accept:
            break;
    }
    reportedFrame_[connection] = command.Frame;
    worstLag_ = std::max<std::int64_t>(worstLag_, std::int64_t{RequireGame().Frame} - command.Frame);
    QueueCommand(command);
}

void TTcpController::HandleStart(const TStartInfo& info) {
    Shell().ShowLobby(false);
    if (!executing_ && !FrameOnStack()) {
        // This start replaces one that waited for a frame to end.
        pendingStart_.reset();
        pendingFrames_.clear();
        StartClientGame(info);
        return;
    }
    // The running frame still uses the game: it gives way first. Frames
    // that follow this packet belong to the new game.
    Log("Network", 4, "Start during a frame: the frame ends first");
    pendingStart_ = info;
    pendingFrames_.clear();
}

void TTcpController::SchedulePendingStart() {
    Shell().EventLoop().Post([this, alive = alive_] {
        if (*alive) RunPendingStart();
    });
}

void TTcpController::RunPendingStart() {
    // Inside a frame (a later turn of the loop that a frame wait runs), the
    // frame sees the pending start and gives way again.
    if (!pendingStart_ || executing_ || FrameOnStack()) return;
    const TStartInfo info = *pendingStart_;
    pendingStart_.reset();
    std::deque<TFrameData> frames = std::move(pendingFrames_);
    pendingFrames_.clear();
    try {
        StartClientGame(info);
        frameQueue_ = std::move(frames);
    } catch (const std::exception&) {
        ReportPacketError();
    }
}

void TTcpController::FrameReturned() {
    // A start that came while a frame's error box was open.
    if (pendingStart_) SchedulePendingStart();
}

void TTcpController::ReceiveFrame(TFrameData frame) {
    if (isServer_) throw Exception("Framedata sent to Server");
    std::deque<TFrameData>& queue = pendingStart_ ? pendingFrames_ : frameQueue_;
    if (queue.size() >= MaxQueuedFrames) {
        // A host this far ahead is as good as gone; the next frame says so.
        if (!queueOverrun_) Log("Network", 3, "Too many frames waiting");
        queueOverrun_ = true;
        return;
    }
    queue.push_back(std::move(frame));
}

void TTcpController::QueueCommand(const TCommand& command) { collector_.Add(command); }

void TTcpController::Throttle() {
    // Once per frame, from the most lagging client of the frame just past:
    // 25 ms per frame beyond 10, at most 250 ms.
    if (worstLag_ > 10)
        Shell().Sleep(static_cast<int>(std::min<std::int64_t>(worstLag_ - 10, 10) * 25));
    worstLag_ = 0;
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
    if (command.Player == game.LocalPlayerIndex) Lag = CheckedSub<std::int32_t>(game.Frame, command.Frame);
}

void TTcpController::ExecuteCommands() {
    TGame& game = RequireGame();
    if (isServer_) {
        Throttle();
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

    struct TExecuting {
        bool& flag;
        explicit TExecuting(bool& f) : flag(f) { flag = true; }
        ~TExecuting() { flag = false; }
    } executing{executing_};
    auto giveWayToStart = [this] {
        if (!pendingStart_) return;
        SchedulePendingStart();
        throw EFrameAbandoned();
    };
    giveWayToStart();
    if (queueOverrun_) throw Exception(Translate("connectioninterrupted"));

    TShellLink& shell = Shell();
    const std::uint32_t t0 = shell.TickCount();
    while (frameQueue_.empty()) {
        if (shell.Terminated()) throw Exception(Translate("connectioninterrupted"));
        shell.Sleep(1);
        shell.ProcessMessages();
        giveWayToStart();
        if (queueOverrun_) throw Exception(Translate("connectioninterrupted"));
        if (shell.TickCount() - t0 > static_cast<std::uint32_t>(FrameWait.count()))
            throw Exception(Translate("connectioninterrupted"));
    }
    TCommand empty;
    IssueCommand(empty);
    const TFrameData& frame = frameQueue_.front();
    if (game.Checksum() != frame.Header.Checksum) RaiseDesync("Game asynchron", game, frame.Header.Checksum);
    FrameHeader = frame.Header;
    TController::ExecuteCommands();
    const TFrameData current = std::move(frameQueue_.front());
    frameQueue_.pop_front();
    for (const TCommand& command : current.Commands) ExecuteCommand(command);
}

void TTcpController::StartGame() {
    if (isServer_) StartHostGame();
    else StartClientGame(StartRecord);
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
    std::vector<TNetworkadapter::TConnection> connections;
    for (int i = 0; i < clients; ++i) connections.push_back(adapter_->GetClient(i));
    playerOf_.clear();
    reportedFrame_.clear();
    ready_.clear();
    ReadyCount = 0;
    worstLag_ = 0;
    for (int i = 0; i < clients; ++i) {
        info.PlayerNumber = CheckedNarrow<std::uint8_t>(i + 2);
        std::uint8_t packet[StartPacketSize];
        packet[0] = ptStartGame;
        std::memcpy(packet + 1, &info, sizeof info);
        adapter_->Send(packet, sizeof packet, connections[static_cast<std::size_t>(i)]);
        playerOf_[connections[static_cast<std::size_t>(i)]] = info.PlayerNumber;
    }
    info.PlayerNumber = 1;
    // The game draws from the generator while it is created; the clients
    // start from the same state.
    SetRandomState(seed);
    CreateGame(info);
    collector_ = TFrameCollector{};
    TController::StartGame();

    // Every client of this game once, and only those still connected, so
    // that one that leaves does not hold the host forever and one that
    // repeats itself does not stand in for the others.
    while (ready_.size() < playerOf_.size() && !Shell().Terminated()) {
        Shell().ProcessMessages();
        Shell().Sleep(10);
    }
}

void TTcpController::StartClientGame(const TStartInfo& info) {
    SetRandomState(static_cast<std::uint32_t>(info.RandomSeed));
    frameQueue_.clear();
    queueOverrun_ = false;
    CreateGame(info);
    TController::StartGame();
    Shell().SetFrameInterval(1);
    const std::uint8_t ready = ptReady;
    adapter_->Send(&ready, 1);
}

}  // namespace orbitfall
