#include "control/local_controller.h"

#include "simulation/game.h"

namespace orbitfall {

void TLocalController::StartGame(const TStartInfo& info) {
    CreateGame(info);
    collector_ = TFrameCollector{};
    TController::StartGame();
}

void TLocalController::QueueCommand(const TCommand& command) { collector_.Add(command); }

void TLocalController::ExecuteCommands() {
    TFrameData frame = collector_.Close(RequireGame().Checksum());
    FrameHeader = frame.Header;
    TController::ExecuteCommands();
    for (const TCommand& command : frame.Commands) ExecuteCommand(command);
}

void TLocalController::IssueCommand(TCommand command) {
    const TGame& game = RequireGame();
    command.Frame = game.Frame;
    command.Player = game.LocalPlayerIndex;
    QueueCommand(command);
}

}  // namespace orbitfall
