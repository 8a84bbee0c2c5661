// Drawing objects that stand at or beyond the map's edge: separation may push
// a unit its own step had clamped a little outside the map, and drawing must
// never stop the game for it. The simulation keeps such positions as they are.
#include <gtest/gtest.h>

#include <limits>

#include "simulation/controlled_unit.h"
#include "simulation/crystal_moon.h"
#include "simulation/nebula.h"
#include "tests/simulation/recording_draw_context.h"
#include "tests/simulation/shipped_game.h"
#include "tests/simulation/test_world.h"

namespace orbitfall {
namespace {

using testing::Command;

class EdgeVisibilityTest : public testing::WorldTest {
protected:
    void SetUp() override { MakeGame(100, 80, 2); }
};

// Each object beyond the edge is judged by the nearest spot of the map.
TEST_F(EdgeVisibilityTest, ObjectsBeyondTheEdgeAreJudgedByTheNearestMapSpot) {
    struct TCase {
        float x, y;
        int spotX, spotY;
    };
    const float huge = std::numeric_limits<float>::max();
    const TCase cases[] = {
        {-0.25f, 40, 0, 40},  {100.3f, 40, 99, 40}, {50, -2, 50, 0},     {50, 80.5f, 50, 79},
        {-1e9f, 1e9f, 0, 79}, {huge, -huge, 99, 0}, {99.5f, 79.5f, 99, 79},
    };
    TControlledUnit& unit = AddUnit(2, 0, 0, 2);  // blind: stamps no sight of its own
    TNebula& nebula = NewGameObject<TNebula>(*game);
    TCrystalMoon& moon = NewGameObject<TCrystalMoon>(*game);
    TPlayer& local = *game->LocalPlayer;
    for (const TCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y);
        for (TGameObject* o : {static_cast<TGameObject*>(&unit), static_cast<TGameObject*>(&nebula),
                               static_cast<TGameObject*>(&moon)}) {
            o->X = c.x;
            o->Y = c.y;
        }
        local.SightMap(c.spotX, c.spotY) = 0;
        EXPECT_FALSE(unit.IsVisibleFor(1));
        EXPECT_FALSE(nebula.IsVisibleFor(1));
        local.SightMap(c.spotX, c.spotY) = 1;  // explored only
        EXPECT_FALSE(unit.IsVisibleFor(1));
        EXPECT_TRUE(moon.IsVisibleFor(1));
        local.SightMap(c.spotX, c.spotY) = 2;  // watched now
        EXPECT_TRUE(unit.IsVisibleFor(1));
        testing::RecordingDrawContext dc;
        dc.Rect = {-huge, -huge, huge, huge};
        EXPECT_NO_THROW(game->Engine->Draw(dc));
        EXPECT_NO_THROW(game->Engine->AlphaDraw(dc));
        EXPECT_EQ(dc.Named("DrawUnitModel").size(), 1u);
        EXPECT_EQ(dc.Named("DrawSphere").size(), 1u);
        local.SightMap(c.spotX, c.spotY) = 0;
    }
}

// Fleets ordered into the four corners left units outside the map, and
// drawing them read the sight map beyond its edge: "Range check error", and
// the windowed game stood still for good.
TEST(EdgeDrawing, DrawingUnitsPushedOutsideTheMapStoppedTheGame) {
    testing::ShippedData data;
    auto game = testing::StartedGame("Kreuzung", 4, 77);
    const float w = static_cast<float>(game->Width);
    const float h = static_cast<float>(game->Height);
    const float corners[4][2] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
    for (std::uint8_t p = 1; p <= 4; ++p) {
        game->ExecuteCommand(Command(ckSelectAll, p, 0));
        TCommand move = Command(ckMove, p, 0);
        move.SetFloat(1, corners[p - 1][0]);
        move.SetFloat(2, corners[p - 1][1]);
        game->ExecuteCommand(move);
    }
    testing::RecordingDrawContext dc;
    dc.Rect = {-10, -10, w + 10, h + 10};
    int outsideSeen = 0;
    for (int frame = 0; frame < 600; ++frame) {
        game->Move();
        game->Dead();
        ++game->Frame;
        // Every player's view in turn, the minimap's dots included.
        const std::uint8_t viewer = static_cast<std::uint8_t>(frame % 4 + 1);
        game->LocalPlayerIndex = viewer;
        dc.Calls.clear();
        ASSERT_NO_THROW(game->Engine->Draw(dc)) << "frame " << frame;
        ASSERT_NO_THROW(game->Engine->AlphaDraw(dc)) << "frame " << frame;
        for (int i = 0; i < game->Engine->ChildCount(); ++i) {
            auto* unit = dynamic_cast<Tunit*>(&game->Engine->GetChild(i));
            if (!unit) continue;
            ASSERT_NO_THROW(unit->IsVisibleFor(viewer)) << "frame " << frame;
            outsideSeen += unit->X < 0 || unit->Y < 0 || unit->X >= w || unit->Y >= h;
        }
        game->LocalPlayerIndex = 1;
    }
    EXPECT_GT(outsideSeen, 0) << "no unit was ever pushed outside: the run does not show the fault";
}

}  // namespace
}  // namespace orbitfall
