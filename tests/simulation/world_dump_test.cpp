// The world dump and its comparison: every field the step uses shows up as a
// named difference, and fields that legitimately differ between machines do
// not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "infra/random.h"
#include "simulation/crystal_moon.h"
#include "simulation/explosion.h"
#include "simulation/nebula.h"
#include "simulation/shot.h"
#include "simulation/world_dump.h"
#include "simulation/world_dump_diff.h"
#include "tests/simulation/small_game.h"

namespace orbitfall {
namespace {

using small_game::SmallGameTest;

class WorldDumpTest : public SmallGameTest {
protected:
    // A world with every kind of object, a few frames into a fight: a gunner
    // of player 1 next to a target of player 2, so shots are under way.
    void Build() {
        game.reset();
        SetRandomState(12345);
        game = std::make_unique<TGame>("small", 3, 1);
        auto& nebula = NewGameObject<TNebula>(*game);
        nebula.X = 25;
        nebula.Y = 25;
        nebula.Radius = 8;
        gunner = &AddUnit(1, 10, 10, small_game::ttGunner);
        target = &AddUnit(2, 13, 10, small_game::ttTarget);
        AddUnit(2, 40, 40, small_game::ttBig);
        NewGameObject<TCrystalMoon>(*game).X = 30;
        NewGameObject<TExplosion>(*game, 20.0f, 20.0f, 1.0f);
        game->Players[1]->Selection = {gunner->Id};
        for (int i = 0; i < 3; ++i) Step();
    }

    TWorldDump Dump() const {
        const auto dumps = ReadWorldDumps(FrameLine(game->Frame, game->Checksum()) + WorldDumpText(*game));
        EXPECT_EQ(dumps.size(), 1u);
        return dumps.empty() ? TWorldDump() : dumps[0];
    }

    template <class T>
    T& First() {
        auto found = ObjectsOf<T>();
        EXPECT_FALSE(found.empty());
        return *found.at(0);
    }

    TControlledUnit* gunner = nullptr;
    TControlledUnit* target = nullptr;
};

TEST_F(WorldDumpTest, EachFieldOfTheStepIsNamedWhereTwoWorldsPart) {
    struct Case {
        const char* what;
        std::function<void()> change;
        std::string expected;  // the whole sentence after "frame 3: ", up to the values
    };
    const std::vector<Case> cases = {
        {"a unit nudged by one ulp", [this] { gunner->X = std::nextafter(gunner->X, 100.0f); },
         "object 1 TControlledUnit of player 1: X 10 / 10.000001"},
        {"a reload state", [this] { ++gunner->Cooldown; }, "TControlledUnit of player 1: Cooldown "},
        {"a move target (double)", [this] { gunner->TargetY = std::nextafter(gunner->TargetY, 1.0); },
         "TControlledUnit of player 1: TargetY "},
        {"an order", [this] { target->Ordered = true; }, "TControlledUnit of player 2: Ordered 0 / 1"},
        {"hit points", [this] { target->HitPoints -= 0.5f; }, "TControlledUnit of player 2: HitPoints "},
        {"a death count", [this] { target->DeathDelay = 2; }, "player 2: DeathDelay 0 / 2"},
        {"a sight stamp", [this] { ++gunner->StampX; }, "player 1: StampX 10 / 11"},
        {"a bank", [this] { gunner->Bank = 0.25f; }, "player 1: Bank 0 / 0.25"},
        {"a cell", [this] { gunner->CellY = 3; }, "player 1: CellY 1 / 3"},
        {"a shot's target", [this] { First<TShot>().TargetId = 99; }, "TShot of player 1: TargetId"},
        {"a shot's damage",
         [this] { First<TShot>().DamageInfo.Shield.SplashRadius = 4; },
         "TShot of player 1: DamageInfo.Shield.SplashRadius 0 / 4"},
        {"a nebula's drift", [this] { ++First<TNebula>().DriftSteps; }, "TNebula of player 0: DriftSteps"},
        {"a nebula's colour", [this] { First<TNebula>().TargetColor[2] += 0.5f; },
         "TNebula of player 0: TargetColorB"},
        {"an explosion's picture", [this] { ++First<TExplosion>().FrameIndex; },
         "TExplosion of player 0: FrameIndex 3 / 4"},
        {"a selection", [this] { game->Players[1]->Selection.push_back(2); },
         "player 1: Selection 1 / 1,2"},
        {"an event", [this] { game->Players[2]->EventTime = 7; }, "player 2: EventTime 0 / 7"},
        {"a sight counter", [this] { ++game->Players[1]->SightMap(0, 0); }, "player 1: SightMap "},
        {"the generator", [] { RandomInt(10); }, "game: Random "},
        {"a unit type's weapon", [this] { game->UnitTypes[0]->Weapons[0].Range = 6; },
         "unit type 0 Gunner: Weapon0.Range 5 / 6"},
        {"a unit's catalogue entry",
         [this] { target->UnitType = game->UnitTypes[small_game::ttBig].get(); },
         "TControlledUnit of player 2: UnitType 1 / 4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Build();
        const TWorldDump before = Dump();
        c.change();
        const std::vector<std::string> found = CompareWorldDumps(before, Dump());
        ASSERT_EQ(found.size(), 1u) << (found.empty() ? "" : found[0] + " | " + found.back());
        EXPECT_EQ(found[0].rfind("frame 3: ", 0), 0u) << found[0];
        EXPECT_NE(found[0].find(c.expected), std::string::npos) << found[0];
    }
}

TEST_F(WorldDumpTest, OneDifferencePerSectionObjectsFirst) {
    Build();
    const TWorldDump before = Dump();
    game->UnitTypes[0]->Weapons[0].CoolDown = 9;
    game->Players[2]->EventPriority = 3;
    target->X += 1;
    target->Y += 1;  // a second field of the same object: only the first is named
    gunner->Y += 1;  // a later field of an earlier object wins over the target
    const std::vector<std::string> found = CompareWorldDumps(before, Dump());
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0], "frame 3: object 1 TControlledUnit of player 1: Y 10 / 11");
    EXPECT_EQ(found[1], "frame 3: player 2: EventPriority 0 / 3");
    EXPECT_EQ(found[2], "frame 3: unit type 0 Gunner: Weapon0.CoolDown 5 / 9");
}

TEST_F(WorldDumpTest, WhatOnlyThePictureOrTheMachineUsesIsNoDifference) {
    Build();
    const TWorldDump before = Dump();
    gunner->Selected = true;
    game->LocalPlayerIndex = 2;
    game->Players[1]->CameraX = 77;
    EXPECT_TRUE(CompareWorldDumps(before, Dump()).empty());
}

TEST_F(WorldDumpTest, AnObjectOnlyOneWorldHasIsNamed) {
    Build();
    const TWorldDump before = Dump();
    NewGameObject<TExplosion>(*game, 5.0f, 5.0f, 1.0f);
    const int child = game->Engine->ChildCount() - 1;
    const std::vector<std::string> found = CompareWorldDumps(before, Dump());
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0], "frame 3: child " + std::to_string(child) + " TExplosion of player 0 only in the second dump");
    const std::vector<std::string> reverse = CompareWorldDumps(Dump(), before);
    ASSERT_FALSE(reverse.empty());
    EXPECT_NE(reverse[0].find("only in the first dump"), std::string::npos) << reverse[0];
}

TEST_F(WorldDumpTest, DumpsAreFoundInSavedOutputBesideOtherLines) {
    Build();
    const std::string world = WorldDumpText(*game);
    std::string crlf;
    for (char c : FrameLine(7, 0xABCDEF01) + world) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string text = "seed 5\n# a comment\nframe 0 checksum 00000001\nframe 1 checksum 00000002\n" +
                             FrameLine(4, 0x1234) + world + "frame 5 checksum 00000003\n" + crlf +
                             "verified 8 frames in 1 ms (8000 frames/s)\n";
    const std::vector<TWorldDump> dumps = ReadWorldDumps(text);
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_EQ(dumps[0].Frame, 4);
    EXPECT_EQ(dumps[0].Checksum, "00001234");
    EXPECT_EQ(dumps[1].Frame, 7);
    EXPECT_EQ(dumps[1].Checksum, "abcdef01");
    EXPECT_EQ(dumps[0].Lines, dumps[1].Lines);
    // The short lines stay in front, unchanged in shape, and are not compared.
    EXPECT_EQ(world.rfind("obj TNebula - 0 ", 0), 0u) << world.substr(0, 80);
    EXPECT_EQ(dumps[0].Lines.front().rfind("game Frame=3 ", 0), 0u) << dumps[0].Lines.front();
    EXPECT_TRUE(ReadWorldDumps("frame 1 checksum 00000002\nverified 1 frames\n").empty());
}

// The counter maps' digest worked out spot by spot through the checked
// accessors: FNV-1a over each counter's low, then high byte, row by row, and
// how many counters are not zero.
std::string SpotBySpotDigest(const TPlayer& p, bool detector) {
    std::uint32_t h = 2166136261u;
    long long lit = 0;
    for (std::int32_t y = 0; y < p.MapRows(); ++y)
        for (std::int32_t x = 0; x < p.MapCols(); ++x) {
            const std::uint16_t v = detector ? p.DetectorMap(x, y) : p.SightMap(x, y);
            if (v != 0) ++lit;
            h = (h ^ (v & 0xFFu)) * 16777619u;
            h = (h ^ (v >> 8)) * 16777619u;
        }
    char buf[48];
    std::snprintf(buf, sizeof buf, "%08x/%lld", h, lit);
    return buf;
}

std::string FieldOf(const std::string& dump, const std::string& head, const std::string& key) {
    const std::size_t line = dump.find('\n' + head + ' ');
    if (line == std::string::npos) return "(no line " + head + ")";
    const std::size_t end = dump.find('\n', line + 1);
    const std::size_t at = dump.find(" " + key + "=", line);
    if (at == std::string::npos || at > end) return "(no field " + key + ")";
    const std::size_t from = at + key.size() + 2;
    return dump.substr(from, dump.find_first_of(" \n", from) - from);
}

TEST_F(WorldDumpTest, CounterMapDigestsTakeEverySpotAndBothBytes) {
    Build();
    const auto Dumped = [this] {
        std::string dump(1, '\n');
        dump += FullDumpText(*game);
        return dump;
    };
    TPlayer& p = *game->Players[2];
    // Rows whose length is no multiple of four: the last spots of a row too.
    ASSERT_NE(p.MapCols() % 4, 0);
    const std::int32_t right = p.MapCols() - 1, bottom = p.MapRows() - 1;
    const auto check = [&](const char* what) {
        SCOPED_TRACE(what);
        const std::string dump = Dumped();
        for (std::size_t k = 0; k < game->Players.size(); ++k) {
            const std::string head = "player " + std::to_string(k);
            EXPECT_EQ(FieldOf(dump, head, "SightMap"), SpotBySpotDigest(*game->Players[k], false)) << head;
            EXPECT_EQ(FieldOf(dump, head, "DetectorMap"), SpotBySpotDigest(*game->Players[k], true)) << head;
        }
    };
    check("the fight's own counters");
    const std::string before = FieldOf(Dumped(), "player 2", "SightMap");
    p.SightMap(right, bottom) = 0xFFFF;
    p.SightMap(right - 1, 7) = 0x0100;  // only the high byte
    p.SightMap(0, 0) = 0x00FF;          // only the low byte
    p.DetectorMap(right, 0) = 1;
    check("counters set at the corners and the ends of rows");
    EXPECT_NE(FieldOf(Dumped(), "player 2", "SightMap"), before);
    // Swapping a counter's bytes is a different map.
    const std::string highFirst = FieldOf(Dumped(), "player 2", "SightMap");
    p.SightMap(right - 1, 7) = 0x0001;
    EXPECT_NE(FieldOf(Dumped(), "player 2", "SightMap"), highFirst);
    check("a counter's bytes swapped");
}

// Numbers are written without printf but must read as printf writes them
// ("%.9g" singles, "%.17g" doubles, "%d" integers): dumps of older copies
// are compared with these, and the values a broken step leaves are the ones
// a dump is read for.
TEST_F(WorldDumpTest, NumbersReadAsPrintfWritesThem) {
    Build();
    const auto printed = [](const char* format, auto v) {
        char text[64];
        std::snprintf(text, sizeof text, format, v);
        return std::string(text);
    };
    const float singles[] = {0.0f, -0.0f, NAN, -NAN, INFINITY, -INFINITY, 1e-45f, 3.4028235e38f,
                             0.1f, 123456789.0f, 1e-5f, 100000.0f, -2.5f};
    const double doubles[] = {0.0, -NAN, -INFINITY, 5e-324, 1.7976931348623157e308, 0.1, 1e16, 1e17, -1e-5};
    const std::size_t cases = std::max(std::size(singles), std::size(doubles));
    for (std::size_t i = 0; i < cases; ++i) {
        const float single = singles[i % std::size(singles)];
        const double value = doubles[i % std::size(doubles)];
        const std::int32_t id = i % 2 ? INT32_MIN : INT32_MAX;
        gunner->X = single;
        gunner->HitPoints = single;
        gunner->TargetX = value;
        gunner->Cooldown = id;
        std::string dump(1, '\n');
        dump += WorldDumpText(*game);
        const std::string head = "object " + std::to_string(gunner->Id);
        SCOPED_TRACE(printed("single %.9g", static_cast<double>(single)) + printed(", double %.17g", value));
        EXPECT_EQ(FieldOf(dump, head, "X"), printed("%.9g", static_cast<double>(single)));
        EXPECT_EQ(FieldOf(dump, head, "HitPoints"), printed("%.9g", static_cast<double>(single)));
        EXPECT_EQ(FieldOf(dump, head, "TargetX"), printed("%.17g", value));
        EXPECT_EQ(FieldOf(dump, head, "Cooldown"), printed("%d", id));
        const std::string shortLine = printed("\nobj TControlledUnit %d 1 ", gunner->Id) +
                                      printed("%.9g", static_cast<double>(single)) + " " +
                                      printed("%.9g", static_cast<double>(gunner->Y)) + " " +
                                      printed("%.9g\n", static_cast<double>(single));
        EXPECT_NE(dump.find(shortLine), std::string::npos) << shortLine;
    }
}

TEST(WorldDumpValues, TextValuesSurviveTheirEscape) {
    for (const std::string& text : {std::string("Fighter II"), std::string("a=b,c%d\te"), std::string("Zerst\xf6rer"),
                                   std::string(), std::string("%4"), std::string("100%")}) {
        const std::string escaped = EscapeDumpValue(text);
        EXPECT_EQ(escaped.find_first_of(" =,\t"), std::string::npos) << escaped;
        EXPECT_EQ(UnescapeDumpValue(escaped), text) << escaped;
    }
}

}  // namespace
}  // namespace orbitfall
