// The replay's playback steps, pause, timer intervals and the picture rule of
// max speed.
#include <gtest/gtest.h>

#include <vector>

#include "control/playback_speed.h"

using namespace orbitfall;

TEST(PlaybackSpeed, StepsRunFromAQuarterToMaxAndStopAtBothEnds) {
    TPlaybackSpeed s;
    EXPECT_EQ(s.Text(), "1x");
    EXPECT_FALSE(s.Paused());
    std::vector<std::string> up;
    for (int i = 0; i < 7; ++i) {
        s.Faster();
        up.push_back(s.Text());
    }
    EXPECT_EQ(up, (std::vector<std::string>{"2x", "4x", "8x", "16x", "max", "max", "max"}));
    EXPECT_TRUE(s.IsMax());
    std::vector<std::string> down;
    for (int i = 0; i < 9; ++i) {
        s.Slower();
        down.push_back(s.Text());
    }
    EXPECT_EQ(down, (std::vector<std::string>{"16x", "8x", "4x", "2x", "1x", "1/2x", "1/4x", "1/4x", "1/4x"}));
    EXPECT_EQ(s.Step(), 0);
    s.Faster();
    EXPECT_EQ(s.Text(), "1/2x");
}

TEST(PlaybackSpeed, FramesPerEventAndIntervalForEveryStep) {
    struct Expected {
        const char* text;
        int frames;
        int intervalAt50;
    };
    const std::vector<Expected> steps = {{"1/4x", 1, 200}, {"1/2x", 1, 100}, {"1x", 1, 50}, {"2x", 2, 50},
                                         {"4x", 4, 50},    {"8x", 8, 50},    {"16x", 16, 50}, {"max", 1, 1}};
    TPlaybackSpeed s;
    s.Slower();
    s.Slower();
    for (const Expected& e : steps) {
        EXPECT_EQ(s.Text(), e.text);
        EXPECT_EQ(s.FramesPerEvent(), e.frames) << e.text;
        EXPECT_EQ(s.IntervalMs(50), e.intervalAt50) << e.text;
        // --frame-ms sets the base of every step but max.
        EXPECT_EQ(s.IntervalMs(10), e.intervalAt50 == 1 ? 1 : e.intervalAt50 / 5) << e.text;
        // Paused, no step plays a frame, and the timer keeps the base interval.
        s.TogglePause();
        EXPECT_TRUE(s.Paused());
        EXPECT_EQ(s.FramesPerEvent(), 0) << e.text;
        EXPECT_EQ(s.IntervalMs(50), 50) << e.text;
        s.TogglePause();
        EXPECT_FALSE(s.Paused());
        s.Faster();
    }
}

TEST(PlaybackSpeed, PausingKeepsTheStep) {
    TPlaybackSpeed s;
    s.Faster();
    s.TogglePause();
    s.Faster();
    EXPECT_TRUE(s.Paused());
    EXPECT_EQ(s.Text(), "4x");
    s.TogglePause();
    EXPECT_EQ(s.FramesPerEvent(), 4);
}

TEST(PlaybackSpeed, MaxDrawsAtMostSixtyTimesASecondAtMostAQuarterOfTheTimeAndBeyond16x) {
    constexpr int Enough = TPlaybackSpeed::MinUndrawnFramesAtMax;
    // A quick picture: the next one starts 1/60 s after the last one started.
    EXPECT_FALSE(TPlaybackSpeed::PictureDue(Enough, 0, 2000));
    EXPECT_FALSE(TPlaybackSpeed::PictureDue(Enough, 14666, 2000));
    EXPECT_TRUE(TPlaybackSpeed::PictureDue(Enough, 14667, 2000));
    EXPECT_TRUE(TPlaybackSpeed::PictureDue(Enough, 16667, 0));
    EXPECT_FALSE(TPlaybackSpeed::PictureDue(Enough, 16666, 0));
    // A slow one: three times its own time goes to frames first.
    EXPECT_FALSE(TPlaybackSpeed::PictureDue(Enough, 29999, 10000));
    EXPECT_TRUE(TPlaybackSpeed::PictureDue(Enough, 30000, 10000));
    EXPECT_FALSE(TPlaybackSpeed::PictureDue(Enough, 100000, 40000));
    EXPECT_TRUE(TPlaybackSpeed::PictureDue(Enough, 120000, 40000));
    // Slow frames: never fewer frames between pictures than 16x plays.
    EXPECT_EQ(Enough, 16);
    EXPECT_FALSE(TPlaybackSpeed::PictureDue(Enough - 1, 10'000'000, 40000));
}
