// Recording through the controller and playing back with the checksum
// comparison: a replay must reproduce its game exactly, and any change to a
// recorded frame must be caught at the frame where it shows.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "control/frame_loop.h"
#include "control/local_controller.h"
#include "control/replay_controller.h"
#include "infra/errors.h"
#include "infra/random.h"
#include "simulation/world_dump_diff.h"
#include "tests/control/control_fixture.h"

using namespace orbitfall;
using namespace orbitfall::testing;

namespace {

TCommand SelectAll() {
    TCommand c;
    c.Kind = ckSelectAll;
    return c;
}

TCommand MoveTo(float x, float y) {
    TCommand c;
    c.Kind = ckMove;
    c.SetFloat(1, x);
    c.SetFloat(2, y);
    return c;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class ReplayTest : public ControlTest {
protected:
    // Records a 2-player game: player 1 orders its fleet at frame 3, player 2
    // at frame 5; `frames` frames in all.
    void Record(int frames) {
        SetRandomState(4242);
        TLocalController controller(shell);
        TStartInfo info;
        info.SetMapName(kTestMap);
        info.RandomSeed = 4242;
        info.PlayerNumber = 1;
        info.PlayerCount = 2;
        controller.StartGame(info);
        TFrameLoop loop;
        for (int f = 0; f < frames; ++f) {
            if (f == 3 || f == 5) {
                TCommand select = SelectAll(), move = MoveTo(150, 150);
                select.Player = move.Player = static_cast<std::uint8_t>(f == 3 ? 1 : 2);
                select.Frame = move.Frame = f;
                controller.QueueCommand(select);
                controller.QueueCommand(move);
            }
            ASSERT_TRUE(loop.DoTimer(controller)) << (shell.errors.empty() ? "" : shell.errors.back());
            checksums.push_back(std::uint32_t{controller.FrameHeader.Checksum});
        }
    }

    // Plays the replay to its end; returns the error's first line (the
    // message; the second names the dump of the world), empty when it verified.
    std::string Play(std::int64_t* framesPlayed = nullptr) {
        TReplayController controller(shell);
        controller.OpenReplay(ReplayPath());
        TFrameLoop loop;
        std::string error;
        while (!controller.AtEnd) {
            if (!loop.DoTimer(controller)) {
                error = shell.errors.back();
                break;
            }
        }
        if (framesPlayed) *framesPlayed = controller.FramesPlayed();
        return error.substr(0, error.find('\n'));
    }

    std::vector<std::uint32_t> checksums;
};

constexpr std::size_t kHeader = 9, kCommand = 23;

}  // namespace

TEST_F(ReplayTest, RecordedGamePlaysBackWithEveryChecksumEqual) {
    Record(30);
    const std::string bytes = ReadBytes(ReplayPath());
    // 30 headers, and two commands in each of frames 3 and 5.
    ASSERT_EQ(bytes.size(), 30 * kHeader + 4 * kCommand);
    std::int64_t played = 0;
    EXPECT_EQ(Play(&played), "");
    EXPECT_EQ(played, 30);
    // The start record beside it names the game as this machine played it.
    const TStartInfo info = ReadStartFile(user.Path() + "Replays/Latest.ofs");
    EXPECT_EQ(info.MapName(), kTestMap);
    EXPECT_EQ(std::int32_t{info.RandomSeed}, 4242);
    EXPECT_EQ(info.PlayerCount, 2);
}

TEST_F(ReplayTest, ChangedHeaderChecksumFailsAtExactlyThatFrame) {
    Record(30);
    std::string bytes = ReadBytes(ReplayPath());
    // Frame 10's header: 3 plain frames, frame 3 (+2 commands), frame 4,
    // frame 5 (+2 commands), then frames 6..9.
    const std::size_t offset = 10 * kHeader + 4 * kCommand;
    std::int32_t frame;
    std::memcpy(&frame, bytes.data() + offset, 4);
    ASSERT_EQ(frame, 10);
    bytes[offset + 4] ^= 1;
    WriteBytes(ReplayPath(), bytes);
    std::int64_t played = 0;
    EXPECT_EQ(Play(&played), "Replay-Fehler");
    EXPECT_EQ(played, 10);  // frames 0..9 verified, frame 10 refused
}

TEST_F(ReplayTest, AReplayErrorKeepsTheWorldOfThatFrameInANewFile) {
    Record(30);
    std::string bytes = ReadBytes(ReplayPath());
    const std::size_t offset = 10 * kHeader + 4 * kCommand;
    bytes[offset + 4] ^= 1;
    WriteBytes(ReplayPath(), bytes);
    std::vector<std::string> written;
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(Play(), "Replay-Fehler");
        const std::string& error = shell.errors.back();
        const std::string note = "World of frame 10 written to " + user.Path() + "Desync/frame-10_";
        ASSERT_EQ(error.find("Replay-Fehler\n" + note), 0u) << error;
        const std::string prefix = "World of frame 10 written to ";
        written.push_back(error.substr(error.find('\n') + 1 + prefix.size()));
    }
    // A second failure in the same second gets a name of its own.
    ASSERT_EQ(written.size(), 2u);
    EXPECT_NE(written[0], written[1]);
    for (const std::string& path : written) {
        const std::string text = ReadBytes(path);
        EXPECT_EQ(text.rfind("# Replay-Fehler at frame 10: ", 0), 0u) << text.substr(0, 100);
        // The world as this machine had it: its own checksum, which is the
        // one the untouched recording holds for frame 10.
        const std::vector<TWorldDump> dumps = ReadWorldDumps(text);
        ASSERT_EQ(dumps.size(), 1u) << path;
        EXPECT_EQ(dumps[0].Frame, 10);
        char own[9];
        std::snprintf(own, sizeof own, "%08x", checksums[10]);
        EXPECT_EQ(dumps[0].Checksum, own);
        EXPECT_GT(dumps[0].Lines.size(), 400u);  // 400 ships, and more
    }
    // The log names the file too.
    const std::string log = ReadBytes(user.Path() + "log.txt");
    EXPECT_NE(log.find("Desync\t5\t"), std::string::npos);
    EXPECT_NE(log.find("World of frame 10 written to " + written[0] + "\r\n"), std::string::npos) << log;
    // The error's own line stays one line.
    EXPECT_NE(log.find("\tReplay-Fehler; World of frame 10 written to " + written[1] + "\r\n"), std::string::npos)
        << log;
}

TEST_F(ReplayTest, ChangedMoveTargetFailsAtTheNextFrame) {
    Record(30);
    std::string bytes = ReadBytes(ReplayPath());
    // Frame 3's move command: header of frame 3 at 3*9, select, then move.
    const std::size_t move = 4 * kHeader + kCommand;
    ASSERT_EQ(bytes[move], ckMove);
    float x;
    std::memcpy(&x, bytes.data() + move + 11, 4);
    ASSERT_EQ(x, 150.0f);
    // Behind most of the fleet: the first turn already goes the other way.
    x = 20.0f;
    std::memcpy(bytes.data() + move + 11, &x, 4);
    std::memcpy(bytes.data() + move + 15, &x, 4);
    WriteBytes(ReplayPath(), bytes);
    std::int64_t played = 0;
    EXPECT_EQ(Play(&played), "Replay-Fehler");
    EXPECT_EQ(played, 4);  // frame 3 executes the changed order; frame 4 differs
}

TEST_F(ReplayTest, TruncatedFilesEndOrRaiseTheReadError) {
    Record(8);
    const std::string bytes = ReadBytes(ReplayPath());
    // Empty file: at end at once, no error.
    WriteBytes(ReplayPath(), "");
    std::int64_t played = -1;
    EXPECT_EQ(Play(&played), "");
    EXPECT_EQ(played, 0);
    // Ending inside frame 1's header: one frame, then the rest is ignored.
    WriteBytes(ReplayPath(), bytes.substr(0, kHeader + 5));
    EXPECT_EQ(Play(&played), "");
    EXPECT_EQ(played, 1);
    // Ending inside frame 3's second command: the stream's read error.
    WriteBytes(ReplayPath(), bytes.substr(0, 4 * kHeader + kCommand + 10));
    EXPECT_EQ(Play(&played), "Stream read error");
}

TEST_F(ReplayTest, EmptyFramesPlayAndThenTheGameRunsOn) {
    Record(3);  // frames 0..2 hold no command
    const std::string bytes = ReadBytes(ReplayPath());
    ASSERT_EQ(bytes.size(), 3 * kHeader);
    TReplayController controller(shell);
    controller.OpenReplay(ReplayPath());
    TFrameLoop loop;
    for (int f = 0; f < 6; ++f) ASSERT_TRUE(loop.DoTimer(controller));
    EXPECT_TRUE(controller.AtEnd);
    EXPECT_EQ(controller.FramesPlayed(), 3);
    EXPECT_EQ(controller.RequireGame().Frame, 6);
    controller.IssueCommand(SelectAll());  // input cannot change a replay
    EXPECT_TRUE(controller.RequireGame().LocalPlayer->Selection.empty());
}

TEST_F(ReplayTest, ASecondRecorderCannotOpenTheReplayInUse) {
    SetRandomState(1);
    TLocalController first(shell);
    TStartInfo info;
    info.SetMapName(kTestMap);
    info.PlayerNumber = 1;
    info.PlayerCount = 2;
    first.StartGame(info);
    TLocalController second(shell);
    EXPECT_THROW(second.StartGame(info), EFCreateError);
    // The first recording is untouched and still being written.
    TFrameLoop loop;
    EXPECT_TRUE(loop.DoTimer(first));
    EXPECT_EQ(ReadBytes(ReplayPath()).size(), kHeader);
}

TEST_F(ReplayTest, MissingReplayOrStartRecordIsAnError) {
    TReplayController controller(shell);
    EXPECT_THROW(controller.OpenReplay(user.Path() + "Replays/none.ofr"), EFOpenError);
    WriteBytes(user.Path() + "Replays/lonely.ofr", "");
    EXPECT_THROW(controller.OpenReplay(user.Path() + "Replays/lonely.ofr"), EFOpenError);
    EXPECT_EQ(controller.GetGame(), nullptr);
}
