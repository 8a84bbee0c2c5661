#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>

#include "infra/errors.h"
#include "tests/simulation/test_world.h"

namespace orbitfall {
namespace {

class SightMapTest : public testing::WorldTest {
protected:
    void SetUp() override { MakeGame(30, 20, 2); }

    std::uint16_t At(int x, int y, int player = 1) const { return game->PlayerAt(player).SightMap(x, y); }

    // Spots of player 1 with a given counter value.
    int CountEqual(std::uint16_t value) const {
        int n = 0;
        for (int y = 0; y <= game->Height; ++y)
            for (int x = 0; x <= game->Width; ++x) n += At(x, y) == value;
        return n;
    }
};

TEST_F(SightMapTest, SightRangeThreeStampsTheTwentyNineSpotDisc) {
    TControlledUnit& u = AddUnit(1, 10.5f, 10.5f);  // sight 3
    u.UpdateSight();
    EXPECT_EQ(CountEqual(2), 29);
    EXPECT_EQ(CountEqual(0), 31 * 21 - 29);
    for (int y = 0; y <= 20; ++y)
        for (int x = 0; x <= 30; ++x) {
            const bool inside = (x - 10) * (x - 10) + (y - 10) * (y - 10) <= 9;
            EXPECT_EQ(At(x, y), inside ? 2 : 0) << x << "," << y;
        }
    EXPECT_EQ(At(10, 10, 2), 0) << "only the owner's map";
}

TEST_F(SightMapTest, MovingReplacesTheOldDiscAndLeavesExploredSpots) {
    TControlledUnit& u = AddUnit(1, 10.5f, 10.5f);
    u.UpdateSight();
    u.X = 11.2f;  // map unit 11
    u.UpdateSight();
    EXPECT_EQ(u.StampX, 11);
    EXPECT_EQ(At(7, 10), 1) << "seen only by the old disc";
    EXPECT_EQ(At(14, 10), 2) << "new ground";
    EXPECT_EQ(At(10, 10), 2) << "in both";
    EXPECT_EQ(CountEqual(2), 29);
    u.X = 10.5f;
    u.UpdateSight();
    EXPECT_EQ(At(14, 10), 1);
    EXPECT_EQ(At(7, 10), 2) << "explored ground seen again";
}

TEST_F(SightMapTest, CountersCountTheWatchingUnits) {
    TControlledUnit& a = AddUnit(1, 10.5f, 10.5f);
    TControlledUnit& b = AddUnit(1, 10.5f, 10.5f);
    a.UpdateSight();
    b.UpdateSight();
    EXPECT_EQ(At(10, 10), 3);
    a.X = 25;
    a.UpdateSight();
    EXPECT_EQ(At(10, 10), 2);
    b.X = 25;
    b.UpdateSight();
    EXPECT_EQ(At(10, 10), 1);
    EXPECT_EQ(At(25, 10), 3);
}

TEST_F(SightMapTest, SightRangeZeroChangesNothing) {
    TControlledUnit& u = AddUnit(1, 10.5f, 10.5f, 2);  // "Blind"
    u.UpdateSight();
    u.X = 12;
    u.UpdateSight();
    EXPECT_EQ(CountEqual(0), 31 * 21);
}

TEST_F(SightMapTest, StampsStopAtTheLastMapUnit) {
    TControlledUnit& u = AddUnit(1, 29.5f, 19.5f);
    u.UpdateSight();
    for (int y = 0; y <= 20; ++y) EXPECT_EQ(At(30, y), 0) << "column Width never stamped";
    for (int x = 0; x <= 30; ++x) EXPECT_EQ(At(x, 20), 0) << "row Height never stamped";
    EXPECT_EQ(At(29, 19), 2);
    EXPECT_EQ(At(26, 19), 2);
    TControlledUnit& corner = AddUnit(1, 0.2f, 0.2f);
    corner.UpdateSight();
    EXPECT_EQ(At(0, 0), 2);
    EXPECT_EQ(At(0, 3), 2);
}

TEST_F(SightMapTest, ADestroyedUnitsSightGoesAtOnce) {
    TControlledUnit& u = AddUnit(1, 10.5f, 10.5f);
    Step();
    EXPECT_EQ(At(10, 10), 2);
    u.Damage(10, 0);
    EXPECT_FALSE(u.Alive);
    EXPECT_EQ(At(10, 10), 1);
    EXPECT_EQ(CountEqual(1), 29);
}

TEST_F(SightMapTest, AChangeOfOwnerMovesTheStampToTheNewOwnersMap) {
    TControlledUnit& u = AddUnit(1, 10.5f, 10.5f);
    u.UpdateSight();
    u.Owner = 2;
    u.UpdateSight();
    EXPECT_EQ(At(10, 10, 1), 1);
    EXPECT_EQ(At(10, 10, 2), 2);
}

TEST_F(SightMapTest, ACounterAtItsLimitStopsTheStampAfterTheSpotsBeforeIt) {
    // Rows are stamped top to bottom, columns left to right; the spot that
    // would overflow raises, and only the spots before it have changed.
    game->PlayerAt(1).SightMap(12, 10) = 0xFFFF;
    TControlledUnit& u = AddUnit(1, 10.5f, 10.5f);
    EXPECT_THROW(u.UpdateSight(), ERangeError);
    for (int x = 7; x <= 11; ++x) EXPECT_EQ(At(x, 10), 2) << x;
    EXPECT_EQ(At(12, 10), 0xFFFF);
    EXPECT_EQ(At(13, 10), 0);
    EXPECT_EQ(At(10, 9), 2) << "rows above were done";
    EXPECT_EQ(At(10, 11), 0) << "rows below were not";
    EXPECT_EQ(CountEqual(2), 1 + 5 + 5 + 5) << "rows 7..9 of the disc and five spots of row 10";
}

TEST_F(SightMapTest, TakingAwayFromAZeroCounterRaisesAtThatSpot) {
    TControlledUnit& u = AddUnit(1, 10.5f, 10.5f);
    u.UpdateSight();
    // A counter the stamp must have raised, cleared behind its back: the
    // removal would take it below zero.
    game->PlayerAt(1).SightMap(9, 8) = 0;
    u.X = 20.5f;  // a disc of its own: the whole old disc is taken away
    EXPECT_THROW(u.UpdateSight(), ERangeError);
    EXPECT_EQ(At(10, 7), 1) << "the row before is done";
    EXPECT_EQ(At(8, 8), 1);
    EXPECT_EQ(At(9, 8), 0);
    EXPECT_EQ(At(10, 8), 2) << "the rest of the row is untouched";
}

TEST_F(SightMapTest, LongSpansCountLikeSingleSpots) {
    MakeGame(200, 60, 2);
    // Sight 3 is too short to give the counter loops long spans; a wide
    // disc on a map wider than any vector step does, over counters at
    // 0, 1 and above, and the result must be what one unit at a time gives.
    auto& wide = game->UnitTypes.at(0);
    wide->SightRange = 40;
    TControlledUnit& a = AddUnit(1, 60.5f, 30.5f);
    TControlledUnit& b = AddUnit(1, 90.5f, 30.5f);
    a.UpdateSight();
    b.UpdateSight();
    a.X = 130.5f;
    a.UpdateSight();
    for (int y = 0; y <= 60; ++y)
        for (int x = 0; x <= 200; ++x) {
            auto in = [&](int cx) { return (x - cx) * (x - cx) + (y - 30) * (y - 30) <= 1600; };
            const int watchers = in(130) + in(90);
            const bool stamped = x < 200 && y < 60;  // column Width and row Height never are
            const int expected = !stamped ? 0 : watchers > 0 ? watchers + 1 : (in(60) ? 1 : 0);
            ASSERT_EQ(At(x, y), expected) << x << "," << y;
        }
}

TEST_F(SightMapTest, MovedStampsLeaveTheCountersOfAFullRemovalAndAddition) {
    // A unit of player 1 wanders by steps of up to two map units each way,
    // along and across the map's edges; a twin of player 2 on the same
    // path takes its whole old disc away and adds the whole new one. Both
    // maps, sight and detector, must agree after every step, for ranges
    // whole and fractional, with the two units' discs watched by a third
    // unit of each player standing still (counters above 2).
    MakeGame(60, 40, 2);
    const float ranges[] = {3, 10, 2.5f, 7.9f, 0.5f};
    SetRandomState(2024);
    for (const float range : ranges) {
        MakeGame(60, 40, 2);
        TControlledUnit* walkers[2];
        for (std::uint8_t owner = 1; owner <= 2; ++owner) {
            TControlledUnit& still = AddUnit(owner, 30.5f, 20.5f);
            still.SightRange = 9;
            still.Detector = true;
            still.UpdateSight();
            walkers[owner - 1] = &AddUnit(owner, 20.5f, 20.5f);
            walkers[owner - 1]->SightRange = range;
            walkers[owner - 1]->Detector = true;
        }
        TControlledUnit& moved = *walkers[0];
        TControlledUnit& twin = *walkers[1];
        moved.UpdateSight();
        twin.UpdateSight();
        float x = 20.5f, y = 20.5f;
        for (int step = 0; step < 400; ++step) {
            const int far = RandomInt(8) == 0 ? 2 : 1;
            x = std::clamp(x + static_cast<float>(RandomInt(2 * far + 1) - far), 0.5f, 59.5f);
            y = std::clamp(y + static_cast<float>(RandomInt(2 * far + 1) - far), 0.5f, 39.5f);
            moved.X = twin.X = x;
            moved.Y = twin.Y = y;
            moved.UpdateSight();
            twin.StampSight(-1);
            twin.StampX = static_cast<std::int32_t>(x);
            twin.StampY = static_cast<std::int32_t>(y);
            twin.StampSight(+1);
            const TPlayer& a = game->PlayerAt(1);
            const TPlayer& b = game->PlayerAt(2);
            for (int sy = 0; sy <= 40; ++sy)
                for (int sx = 0; sx <= 60; ++sx) {
                    ASSERT_EQ(a.SightMap(sx, sy), b.SightMap(sx, sy))
                        << "range " << range << " step " << step << " spot " << sx << "," << sy;
                    ASSERT_EQ(a.DetectorMap(sx, sy), b.DetectorMap(sx, sy))
                        << "range " << range << " step " << step << " spot " << sx << "," << sy;
                }
        }
        EXPECT_GT(CountEqual(1), 0) << "explored spots were made";
        EXPECT_GT(game->PlayerAt(1).DetectorMap(30, 20), 0);
    }
}

}  // namespace
}  // namespace orbitfall
