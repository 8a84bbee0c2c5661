#include "control/lockstep_host.h"

#include <algorithm>

#include "control/shell_link.h"
#include "control/start_check.h"
#include "infra/checked.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "infra/random.h"
#include "platform/event_loop.h"
#include "platform/machine_name.h"
#include "simulation/command_rules.h"
#include "simulation/game.h"

namespace orbitfall {

TLockstepHost::TLockstepHost(TShellLink& shell, int port) : TTcpController(shell) {
    Open("", port);
    // The lobby lists the host at the next turn of the loop, once whoever
    // made this controller has said where it listens.
    Shell().EventLoop().Post([this, alive = alive_] {
        if (*alive && PlayersPresent() == 0) PublishPlayers();
    });
}

void TLockstepHost::PublishPlayers() {
    // The host's entry names the machine, and the port when it is not the
    // one a join assumes.
    std::string here = MachineName();
    if (Adapter().Port != DefaultPort) here.append(":").append(std::to_string(Adapter().Port));
    std::vector<TLobbyPlayer> list{{"Host", here, false}};
    for (const TPlayerEntry& p : players_) list.push_back({p.Name, Adapter().PeerAddress(p.Connection), false});
    for (std::size_t i = 0; i < players_.size(); ++i) {
        EncodePlayerList(list, static_cast<std::uint8_t>(i + 1), sendBuffer_);
        Adapter().Send(sendBuffer_.data(), sendBuffer_.size(), players_[i].Connection);
    }
    list.front().You = true;
    SetLobbyPlayers(std::move(list));
}

std::vector<std::string> TLockstepHost::PlayerNames() const {
    std::vector<std::string> names;
    for (const auto& p : players_) names.push_back(p.Name);
    return names;
}

void TLockstepHost::ClientConnected(TNetworkadapter::TConnection connection) {
    if (Adapter().ClientCount() > MaxClients) {
        Log("Network", 3, "Connection refused: the game is full");
        Adapter().Disconnect(connection);
        return;
    }
    players_.push_back({"Player " + std::to_string(players_.size() + 1), connection});
    ResetPacketErrors();
    Shell().AddLobbyMessage("A player joined the game");
    PublishPlayers();
}

void TLockstepHost::ClientDisconnected(TNetworkadapter::TConnection connection) {
    auto it = std::find_if(players_.begin(), players_.end(),
                           [connection](const TPlayerEntry& p) { return p.Connection == connection; });
    if (it != players_.end()) {
        ResetPacketErrors();
        Shell().AddLobbyMessage(TranslateFmt("playerleft", {it->Name}));
        players_.erase(it);
        PublishPlayers();
    }
    // The connection object goes away after this event; so does everything
    // kept about it (its units stay in the game).
    playerOf_.erase(connection);
    reportedFrame_.erase(connection);
    ready_.erase(connection);
    ForgetPeer(connection);
    ReadyCount = static_cast<std::int32_t>(ready_.size());
}

void TLockstepHost::DisconnectPeer(TNetworkadapter::TConnection connection) {
    bool listed = false;
    for (int i = 0; i < Adapter().ClientCount(); ++i) listed = listed || Adapter().GetClient(i) == connection;
    if (!listed) return;
    Log("Network", 3, "Too many malformed packets from a client: disconnected");
    Adapter().Disconnect(connection);
}

TLockstepHost::TVerdict TLockstepHost::Judge(const TCommand& command,
                                             TNetworkadapter::TConnection connection) const {
    const auto sender = playerOf_.find(connection);
    if (sender == playerOf_.end() || sender->second != command.Player) return TVerdict::WrongSender;
    const TGame* game = GetGame();
    if (game == nullptr) return TVerdict::Refused;
    // One client must not be able to stop everybody's game with a command
    // the game refuses (a move to no number, a negative word); one without
    // effect is not worth a slot of anybody's frame.
    switch (JudgeCommand(command, game->PlayerCount)) {
        case TCommandVerdict::Refused: return TVerdict::Refused;
        case TCommandVerdict::NoEffect: return TVerdict::NoEffect;
        case TCommandVerdict::Accept: break;
    }
    // A client issues at the frame it has reached: never beyond the host's,
    // never before what it reported already.
    const auto reported = reportedFrame_.find(connection);
    if (command.Frame > game->Frame || (reported != reportedFrame_.end() && command.Frame < reported->second))
        return TVerdict::WrongFrame;
    return TVerdict::Accept;
}

void TLockstepHost::Relay(const std::uint8_t* payload, std::size_t size) { Adapter().Send(payload, size); }

void TLockstepHost::HandlePacket(const std::uint8_t* payload, std::size_t size,
                                 TNetworkadapter::TConnection connection) {
    switch (PacketType(payload, size)) {
        case ptCommand:
            HandleCommand(payload, size, connection);
            return;
        case ptFrameData:
            DecodeFrame(payload, size);
            throw Exception("Framedata sent to Server");
        case ptStartGame:
            return;
        case ptReady:
            HandleReady(payload, size, connection);
            return;
        default:
            Log("Network", 4, "Unrecognized Packettype");
            Malformed(connection);
            return;
    }
}

void TLockstepHost::HandleCommand(const std::uint8_t* payload, std::size_t size,
                                  TNetworkadapter::TConnection connection) {
    const TCommand command = DecodeCommand(payload, size);
    RequireGame();
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
    Relay(payload, size);
    reportedFrame_[connection] = command.Frame;
    worstLag_ = std::max<std::int64_t>(worstLag_, std::int64_t{RequireGame().Frame} - command.Frame);
    QueueCommand(command);
}

void TLockstepHost::HandleReady(const std::uint8_t* payload, std::size_t size,
                                TNetworkadapter::TConnection connection) {
    DecodeReady(payload, size);
    if (!playerOf_.contains(connection) || ready_.contains(connection)) return;
    Relay(payload, size);
    ready_.insert(connection);
    ReadyCount = static_cast<std::int32_t>(ready_.size());
}

void TLockstepHost::QueueCommand(const TCommand& command) { collector_.Add(command); }

void TLockstepHost::Throttle() {
    // Once per frame, from the most lagging client of the frame just past:
    // 25 ms per frame beyond 10, at most 250 ms.
    if (worstLag_ > 10) Shell().Sleep(static_cast<int>(std::min<std::int64_t>(worstLag_ - 10, 10) * 25));
    worstLag_ = 0;
}

void TLockstepHost::IssueCommand(TCommand command) {
    const TGame& game = RequireGame();
    command.Frame = game.Frame;
    command.Player = game.LocalPlayerIndex;
    QueueCommand(command);
}

void TLockstepHost::ExecuteCommands() {
    TGame& game = RequireGame();
    Throttle();
    TFrameData frame = collector_.Close(game.Checksum());
    FrameHeader = frame.Header;
    TController::ExecuteCommands();
    EncodeFrame(frame.Header, frame.Commands, sendBuffer_);
    Adapter().Send(sendBuffer_.data(), sendBuffer_.size());
    for (const TCommand& command : frame.Commands) ExecuteCommand(command);
}

void TLockstepHost::StartGame() {
    // Before anything is drawn or sent: a start that cannot work leaves
    // every machine as it was.
    CheckStartFits(Shell().SelectedMap(), Adapter().ClientCount() + 1);
    if (SeedOverride) SetRandomState(*SeedOverride);
    else Randomize();
    const std::uint32_t seed = RandomState();

    TStartInfo info;
    info.SetMapName(Shell().SelectedMap());
    info.RandomSeed = static_cast<std::int32_t>(seed);
    const int clients = Adapter().ClientCount();
    info.PlayerCount = CheckedNarrow<std::uint8_t>(clients + 1);
    std::vector<TNetworkadapter::TConnection> connections;
    for (int i = 0; i < clients; ++i) connections.push_back(Adapter().GetClient(i));
    playerOf_.clear();
    reportedFrame_.clear();
    ready_.clear();
    ReadyCount = 0;
    worstLag_ = 0;
    for (int i = 0; i < clients; ++i) {
        info.PlayerNumber = CheckedNarrow<std::uint8_t>(i + 2);
        EncodeStart(info, sendBuffer_);
        Adapter().Send(sendBuffer_.data(), sendBuffer_.size(), connections[static_cast<std::size_t>(i)]);
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

}  // namespace orbitfall
