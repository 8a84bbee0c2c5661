#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "infra/errors.h"
#include "simulation/command.h"
#include "tests/simulation/test_world.h"

namespace orbitfall {
namespace {

TCommand SelectRect(std::uint8_t player, float x1, float y1, float x2, float y2, bool add = false) {
    TCommand c;
    c.Kind = ckSelectRect;
    c.Player = player;
    c.Flags = add ? cfAddToSelection : 0;
    c.SetFloat(0, x1);
    c.SetFloat(1, y1);
    c.SetFloat(2, x2);
    c.SetFloat(3, y2);
    return c;
}

TCommand SelectAll(std::uint8_t player) {
    TCommand c;
    c.Kind = ckSelectAll;
    c.Player = player;
    return c;
}

TCommand MoveTo(std::uint8_t player, float x, float y, std::int32_t p0 = 0) {
    TCommand c;
    c.Kind = ckMove;
    c.Player = player;
    c.SetInt(0, p0);
    c.SetFloat(1, x);
    c.SetFloat(2, y);
    return c;
}

using Ids = std::vector<std::int32_t>;

TEST(CommandRecord, IsTwentyThreePackedLittleEndianBytes) {
    TCommand c;
    c.Kind = 4;
    c.Flags = 1;
    c.Player = 2;
    c.Frame = 0x01020304;
    c.SetInt(0, -2);
    c.SetFloat(1, 1.5f);
    unsigned char bytes[sizeof(TCommand)];
    std::memcpy(bytes, &c, sizeof bytes);
    EXPECT_EQ(sizeof(TCommand), 23u);
    EXPECT_EQ(offsetof(TCommand, Frame), 3u);
    EXPECT_EQ(offsetof(TCommand, Payload), 7u);
    const unsigned char head[] = {4, 1, 2, 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC0, 0x3F};
    EXPECT_EQ(std::memcmp(bytes, head, sizeof head), 0);
    EXPECT_EQ(c.IntAt(0), -2);
    EXPECT_EQ(c.FloatAt(1), 1.5f);
}

class GameStepTest : public testing::WorldTest {
protected:
    void SetUp() override { MakeGame(100, 100, 2); }
};

TEST_F(GameStepTest, AUnitHalfAUnitFromItsTargetArrivesInOneStep) {
    TControlledUnit& u = AddUnit(1, 10, 10);  // Acc 1, MaxSpeed 2, DeAcc 1
    game->ExecuteCommand(SelectAll(1));
    game->ExecuteCommand(MoveTo(1, 10.5f, 10));
    EXPECT_TRUE(u.Ordered);
    Step();
    EXPECT_FALSE(u.Ordered);
    EXPECT_EQ(u.X, 10.5f);
    EXPECT_EQ(u.Y, 10.0f);
    EXPECT_EQ(u.Speed, 0.0f);
    const TPlayer& owner = game->PlayerAt(1);
    EXPECT_EQ(owner.EventPriority, 1);
    EXPECT_EQ(owner.EventTime, 5);
    EXPECT_EQ(owner.EventX, 10.5);
}

TEST_F(GameStepTest, AUnitOrderedBehindItselfFliesAnArc) {
    TControlledUnit& u = AddUnit(1, 50, 50, 1);  // Acc 0.05, MaxSpeed 0.5
    u.Angle = 0;
    game->ExecuteCommand(SelectAll(1));
    game->ExecuteCommand(MoveTo(1, 30, 50.5f));
    Step();
    EXPECT_NEAR(u.Angle, 0.2, 1e-6) << "at most 0.2 radians per step";
    EXPECT_NEAR(u.Speed, 0.05, 1e-7);
    const float x1 = u.X;
    Step();
    EXPECT_NEAR(u.Angle, 0.4, 1e-6);
    EXPECT_GT(u.X, x1) << "still moving forward along the turning heading";
    EXPECT_GT(u.Y, 50.0f);
}

TEST_F(GameStepTest, OverlappingUnitsArePushedApartByHalfTheOverlapEach) {
    TControlledUnit& a = AddUnit(1, 10, 10);  // radius 1
    TControlledUnit& b = AddUnit(2, 11.5f, 10);
    a.UpdateCell();
    b.UpdateCell();
    a.DoMove();
    const double d = 1.5001;
    const double k = (2 - d) / 2;
    const double dx = (1.5 + 0.00001) / d * k;
    const double dy = 0.00001 / d * k;
    EXPECT_FLOAT_EQ(a.X, static_cast<float>(10 - dx));
    EXPECT_FLOAT_EQ(b.X, static_cast<float>(11.5 + dx));
    EXPECT_FLOAT_EQ(a.Y, static_cast<float>(10 - dy));
    EXPECT_FLOAT_EQ(b.Y, static_cast<float>(10 + dy));
    EXPECT_NEAR(b.X - a.X, 2.0, 1e-3);
}

TEST_F(GameStepTest, OnlyPairsWithinTheSumOfRadiiPlusTheSmallOffsetArePushed) {
    // Radius 1 each, so s = 2; a pair is pushed when sqrt(q) + 0.0001 <= 2.
    // Gaps just inside and just outside that edge, and some beyond it by the
    // squared distance alone, each pair far from the others.
    const float gaps[] = {1.9997f, 1.99985f, 1.99995f, 2.0f, 2.0005f, 2.0012f, 2.5f, 3.9f};
    std::vector<std::pair<TControlledUnit*, TControlledUnit*>> pairs;
    float y = 5;
    for (float gap : gaps) {
        TControlledUnit& a = AddUnit(1, 10, y);
        TControlledUnit& b = AddUnit(2, 10 + gap, y);
        a.UpdateCell();
        b.UpdateCell();
        pairs.emplace_back(&a, &b);
        y += 10;
    }
    for (auto [a, b] : pairs) {
        const float bx = b->X;
        const double q = (static_cast<double>(bx) - a->X) * (static_cast<double>(bx) - a->X);
        const bool touching = 2.0 >= std::sqrt(q) + 0.0001;
        a->DoMove();
        EXPECT_EQ(b->X != bx, touching) << "gap " << bx - 10;
    }
    EXPECT_NE(pairs[1].second->X, 10 + gaps[1]) << "a pair inside the edge must be pushed";
    EXPECT_EQ(pairs[4].second->X, 10 + gaps[4]) << "a pair beyond it must not";
}

TEST_F(GameStepTest, UnitsOnTheSameSpotPartAlongTheDiagonal) {
    TControlledUnit& a = AddUnit(1, 20, 20);
    TControlledUnit& b = AddUnit(1, 20, 20);
    a.UpdateCell();
    b.UpdateCell();
    a.DoMove();
    EXPECT_GT(b.X, 20.0f);
    EXPECT_EQ(b.X - 20.0f, b.Y - 20.0f);
    EXPECT_EQ(a.X - 20.0f, a.Y - 20.0f);
    EXPECT_LT(a.X, 20.0f);
}

TEST_F(GameStepTest, SelectRectTakesOnlyTheIssuersUnitsAndAcceptsSwappedCorners) {
    const auto in1 = AddUnit(1, 20, 20).Id;
    const auto in2 = AddUnit(1, 30, 25).Id;
    AddUnit(1, 50, 50);
    AddUnit(2, 25, 22);
    Step();
    TPlayer& p = game->PlayerAt(1);
    const float corners[][4] = {{15, 15, 35, 30}, {35, 30, 15, 15}, {35, 15, 15, 30}, {15, 30, 35, 15}};
    for (const auto& c : corners) {
        game->ExecuteCommand(SelectRect(1, c[0], c[1], c[2], c[3]));
        std::vector<std::int32_t> sorted = p.Selection;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, (Ids{in1, in2})) << c[0] << "," << c[1] << "," << c[2] << "," << c[3];
    }
}

TEST_F(GameStepTest, SelectRectAddingKeepsTheSelectionAndListsEachUnitOnce) {
    const auto a = AddUnit(1, 20, 20).Id;
    const auto b = AddUnit(1, 60, 60).Id;
    Step();
    TPlayer& p = game->PlayerAt(1);
    game->ExecuteCommand(SelectRect(1, 15, 15, 25, 25));
    game->ExecuteCommand(SelectRect(1, 15, 15, 65, 65, true));
    EXPECT_EQ(p.Selection, (Ids{a, b}));
    game->ExecuteCommand(SelectRect(1, 55, 55, 65, 65));
    EXPECT_EQ(p.Selection, (Ids{b}));
}

// Adding the whole map to the selection 255 times a frame grew every
// machine's selection without end (and every move with it).
TEST_F(GameStepTest, UnboundedSelectionGrowthFromRepeatedSelectAdd) {
    Ids all;
    for (int i = 0; i < 30; ++i) all.push_back(AddUnit(1, 5.0f + 3 * i, 50).Id);
    AddUnit(2, 50, 20);
    Step();
    TPlayer& p = game->PlayerAt(1);
    p.Selection = {all[3]};  // selected before, stays first
    for (int frame = 0; frame < 4; ++frame)
        for (int i = 0; i < 255; ++i) game->ExecuteCommand(SelectRect(1, 0, 0, 100, 100, true));
    ASSERT_EQ(p.Selection.size(), all.size());
    EXPECT_EQ(p.Selection[0], all[3]);
    Ids sorted = p.Selection;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, all);
    // Every unit is still ordered by a move, once.
    game->ExecuteCommand(MoveTo(1, 90, 90));
    for (std::int32_t id : all) EXPECT_TRUE(dynamic_cast<TControlledUnit&>(*game->ObjectById(id)).Ordered);
}

TEST_F(GameStepTest, SelectAllListsThePlayersControlledUnitsInChildOrder) {
    const auto a = AddUnit(1, 20, 20).Id;
    AddUnit(2, 20, 20);
    const auto c = AddUnit(1, 80, 80).Id;
    game->ExecuteCommand(SelectAll(1));
    EXPECT_EQ(game->PlayerAt(1).Selection, (Ids{a, c}));
    game->PlayerAt(0).Selection = {a};
    game->ExecuteCommand(SelectAll(0));
    EXPECT_TRUE(game->PlayerAt(0).Selection.empty());
}

TEST_F(GameStepTest, MoveSkipsFreedUnitsAndOrdersTheRest) {
    TControlledUnit& a = AddUnit(1, 20, 20);
    TControlledUnit& b = AddUnit(1, 30, 30);
    game->ExecuteCommand(SelectAll(1));
    a.Destroy();
    game->ExecuteCommand(MoveTo(1, 70, 60));
    EXPECT_TRUE(b.Ordered);
    EXPECT_EQ(b.TargetX, 70.0);
    EXPECT_EQ(b.TargetY, 60.0);
}

TEST_F(GameStepTest, CommandsOutsideTheirRangeAreRangeErrors) {
    TControlledUnit& u = AddUnit(1, 20, 20);
    game->ExecuteCommand(SelectAll(1));
    EXPECT_THROW(game->ExecuteCommand(MoveTo(1, 5, 5, -1)), ERangeError);
    EXPECT_THROW(game->ExecuteCommand(MoveTo(1, std::nanf(""), 5)), ERangeError);
    EXPECT_FALSE(u.Ordered);
    // A box of non-numbers or beyond any range selects nothing and harms nothing.
    game->ExecuteCommand(SelectRect(1, std::nanf(""), 0, 1e30f, -1e30f));
    EXPECT_TRUE(game->PlayerAt(1).Selection.empty());
    EXPECT_THROW(game->ExecuteCommand(SelectAll(3)), ERangeError);
    EXPECT_THROW(game->ExecuteCommand(SelectRect(200, 0, 0, 10, 10)), ERangeError);
    TCommand other;
    other.Kind = 9;
    other.Player = 3;
    EXPECT_THROW(game->ExecuteCommand(other), ERangeError);
    other.Player = 2;
    const std::uint32_t before = game->Checksum();
    game->ExecuteCommand(other);
    other.Kind = 2;
    game->ExecuteCommand(other);
    EXPECT_EQ(game->Checksum(), before);
}

// A host drops what the game would refuse, so the two must agree.
TEST_F(GameStepTest, AcceptsCommandAgreesWithExecuteCommand) {
    AddUnit(1, 20, 20);
    game->ExecuteCommand(SelectAll(1));
    TCommand kindNine;
    kindNine.Kind = 9;
    kindNine.Player = 2;
    TCommand kindNineOutside = kindNine;
    kindNineOutside.Player = 3;
    const TCommand commands[] = {
        MoveTo(1, 5, 5),        MoveTo(1, 5, 5, -1),      MoveTo(1, std::nanf(""), 5),
        MoveTo(1, 5, std::nanf("")), MoveTo(1, 1e30f, -1e30f), SelectAll(1),
        SelectAll(3),           SelectRect(1, 0, 0, 10, 10), SelectRect(200, 0, 0, 10, 10),
        kindNine,               kindNineOutside,
    };
    for (const TCommand& c : commands) {
        bool executed = true;
        try {
            game->ExecuteCommand(c);
        } catch (const ERangeError&) {
            executed = false;
        }
        EXPECT_EQ(game->AcceptsCommand(c), executed)
            << "kind " << int(c.Kind) << " player " << int(c.Player) << " p0 " << c.IntAt(0);
    }
}

TEST_F(GameStepTest, ChecksumOfAnEmptyGameIsTheSeed) { EXPECT_EQ(game->Checksum(), 0x41424344u); }

TEST_F(GameStepTest, ChecksumAddsPositionsOwnerAndHitPoints) {
    TControlledUnit& u = AddUnit(2, 12.25f, 7.5f);
    auto bits = [](float f) {
        std::uint32_t b;
        std::memcpy(&b, &f, 4);
        return b;
    };
    const std::uint32_t k = 0xA3B93F7C;
    std::uint32_t expected = 0x41424344u;
    expected += bits(12.25f) ^ k;
    expected += bits(7.5f) ^ k;
    expected += 2u ^ k;
    expected += bits(10.0f) ^ k;
    EXPECT_EQ(game->Checksum(), expected);
    u.Damage(1, 0);
    EXPECT_NE(game->Checksum(), expected);
}

TEST_F(GameStepTest, ADestroyedUnitStaysTwoStepsAndIsFreedInTheThird) {
    TControlledUnit& u = AddUnit(1, 20, 20);
    const auto id = u.Id;
    Step();
    u.Damage(5, 0);
    u.Damage(5, 0);
    EXPECT_FALSE(u.Alive);
    u.Damage(5, 0);  // a second death does nothing
    EXPECT_EQ(game->PlayerAt(1).EventPriority, 3);
    Step();
    Step();
    EXPECT_EQ(game->ObjectById(id), &u);
    Step();
    EXPECT_EQ(game->ObjectById(id), nullptr);
    const auto next = AddUnit(1, 5, 5).Id;
    EXPECT_EQ(next, id + 1) << "identifiers are never reused";
}

TEST_F(GameStepTest, PositionsAreClampedJustInsideTheMap) {
    TControlledUnit& u = AddUnit(1, 100, -3);
    Step();
    EXPECT_EQ(u.X, static_cast<float>(100 - 0.001));
    EXPECT_EQ(u.Y, 0.0f);
    EXPECT_EQ(u.CellX, 9);
}

TEST_F(GameStepTest, EventPriorityAndDurationDecideWhichReportIsKept) {
    struct Case {
        std::uint8_t time, priority, newPriority;
        bool taken;
    } cases[] = {{0, 3, 1, true}, {4, 2, 2, false}, {4, 2, 1, false}, {4, 2, 3, true}};
    for (const auto& c : cases) {
        TPlayer& p = game->PlayerAt(2);
        p.EventTime = c.time;
        p.EventPriority = c.priority;
        p.EventX = 0;
        p.ReportEvent(c.newPriority, 7, 1.5, 2.5);
        EXPECT_EQ(p.EventX == 1.5, c.taken) << int(c.time) << " " << int(c.priority) << " " << int(c.newPriority);
        EXPECT_EQ(p.EventTime, c.taken ? 7 : c.time);
    }
}

}  // namespace
}  // namespace orbitfall
