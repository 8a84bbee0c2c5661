#include "control/replay_controller.h"

#include "control/desync_dump.h"
#include "infra/errors.h"
#include "infra/file_stream.h"
#include "infra/random.h"
#include "simulation/game.h"

namespace orbitfall {

TReplayController::TReplayController(TShellLink& shell) : TController(shell) {
    Recording = false;
}

TReplayController::~TReplayController() = default;

void TReplayController::OpenReplay(const std::string& path) {
    auto file = std::make_unique<TFileStream>(path, TFileStream::Mode::ReadShared);
    const TStartInfo info = ReadStartFile(StartFileFor(file->Path()));
    file_ = std::move(file);
    AtEnd = false;
    framesPlayed_ = 0;
    SetRandomState(static_cast<std::uint32_t>(info.RandomSeed));
    CreateGame(info);
    StartGame();
}

void TReplayController::ExecuteCommands() {
    if (!file_) throw Exception("No replay is open");
    if (file_->Remaining() < sizeof(TFrameHeader)) AtEnd = true;
    if (AtEnd) return;

    TFrameHeader header;
    file_->Read(&header, sizeof header);
    if (RequireGame().Checksum() != header.Checksum) RaiseDesync("Replay-Fehler", RequireGame(), header.Checksum);
    ++framesPlayed_;
    FrameHeader = header;
    TController::ExecuteCommands();
    for (int i = 0; i < header.Count; ++i) {
        file_->Read(&CommandBuffer, sizeof CommandBuffer);
        ExecuteCommand(CommandBuffer);
    }
}

}  // namespace orbitfall
