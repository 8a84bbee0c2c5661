// The lockstep soak in its short form, and the pieces it relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "shell/sim/script.h"
#include "tests/support/temp_folder.h"
#include "tests/soak/replay_records.h"
#include "tests/soak/soak_game.h"
#include "tests/soak/soak_script.h"

using namespace orbitfall;
using namespace orbitfall::soak;

TEST(SoakScripts, AreRepeatableValidAndUseEveryPlayer) {
    const auto scripts = MakeSoakScripts(99, 3000, 4, 300);
    EXPECT_EQ(MakeSoakScripts(99, 3000, 4, 300), scripts);
    EXPECT_NE(MakeSoakScripts(100, 3000, 4, 300), scripts);
    ASSERT_EQ(scripts.size(), 4u);
    std::set<std::string> distinct(scripts.begin(), scripts.end());
    EXPECT_EQ(distinct.size(), 4u) << "every player draws its own commands";
    for (const std::string& text : scripts) {
        const auto commands = ParseScript(text, false);  // throws on an invalid line
        ASSERT_GT(commands.size(), 25u);
        std::int32_t previous = 0;
        std::set<std::uint8_t> kinds;
        for (const auto& c : commands) {
            EXPECT_GE(c.Frame, previous) << "a runner issues scripts in order";
            EXPECT_LT(c.Frame, 3000);
            previous = c.Frame;
            kinds.insert(c.Command.Kind);
            for (int word = 0; word < 4 && c.Command.Kind == ckSelectRect; ++word) {
                EXPECT_GE(c.Command.FloatAt(word), 0.0f);
                EXPECT_LE(c.Command.FloatAt(word), 300.0f);
            }
            if (c.Command.Kind == ckMove) {
                EXPECT_GE(c.Command.FloatAt(1), 0.0f);
                EXPECT_LE(c.Command.FloatAt(2), 300.0f);
            }
        }
        EXPECT_EQ(kinds, (std::set<std::uint8_t>{ckSelectRect, ckSelectAll, ckMove}));
    }
}

TEST(SoakReplayRecords, RunScriptCarriesEveryCommandExactly) {
    std::string file(9 + 23, '\0');
    file[0] = 7;  // frame 7
    file[8] = 1;
    file[9] = 4;                   // Kind
    file[11] = 3;                  // Player
    file[9 + 7 + 4] = '\x43';      // payload byte 4
    file[9 + 22] = '\xff';         // last payload byte
    const auto frames = ParseReplay(file);
    ASSERT_EQ(frames.size(), 1u);
    const auto script = ParseScript(RunScript(frames), true);
    ASSERT_EQ(script.size(), 1u);
    EXPECT_EQ(script[0].Frame, 7);
    EXPECT_EQ(script[0].Player, 3);
    EXPECT_EQ(script[0].Command.Kind, 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(script[0].Command.Payload), 16), frames[0].Commands[0].Payload);
    EXPECT_THROW(ParseReplay(file.substr(0, 20)), std::runtime_error);
}

// One host and three clients, every player issuing random commands on the
// four-start map until most ships are gone.
TEST(SoakLockstep, FourMachinesStayIdenticalThroughALongBattle) {
    orbitfall::testing::TempFolder work;
    TSoakOptions o;
    o.Sim = ORBITFALL_SIM;
    o.WorkDir = work.Path();
    o.Frames = 3000;
    o.FrameMs = 2;
    o.MemoryAt = {1500, 2800};
    const TSoakResult r = RunSoak(o);

    ASSERT_EQ(r.ExitCodes, (std::vector<int>{0, 0, 0, 0})) << r.Outputs[0] << r.Outputs[1];
    ASSERT_EQ(r.Checksums[0].size(), 3000u);
    for (std::size_t i = 1; i < r.Checksums.size(); ++i) EXPECT_EQ(r.Checksums[i], r.Checksums[0]) << "client " << i;
    EXPECT_GT(r.Replays[0].size(), 3000u * 9 + 100 * 23) << "commands of every player were recorded";
    for (std::size_t i = 0; i < r.Replays.size(); ++i) {
        EXPECT_EQ(r.Replays[i], r.Replays[0]) << "replay of client " << i;
        EXPECT_EQ(r.VerifyCodes[i], 0) << r.VerifyOutputs[i];
        EXPECT_NE(r.VerifyOutputs[i].find("verified 3000 frames"), std::string::npos) << r.VerifyOutputs[i];
    }
    std::set<int> players;
    for (const auto& f : ParseReplay(r.Replays[0]))
        for (const auto& c : f.Commands) players.insert(c.Player);
    EXPECT_EQ(players, (std::set<int>{1, 2, 3, 4}));

    EXPECT_TRUE(r.ReplayedChecksumsMatch);
    ASSERT_GT(r.ShipsAtStart, 0);
    EXPECT_LT(r.ShipsAtEnd * 4, r.ShipsAtStart) << "most ships are destroyed";

#ifndef __SANITIZE_ADDRESS__  // the sanitizer's quarantine holds freed memory on purpose
    // Once the fleets are gone, what a machine holds must not grow.
    for (int process = 0; process < 4; ++process) {
        long early = -1, late = -1;
        for (const auto& s : r.Memory) {
            if (s.Process != process) continue;
            (s.Wanted == 1500 ? early : late) = s.Memory.ResidentKb;
        }
        if (early < 0 || late < 0) continue;  // the process ended between polls
        EXPECT_LT(late - early, 2048) << "process " << process << ": " << early << " kB -> " << late << " kB";
    }
#endif
}
