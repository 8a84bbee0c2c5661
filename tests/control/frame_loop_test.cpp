// The one frame procedure: its order, its re-entry guard and the rule that an
// error stops the frames for good.
#include "control/frame_loop.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "control/frame_collector.h"
#include "control/local_controller.h"
#include "infra/data_dirs.h"
#include "infra/random.h"
#include "tests/control/control_fixture.h"

using namespace orbitfall;
using namespace orbitfall::testing;

namespace {

// Runs a nested timer event from inside the commands of a frame, as a wait
// that processes events would.
class NestingController : public TLocalController {
public:
    using TLocalController::TLocalController;
    void ExecuteCommands() override {
        if (nested) nestedRan = nested();
        TLocalController::ExecuteCommands();
    }
    std::function<bool()> nested;
    bool nestedRan = true;
};

std::string LogText() {
    std::ifstream in(UserDir() + "log.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class FrameLoopTest : public ControlTest {
protected:
    void Start(TLocalController& controller, int players = 2) {
        SetRandomState(7);
        TStartInfo info;
        info.SetMapName(kTestMap);
        info.PlayerNumber = 1;
        info.PlayerCount = static_cast<std::uint8_t>(players);
        controller.Recording = false;
        controller.StartGame(info);
    }
};

}  // namespace

TEST_F(FrameLoopTest, FrameWritesItsStatusLineAndAdvancesTheGame) {
    TLocalController controller(shell);
    Start(controller);
    TFrameLoop loop;
    ASSERT_TRUE(loop.DoTimer(controller));
    ASSERT_TRUE(loop.DoTimer(controller));
    EXPECT_EQ(controller.RequireGame().Frame, 2);
    // Fields of the packed records are copied before comparing: a reference
    // to them would be misaligned.
    EXPECT_EQ(std::int32_t{controller.FrameHeader.Frame}, 1);
    const std::string log = LogText();
    EXPECT_NE(log.find("Status\t4\tTimer\tBeginning Frame 0\r\n"), std::string::npos);
    EXPECT_NE(log.find("Status\t4\tTimer\tBeginning Frame 1\r\n"), std::string::npos);
    EXPECT_FALSE(loop.InFrame());
}

TEST_F(FrameLoopTest, NestedTimerEventDuringAFrameDoesNothing) {
    NestingController controller(shell);
    Start(controller);
    TFrameLoop loop;
    controller.nested = [&] { return loop.DoTimer(controller); };
    ASSERT_TRUE(loop.DoTimer(controller));
    EXPECT_FALSE(controller.nestedRan);
    EXPECT_EQ(controller.RequireGame().Frame, 1);
}

TEST_F(FrameLoopTest, ErrorIsLoggedShownAndStopsAllLaterFrames) {
    TLocalController controller(shell);
    Start(controller);
    TFrameLoop loop;
    TCommand bad;
    bad.Kind = ckMove;
    bad.Player = 1;
    bad.SetInt(0, -1);  // a negative first word is a range error
    controller.QueueCommand(bad);
    EXPECT_FALSE(loop.DoTimer(controller));
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_TRUE(loop.Stopped());
    EXPECT_TRUE(loop.InFrame());
    EXPECT_NE(LogText().find("Except\t5\tExecuteCommands\t" + shell.errors[0] + "\r\n"), std::string::npos);
    EXPECT_FALSE(loop.DoTimer(controller));
    EXPECT_EQ(controller.RequireGame().Frame, 0);
    EXPECT_EQ(shell.errors.size(), 1u);
}

TEST_F(FrameLoopTest, IssuedCommandsAreStampedAndRunInTheNextFrame) {
    TLocalController controller(shell);
    Start(controller, 2);
    TFrameLoop loop;
    ASSERT_TRUE(loop.DoTimer(controller));
    TCommand all;
    all.Kind = ckSelectAll;
    all.Player = 2;  // overwritten: commands are this machine's player's
    controller.IssueCommand(all);
    ASSERT_TRUE(loop.DoTimer(controller));
    const TGame& game = controller.RequireGame();
    EXPECT_FALSE(game.Players[1]->Selection.empty());
    EXPECT_TRUE(game.Players[2]->Selection.empty());
}

namespace {
struct RecordingView : TFrameView {
    std::vector<std::string> calls;
    void ScrollCamera() override { calls.push_back("scroll"); }
    void Render() override { calls.push_back("render"); }
    void ShowTimings(std::uint32_t, std::uint32_t) override { calls.push_back("timings"); }
    void StopTimer() override { calls.push_back("stop"); }
};
}  // namespace

TEST_F(FrameLoopTest, AFrameWithoutItsPictureRunsEverythingButTheViewAndStillStopsOnErrors) {
    TLocalController controller(shell);
    Start(controller);
    TFrameLoop loop;
    RecordingView view;
    ASSERT_TRUE(loop.DoTimer(controller, &view, false));
    EXPECT_TRUE(view.calls.empty());
    ASSERT_TRUE(loop.DoTimer(controller, &view, true));
    EXPECT_EQ(view.calls, (std::vector<std::string>{"scroll", "render", "timings"}));
    EXPECT_EQ(controller.RequireGame().Frame, 2);
    EXPECT_NE(LogText().find("Beginning Frame 0\r\n"), std::string::npos);

    // An error in an undrawn frame still stops the timer and is shown.
    view.calls.clear();
    TCommand bad;
    bad.Kind = ckMove;
    bad.Player = 1;
    bad.SetInt(0, -1);
    controller.QueueCommand(bad);
    EXPECT_FALSE(loop.DoTimer(controller, &view, false));
    EXPECT_EQ(view.calls, std::vector<std::string>{"stop"});
    EXPECT_TRUE(loop.Stopped());
    EXPECT_EQ(shell.errors.size(), 1u);
}

TEST(FrameCollector, TheTwoHundredFiftySixthCommandIsDroppedAndEmptyOnesNeverJoin) {
    TFrameCollector collector;
    TCommand c;
    c.Kind = ckSelectAll;
    TCommand empty;
    EXPECT_FALSE(collector.Add(empty));
    for (int i = 0; i < 255; ++i) ASSERT_TRUE(collector.Add(c));
    EXPECT_FALSE(collector.Add(c));
    TFrameData frame = collector.Close(0xABCD);
    EXPECT_EQ(frame.Header.Count, 255);
    EXPECT_EQ(frame.Commands.size(), 255u);
    EXPECT_EQ(std::uint32_t{frame.Header.Checksum}, 0xABCDu);
    EXPECT_EQ(std::int32_t{frame.Header.Frame}, 0);
    EXPECT_EQ(collector.FrameNumber(), 1);
    EXPECT_EQ(collector.Close(0).Header.Count, 0);
}
