#include "shell/sim/script.h"

#include <gtest/gtest.h>

#include "infra/errors.h"

using namespace orbitfall;

TEST(Script, ReadsEveryCommandWithFrameAndPlayer) {
    const auto commands = ParseScript(
        "# a comment\n"
        "\n"
        "5 2 select 1 2.5 30 40\r\n"
        "5 2 selectadd 0 0 1 1\n"
        "  7 1 selectall\n"
        "9 3 move 150.5 -2\n"
        "12 1 raw 9 3 000102030405060708090a0b0c0d0E0F\n",
        true);
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0].Frame, 5);
    EXPECT_EQ(commands[0].Player, 2);
    EXPECT_EQ(commands[0].Command.Kind, ckSelectRect);
    EXPECT_EQ(commands[0].Command.Flags, 0);
    EXPECT_EQ(commands[0].Command.FloatAt(1), 2.5f);
    EXPECT_EQ(commands[0].Command.FloatAt(3), 40.0f);
    EXPECT_EQ(commands[1].Command.Flags, cfAddToSelection);
    EXPECT_EQ(commands[2].Command.Kind, ckSelectAll);
    EXPECT_EQ(commands[2].Frame, 7);
    EXPECT_EQ(commands[3].Command.Kind, ckMove);
    EXPECT_EQ(commands[3].Command.IntAt(0), 0);
    EXPECT_EQ(commands[3].Command.FloatAt(1), 150.5f);
    EXPECT_EQ(commands[3].Command.FloatAt(2), -2.0f);
    EXPECT_EQ(std::int32_t{commands[3].Command.Frame}, 9);  // a packed field: copied, not bound
    EXPECT_EQ(commands[3].Command.Player, 3);
    EXPECT_EQ(commands[4].Command.Kind, 9);
    EXPECT_EQ(commands[4].Command.Flags, 3);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(commands[4].Command.Payload[i], i);
}

TEST(Script, WithoutPlayerColumnTheCommandFollowsTheFrame) {
    const auto commands = ParseScript("3 move 1 2\n", false);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].Frame, 3);
    EXPECT_EQ(commands[0].Command.FloatAt(2), 2.0f);
}

TEST(Script, UnreadableLinesNameTheirLineNumber) {
    const char* bad[] = {
        "1 1 jump 3 4",          // unknown command
        "1 1 move 3",            // number missing
        "1 1 move 3,5 4",        // comma decimal
        "x 1 selectall",         // frame not a number
        "-1 1 selectall",        // negative frame
        "1 256 selectall",       // player beyond a byte
        "1 1 selectall now",     // trailing word
        "1 1 raw 4 0 00",        // payload too short
        "1 1 raw 4 0 0g000000000000000000000000000000",
        "1 1 raw 300 0 00000000000000000000000000000000",
    };
    for (const char* line : bad) {
        try {
            ParseScript(std::string("# header\n\n") + line + "\n", true);
            ADD_FAILURE() << "accepted: " << line;
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()).rfind("script line 3: ", 0), 0u) << e.what();
        }
    }
}
