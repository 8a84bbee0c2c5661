#include "control/lockstep_host.h"

#include <algorithm>

#include "control/shell_link.h"
#include "infra/checked.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "infra/random.h"
#include "platform/event_loop.h"
#include "simulation/command_rules.h"
#include "simulation/game.h"

namespace orbitfall {

TLockstepHost::TLockstepHost(TShellLink& shell, int port) : TTcpController(shell), Greeting(LocalGreeting()) {
    Open("", port);
}

std::vector<std::string> TLockstepHost::PlayerNames() const {
    std::vector<std::string> names;
    for (const auto& p : players_) names.push_back(p.Name);
    return names;
}

bool TLockstepHost::Seated(TNetworkadapter::TConnection connection) const {
    return std::any_of(players_.begin(), players_.end(),
                       [connection](const TPlayerEntry& p) { return p.Connection == connection; });
}

void TLockstepHost::ClientConnected(TNetworkadapter::TConnection connection) {
    if (Adapter().ClientCount() > MaxClients) {
        Log("Network", 3, "Connection refused: the game is full");
        Adapter().Disconnect(connection);
        return;
    }
    const std::uint64_t serial = ++nextSerial_;
    waiting_[connection] = serial;
    CloseLater(connection, serial, GreetingWait, "A connection did not greet in time: closed");
}

void TLockstepHost::CloseLater(TNetworkadapter::TConnection connection, std::uint64_t serial,
                               std::chrono::milliseconds delay, const char* why) {
    Shell().EventLoop().PostAfter(delay, [this, alive = alive_, connection, serial, why] {
        if (!*alive) return;
        // The same connection, not a later one at the same address.
        const auto waiting = waiting_.find(connection);
        const auto refused = refused_.find(connection);
        if ((waiting == waiting_.end() || waiting->second != serial) &&
            (refused == refused_.end() || refused->second != serial))
            return;
        Log("Network", 3, why);
        Adapter().Disconnect(connection);
    });
}

void TLockstepHost::ClientDisconnected(TNetworkadapter::TConnection connection) {
    waiting_.erase(connection);
    refused_.erase(connection);
    auto it = std::find_if(players_.begin(), players_.end(),
                           [connection](const TPlayerEntry& p) { return p.Connection == connection; });
    if (it != players_.end()) {
        ResetPacketErrors();
        Shell().AddLobbyMessage(TranslateFmt("playerleft", {it->Name}));
        players_.erase(it);
    }
    // The connection object goes away after this event; so does everything
    // kept about it (its units stay in the game).
    progress_.erase(connection);
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
    const auto sender = progress_.find(connection);
    if (sender == progress_.end() || sender->second.Player != command.Player) return TVerdict::WrongSender;
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
    // never before what it reported already; and it reports each frame it
    // reaches once.
    const TProgress& p = sender->second;
    if (command.Frame > game->Frame || command.Frame < p.Reported) return TVerdict::WrongFrame;
    if (command.Kind == ckEmpty && command.Frame <= p.LastEmpty) return TVerdict::WrongFrame;
    return TVerdict::Accept;
}

void TLockstepHost::Relay(const std::uint8_t* payload, std::size_t size) { Adapter().Send(payload, size); }

void TLockstepHost::HandlePacket(const std::uint8_t* payload, std::size_t size,
                                 TNetworkadapter::TConnection connection) {
    // A refused copy's last packets are of no interest.
    if (refused_.contains(connection)) return;
    const std::uint8_t type = PacketType(payload, size);
    if (waiting_.contains(connection)) {
        // Nothing but the greeting comes first.
        if (type != ptGreeting) throw Exception("Packet before the greeting");
        HandleGreeting(payload, size, connection);
        return;
    }
    switch (type) {
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
        case ptGreeting:
            throw Exception("Second greeting");
        default:
            Log("Network", 4, "Unrecognized Packettype");
            Malformed(connection);
            return;
    }
}

void TLockstepHost::HandleGreeting(const std::uint8_t* payload, std::size_t size,
                                   TNetworkadapter::TConnection connection) {
    const TGreeting greeting = DecodeGreeting(payload, size);
    waiting_.erase(connection);
    if (const std::string mismatch = GreetingMismatch(Greeting, greeting); !mismatch.empty()) {
        Refuse(connection, mismatch);
        return;
    }
    players_.push_back({"Player " + std::to_string(players_.size() + 1), connection, greeting});
    ResetPacketErrors();
    Shell().AddLobbyMessage("A player joined the game");
}

void TLockstepHost::Refuse(TNetworkadapter::TConnection connection, const std::string& reason) {
    Log("Network", 3, "Joining copy refused: " + reason);
    ResetPacketErrors();
    Shell().AddLobbyMessage("A player was refused. " + reason);
    EncodeRefusal(reason, sendBuffer_);
    Adapter().Send(sendBuffer_.data(), sendBuffer_.size(), connection);
    const std::uint64_t serial = ++nextSerial_;
    refused_[connection] = serial;
    CloseLater(connection, serial, RefusalLinger, "Refused connection closed");
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
    TProgress& p = progress_[connection];
    p.Reported = command.Frame;
    if (command.Kind == ckEmpty) {
        // Only a frame report says how far the client has come.
        p.LastEmpty = command.Frame;
        worstLag_ = std::max<std::int64_t>(worstLag_, std::int64_t{RequireGame().Frame} - command.Frame);
    }
    QueueCommand(command);
}

void TLockstepHost::HandleReady(const std::uint8_t* payload, std::size_t size,
                                TNetworkadapter::TConnection connection) {
    DecodeReady(payload, size);
    if (!progress_.contains(connection) || ready_.contains(connection)) return;
    Relay(payload, size);
    ready_.insert(connection);
    ReadyCount = static_cast<std::int32_t>(ready_.size());
}

void TLockstepHost::QueueCommand(const TCommand& command) { collector_.Add(command); }

void TLockstepHost::Throttle() {
    // Once per frame, from the most lagging frame report of the frame just
    // past: 25 ms per frame beyond 10, at most 250 ms.
    if (worstLag_ > ThrottleLag)
        Shell().Sleep(static_cast<int>(std::min<std::int64_t>(worstLag_ - ThrottleLag, 10) * 25));
    worstLag_ = 0;
}

void TLockstepHost::JudgeLag() {
    const std::uint32_t now = Shell().TickCount();
    // A host that stood still (a debugger, a suspended machine) does not
    // blame its clients for it.
    const std::int64_t elapsed = std::min<std::int64_t>(static_cast<std::uint32_t>(now - lastJudged_), 1000);
    lastJudged_ = now;
    const std::int32_t frame = RequireGame().Frame;
    std::vector<TNetworkadapter::TConnection> dropped;
    for (auto& [connection, p] : progress_) {
        // From its ready note on: loading a game is not being behind.
        if (!ready_.contains(connection)) continue;
        if (std::int64_t{frame} - p.LastEmpty > ThrottleLag) p.BehindMs += elapsed;
        else p.BehindMs = std::max<std::int64_t>(0, p.BehindMs - elapsed / 2);
        if (p.BehindMs > MaxBehind.count()) dropped.push_back(connection);
    }
    for (TNetworkadapter::TConnection connection : dropped) {
        const auto it = progress_.find(connection);
        if (it == progress_.end()) continue;
        Log("Network", 3, "Player " + std::to_string(it->second.Player) + " stayed behind (" +
                              std::to_string(frame - it->second.LastEmpty) + " frames): dropped");
        // Its departure is reported like any other.
        Adapter().Disconnect(connection);
    }
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
    JudgeLag();
    TFrameData frame = collector_.Close(game.Checksum());
    FrameHeader = frame.Header;
    TController::ExecuteCommands();
    EncodeFrame(frame.Header, frame.Commands, sendBuffer_);
    Adapter().Send(sendBuffer_.data(), sendBuffer_.size());
    for (const TCommand& command : frame.Commands) ExecuteCommand(command);
}

std::vector<std::string> TLockstepHost::MapRefusals(const std::string& mapName) const {
    std::vector<std::string> refusals;
    const std::optional<std::uint64_t> own = MapDigest(mapName);
    // Without the map here, the host's own game fails and says so.
    if (!own) return refusals;
    for (const TPlayerEntry& p : players_)
        if (std::string why = MapMismatch(p.Name, mapName, *own, p.Greeting); !why.empty())
            refusals.push_back(std::move(why));
    return refusals;
}

void TLockstepHost::StartGame() {
    const std::string mapName = Shell().SelectedMap();
    // Refused before anything is sent: nobody leaves the lobby.
    if (const std::vector<std::string> refusals = MapRefusals(mapName); !refusals.empty()) {
        for (const std::string& why : refusals) {
            Log("Network", 3, "Start refused: " + why);
            Shell().AddLobbyMessage(why + " The game cannot start.");
        }
        throw Exception(refusals.front() + " The game cannot start.");
    }
    if (SeedOverride) SetRandomState(*SeedOverride);
    else Randomize();
    const std::uint32_t seed = RandomState();

    TStartInfo info;
    info.SetMapName(mapName);
    info.RandomSeed = static_cast<std::int32_t>(seed);
    info.PlayerCount = CheckedNarrow<std::uint8_t>(players_.size() + 1);
    info.PlayerNumber = 1;
    // The host's own game first: a start that fails here has sent nothing,
    // and every machine stays in its lobby. The game draws from the
    // generator while it is created; the clients start from the same state.
    SetRandomState(seed);
    CreateGame(info);

    progress_.clear();
    ready_.clear();
    ReadyCount = 0;
    worstLag_ = 0;
    for (std::size_t i = 0; i < players_.size(); ++i) {
        info.PlayerNumber = CheckedNarrow<std::uint8_t>(i + 2);
        EncodeStart(info, sendBuffer_);
        Adapter().Send(sendBuffer_.data(), sendBuffer_.size(), players_[i].Connection);
        progress_[players_[i].Connection].Player = info.PlayerNumber;
    }
    collector_ = TFrameCollector{};
    lastJudged_ = Shell().TickCount();
    TController::StartGame();

    // Every client of this game once, and only those still connected, so
    // that one that leaves does not hold the host forever and one that
    // repeats itself does not stand in for the others.
    while (ready_.size() < progress_.size() && !Shell().Terminated()) {
        Shell().ProcessMessages();
        Shell().Sleep(10);
    }
}

}  // namespace orbitfall
