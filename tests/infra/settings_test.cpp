#include "infra/settings.h"

#include <gtest/gtest.h>

using namespace orbitfall;

TEST(Settings, DetailWordsSelectLevelAndSwitches) {
    struct Case { const char* word; int level; bool translucent, background, miniscene; } cases[] = {
        {"minimal", 0, false, false, false}, {"MiNiMaL", 0, false, false, false},
        {"low", 1, true, true, false},       {"normal", 2, true, true, true},
        {"high", 3, true, true, true},       {"maximal", 4, true, true, true},
        {"", 2, true, true, true},           {"min", 2, true, true, true},
        {"low ", 2, true, true, true},       {"C:\\x\\replays\\a.ofr", 2, true, true, true},
    };
    for (const auto& c : cases) {
        InitSettings(c.word);
        ASSERT_TRUE(GameSettings);
        EXPECT_EQ(DetailLevel, c.level) << c.word;
        EXPECT_EQ(GameSettings->TranslucentSelection, c.translucent) << c.word;
        EXPECT_EQ(GameSettings->ShowBackground, c.background) << c.word;
        EXPECT_EQ(GameSettings->ShowMiniscene, c.miniscene) << c.word;
    }
    FreeSettings();
    EXPECT_FALSE(GameSettings);
}
