// The game window's frame pieces that need no window: the caption and the
// camera scrolling by held keys.
#include <gtest/gtest.h>

#include "infra/key_state.h"
#include "shell/game/game_frame_view.h"
#include "shell/game/key_codes.h"

#include <FL/Enumerations.H>

using namespace orbitfall;

TEST(FrameCaption, TimingsAndTheGraphicsErrorText) {
    EXPECT_EQ(FrameCaption(3, 12, "no error", std::nullopt), "Move:3ms Render:12ms no error");
    EXPECT_EQ(FrameCaption(0, 0, "invalid enumerant", std::nullopt), "Move:0ms Render:0ms invalid enumerant");
    EXPECT_EQ(FrameCaption(41, 7, "no error", 2), "Move:41ms Render:7ms no error Lag:2");
    EXPECT_EQ(FrameCaption(1, 1, "no error", -3), "Move:1ms Render:1ms no error Lag:-3");
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
                          Case{FL_End, 35}, Case{FL_Escape, 27}, Case{FL_Insert, 0}})
        EXPECT_EQ(VirtualKeyFromFltk(c.fltk), c.vk) << c.fltk;
}
