// The headless runner as tools and tests use it: its output lines and exit
// codes are a contract.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "tests/support/sim_command.h"
#include "tests/support/temp_folder.h"

using orbitfall::testing::Sim;
using orbitfall::testing::SimResult;
using orbitfall::testing::TempFolder;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(SimCli, RunPrintsSeedAndOneChecksumLinePerFrameReproducibly) {
    TempFolder user;
    const std::string args = "run --map Zweikampf --players 2 --seed 4000000000 --frames 40 --user-dir " + user.Path();
    const SimResult a = Sim(args);
    ASSERT_EQ(a.exitCode, 0) << a.out;
    const auto lines = Lines(a.out);
    ASSERT_EQ(lines.size(), 41u);
    EXPECT_EQ(lines[0], "seed 4000000000");
    const std::regex frameLine("frame ([0-9]+) checksum [0-9a-f]{8}");
    for (int f = 0; f < 40; ++f) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[f + 1], m, frameLine)) << lines[f + 1];
        EXPECT_EQ(std::stoi(m[1]), f);
    }
    EXPECT_EQ(Sim(args).out, a.out);
}

TEST(SimCli, DumpListsTheObjectsTheChecksumCovers) {
    TempFolder user;
    const SimResult r = Sim("run --map Zweikampf --players 2 --seed 1 --frames 3 --dump-at 0,2 --user-dir " + user.Path());
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const auto lines = Lines(r.out);
    const std::regex unitLine(R"(obj TControlledUnit [0-9]+ [12] \S+ \S+ \S+)");
    const std::regex otherLine(R"(obj (TNebula|TCrystalMoon) (-|[0-9]+) 0 \S+ \S+ -)");
    int units = 0, frameLines = 0;
    bool afterFrame1 = false;
    for (const auto& line : lines) {
        if (line.rfind("frame ", 0) == 0) {
            ++frameLines;
            afterFrame1 = line.rfind("frame 1 ", 0) == 0;
            continue;
        }
        if (line.rfind("obj ", 0) != 0) continue;
        EXPECT_FALSE(afterFrame1) << "frame 1 was not asked for";
        if (std::regex_match(line, unitLine)) ++units;
        else EXPECT_TRUE(std::regex_match(line, otherLine)) << line;
    }
    EXPECT_EQ(frameLines, 3);
    EXPECT_EQ(units, 2 * 400);  // 2 x 200 start ships, dumped at two frames
}

TEST(SimCli, RecordedScriptedGameVerifiesAndATamperedOneFails) {
    TempFolder user;
    const std::string script = user.WriteFile("s.txt",
        "2 1 selectall\n2 1 move 200 200\n4 2 select 150 0 300 150\n4 2 move 50 50\n");
    const SimResult run = Sim("run --map Zweikampf --players 2 --seed 99 --frames 60 --record --script " +
                           script + " --user-dir " + user.Path());
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const std::string replay = user.Path() + "Replays/Latest.ofr";
    const SimResult ok = Sim("verify " + replay + " --user-dir " + user.Path());
    EXPECT_EQ(ok.exitCode, 0) << ok.out;
    EXPECT_TRUE(std::regex_search(ok.out, std::regex(R"(verified 60 frames in [0-9]+ ms \([0-9]+ frames/s\))")))
        << ok.out;

    // Flip one bit of frame 20's checksum: frames 0..19 hold no command after frame 4.
    std::string bytes;
    {
        std::ifstream in(replay, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::size_t offset = 20 * 9 + 4 * 23 + 4;
    bytes[offset] ^= 0x10;
    std::ofstream(replay, std::ios::binary | std::ios::trunc) << bytes;
    const SimResult bad = Sim("verify " + replay + " --user-dir " + user.Path());
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.out.find("Replay-Fehler in frame 20"), std::string::npos) << bad.out;
}

namespace {
// The "obj" and "sel" lines that follow "frame f ...", up to the next frame line.
std::vector<std::string> DumpOf(const std::string& out, int f) {
    std::vector<std::string> lines;
    bool in = false;
    for (const std::string& line : Lines(out)) {
        if (line.rfind("frame ", 0) == 0) in = line.rfind("frame " + std::to_string(f) + " ", 0) == 0;
        else if (in && (line.rfind("obj ", 0) == 0 || line.rfind("sel ", 0) == 0)) lines.push_back(line);
    }
    return lines;
}

// The ids of a "sel P ..." line, sorted; P first.
std::vector<int> Selected(const std::string& line) {
    std::istringstream in(line.substr(4));
    int player = 0;
    in >> player;
    std::vector<int> ids{std::istream_iterator<int>(in), {}};
    std::sort(ids.begin(), ids.end());
    ids.insert(ids.begin(), player);
    return ids;
}

bool HasLine(const std::string& out, const std::string& prefix) {
    for (const std::string& line : Lines(out))
        if (line.rfind(prefix, 0) == 0) return true;
    return false;
}
}  // namespace

TEST(SimCli, VerifyDumpsTheRecordedWorldAndEachPlayersSelection) {
    TempFolder user;
    // Player 2 selects a box at frame 4, player 1 adds a second box to all of
    // its ships at frame 6.
    const std::string script = user.WriteFile("s.txt",
        "4 2 select 300 0 200 60\n5 1 selectall\n6 1 selectadd 0 0 300 300\n");
    const SimResult run = Sim("run --map Zweikampf --players 2 --seed 5 --frames 8 --record --dump-at 4,5,7 --script " +
                           script + " --user-dir " + user.Path());
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const SimResult verify =
        Sim("verify " + user.Path() + "Replays/Latest.ofr --dump-at 4,5,7 --user-dir " + user.Path());
    ASSERT_EQ(verify.exitCode, 0) << verify.out;
    EXPECT_NE(verify.out.find("verified 8 frames"), std::string::npos) << verify.out;
    // The same world as the run's, frame by frame, checksum lines included.
    for (int f : {4, 5, 7}) {
        EXPECT_EQ(DumpOf(verify.out, f), DumpOf(run.out, f)) << f;
        EXPECT_TRUE(HasLine(verify.out, "frame " + std::to_string(f) + " checksum ")) << f;
    }
    EXPECT_FALSE(HasLine(verify.out, "frame 6 ")) << "frame 6 was not asked for";

    // Before the select nobody has a selection; after it player 2's lists
    // exactly its ships inside the box at frame 4.
    const auto before = DumpOf(verify.out, 4);
    ASSERT_GE(before.size(), 2u);
    EXPECT_EQ(before[before.size() - 2], "sel 1");
    EXPECT_EQ(before.back(), "sel 2");
    const std::regex unit(R"(obj TControlledUnit ([0-9]+) ([0-9]+) (\S+) (\S+) \S+)");
    std::vector<int> inside{2}, player1{1};
    int outside = 0;
    for (const std::string& line : before) {
        std::smatch m;
        if (!std::regex_match(line, m, unit)) continue;
        const double x = std::stod(m[3]), y = std::stod(m[4]);
        if (m[2] == "1") player1.push_back(std::stoi(m[1]));
        if (m[2] != "2") continue;
        if (200 <= x && x <= 300 && 0 <= y && y <= 60) inside.push_back(std::stoi(m[1]));
        else ++outside;
    }
    EXPECT_GT(outside, 0);
    std::sort(player1.begin() + 1, player1.end());
    const auto after = DumpOf(verify.out, 5);
    EXPECT_GT(inside.size(), 1u);
    EXPECT_EQ(Selected(after.back()), inside);
    EXPECT_EQ(after[after.size() - 2], "sel 1");
    // Adding the whole map to everything lists no ship twice.
    const auto last = DumpOf(verify.out, 7);
    const std::vector<int> all = Selected(last[last.size() - 2]);
    EXPECT_EQ(all, player1);
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_EQ(Selected(last.back()), inside);
}

TEST(SimCli, UsageErrorsExitTwoAndGameErrorsExitOne) {
    TempFolder user;
    for (const char* args : {"", "fly", "run --players 2 --frames 1", "run --map Kreuzung --frames 1",
                             "run --map Zweikampf --players 2", "run --map Kreuzung --players x --frames 1",
                             "verify", "run --map Zweikampf --players 2 --frames 1 --bogus"}) {
        const SimResult r = Sim(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.out.find("usage:"), std::string::npos) << args;
    }
    const SimResult noMap = Sim("run --map NoSuchMap --players 2 --frames 1 --user-dir " + user.Path());
    EXPECT_EQ(noMap.exitCode, 1) << noMap.out;
    const SimResult tooMany = Sim("run --map Kreuzung --players 16 --frames 1 --user-dir " + user.Path());
    EXPECT_EQ(tooMany.exitCode, 1);
    EXPECT_NE(tooMany.out.find("Mehr als 15 Spieler"), std::string::npos) << tooMany.out;
    const std::string script = user.WriteFile("bad.txt", "1 1 selectall\n2 1 teleport\n");
    const SimResult badScript = Sim("run --map Zweikampf --players 2 --frames 5 --script " + script +
                                 " --user-dir " + user.Path());
    EXPECT_EQ(badScript.exitCode, 1);
    EXPECT_NE(badScript.out.find("script line 2"), std::string::npos) << badScript.out;
    const SimResult noReplay = Sim("verify " + user.Path() + "none.ofr --user-dir " + user.Path());
    EXPECT_EQ(noReplay.exitCode, 1);
    EXPECT_NE(noReplay.out.find("none.ofr"), std::string::npos) << noReplay.out;
}
