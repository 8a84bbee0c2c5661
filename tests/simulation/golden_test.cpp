// A scripted four-player game on the shipped map whose per-frame checksums
// are pinned in golden/kreuzung_4p.txt. Every build (debug, release,
// sanitizers, either libm code path) must reproduce them bit for bit.
//
// To record the file after an intended change of the simulation, run
//   ORBITFALL_RECORD_GOLDEN=1 simulation_tests --gtest_filter=Golden.*
// and commit the new file together with the change.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "simulation/explosion.h"
#include "simulation/shot.h"
#include "tests/simulation/shipped_game.h"

namespace orbitfall {
namespace {

using testing::Command;

constexpr int kFrames = 1000;
const std::string kGoldenFile = std::string(ORBITFALL_SOURCE_DIR) + "/tests/simulation/golden/kreuzung_4p.txt";

struct TScriptedCommand {
    int Frame;
    TCommand Command;
};

TCommand Move(std::uint8_t player, float x, float y) {
    TCommand c = Command(ckMove, player, 0);
    c.SetFloat(1, x);
    c.SetFloat(2, y);
    return c;
}

TCommand Rect(std::uint8_t player, float x1, float y1, float x2, float y2, bool add = false) {
    TCommand c = Command(ckSelectRect, player, 0);
    c.Flags = add ? cfAddToSelection : 0;
    c.SetFloat(0, x1);
    c.SetFloat(1, y1);
    c.SetFloat(2, x2);
    c.SetFloat(3, y2);
    return c;
}

// Players start in the four corners of the map; all fleets are sent across
// the centre, then parts of them are regrouped and sent into the fight again.
std::vector<TScriptedCommand> Script() {
    std::vector<TScriptedCommand> s;
    for (std::uint8_t p = 1; p <= 4; ++p) s.push_back({0, Command(ckSelectAll, p, 0)});
    s.push_back({1, Move(1, 225, 225)});
    s.push_back({1, Move(2, 75, 225)});
    s.push_back({2, Move(3, 225, 75)});
    s.push_back({3, Move(4, 75, 75)});
    s.push_back({250, Rect(1, 100, 100, 200, 200)});
    s.push_back({250, Rect(1, 0, 0, 60, 60, true)});
    s.push_back({251, Move(1, 150, 30)});
    s.push_back({400, Rect(2, 300, 300, 0, 0)});
    s.push_back({401, Move(2, 150, 150)});
    s.push_back({600, Command(ckSelectAll, 3, 0)});
    s.push_back({600, Move(3, 40, 150)});
    s.push_back({700, Command(ckSelectAll, 4, 0)});
    s.push_back({701, Move(4, 150, 30)});
    s.push_back({820, Command(ckSelectAll, 1, 0)});
    s.push_back({821, Move(1, 150, 150)});
    return s;
}

// The checksum of every frame, taken before its commands (as a frame header
// carries it), then the one after the last frame.
std::vector<std::uint32_t> PlayScript(int& shots, int& explosions) {
    testing::ShippedData data;
    auto game = testing::StartedGame("Kreuzung", 4, 20240611);
    const auto script = Script();
    std::vector<std::uint32_t> sums;
    shots = 0;
    explosions = 0;
    for (int frame = 0; frame < kFrames; ++frame) {
        sums.push_back(game->Checksum());
        for (const auto& sc : script) {
            if (sc.Frame != frame) continue;
            TCommand c = sc.Command;
            c.Frame = frame;
            game->ExecuteCommand(c);
        }
        game->Move();
        for (int i = 0; i < game->Engine->ChildCount(); ++i) {
            shots += dynamic_cast<TShot*>(&game->Engine->GetChild(i)) != nullptr;
            auto* e = dynamic_cast<TExplosion*>(&game->Engine->GetChild(i));
            explosions += e != nullptr && e->FrameIndex == 0;
        }
        game->Dead();
        ++game->Frame;
    }
    sums.push_back(game->Checksum());
    return sums;
}

std::string Hex(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", v);
    return buf;
}

TEST(Golden, ScriptedBattleReproducesThePinnedChecksums) {
    int shots = 0, explosions = 0;
    const std::vector<std::uint32_t> sums = PlayScript(shots, explosions);
    EXPECT_GT(shots, 0) << "the script should bring the fleets into battle";
    EXPECT_GT(explosions, 50) << "the battle should destroy ships";
    ::testing::Test::RecordProperty("explosions", explosions);

    if (const char* record = std::getenv("ORBITFALL_RECORD_GOLDEN"); record && *record && *record != '0') {
        std::ofstream out(kGoldenFile, std::ios::binary | std::ios::trunc);
        ASSERT_TRUE(out) << "cannot write " << kGoldenFile;
        out << "# frame checksum-before-commands; last line: after the last frame\n";
        for (std::size_t f = 0; f < sums.size(); ++f) out << f << ' ' << Hex(sums[f]) << '\n';
        std::printf("Recorded %zu checksums into %s\n", sums.size(), kGoldenFile.c_str());
        return;
    }

    std::ifstream in(kGoldenFile);
    ASSERT_TRUE(in) << kGoldenFile << " is missing; record it with ORBITFALL_RECORD_GOLDEN=1";
    std::vector<std::uint32_t> pinned;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::size_t frame;
        std::string hex;
        fields >> frame >> hex;
        ASSERT_EQ(frame, pinned.size()) << "malformed line: " << line;
        pinned.push_back(static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16)));
    }
    ASSERT_EQ(pinned.size(), sums.size()) << "the pinned trace has another length";
    for (std::size_t f = 0; f < sums.size(); ++f)
        ASSERT_EQ(Hex(sums[f]), Hex(pinned[f])) << "first differing frame: " << f;
}

TEST(Golden, TheSameScriptPlaysTheSameTwiceInOneProcess) {
    int shots1 = 0, shots2 = 0, explosions1 = 0, explosions2 = 0;
    EXPECT_EQ(PlayScript(shots1, explosions1), PlayScript(shots2, explosions2));
    EXPECT_EQ(shots1, shots2);
    EXPECT_EQ(explosions1, explosions2);
}

}  // namespace
}  // namespace orbitfall
