#include "simulation/shot.h"

#include <gtest/gtest.h>

#include "simulation/explosion.h"
#include "tests/simulation/recording_draw_context.h"
#include "tests/simulation/small_game.h"

namespace orbitfall {
namespace {

using namespace small_game;

class ShotTest : public SmallGameTest {
protected:
    TShot& Fire(TControlledUnit& from, Tunit& at) {
        TDamageDesc damage;
        damage.Armor.Damage = 1.0f;
        damage.Armor.Power = 3.0f;
        return NewGameObject<TShot>(from, at, 1.0f, damage);
    }
};

TEST_F(ShotTest, StartsAtTheShooterForItsOwner) {
    TControlledUnit& shooter = AddUnit(2, 10, 12, ttTarget);
    TControlledUnit& target = AddUnit(1, 30, 12, ttTarget);
    TShot& shot = Fire(shooter, target);
    EXPECT_EQ(shot.X, 10.0f);
    EXPECT_EQ(shot.Y, 12.0f);
    EXPECT_EQ(shot.Owner, 2);
    EXPECT_EQ(shot.TargetId, target.Id);
    EXPECT_EQ(shot.Radius, 0.0f);
    EXPECT_EQ(shot.Angle, 0.0f);
    EXPECT_EQ(shot.DamageInfo.Armor.Power, 3.0f);
}

TEST_F(ShotTest, FromFiveAndAHalfAwayItHitsInItsSixthStep) {
    TControlledUnit& shooter = AddUnit(2, 10, 10, ttTarget);
    TControlledUnit& target = AddUnit(1, 15.5f, 10, ttTarget);
    TShot& shot = Fire(shooter, target);
    for (int step = 1; step <= 5; ++step) {
        Step();
        ASSERT_EQ(ObjectsOf<TShot>().size(), 1u) << step;
        EXPECT_FLOAT_EQ(shot.X, 10.0f + step) << step;
        EXPECT_EQ(target.HitPoints, 10.0f) << step;
    }
    Step();
    EXPECT_EQ(target.HitPoints, 9.0f);
    EXPECT_TRUE(ObjectsOf<TShot>().empty());
}

TEST_F(ShotTest, HomesOnTheTargetsCurrentPosition) {
    TControlledUnit& shooter = AddUnit(2, 10, 10, ttTarget);
    TControlledUnit& target = AddUnit(1, 10, 20, ttTarget);
    TShot& shot = Fire(shooter, target);
    Step();
    EXPECT_NEAR(shot.X, 10.0f, 1e-6);
    EXPECT_NEAR(shot.Y, 11.0f, 1e-6);
    target.X = 20;  // moved away sideways
    target.Y = 11;
    Step();
    EXPECT_NEAR(shot.X, 11.0f, 1e-6);
    EXPECT_NEAR(shot.Y, 11.0f, 1e-6);
}

TEST_F(ShotTest, ATargetFreedOnTheWayEndsTheShotWithoutDamage) {
    TControlledUnit& shooter = AddUnit(2, 10, 10, ttTarget);
    TControlledUnit& target = AddUnit(1, 20, 10, ttTarget);
    TControlledUnit& bystander = AddUnit(1, 12, 10, ttTarget);
    Fire(shooter, target);
    Step();
    target.MarkDead();
    game->Dead();
    Step();
    EXPECT_TRUE(ObjectsOf<TShot>().empty());
    EXPECT_EQ(shooter.HitPoints, 10.0f);
    EXPECT_EQ(bystander.HitPoints, 10.0f);
}

TEST_F(ShotTest, ADyingTargetIsStillChasedAndHitButDiesOnce) {
    TControlledUnit& shooter = AddUnit(2, 10, 10, ttTarget);
    TControlledUnit& target = AddUnit(1, 11.5f, 10, ttTarget);
    target.HitPoints = 1.0f;
    Fire(shooter, target);
    Fire(shooter, target);
    Step();  // both move to 11
    Step();  // both hit: the first destroys, the second only takes hit points
    EXPECT_FALSE(target.Alive);
    EXPECT_EQ(target.HitPoints, -1.0f);
    EXPECT_EQ(ObjectsOf<TExplosion>().size(), 1u);
}

TEST_F(ShotTest, OneHitDestroysAUnitWithOneHitPoint) {
    TControlledUnit& shooter = AddUnit(2, 10, 10, ttTarget);
    TControlledUnit& target = AddUnit(1, 11.6f, 10, ttTarget);
    target.HitPoints = 1.0f;
    Fire(shooter, target);
    Step();
    ASSERT_TRUE(target.Alive);
    Step();
    EXPECT_EQ(target.HitPoints, 0.0f);
    EXPECT_FALSE(target.Alive);
}

TEST_F(ShotTest, IsDrawnOnlyInsideTheViewRectangleAndWhereSeenNow) {
    TControlledUnit& shooter = AddUnit(1, 10, 10, ttTarget);  // the local player watches
    TControlledUnit& target = AddUnit(2, 13, 10, ttTarget);
    Step();
    Fire(shooter, target).X = 10.5f;
    orbitfall::testing::RecordingDrawContext dc;
    const struct {
        TViewRect rect;
        bool drawn;
    } cases[] = {{{10.5, 10, 20, 20}, true}, {{0, 0, 10.5, 10}, true}, {{10.6, 0, 20, 20}, false},
                 {{0, 0, 10.4, 20}, false},  {{0, 10.1, 20, 20}, false}};
    for (const auto& c : cases) {
        dc.Rect = c.rect;
        dc.Calls.clear();
        game->Engine->Draw(dc);
        game->Engine->AlphaDraw(dc);
        EXPECT_EQ(dc.Named("DrawShotModel").size(), c.drawn ? 1u : 0u) << c.rect.Left << " " << c.rect.Top;
    }
    dc.Rect = {0, 0, 50, 50};
    dc.Calls.clear();
    game->Engine->Draw(dc);
    game->Engine->AlphaDraw(dc);
    const std::vector<std::string> expected{"PushMatrix", "Translate(10.5,10,0)", "Rotate(0,0,0,1)",
                                            "DrawShotModel", "PopMatrix"};
    ASSERT_GE(dc.Calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(dc.Calls.end() - expected.size(), dc.Calls.end()), expected);

    game->LocalPlayer->SightMap(10, 10) = 1;  // explored only: a shot there is hidden
    dc.Calls.clear();
    game->Engine->Draw(dc);
    game->Engine->AlphaDraw(dc);
    EXPECT_TRUE(dc.Named("DrawShotModel").empty());
}

}  // namespace
}  // namespace orbitfall
