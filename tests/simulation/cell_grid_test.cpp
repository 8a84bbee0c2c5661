#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "infra/random.h"
#include "simulation/map_units.h"
#include "tests/simulation/test_world.h"

namespace orbitfall {
namespace {

class CellGridTest : public testing::WorldTest {
protected:
    void SetUp() override { MakeGame(100, 100, 3); }

    // Registered and linked, as after the object's first step.
    TControlledUnit& Linked(std::uint8_t owner, float x, float y) {
        TControlledUnit& u = AddUnit(owner, x, y, 2);
        u.UpdateCell();
        return u;
    }

    std::vector<std::int32_t> Circle(TPlayerMask mask, double x, double y, double r) {
        std::vector<std::int32_t> ids;
        TRegisteredObject* cursor = nullptr;
        while (game->FindNextInCircle(cursor, mask, x, y, r)) ids.push_back(cursor->Id);
        EXPECT_EQ(cursor, nullptr);
        return ids;
    }
    std::vector<std::int32_t> Box(TPlayerMask mask, double x1, double y1, double x2, double y2) {
        std::vector<std::int32_t> ids;
        TRegisteredObject* cursor = nullptr;
        while (game->FindNextInBox(cursor, mask, x1, y1, x2, y2)) ids.push_back(cursor->Id);
        return ids;
    }
};

using Ids = std::vector<std::int32_t>;

TEST_F(CellGridTest, VisitsPlayersThenRowsThenColumnsThenNewestLinkedFirst) {
    const auto a = Linked(2, 5, 5).Id;    // player 2, cell (0,0)
    const auto b = Linked(1, 25, 5).Id;   // player 1, cell (2,0)
    const auto c = Linked(1, 5, 15).Id;   // player 1, cell (0,1)
    const auto d = Linked(1, 6, 16).Id;   // player 1, cell (0,1), linked after c
    const auto e = Linked(1, 15, 5).Id;   // player 1, cell (1,0)
    EXPECT_EQ(Circle(AllPlayers, 15, 15, 30), (Ids{e, b, d, c, a}));
}

TEST_F(CellGridTest, AUnitThatLeavesACellAndComesBackIsAtItsHeadAgain) {
    TControlledUnit& first = Linked(1, 5, 5);
    TControlledUnit& second = Linked(1, 6, 6);
    EXPECT_EQ(Circle(AllPlayers, 5, 5, 3), (Ids{second.Id, first.Id}));
    first.X = 15;
    first.UpdateCell();
    first.X = 5;
    first.UpdateCell();
    EXPECT_EQ(Circle(AllPlayers, 5, 5, 3), (Ids{first.Id, second.Id}));
    EXPECT_EQ(second.NextInCell, nullptr);
    EXPECT_EQ(first.PrevInCell, nullptr);
}

TEST_F(CellGridTest, CircleRimIsInclusive) {
    const auto on = Linked(1, 13, 10).Id;
    Linked(1, std::nextafter(13.0f, 14.0f), 20);
    EXPECT_EQ(Circle(AllPlayers, 10, 10, 3), (Ids{on}));
    EXPECT_EQ(Circle(AllPlayers, 10, 20, 3), Ids{}) << "the smallest step beyond the rim";
}

TEST_F(CellGridTest, CircleAtTheOriginCoversOnlyTheFirstCell) {
    const auto near = Linked(1, 1, 1).Id;
    Linked(1, 10.5f, 0.5f);  // next cell, outside the radius anyway
    TRegisteredObject* cursor = nullptr;
    ASSERT_TRUE(game->FindNextInCircle(cursor, AllPlayers, 0, 0, 2));
    EXPECT_EQ(cursor->Id, near);
    EXPECT_EQ(cursor->CellX, 0);
    EXPECT_FALSE(game->FindNextInCircle(cursor, AllPlayers, 0, 0, 2));
}

TEST_F(CellGridTest, MasksSelectPlayers) {
    const auto p1 = Linked(1, 50, 50).Id;
    const auto p2 = Linked(2, 51, 50).Id;
    const auto p3 = Linked(3, 52, 50).Id;
    EXPECT_EQ(Circle(0, 50, 50, 5), Ids{});
    EXPECT_EQ(Circle(1u << 2, 50, 50, 5), (Ids{p2}));
    EXPECT_EQ(Circle(static_cast<TPlayerMask>(0xFFFF & ~(1u << 2)), 50, 50, 5), (Ids{p1, p3}));
}

TEST_F(CellGridTest, BoxCornersInEitherOrderAndEdgesInclusive) {
    const auto in = Linked(1, 20, 30).Id;
    const auto edge = Linked(1, 40, 35).Id;
    Linked(1, 41, 35);
    const Ids expected{in, edge};
    EXPECT_EQ(Box(AllPlayers, 20, 30, 40, 35), expected);
    EXPECT_EQ(Box(AllPlayers, 40, 35, 20, 30), expected);
    EXPECT_EQ(Box(AllPlayers, 20, 35, 40, 30), expected);
}

TEST_F(CellGridTest, BoxBeyondTheMapFindsNothing) {
    Linked(1, 99.9f, 50);
    Linked(1, 0, 0);
    EXPECT_EQ(Box(AllPlayers, 150, 0, 400, 100), Ids{});
    EXPECT_EQ(Box(AllPlayers, -50, -50, -1, -1), Ids{});
    EXPECT_EQ(Box(AllPlayers, 1e12, 1e12, 1e13, 1e13), Ids{});
}

TEST_F(CellGridTest, ANewObjectIsFoundOnlyAfterItsFirstStep) {
    TControlledUnit& u = AddUnit(1, 50, 50, 2);
    EXPECT_EQ(Circle(AllPlayers, 50, 50, 5), Ids{});
    Step();
    EXPECT_EQ(Circle(AllPlayers, 50, 50, 5), (Ids{u.Id}));
}

TEST_F(CellGridTest, AFreedObjectLeavesItsCell) {
    TControlledUnit& a = Linked(1, 50, 50);
    const auto b = Linked(1, 51, 50).Id;
    const auto c = Linked(1, 52, 50).Id;
    a.Destroy();  // middle of the list: c, b, a -> c, b
    EXPECT_EQ(Circle(AllPlayers, 50, 50, 5), (Ids{c, b}));
    game->ObjectById(c)->Destroy();  // head
    EXPECT_EQ(Circle(AllPlayers, 50, 50, 5), (Ids{b}));
}

TEST_F(CellGridTest, ACursorContinuesAfterTheCentreMoves) {
    const auto a = Linked(1, 5, 5).Id;
    const auto b = Linked(1, 15, 5).Id;
    const auto c = Linked(1, 25, 5).Id;
    TRegisteredObject* cursor = nullptr;
    ASSERT_TRUE(game->FindNextInCircle(cursor, AllPlayers, 5, 5, 12));
    EXPECT_EQ(cursor->Id, a);
    // Moved right: a is not visited again, b and c are in reach.
    ASSERT_TRUE(game->FindNextInCircle(cursor, AllPlayers, 15, 5, 12));
    EXPECT_EQ(cursor->Id, b);
    ASSERT_TRUE(game->FindNextInCircle(cursor, AllPlayers, 15, 5, 12));
    EXPECT_EQ(cursor->Id, c);
    EXPECT_FALSE(game->FindNextInCircle(cursor, AllPlayers, 15, 5, 12));
}

// The circle query as the plain definition has it: every candidate of the
// cell walk, one FindNextInCells call at a time, tested against the circle.
bool ReferenceCircle(const TGame& game, TRegisteredObject*& cursor, TPlayerMask mask, double x, double y,
                     double r) {
    const auto cell = [&](double v, std::int32_t low, std::int32_t high) {
        return FloorClamped(v / game.CellSize, low, high);
    };
    const std::int32_t left = cell(x - r, 0, game.CellCols), top = cell(y - r, 0, game.CellRows);
    const std::int32_t right = cell(x + r, -1, game.CellCols - 1), bottom = cell(y + r, -1, game.CellRows - 1);
    while (game.FindNextInCells(cursor, left, top, right, bottom, mask)) {
        const double dx = cursor->X - x, dy = cursor->Y - y;
        if (dx * dx + dy * dy <= r * r) return true;
    }
    return false;
}

TEST_F(CellGridTest, CircleQueriesAgreeWithTheCellWalkInACrowdWhileTheCentreMoves) {
    // Crowded cells of three players, some units moved after linking (as
    // separation leaves them), found ones pushed, units relinked between
    // queries, centres that move between calls as a unit being pushed does,
    // and radii from zero to several cells.
    SetRandomState(4242);
    std::vector<TControlledUnit*> units;
    for (int i = 0; i < 600; ++i) {
        const auto owner = static_cast<std::uint8_t>(RandomInt(3) + 1);
        units.push_back(&Linked(owner, static_cast<float>(RandomReal() * 99.9),
                                static_cast<float>(RandomReal() * 99.9)));
    }
    for (int i = 0; i < 100; ++i) {
        TControlledUnit& u = *units[static_cast<std::size_t>(RandomInt(600))];
        u.X = std::min(99.9f, static_cast<float>(u.X + RandomReal() * 3));
    }
    int found = 0;
    for (int query = 0; query < 300; ++query) {
        // Units leave their cells for others between queries: lists lose
        // objects from the middle and gain them at the head.
        for (int i = 0; i < 5; ++i) {
            TControlledUnit& u = *units[static_cast<std::size_t>(RandomInt(600))];
            u.X = std::clamp(static_cast<float>(u.X + RandomReal() * 30 - 15), 0.0f, 99.9f);
            u.Y = std::clamp(static_cast<float>(u.Y + RandomReal() * 30 - 15), 0.0f, 99.9f);
            u.UpdateCell();
        }
        const auto mask = static_cast<TPlayerMask>(RandomInt(16) | (query % 3 == 0 ? 0xFFF0 : 0));
        double x = RandomReal() * 110 - 5, y = RandomReal() * 110 - 5;
        const double r = query % 10 == 0 ? 0 : RandomReal() * (query % 2 ? 3 : 25);
        TRegisteredObject* fast = nullptr;
        TRegisteredObject* slow = nullptr;
        for (;;) {
            const bool a = game->FindNextInCircle(fast, mask, x, y, r);
            const bool b = ReferenceCircle(*game, slow, mask, x, y, r);
            ASSERT_EQ(a, b) << "query " << query;
            ASSERT_EQ(fast, slow) << "query " << query;
            if (!a) break;
            ++found;
            // Pushed away as separation does, without relinking.
            if (RandomInt(3) == 0) fast->X = std::min(99.9f, static_cast<float>(fast->X + RandomReal()));
            if (RandomInt(4) == 0) {
                x += RandomReal() * 8 - 4;
                y += RandomReal() * 8 - 4;
            }
        }
    }
    EXPECT_GT(found, 1000) << "the queries found too little to compare";
}

TEST_F(CellGridTest, OneWalkAroundAMovingCentreAgreesWithACallPerNeighbour) {
    // The walk a separating unit makes: the centre and the objects found
    // are moved after each one, sometimes across cell borders and beyond
    // the map's edge, never relinked. The one-loop walk must visit what a
    // FindNextInCircle call per neighbour with the centre re-read visits,
    // and leave every position the same.
    SetRandomState(777);
    std::vector<TControlledUnit*> units;
    for (int i = 0; i < 500; ++i) {
        const auto owner = static_cast<std::uint8_t>(RandomInt(3) + 1);
        units.push_back(&Linked(owner, static_cast<float>(RandomReal() * 99.9),
                                static_cast<float>(RandomReal() * 99.9)));
    }
    // Deterministic moves by the query and the number of objects seen.
    auto move = [](int query, int step, TSprite& centre, TRegisteredObject& found) {
        const int k = (query * 31 + step * 7) % 11;
        if (k < 4) found.X = static_cast<float>(found.X + 0.3 * (k - 1.5));
        if (k == 5) centre.X = static_cast<float>(centre.X + (query % 2 ? 4.5 : -4.5));
        if (k == 6) centre.Y = static_cast<float>(centre.Y + (query % 3 ? 3.5 : -6.0));
        if (k == 7 && query % 5 == 0) centre.X = -9.0f;  // the rectangle becomes empty
    };
    int seen = 0;
    for (int query = 0; query < 200; ++query) {
        const auto mask = static_cast<TPlayerMask>(query % 4 == 0 ? AllPlayers : RandomInt(16));
        const double r = query % 3 == 0 ? 2 : RandomReal() * 12;
        const float cx = static_cast<float>(RandomReal() * 100), cy = static_cast<float>(RandomReal() * 100);
        std::vector<std::pair<float, float>> start;
        for (const auto* u : units) start.emplace_back(u->X, u->Y);
        auto restore = [&] {
            for (std::size_t i = 0; i < units.size(); ++i) std::tie(units[i]->X, units[i]->Y) = start[i];
        };

        TSprite centre;
        centre.X = cx;
        centre.Y = cy;
        Ids walked;
        game->ForEachInCircle(mask, centre, r, [&](TRegisteredObject& o) {
            walked.push_back(o.Id);
            move(query, static_cast<int>(walked.size()), centre, o);
        });
        std::vector<std::pair<float, float>> after;
        for (const auto* u : units) after.emplace_back(u->X, u->Y);
        const std::pair<float, float> centreAfter{centre.X, centre.Y};

        restore();
        centre.X = cx;
        centre.Y = cy;
        Ids called;
        TRegisteredObject* cursor = nullptr;
        while (ReferenceCircle(*game, cursor, mask, centre.X, centre.Y, r)) {
            called.push_back(cursor->Id);
            move(query, static_cast<int>(called.size()), centre, *cursor);
        }
        ASSERT_EQ(walked, called) << "query " << query;
        for (std::size_t i = 0; i < units.size(); ++i)
            ASSERT_EQ(after[i], std::make_pair(units[i]->X, units[i]->Y)) << "query " << query;
        ASSERT_EQ(centreAfter, std::make_pair(centre.X, centre.Y)) << "query " << query;
        seen += static_cast<int>(walked.size());
        restore();
    }
    EXPECT_GT(seen, 500) << "the walks found too little to compare";
}

TEST_F(CellGridTest, WhatAQueryReadsOfACandidateSharesOneCacheLine) {
    // A field added in the wrong place of the hierarchy doubles the lines a
    // crowded query pulls in: position, owner, radius and cell links must
    // stay together, and a controlled unit in three whole lines.
    const TControlledUnit& u = Linked(1, 5, 5);
    const auto line = [](const void* p) { return reinterpret_cast<std::uintptr_t>(p) / 64; };
    const auto first = line(&u.X);
    for (const void* field : {static_cast<const void*>(&u.Y), static_cast<const void*>(&u.Owner),
                              static_cast<const void*>(&u.Radius), static_cast<const void*>(&u.NextInCell),
                              static_cast<const void*>(&u.CellX), static_cast<const void*>(&u.CellY)})
        EXPECT_EQ(line(field), first);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(&u) % 64, 0u);
    EXPECT_EQ(sizeof(TControlledUnit), 192u);
}

TEST_F(CellGridTest, RepeatedCentresWithOtherRadiiOrMasksAreNotMistakenForTheLastQuery) {
    const auto near = Linked(1, 50, 50).Id;
    const auto far = Linked(1, 71, 50).Id;
    const auto other = Linked(2, 50, 51).Id;
    EXPECT_EQ(Circle(AllPlayers, 50, 50, 3), (Ids{near, other}));
    EXPECT_EQ(Circle(AllPlayers, 50, 50, 25), (Ids{near, far, other}));
    EXPECT_EQ(Circle(AllPlayers, 50, 50, 3), (Ids{near, other}));
    EXPECT_EQ(Circle(1u << 2, 50, 50, 25), (Ids{other}));
}

TEST(MapUnitsTest, FloorAndCeilAgreeWithTheLibraryAcrossTheRangeAndBeyond) {
    const double big = 2147483648.0;
    const double values[] = {0.0,   -0.0,  0.5,   -0.5,  1.0,       -1.0,      9.999999,  -9.999999,
                             10.0,  -10.0, 1e-300, -1e-300, big - 1, big - 0.5, big,      -big,
                             -big + 0.5, -big - 0.5, 1e12, -1e12, std::nextafter(3.0, 0.0), std::nextafter(-3.0, 0.0)};
    for (const double v : values) {
        const double f = std::floor(v), c = std::ceil(v);
        EXPECT_EQ(FloorClamped(v, -5, 5), static_cast<std::int32_t>(std::clamp(f, -5.0, 5.0))) << v;
        EXPECT_EQ(CeilClamped(v, -5, 5), static_cast<std::int32_t>(std::clamp(c, -5.0, 5.0))) << v;
        EXPECT_EQ(FloorClamped(v, INT32_MIN, INT32_MAX),
                  static_cast<std::int32_t>(std::clamp(f, -big, big - 1)))
            << v;
        if (f >= -big && f <= big - 1)
            EXPECT_EQ(FloorToInt(v), static_cast<std::int32_t>(f)) << v;
        else
            EXPECT_THROW(FloorToInt(v), ERangeError) << v;
    }
    const double nan = std::nan("");
    EXPECT_EQ(FloorClamped(nan, 3, 9), 3);
    EXPECT_EQ(CeilClamped(nan, 3, 9), 3);
    EXPECT_THROW(FloorToInt(nan), ERangeError);
}

}  // namespace
}  // namespace orbitfall
