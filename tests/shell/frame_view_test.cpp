// The game window's frame pieces that need no window: the caption and the
// camera scrolling by held keys.
#include <gtest/gtest.h>

#include "infra/key_state.h"
#include "shell/game/game_frame_view.h"
#include "shell/game/fltk_keys.h"
#include "shell/game/replay_input.h"

#include <FL/Enumerations.H>

using namespace orbitfall;

TEST(FrameCaption, TimingsAndTheGraphicsErrorText) {
    EXPECT_EQ(FrameCaption(3, 12, "no error", std::nullopt), "Move:3ms Render:12ms no error");
    EXPECT_EQ(FrameCaption(0, 0, "invalid enumerant", std::nullopt), "Move:0ms Render:0ms invalid enumerant");
    EXPECT_EQ(FrameCaption(41, 7, "no error", 2), "Move:41ms Render:7ms no error Lag:2");
    EXPECT_EQ(FrameCaption(1, 1, "no error", -3), "Move:1ms Render:1ms no error Lag:-3");
}

TEST(FrameCaption, ReplaysAddTheFrameTheSpeedAndThePause) {
    TPlaybackSpeed speed;
    EXPECT_EQ(PlaybackCaption(1234, speed, false), " Frame:1234 Speed:1x");
    speed.Slower();
    speed.Slower();
    EXPECT_EQ(PlaybackCaption(7, speed, false), " Frame:7 Speed:1/4x");
    speed.TogglePause();
    EXPECT_EQ(PlaybackCaption(7, speed, false), " Frame:7 Speed:1/4x Paused");
    for (int i = 0; i < 7; ++i) speed.Faster();
    speed.TogglePause();
    EXPECT_EQ(PlaybackCaption(90, speed, true), " Frame:90 Speed:max End of replay");
}

namespace {
struct RecordedKeys : TFormInput {
    std::vector<std::string> events;
    void KeyDown(int key, bool ctrl, bool shift) override {
        events.push_back(std::to_string(key) + (ctrl ? " ctrl" : "") + (shift ? " shift" : ""));
    }
    void Wheel(int dy) override { events.push_back("wheel " + std::to_string(dy)); }
    void MouseUp(int b, int x, int y, bool shift, bool) override {
        events.push_back("up " + std::to_string(b) + " " + std::to_string(x) + " " + std::to_string(y) +
                         (shift ? " shift" : ""));
    }
};
}  // namespace

TEST(ReplayInput, SpacePlusAndMinusOnBothBlocksSteerPlaybackTheRestGoesOn) {
    RecordedKeys game;
    TPlaybackSpeed speed;
    int changes = 0;
    TReplayInput input(game, speed, [&] { ++changes; });
    input.KeyDown(VirtualKeyFromFltk('='), false, true);  // "+" on a US keyboard
    EXPECT_EQ(speed.Text(), "2x");
    input.KeyDown(VirtualKeyFromFltk(FL_KP + '+'), false, false);
    EXPECT_EQ(speed.Text(), "4x");
    input.KeyDown(VirtualKeyFromFltk('-'), false, false);
    input.KeyDown(VirtualKeyFromFltk(FL_KP + '-'), false, false);
    input.KeyDown(VirtualKeyFromFltk(FL_KP + '-'), false, false);
    EXPECT_EQ(speed.Text(), "1/2x");
    input.KeyDown(VirtualKeyFromFltk(' '), false, false);
    EXPECT_TRUE(speed.Paused());
    input.KeyDown(VirtualKeyFromFltk(' '), false, false);
    EXPECT_FALSE(speed.Paused());
    EXPECT_EQ(changes, 7);
    EXPECT_TRUE(game.events.empty());

    input.KeyDown(VirtualKeyFromFltk(FL_F + 12), false, false);
    input.KeyDown(VirtualKeyFromFltk('a'), true, false);
    input.Wheel(-1);
    input.MouseUp(1, 20, 30, true, false);
    EXPECT_EQ(game.events, (std::vector<std::string>{"123", "65 ctrl", "wheel -1", "up 1 20 30 shift"}));
    EXPECT_EQ(changes, 7);
}

TEST(CameraScrolling, EachArrowIndependentlyAndOppositesCancel) {
    struct Case {
        std::vector<int> held;
        double dx, dy;
    };
    const std::vector<Case> cases = {
        {{}, 0, 0},
        {{VkRight}, 1, 0},
        {{VkLeft}, -1, 0},
        {{VkUp}, 0, -1},
        {{VkDown}, 0, 1},
        {{VkLeft, VkRight}, 0, 0},
        {{VkUp, VkDown}, 0, 0},
        {{VkRight, VkDown}, 1, 1},
        {{VkLeft, VkUp, VkRight}, 0, -1},
    };
    for (const Case& c : cases) {
        ReleaseAllKeys();
        for (int k : c.held) SetKeyDown(k, true);
        double x = 10, y = 20;
        ScrollCameraByKeys(x, y);
        EXPECT_EQ(x, 10 + c.dx) << c.held.size();
        EXPECT_EQ(y, 20 + c.dy) << c.held.size();
    }
    ReleaseAllKeys();
}

TEST(KeyState, DownUntilReleasedAndOutOfRangeCodesIgnored) {
    ReleaseAllKeys();
    SetKeyDown(VkLeft, true);
    EXPECT_TRUE(IsKeyDown(VkLeft, true));
    EXPECT_TRUE(IsKeyDown(VkLeft, false));
    EXPECT_FALSE(IsKeyDown(VkRight, true));
    SetKeyDown(VkLeft, false);
    EXPECT_FALSE(IsKeyDown(VkLeft, true));
    SetKeyDown(-1, true);
    SetKeyDown(256, true);
    EXPECT_FALSE(IsKeyDown(-1, true));
    EXPECT_FALSE(IsKeyDown(256, true));
    SetKeyDown(VkDown, true);
    ReleaseAllKeys();
    EXPECT_FALSE(IsKeyDown(VkDown, true));
}

TEST(KeyCodes, FltkKeysAsVirtualKeys) {
    struct Case {
        int fltk, vk;
    };
    for (const Case& c : {Case{FL_Left, 37}, Case{FL_Up, 38}, Case{FL_Right, 39}, Case{FL_Down, 40}, Case{'a', 65},
                          Case{'A', 65}, Case{'z', 90}, Case{FL_F + 11, 122}, Case{FL_F + 1, 112}, Case{FL_Home, 36},
                          Case{FL_End, 35}, Case{FL_Escape, 27}, Case{FL_Insert, 0}, Case{' ', 32},
                          Case{'=', 187}, Case{'+', 187}, Case{'-', 189}, Case{FL_KP + '+', 107},
                          Case{FL_KP + '-', 109}, Case{FL_KP + '5', 0}})
        EXPECT_EQ(VirtualKeyFromFltk(c.fltk), c.vk) << c.fltk;
}
