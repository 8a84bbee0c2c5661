#include "control/lockstep_client.h"

#include "control/desync_dump.h"
#include "control/shell_link.h"
#include "infra/checked.h"
#include "infra/event_log.h"
#include "infra/language.h"
#include "infra/random.h"
#include "platform/event_loop.h"
#include "simulation/command_rules.h"
#include "simulation/game.h"

namespace orbitfall {

TLockstepClient::TLockstepClient(TShellLink& shell, const std::string& host, int port) : TTcpController(shell) {
    Open(host, port);
    EncodeGreeting(LocalGreeting(), sendBuffer_);
    Adapter().Send(sendBuffer_.data(), sendBuffer_.size());
}

void TLockstepClient::DisconnectPeer(TNetworkadapter::TConnection) {
    Log("Network", 3, "Too many malformed packets from the host: disconnected");
    Adapter().Disconnect();
}

void TLockstepClient::HandlePacket(const std::uint8_t* payload, std::size_t size,
                                   TNetworkadapter::TConnection connection) {
    switch (PacketType(payload, size)) {
        case ptCommand:
            DecodeCommand(payload, size);
            Log("Network", 4, "Client received ptCommand");
            return;
        case ptFrameData:
            ReceiveFrame(DecodeFrame(payload, size));
            return;
        case ptStartGame: {
            const TStartInfo info = DecodeStart(payload, size);
            if (const std::string fault = StartInfoFault(info); !fault.empty())
                throw Exception("Start record: " + fault);
            HandleStart(info);
            return;
        }
        case ptReady:
            DecodeReady(payload, size);
            ReadyCount = CheckedAdd<std::int32_t>(ReadyCount, 1);
            return;
        case ptPlayerList:
            SetLobbyPlayers(DecodePlayerList(payload, size));
            return;
        case ptRefusal:
            refusal_ = DecodeRefusal(payload, size);
            Log("Network", 3, "The host refused this copy: " + refusal_);
            Shell().AddLobbyMessage("The host refused this copy. " + refusal_);
            return;
        default:
            Log("Network", 4, "Unrecognized Packettype");
            Malformed(connection);
            return;
    }
}

void TLockstepClient::HandleStart(const TStartInfo& info) {
    Shell().ShowLobby(false);
    if (!executing_ && !FrameOnStack()) {
        // This start replaces one that waited for a frame to end.
        pendingStart_.reset();
        pendingFrames_.clear();
        TryStart(info);
        return;
    }
    // The running frame still uses the game: it gives way first. Frames
    // that follow this packet belong to the new game.
    Log("Network", 4, "Start during a frame: the frame ends first");
    pendingStart_ = info;
    pendingFrames_.clear();
}

void TLockstepClient::SchedulePendingStart() {
    Shell().EventLoop().Post([this, alive = alive_] {
        if (*alive) RunPendingStart();
    });
}

void TLockstepClient::RunPendingStart() {
    // Inside a frame (a later turn of the loop that a frame wait runs), the
    // frame sees the pending start and gives way again.
    if (!pendingStart_ || executing_ || FrameOnStack()) return;
    const TStartInfo info = *pendingStart_;
    pendingStart_.reset();
    std::deque<TFrameData> frames = std::move(pendingFrames_);
    pendingFrames_.clear();
    TryStart(info);
    if (GetGame() != nullptr && startFailure_.empty()) frameQueue_ = std::move(frames);
}

void TLockstepClient::FrameReturned() {
    // A start that came while a frame's error box was open.
    if (pendingStart_) SchedulePendingStart();
}

void TLockstepClient::TryStart(const TStartInfo& info) {
    startFailure_.clear();
    try {
        StartClientGame(info);
        return;
    } catch (const std::exception& e) {
        const std::string map = Printable(info.MapName());
        startFailure_ = MapDigest(info.MapName())
            ? "The game on the map " + map + " could not be started here: " + Printable(e.what())
            : "The game could not be started: the map " + map + " is not on this machine.";
    }
    // Back in the lobby, told why; the game's connection is left, so the
    // host reports the departure and does not wait for this copy.
    Log("Network", 3, startFailure_);
    Shell().AddLobbyMessage(startFailure_);
    Shell().ShowLobby(true);
    frameQueue_.clear();
    pendingFrames_.clear();
    if (Adapter().State == 2) Adapter().Disconnect();
}

void TLockstepClient::ReceiveFrame(TFrameData frame) {
    std::deque<TFrameData>& queue = pendingStart_ ? pendingFrames_ : frameQueue_;
    if (queue.size() >= MaxQueuedFrames) {
        // A host this far ahead is as good as gone; the next frame says so.
        if (!queueOverrun_) Log("Network", 3, "Too many frames waiting");
        queueOverrun_ = true;
        return;
    }
    queue.push_back(std::move(frame));
}

void TLockstepClient::IssueCommand(TCommand command) {
    const TGame& game = RequireGame();
    command.Frame = game.Frame;
    command.Player = game.LocalPlayerIndex;
    // What the host would drop is not worth sending.
    if (JudgeCommand(command, game.PlayerCount) != TCommandVerdict::Accept) return;
    // A client whose host has gone has nobody to tell; its frame wait
    // reports the interruption.
    if (Adapter().State != 2) return;
    EncodeCommand(command, sendBuffer_);
    Adapter().Send(sendBuffer_.data(), sendBuffer_.size());
}

void TLockstepClient::ExecuteCommands() {
    TGame& game = RequireGame();
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
    // The game a window still shows after a later start failed: it has
    // nobody to play with any more.
    if (!startFailure_.empty()) throw Exception(startFailure_);

    TShellLink& shell = Shell();
    const std::uint32_t t0 = shell.TickCount();
    while (frameQueue_.empty()) {
        if (shell.Terminated()) throw Exception(Translate("connectioninterrupted"));
        shell.Sleep(1);
        shell.ProcessMessages();
        giveWayToStart();
        if (queueOverrun_) throw Exception(Translate("connectioninterrupted"));
        // The host's connection has ended (closed, or found dead by the
        // socket's keepalive after 25 s): no frame can come any more, and
        // FrameWait alone would notice a vanished host only after 30 s.
        if (Adapter().State != 2) throw Exception(Translate("connectioninterrupted"));
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

void TLockstepClient::StartGame() { StartClientGame(StartRecord); }

void TLockstepClient::StartClientGame(const TStartInfo& info) {
    SetRandomState(static_cast<std::uint32_t>(info.RandomSeed));
    frameQueue_.clear();
    queueOverrun_ = false;
    CreateGame(info);
    TController::StartGame();
    Shell().SetFrameInterval(1);
    EncodeReady(sendBuffer_);
    Adapter().Send(sendBuffer_.data(), sendBuffer_.size());
}

}  // namespace orbitfall
