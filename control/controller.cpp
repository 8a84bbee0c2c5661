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
    // The new game is made before the first one ends: when it cannot be
    // made, the first stays whole for whatever still shows it. Neither
    // exists as the process's game meanwhile.
    const bool current = Game == game_.get();
    if (current) Game = nullptr;
    std::unique_ptr<TGame> made;
    try {
        made = std::make_unique<TGame>(info.MapName(), info.PlayerCount, info.PlayerNumber, &shell_.UnitCatalogues);
    } catch (...) {
        if (current) Game = game_.get();
        throw;
    }
    // The first game lives on until the new one has its window: the old
    // window may still draw it, and a start that fails later (its replay
    // file cannot be made) hands it back.
    previousGame_ = std::move(game_);
    replay_.reset();
    StartRecord = info;
    game_ = std::move(made);
    Game = game_.get();
}

void TController::StartGame() {
    try {
        if (Recording) {
            const std::string path = ResolveFileName("Replays\\Latest.ofr");
            replay_ = std::make_unique<TFileStream>(path, TFileStream::Mode::CreateExclusive);
            WriteStartFile(StartFileFor(path), StartRecord);
        }
        shell_.CreateGameWindow(RequireGame());
    } catch (...) {
        if (previousGame_) {
            replay_.reset();
            game_ = std::move(previousGame_);
            Game = game_.get();
        }
        throw;
    }
    previousGame_.reset();
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
