// Two machines whose worlds part: the one that notices keeps its world of
// that frame, the other prints its own with `verify --dump-at`, and `diff`
// names where they differ.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "tests/support/sim_command.h"
#include "tests/support/sim_network.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall::testing;

namespace {

// Both fleets head for the middle between their starts and fight there.
constexpr const char* kBattle = "2 1 selectall\n2 1 move 135 62\n2 2 selectall\n2 2 move 135 58\n";
constexpr const char* kGame = "--map Zweikampf --players 2 --seed 31337 --frames 400";

// The shipped units file with the first weapon's range one larger.
std::string LongerRangeUnits() {
    std::string units = ReadFile(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/Units/Units.ofu");
    const std::string from = "<Weapon Range=\"5\" CoolDown=\"10\"";
    const auto at = units.find(from);
    if (at == std::string::npos) return "";
    return units.replace(at, from.size(), "<Weapon Range=\"6\" CoolDown=\"10\"");
}

}  // namespace

TEST(DesyncCli, AReplayOfAnotherUnitFileStopsWhereTheWorldsPartAndDiffNamesTheField) {
    TempFolder a, b;
    const std::string units = LongerRangeUnits();
    ASSERT_FALSE(units.empty());
    b.WriteFile("Units/Units.ofu", units);
    const std::string script = a.WriteFile("battle.txt", kBattle);

    // What each machine computes on its own, frame by frame.
    const SimResult recorded =
        Sim(std::string("run ") + kGame + " --record --script " + script + " --user-dir " + a.Path());
    ASSERT_EQ(recorded.exitCode, 0) << recorded.out;
    const SimResult other = Sim(std::string("run ") + kGame + " --script " + script + " --user-dir " + b.Path());
    ASSERT_EQ(other.exitCode, 0) << other.out;
    const auto mine = Checksums(recorded.out), theirs = Checksums(other.out);
    ASSERT_EQ(mine.size(), 400u);
    int parted = -1;
    for (const auto& [frame, checksum] : mine)
        if (theirs.at(frame) != checksum) {
            parted = frame;
            break;
        }
    ASSERT_GT(parted, 2) << "the battle never reached the weapons' ranges";
    const std::string f = std::to_string(parted);

    // Machine B verifies A's replay: it stops at that frame and keeps its world.
    const std::string replay = a.Path() + "Replays/Latest.ofr";
    const SimResult verify = Sim("verify " + replay + " --user-dir " + b.Path());
    EXPECT_EQ(verify.exitCode, 1);
    const std::regex stopped("Replay-Fehler in frame " + f + "\nWorld of frame " + f + " written to (" + b.Path() +
                             "Desync/frame-" + f + "_[0-9_-]+\\.txt)\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(verify.out, m, stopped)) << verify.out;
    const std::string dumpB = m[1];
    ASSERT_TRUE(std::filesystem::is_regular_file(dumpB));
    EXPECT_NE(ReadFile(b.Path() + "log.txt").find("World of frame " + f + " written to " + dumpB), std::string::npos);

    // Machine A's world of that frame, one command away.
    const SimResult dumpA = Sim("verify " + replay + " --dump-at " + f + " --user-dir " + a.Path());
    ASSERT_EQ(dumpA.exitCode, 0) << dumpA.out.substr(0, 300);
    const std::string savedA = a.WriteFile("frame.txt", dumpA.out);

    const SimResult diff = Sim("diff " + dumpB + " " + savedA);
    EXPECT_EQ(diff.exitCode, 1) << diff.out;
    const std::regex objectLine("frame " + f +
                                ": (object [0-9]+|child [0-9]+) T[A-Za-z]+ of player [0-9]+: [A-Za-z.]+ \\S+ / \\S+");
    EXPECT_TRUE(std::regex_search(diff.out, objectLine)) << diff.out;
    EXPECT_NE(diff.out.find("frame " + f + ": unit type 0 Falke: Weapon0.Range 6 / 5\n"), std::string::npos)
        << diff.out;

    // One frame earlier the objects were still equal: only the catalogue differs.
    const std::string before = std::to_string(parted - 1);
    const SimResult earlierB = Sim("verify " + replay + " --dump-at " + before + " --user-dir " + b.Path());
    const SimResult earlierA = Sim("verify " + replay + " --dump-at " + before + " --user-dir " + a.Path());
    const SimResult earlier =
        Sim("diff " + b.WriteFile("before.txt", earlierB.out) + " " + a.WriteFile("before.txt", earlierA.out));
    EXPECT_EQ(earlier.out, "frame " + before + ": unit type 0 Falke: Weapon0.Range 6 / 5\n");

    // A dump compared with itself, and with the same world printed by verify.
    const SimResult same = Sim("diff " + savedA + " " + savedA + " --frame " + f);
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "frame " + f + ": the worlds are equal\n");
}

TEST(DesyncCli, DiffRefusesWhatIsNoDump) {
    TempFolder t;
    const std::string text = t.WriteFile("out.txt", "seed 1\nframe 0 checksum 00000000\n");
    const SimResult noDump = Sim("diff " + text + " " + text);
    EXPECT_EQ(noDump.exitCode, 2);
    EXPECT_NE(noDump.out.find("holds no world dump"), std::string::npos) << noDump.out;
    const SimResult missing = Sim("diff " + t.Path() + "nothing.txt " + text);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(Sim("diff " + text).exitCode, 2);
}

TEST(DesyncCli, EqualWorldsWithDifferentChecksumsSaySo) {
    TempFolder t;
    const SimResult run =
        Sim("run --map Zweikampf --players 2 --seed 3 --frames 6 --dump-at 2,5 --user-dir " + t.Path());
    ASSERT_EQ(run.exitCode, 0) << run.out.substr(0, 300);
    const std::string first = t.WriteFile("a.txt", run.out);
    // The same worlds under another checksum line.
    const std::regex frame5("frame 5 checksum [0-9a-f]{8}");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(run.out, m, frame5));
    const std::string second = t.WriteFile("b.txt", std::regex_replace(run.out, frame5, "frame 5 checksum 0badf00d"));
    const SimResult diff = Sim("diff " + first + " " + second + " --frame 5");
    EXPECT_EQ(diff.exitCode, 0);
    EXPECT_EQ(diff.out, "frame 5: the worlds are equal; only the checksum differs: " + m.str().substr(17) +
                            " / 0badf00d\n");
    // Without --frame the first dump of each file is taken: frame 2, equal.
    EXPECT_EQ(Sim("diff " + first + " " + second).out, "frame 2: the worlds are equal\n");
}
