#pragma once
// Plays a replay file back: the recorded frames are fed into a game created
// exactly as the recording machine created it (from the ".ofs" start record
// beside the replay), and every frame's checksum is compared with the
// recorded one ("Replay-Fehler" on a difference).
#include <cstdint>
#include <memory>
#include <string>

#include "control/controller.h"

namespace orbitfall {

class TFileStream;

class TReplayController : public TController {
public:
    explicit TReplayController(TShellLink& shell);
    ~TReplayController() override;

    TCommand CommandBuffer;
    bool AtEnd = false;

    // Opens the replay for reading (others may read it too, nobody may write
    // it), reads its start record, seeds the shared generator with the
    // record's seed, creates the game and starts it. Nothing is played here.
    void OpenReplay(const std::string& path);

    // Plays one recorded frame; once fewer than 9 bytes remain, frames run
    // empty. A file ending inside a command raises the stream's read error.
    void ExecuteCommands() override;
    // Input cannot change a replay.
    void IssueCommand(TCommand) override {}

    // Frames read from the file so far.
    std::int64_t FramesPlayed() const { return framesPlayed_; }

private:
    std::unique_ptr<TFileStream> file_;
    std::int64_t framesPlayed_ = 0;
};

}  // namespace orbitfall
