// The game window's input without a window: interface units, the minimap,
// the view limits, and which commands mouse and keys hand to the controller.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "control/controller.h"
#include "infra/data_dirs.h"
#include "infra/random.h"
#include "shell/game/game_input.h"
#include "shell/game/input_math.h"
#include "infra/key_codes.h"
#include "shell/game/view_state.h"
#include "shell/sim/console_shell.h"
#include "simulation/game.h"
#include "simulation/player.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

TEST(InputMath, PixelsBecomeInterfaceUnitsInWindowsOfAnyWidth) {
    struct Case {
        int x, y, width, height;
        TInterfacePoint expected;
    };
    const Case cases[] = {
        {28, 768 - 28, 1024, 768, {28, 28}},  // the minimap's corner at full width
        {14, 384 - 14, 512, 384, {28, 28}},   // the same interface point in half the width
        {14, 600 - 14, 512, 600, {28, 28}},   // the height does not change the scale
        {0, 0, 512, 384, {0, 768}},
        {511, 383, 512, 384, {1022, 2}},
        {1, 1, 700, 500, {1, 730}},  // 1.46 and 729.97 round to the nearest unit
        {5, 5, 0, 0, {0, 0}},         // no client area yet
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToInterfaceUnits(c.x, c.y, c.width, c.height), c.expected) << c.x << "," << c.y << " in " << c.width;
}

TEST(InputMath, RectanglesHoldTheirLeftAndBottomEdgesOnly) {
    EXPECT_TRUE(MinimapRect.Contains({28, 28}));
    EXPECT_TRUE(MinimapRect.Contains({227, 227}));
    EXPECT_FALSE(MinimapRect.Contains({228, 100}));
    EXPECT_FALSE(MinimapRect.Contains({100, 27}));
    EXPECT_TRUE(MinisceneRect.Contains({607, 26}));
    EXPECT_FALSE(MinisceneRect.Contains({757, 100}));
    EXPECT_FALSE(MinisceneRect.Contains({700, 176}));
}

TEST(InputMath, AWideMapFillsTheMiddleHalfOfTheMinimap) {
    // 300 x 150: 150 rows in the middle of the square minimap.
    EXPECT_EQ(MinimapToMap({28, 28}, 300, 150), (TMapPoint{0, 225}));
    EXPECT_NEAR(MinimapToMap({28, 227}, 300, 150).Y, -73.5, 1e-9);
    EXPECT_EQ(MinimapToMap({128, 128}, 300, 150), (TMapPoint{150, 75}));
    // A tall map is centred sideways.
    EXPECT_EQ(MinimapToMap({28, 228}, 150, 300), (TMapPoint{-75, 0}));
    EXPECT_EQ(MinimapToMap({228, 28}, 300, 300), (TMapPoint{300, 300}));
}

TEST(InputMath, TiltAndDistanceStayInTheirLimits) {
    std::vector<int> tilts;
    int tilt = 30;
    for (int i = 0; i < 5; ++i) tilts.push_back(tilt = TiltAfterWheelDown(tilt));
    EXPECT_EQ(tilts, (std::vector<int>{40, 50, 60, 60, 60}));
    tilts.clear();
    for (int i = 0; i < 8; ++i) tilts.push_back(tilt = TiltAfterWheelUp(tilt));
    EXPECT_EQ(tilts, (std::vector<int>{50, 40, 30, 20, 10, 0, 0, 0}));
    EXPECT_EQ(TiltAfterWheelDown(55), 60);
    EXPECT_EQ(TiltAfterWheelUp(5), 0);
    EXPECT_EQ(DistanceAfterHome(5), 5);
    EXPECT_EQ(DistanceAfterHome(12), 11);
    EXPECT_EQ(DistanceAfterEnd(30), 30);
    EXPECT_EQ(DistanceAfterEnd(29), 30);
}

namespace {

constexpr int Left = 1, Right = 3;

class TRecordingController : public TController {
public:
    explicit TRecordingController(TShellLink& shell) : TController(shell) {}
    void IssueCommand(TCommand command) override { Issued.push_back(command); }
    std::vector<TCommand> Issued;
};

class TFakeTarget : public TInputTarget {
public:
    int ClientWidth() const override { return Width; }
    int ClientHeight() const override { return Height; }
    std::optional<TMapPoint> ScreenToMap(int x, int y) const override {
        if (!CameraReady) return std::nullopt;
        return TMapPoint{x / 10.0, y / 10.0};
    }
    void SetFullscreen(int width, int height, int bits, int refresh) override {
        Fullscreen.push_back({width, height, bits, refresh});
        InFullscreen = true;
    }
    void LeaveFullscreen() override {
        ++Left;
        InFullscreen = false;
    }
    bool IsFullscreen() const override { return InFullscreen; }
    void RequestScreenshot() override { ++Screenshots; }
    int Width = 1024, Height = 768;
    bool CameraReady = true;
    std::vector<std::vector<int>> Fullscreen;
    bool InFullscreen = false;
    int Left = 0;
    int Screenshots = 0;
};

class GameInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        tmp.WriteFile("Data/Maps/Wide.ofm",
                      "<Map><Informations><Width>300</Width><Height>150</Height></Informations><Objects/></Map>");
        std::filesystem::create_directories(tmp.Path() + "Data/Units");
        std::filesystem::copy_file(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/Units/Units.ofu",
                                   tmp.Path() + "Data/Units/Units.ofu");
        SetDataDirs(tmp.Path() + "Data", tmp.Path() + "User");
        SetRandomState(1);
        game = std::make_unique<TGame>("Wide", 1, 1);
        input = std::make_unique<TGameInput>(target, view, controller, *game);
    }
    void TearDown() override {
        input.reset();
        game.reset();
        ClearDataDirs();
    }
    TempFolder tmp;
    TConsoleShell shell;
    TRecordingController controller{shell};
    TFakeTarget target;
    std::unique_ptr<TGame> game;
    TViewState view;
    std::unique_ptr<TGameInput> input;
};

}  // namespace

TEST_F(GameInputTest, ADragSelectsTheRectangleBetweenPressAndRelease) {
    input->MouseDown(Left, 400, 300, false, false);
    EXPECT_TRUE(view.Selecting);
    EXPECT_TRUE(controller.Issued.empty());
    input->MouseMove(500, 350, false, true);
    EXPECT_EQ(view.SelectEnd, (std::array<double, 2>{50, 35}));
    input->MouseUp(Left, 600, 400, false, false);
    EXPECT_FALSE(view.Selecting);
    ASSERT_EQ(controller.Issued.size(), 1u);
    const TCommand& c = controller.Issued[0];
    EXPECT_EQ(c.Kind, ckSelectRect);
    EXPECT_EQ(c.Flags, 0);
    EXPECT_EQ(c.FloatAt(0), 40.0f);
    EXPECT_EQ(c.FloatAt(1), 30.0f);
    EXPECT_EQ(c.FloatAt(2), 60.0f);
    EXPECT_EQ(c.FloatAt(3), 40.0f);
}

TEST_F(GameInputTest, ShiftAtTheReleaseNotAtThePressAddsToTheSelection) {
    input->MouseDown(Left, 400, 300, true, false);
    input->MouseUp(Left, 410, 310, false, false);
    input->MouseDown(Left, 400, 300, false, false);
    input->MouseUp(Left, 410, 310, true, false);
    ASSERT_EQ(controller.Issued.size(), 2u);
    EXPECT_EQ(controller.Issued[0].Flags, 0);
    EXPECT_EQ(controller.Issued[1].Flags, cfAddToSelection);
}

TEST_F(GameInputTest, ARightClickOnTheMinimapMovesToThePointShownThere) {
    // Interface (128, 128) at 1024 x 768: the centre of the minimap.
    input->MouseDown(Right, 128, 768 - 128, false, false);
    ASSERT_EQ(controller.Issued.size(), 1u);
    const TCommand& move = controller.Issued[0];
    EXPECT_EQ(move.Kind, ckMove);
    EXPECT_EQ(move.Flags, 0);
    EXPECT_EQ(move.IntAt(0), 0);
    EXPECT_EQ(move.FloatAt(1), 150.0f);
    EXPECT_EQ(move.FloatAt(2), 75.0f);
    EXPECT_FALSE(view.Selecting);
    // Outside the minimap the point under the mouse is the target.
    input->MouseDown(Right, 700, 300, false, false);
    EXPECT_EQ(controller.Issued[1].FloatAt(1), 70.0f);
    EXPECT_EQ(controller.Issued[1].FloatAt(2), 30.0f);
}

TEST_F(GameInputTest, TheLeftButtonOnTheMinimapScrollsWithoutSelecting) {
    input->MouseDown(Left, 28, 768 - 28, false, false);
    EXPECT_FALSE(view.Selecting);
    EXPECT_EQ(game->LocalPlayer->CameraX, 0);
    EXPECT_EQ(game->LocalPlayer->CameraY, 225);
    input->MouseMove(128, 768 - 128, false, true);  // dragging on the minimap scrolls
    EXPECT_EQ(game->LocalPlayer->CameraX, 150);
    EXPECT_EQ(game->LocalPlayer->CameraY, 75);
    input->MouseUp(Left, 128, 768 - 128, false, false);
    input->MouseMove(28, 768 - 28, false, false);  // released: moving over it changes nothing
    EXPECT_EQ(game->LocalPlayer->CameraX, 150);
    EXPECT_TRUE(controller.Issued.empty());
}

TEST_F(GameInputTest, TheMinisceneJumpsToTheEventPointOnLeftClicksOnly) {
    game->LocalPlayer->EventX = 42;
    game->LocalPlayer->EventY = 24;
    input->MouseDown(Right, 650, 768 - 50, false, false);
    EXPECT_EQ(game->LocalPlayer->CameraX, 0);
    input->MouseDown(Left, 650, 768 - 50, false, false);
    EXPECT_EQ(game->LocalPlayer->CameraX, 42);
    EXPECT_EQ(game->LocalPlayer->CameraY, 24);
    EXPECT_FALSE(view.Selecting);
}

TEST_F(GameInputTest, APressBeforeTheFirstFrameUsesTheMapOrigin) {
    target.CameraReady = false;
    view.SelectEnd = {7, 7};
    input->MouseDown(Right, 700, 300, false, false);
    input->MouseDown(Left, 700, 300, false, false);
    input->MouseUp(Left, 710, 310, false, false);
    ASSERT_EQ(controller.Issued.size(), 2u);
    EXPECT_EQ(controller.Issued[0].FloatAt(1), 0.0f);
    EXPECT_EQ(view.SelectStart, (std::array<double, 2>{0, 0}));
    EXPECT_EQ(view.SelectEnd, (std::array<double, 2>{7, 7}));  // no camera: the end keeps its value
}

TEST_F(GameInputTest, KeysAndWheelChangeTheViewAndCtrlASelectsAll) {
    input->KeyDown('A', false, false);
    input->KeyDown('A', true, false);
    input->KeyDown('A', true, false);  // auto-repeat: one command per key-down
    ASSERT_EQ(controller.Issued.size(), 2u);
    EXPECT_EQ(controller.Issued[0].Kind, ckSelectAll);
    for (int i = 0; i < 10; ++i) input->KeyDown(VkHome, false, false);
    EXPECT_EQ(view.CameraDistance, 5);
    for (int i = 0; i < 30; ++i) input->KeyDown(VkEnd, false, false);
    EXPECT_EQ(view.CameraDistance, 30);
    for (int i = 0; i < 5; ++i) input->Wheel(1);
    EXPECT_EQ(view.CameraTilt, 60);
    for (int i = 0; i < 7; ++i) input->Wheel(-1);
    EXPECT_EQ(view.CameraTilt, 0);
    input->KeyDown(VkF11, false, false);
    EXPECT_EQ(target.Fullscreen, (std::vector<std::vector<int>>{{1024, 768, 32, 75}}));
    EXPECT_EQ(target.Left, 0);
    // F11 again goes back to the window, and a third time to full screen.
    input->KeyDown(VkF11, false, false);
    EXPECT_EQ(target.Left, 1);
    EXPECT_FALSE(target.InFullscreen);
    input->KeyDown(VkF11, false, false);
    EXPECT_EQ(target.Fullscreen.size(), 2u);
    EXPECT_EQ(target.Left, 1);
    input->KeyDown(VkF12, false, false);
    EXPECT_EQ(target.Screenshots, 1);
    EXPECT_EQ(controller.Issued.size(), 2u);
}
