#pragma once
// A client of a lockstep game: it joins a host, starts the game the host's
// start record describes, sends its player's commands to the host and
// executes exactly the frames the host sends, comparing checksums. It holds
// at most MaxQueuedFrames frames not yet executed.
//
// Its first packet is the greeting (greeting.h). A host that refuses it says
// why; a start whose game cannot be created here leaves the game's
// connection, with the reason in the lobby, and never frees a game a window
// still shows.
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "control/greeting.h"
#include "control/tcp_controller.h"

namespace orbitfall {

class TLockstepClient : public TTcpController {
public:
    // Connects and waits for the connection (the translated "joinfailed"
    // when it cannot be made).
    TLockstepClient(TShellLink& shell, const std::string& host, int port = DefaultPort);

    bool IsServer() const override { return false; }

    // Run by the start packet.
    void StartGame() override;
    // A start packet that arrives while a frame waits for frame data ends
    // that frame (EFrameAbandoned); the new game starts at a later turn of
    // the event loop, when no frame uses the old one.
    void ExecuteCommands() override;
    void IssueCommand(TCommand command) override;

    // How long the client waits for the host's next frame before giving up;
    // once the host's connection has ended it gives up at once.
    std::chrono::milliseconds FrameWait{30000};
    // Frames received and not yet executed.
    std::size_t QueuedFrames() const { return frameQueue_.size(); }
    // A start packet waits for the running frame to end.
    bool StartPending() const { return pendingStart_.has_value(); }
    // Why the host refused this copy, or why its last start failed; empty
    // while neither happened. Either way the client has left the host.
    const std::string& Refusal() const { return refusal_; }
    const std::string& StartFailure() const { return startFailure_; }

protected:
    void HandlePacket(const std::uint8_t* payload, std::size_t size,
                      TNetworkadapter::TConnection connection) override;
    void DisconnectPeer(TNetworkadapter::TConnection connection) override;

private:
    void HandleStart(const TStartInfo& info);
    void ReceiveFrame(TFrameData frame);
    void StartClientGame(const TStartInfo& info);
    // Starts the game or, when it cannot be created, tells why and leaves.
    void TryStart(const TStartInfo& info);
    void SchedulePendingStart();
    void RunPendingStart();
    void FrameReturned() override;

    std::deque<TFrameData> frameQueue_;
    bool queueOverrun_ = false;
    // A start that arrived inside a frame, and the frames after it.
    std::optional<TStartInfo> pendingStart_;
    std::deque<TFrameData> pendingFrames_;
    bool executing_ = false;
    std::string refusal_;
    std::string startFailure_;
};

}  // namespace orbitfall
