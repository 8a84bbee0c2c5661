#pragma once
// A game played on this machine alone: the host's frame procedure without
// clients. Commands collect into the current frame and execute at the next
// frame, recorded exactly as a host records them.
#include "control/controller.h"
#include "control/frame_collector.h"

namespace orbitfall {

class TLocalController : public TController {
public:
    using TController::TController;

    // Creates the game from the record (the shared generator must already
    // hold the record's seed) and starts it.
    void StartGame(const TStartInfo& info);

    // Host side of a command: joins the frame being collected as it is.
    void QueueCommand(const TCommand& command);

    void ExecuteCommands() override;
    // Stamps the command with the game's frame and the local player.
    void IssueCommand(TCommand command) override;

private:
    using TController::StartGame;
    TFrameCollector collector_;
};

}  // namespace orbitfall
