#include "control/controller.h"

#include "control/shell_link.h"
#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/file_stream.h"
#include "simulation/game.h"

namespace orbitfall {

TController* Controller = nullptr;
TGame* Game = nullptr;

TController::TController(TShellLink& shell) : shell_(shell) {}

TController::~TController() {
    if (Game == game_.get()) Game = nullptr;
    game_.reset();
    replay_.reset();
}

void TController::CreateGame(const TStartInfo& info) {
    // A second game in one run ends the first completely before anything of
    // the new one exists.
    if (Game == game_.get()) Game = nullptr;
    game_.reset();
    replay_.reset();
    StartRecord = info;
    game_ = std::make_unique<TGame>(info.MapName(), info.PlayerCount, info.PlayerNumber);
    Game = game_.get();
}

void TController::StartGame() {
    if (Recording) {
        const std::string path = ResolveFileName("Replays\\Latest.ofr");
        replay_ = std::make_unique<TFileStream>(path, TFileStream::Mode::CreateExclusive);
        WriteStartFile(StartFileFor(path), StartRecord);
    }
    shell_.CreateGameWindow(RequireGame());
}

void TController::ExecuteCommands() {
    if (OnFrameStart) OnFrameStart(FrameHeader);
    if (Recording && replay_) replay_->Write(&FrameHeader, sizeof FrameHeader);
}

void TController::LeaveFrame() {
    if (--framesOnStack_ == 0) FrameReturned();
}

TGame& TController::RequireGame() const {
    if (!game_) throw Exception("No game is running");
    return *game_;
}

void TController::ExecuteCommand(const TCommand& command) {
    // Executed first: a command that raises is not recorded.
    RequireGame().ExecuteCommand(command);
    if (Recording && replay_) replay_->Write(&command, sizeof command);
}

}  // namespace orbitfall
