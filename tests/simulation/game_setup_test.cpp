#include <gtest/gtest.h>

#include <array>
#include <string>

#include "infra/errors.h"
#include "infra/random.h"
#include "simulation/crystal_moon.h"
#include "simulation/nebula.h"
#include "tests/simulation/shipped_game.h"
#include "tests/simulation/test_world.h"

namespace orbitfall {
namespace {

using testing::MapText;
using testing::TestDataDirs;

class GameSetupTest : public ::testing::Test {
protected:
    std::unique_ptr<TGame> Create(const std::string& mapText, std::uint8_t players = 2,
                                  std::uint8_t local = 1) {
        data.WriteMap("m", mapText);
        SetRandomState(777);
        return std::make_unique<TGame>("m", players, local);
    }

    // The message of the error raised by creating a game on mapText.
    std::string FailureOf(const std::string& mapText, std::uint8_t players = 2) {
        try {
            Create(mapText, players);
        } catch (const Exception& e) {
            return e.Message();
        }
        return "no error";
    }

    TestDataDirs data;
};

TEST_F(GameSetupTest, MapSizeGivesCellGridAndSightMapSizes) {
    auto game = Create(MapText(100, 57));
    EXPECT_EQ(game->Width, 100);
    EXPECT_EQ(game->Height, 57);
    EXPECT_EQ(game->CellCols, 11);
    EXPECT_EQ(game->CellRows, 6);
    for (int k = 0; k <= 2; ++k) {
        const TPlayer& p = game->PlayerAt(k);
        EXPECT_EQ(p.MapCols(), 101);
        EXPECT_EQ(p.MapRows(), 58);
        EXPECT_EQ(p.GridCols(), 11);
        EXPECT_EQ(p.GridRows(), 7) << "one spare row";
    }
    EXPECT_EQ(game->LocalPlayer, &game->PlayerAt(1));
    EXPECT_EQ(game->ObjectTable.size(), 1u);
    EXPECT_EQ(game->Frame, 0);
    EXPECT_EQ(game->UnitTypes.size(), 3u);
}

TEST_F(GameSetupTest, SightCountersStartAtZeroAndSizingTheMapsAgainClearsThem) {
    auto game = Create(MapText(100, 57));
    TPlayer& p = game->PlayerAt(1);
    for (std::int32_t y = 0; y < p.MapRows(); ++y)
        for (std::int32_t x = 0; x < p.MapCols(); ++x) {
            ASSERT_EQ(p.SightMap(x, y), 0) << x << "," << y;
            ASSERT_EQ(p.DetectorMap(x, y), 0) << x << "," << y;
        }
    p.SightMap(100, 57) = 3;
    p.DetectorMap(0, 0) = 2;
    p.SightMap(50, 20) = 0xFFFF;
    // Sized again, to other sizes: the old counters are gone, not moved.
    p.SizeMaps(3, 2, 30, 20);
    EXPECT_EQ(p.MapCols(), 31);
    EXPECT_EQ(p.MapRows(), 21);
    for (std::int32_t y = 0; y < p.MapRows(); ++y)
        for (std::int32_t x = 0; x < p.MapCols(); ++x) {
            ASSERT_EQ(p.SightMap(x, y), 0) << x << "," << y;
            ASSERT_EQ(p.DetectorMap(x, y), 0) << x << "," << y;
        }
    EXPECT_THROW(p.SightMap(31, 0), ERangeError);
    EXPECT_THROW(p.DetectorMap(0, 21), ERangeError);
    p.SizeMaps(11, 6, 100, 57);
    EXPECT_EQ(p.SightMap(100, 57), 0);
    EXPECT_EQ(p.DetectorMap(0, 0), 0);
    EXPECT_EQ(p.SightMap(50, 20), 0);
}

TEST_F(GameSetupTest, StartElementsSetTheCameraAndTheLaterOneWins) {
    auto game = Create(MapText(100, 100,
                               R"(<Start Player="1" X="10" Y="20"/><Start Player="2" X="30.5" Y="40"/>)"
                               R"(<start Player="1" X="70" Y="80.25"/><Marker X="no number"/>)"));
    EXPECT_EQ(game->PlayerAt(1).CameraX, 70);
    EXPECT_EQ(game->PlayerAt(1).CameraY, 80.25);
    EXPECT_EQ(game->PlayerAt(2).CameraX, 30.5);
    EXPECT_EQ(game->PlayerAt(0).CameraX, 0);
}

TEST_F(GameSetupTest, NebulaeTakeTheirPlaceFromTheMapAndTheirColourFromTheSharedGenerator) {
    auto game = Create(MapText(100, 100,
                               R"(<Nebula Radius="12.5" X="30" Y="40"/><NEBULA Radius="3" X="1" Y="2"/>)"));
    ASSERT_EQ(game->Engine->ChildCount(), 2);
    SetRandomState(777);
    for (int i = 0; i < 2; ++i) {
        auto& n = dynamic_cast<TNebula&>(game->Engine->GetChild(i));
        for (float channel : n.BaseColor) EXPECT_EQ(channel, static_cast<float>(RandomReal() * 0.7 + 0.15));
        EXPECT_EQ(n.ColorVariation, 0.3f);
        EXPECT_EQ(n.Owner, 0);
    }
    auto& first = dynamic_cast<TNebula&>(game->Engine->GetChild(0));
    EXPECT_EQ(first.Radius, 12.5f);
    EXPECT_EQ(first.X, 30.0f);
    EXPECT_EQ(first.Y, 40.0f);
}

TEST_F(GameSetupTest, BadMapsStopCreationWithTheirMessages) {
    const std::string nebula = R"(<Nebula Radius="2" X="3" Y="4"/>)";
    struct Case {
        std::string map;
        std::uint8_t players;
        std::string message;
    } cases[] = {
        {"<Map><Objects/></Map>", 2, "'' ist kein gültiger Integerwert"},
        {MapText(100, 100).replace(MapText(100, 100).find("<Width>100"), 10, "<Width>1e2"), 2,
         "'1e2' ist kein gültiger Integerwert"},
        {MapText(100, 100, nebula + R"(<Nebula Radius="2" X="3,5" Y="4"/>)"), 2,
         "'3,5' ist kein gültiger Gleitkommawert"},
        {MapText(100, 100, nebula + R"(<Nebula X="3" Y="4"/>)"), 2, "'' ist kein gültiger Gleitkommawert"},
        {MapText(100, 100, nebula + R"(<Start Player="1" X="3"/>)"), 2,
         "'' ist kein gültiger Gleitkommawert"},
        {MapText(100, 100, nebula + R"(<Start Player="one" X="3" Y="4"/>)"), 2,
         "'one' ist kein gültiger Integerwert"},
        {MapText(100, 100, nebula + R"(<Start Player="3" X="1" Y="2"/>)"), 2,
         "Invalid player for <start> Player=3\r\nX=1\r\nY=2\r\n"},
        {MapText(100, 100, R"(<Start X="1" Player="0" Y="2"/>)"), 2,
         "Invalid player for <start> X=1\r\nPlayer=0\r\nY=2\r\n"},
        {MapText(100, 100, nebula), 16, "Mehr als 15 Spieler"},
    };
    for (const auto& c : cases) EXPECT_EQ(FailureOf(c.map, c.players), c.message) << c.map;
}

TEST_F(GameSetupTest, FifteenPlayersAreAllowed) {
    auto game = Create(MapText(20, 20), 15, 15);
    EXPECT_EQ(game->Players.size(), 16u);
    EXPECT_EQ(game->LocalPlayer, &game->PlayerAt(15));
}

TEST_F(GameSetupTest, LocalIndexAbovePlayerCountIsARangeError) {
    EXPECT_THROW(Create(MapText(20, 20), 2, 3), ERangeError);
}

TEST_F(GameSetupTest, AMissingMapFileStopsCreation) {
    EXPECT_THROW(TGame("nowhere", 2, 1), EFOpenError);
}

TEST_F(GameSetupTest, UnitTypeErrorsStopCreation) {
    TestDataDirs broken(R"(<Units><Unit Name="x" Radius="1" SightRange="2"/></Units>)");
    broken.WriteMap("m", MapText(20, 20));
    EXPECT_THROW(TGame("m", 2, 1), EConvertError) << "a unit type without an engine";
}

TEST_F(GameSetupTest, StartUnitsNeedsACatalogueEntry) {
    TestDataDirs empty("<Units></Units>");
    empty.WriteMap("m", MapText(300, 300));
    TGame game("m", 2, 1);
    EXPECT_THROW(StartUnits(game), ERangeError);
}

TEST_F(GameSetupTest, OnePlayerGetsTwoHundredUnitsInItsSquareAndTheMoonsFollow) {
    auto game = Create(MapText(300, 300), 1);
    StartUnits(*game);
    ASSERT_EQ(game->Engine->ChildCount(), 202);
    for (int i = 0; i < 200; ++i) {
        auto& u = dynamic_cast<TControlledUnit&>(game->Engine->GetChild(i));
        EXPECT_EQ(u.Owner, 1);
        EXPECT_EQ(u.Id, i + 1);
        EXPECT_TRUE(u.X >= 0 && u.X <= 118 && u.Y >= 0 && u.Y <= 118) << u.X << "," << u.Y;
        EXPECT_EQ(u.Radius, 1.0f);
        EXPECT_EQ(u.SightRange, 3.0f);
        EXPECT_EQ(u.HitPoints, 10.0f);
    }
    auto& m1 = dynamic_cast<TCrystalMoon&>(game->Engine->GetChild(200));
    auto& m2 = dynamic_cast<TCrystalMoon&>(game->Engine->GetChild(201));
    EXPECT_EQ(m1.Id, 201);
    EXPECT_EQ(m2.Id, 202);
    EXPECT_EQ((std::array<float, 4>{m1.X, m1.Y, m2.X, m2.Y}), (std::array<float, 4>{5, 10, 10, 5}));
}

TEST_F(GameSetupTest, StartUnitsDrawOwnerAndFourOffsetsPerUnit) {
    auto game = Create(MapText(300, 300), 2);
    SetRandomState(4242);
    StartUnits(*game);
    SetRandomState(4242);
    for (int i = 0; i < 400; ++i) {
        const auto& u = dynamic_cast<const TControlledUnit&>(game->Engine->GetChild(i));
        const int owner = RandomInt(2) + 1;
        const int r1 = RandomInt(60), r2 = RandomInt(60), r3 = RandomInt(60), r4 = RandomInt(60);
        ASSERT_EQ(u.Owner, owner) << i;
        ASSERT_EQ(u.X, static_cast<float>(r1 + r2 + (owner - 1) % 2 * 150)) << i;
        ASSERT_EQ(u.Y, static_cast<float>(r3 + r4 + (owner - 1) / 2 * 150)) << i;
    }
}

TEST_F(GameSetupTest, SixPlayersLeaveTheFifthAndSixthWithoutUnits) {
    auto game = Create(MapText(300, 300), 6);
    StartUnits(*game);
    std::array<int, 7> count{};
    for (int i = 0; i < game->Engine->ChildCount(); ++i)
        if (auto* u = dynamic_cast<TControlledUnit*>(&game->Engine->GetChild(i))) ++count[u->Owner];
    EXPECT_EQ(count[0] + count[5] + count[6], 0);
    EXPECT_EQ(count[1] + count[2] + count[3] + count[4], 1200);
    for (int k = 1; k <= 4; ++k) EXPECT_TRUE(count[k] > 220 && count[k] < 380) << k << ": " << count[k];
}

TEST_F(GameSetupTest, AControlledUnitWithoutTypeIsTakenDownAgain) {
    auto game = Create(MapText(50, 50));
    try {
        NewGameObject<TControlledUnit>(*game, 1, nullptr);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "ControlledUnit create without TypeDescriptor");
    }
    EXPECT_EQ(game->Engine->ChildCount(), 0);
    EXPECT_EQ(game->Engine->SpriteCount, 0);
    ASSERT_EQ(game->ObjectTable.size(), 2u);
    EXPECT_EQ(game->ObjectTable[1], nullptr) << "its identifier is spent";
}

TEST(ShippedMaps, LoadWithTheirNebulaeAndStartViews) {
    testing::ShippedData data;
    struct Case {
        const char* name;
        std::uint8_t players;
        int size;
        int nebulae;
    } cases[] = {{"Kreuzung", 4, 300, 6}, {"Weite", 6, 600, 8}};
    for (const auto& c : cases) {
        auto game = testing::StartedGame(c.name, c.players, 5);
        EXPECT_EQ(game->Width, c.size) << c.name;
        EXPECT_EQ(game->Height, c.size) << c.name;
        int nebulae = 0;
        for (int i = 0; i < game->Engine->ChildCount(); ++i)
            nebulae += dynamic_cast<TNebula*>(&game->Engine->GetChild(i)) != nullptr;
        EXPECT_EQ(nebulae, c.nebulae) << c.name;
        // The first four views look at the squares where StartUnits puts the fleets.
        for (int k = 1; k <= 4; ++k) {
            EXPECT_EQ(game->PlayerAt(k).CameraX, (k - 1) % 2 * 150 + 60) << c.name << " " << k;
            EXPECT_EQ(game->PlayerAt(k).CameraY, (k - 1) / 2 * 150 + 60) << c.name << " " << k;
        }
        for (int k = 5; k <= c.players; ++k) EXPECT_GT(game->PlayerAt(k).CameraX, 0) << c.name << " " << k;
        EXPECT_EQ(game->Engine->ChildCount(), c.nebulae + c.players * 200 + 2);
    }
}

}  // namespace
}  // namespace orbitfall
