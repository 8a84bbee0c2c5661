#include "simulation/weapon.h"

#include <gtest/gtest.h>

#include "simulation/shot.h"
#include "tests/simulation/small_game.h"

namespace orbitfall {
namespace {

using small_game::SmallGameTest;
using namespace small_game;

class WeaponTest : public SmallGameTest {
protected:
    // Shots created in the last step have not moved yet: they sit on their shooter.
    int FreshShotsOf(const TControlledUnit& shooter) const {
        int n = 0;
        for (TShot* s : ObjectsOf<TShot>())
            if (s->X == shooter.X && s->Y == shooter.Y) ++n;
        return n;
    }
};

TEST_F(WeaponTest, TargetIsTheUnitOfTheLowestPlayerIndex) {
    // Targets are created first so that they are linked when the gunner looks.
    TControlledUnit& p3 = AddUnit(3, 21, 20, ttTarget);
    TControlledUnit& p1 = AddUnit(1, 23, 20, ttTarget);
    TControlledUnit& own = AddUnit(2, 20, 21, ttTarget);
    TControlledUnit& gunner = AddUnit(2, 20, 20, ttGunner);
    Step();
    const auto shots = ObjectsOf<TShot>();
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0]->TargetId, p1.Id);
    EXPECT_NE(shots[0]->TargetId, p3.Id);
    EXPECT_NE(shots[0]->TargetId, own.Id);
    EXPECT_EQ(shots[0]->Owner, 2);
    EXPECT_EQ(shots[0]->Speed, 1.0f);
    EXPECT_EQ(gunner.Cooldown, 5);
}

TEST_F(WeaponTest, FiringReportsAnEventMidwayToTheTarget) {
    AddUnit(1, 24, 20, ttTarget);
    AddUnit(2, 20, 22, ttGunner);
    Step();
    const TPlayer& p = game->PlayerAt(2);
    EXPECT_EQ(p.EventPriority, 2);
    EXPECT_EQ(p.EventTime, 10);
    EXPECT_DOUBLE_EQ(p.EventX, 22.0);
    EXPECT_DOUBLE_EQ(p.EventY, 21.0);
}

TEST_F(WeaponTest, CoolDownFiveFiresEveryFifthStep) {
    AddUnit(1, 23, 20, ttTarget);
    TControlledUnit& gunner = AddUnit(2, 20, 20, ttGunner);
    std::vector<int> firedAt;
    for (int step = 1; step <= 12; ++step) {
        Step();
        if (FreshShotsOf(gunner) > 0) firedAt.push_back(step);
    }
    EXPECT_EQ(firedAt, (std::vector<int>{1, 6, 11}));
}

TEST_F(WeaponTest, CoolDownZeroFiresEveryStep) {
    AddUnit(1, 23, 20, ttTarget);
    TControlledUnit& rapid = AddUnit(2, 20, 20, ttRapid);
    for (int step = 1; step <= 4; ++step) {
        Step();
        EXPECT_EQ(FreshShotsOf(rapid), 1) << step;
        EXPECT_EQ(rapid.Cooldown, 0);
    }
}

TEST_F(WeaponTest, NothingInRangeMeansNoShotAndNoCoolDown) {
    AddUnit(1, 25.1f, 20, ttTarget);  // 5.1 away, range 5
    TControlledUnit& gunner = AddUnit(2, 20, 20, ttGunner);
    AddUnit(2, 21, 20, ttTarget);     // own units are never targets
    Step();
    Step();
    EXPECT_TRUE(ObjectsOf<TShot>().empty());
    EXPECT_EQ(gunner.Cooldown, 0);
}

TEST_F(WeaponTest, ADyingUnitFoundFirstBlocksFiringWhileItIsInTheWorld) {
    TControlledUnit& dying = AddUnit(1, 22, 20, ttTarget);
    TControlledUnit& other = AddUnit(3, 21, 20, ttTarget);
    TControlledUnit& gunner = AddUnit(2, 20, 20, ttGunner);
    for (int i = 0; i < 4; ++i) Step();  // fires at player 1 in step 1
    ASSERT_EQ(gunner.Cooldown, 2);
    dying.Die();
    ASSERT_FALSE(dying.Alive);
    const std::int32_t dyingId = dying.Id;
    // Steps 5 to 7: the dying unit stays linked (marked dead in step 7) and is
    // found first, so the ready gunner holds fire in steps 6 and 7.
    for (int step = 5; step <= 7; ++step) {
        Step();
        EXPECT_EQ(FreshShotsOf(gunner), 0) << step;
    }
    ASSERT_EQ(game->ObjectById(dyingId), nullptr);
    Step();
    ASSERT_EQ(FreshShotsOf(gunner), 1);
    for (TShot* s : ObjectsOf<TShot>()) {
        if (s->X == gunner.X && s->Y == gunner.Y) {
            EXPECT_EQ(s->TargetId, other.Id);
        }
    }
}

TEST_F(WeaponTest, TypesWithoutWeaponOrShotNeverFire) {
    AddUnit(1, 21, 20, ttTarget);
    TControlledUnit& unarmed = AddUnit(2, 20, 20, ttTarget);
    TControlledUnit& shotless = AddUnit(3, 20, 21, ttShotless);
    for (int i = 0; i < 3; ++i) Step();
    EXPECT_TRUE(ObjectsOf<TShot>().empty());
    EXPECT_EQ(unarmed.Cooldown, 0);
    EXPECT_EQ(shotless.Cooldown, 0);
}

TEST_F(WeaponTest, ArmourDamageOfTheFileIsReplacedByOne) {
    TControlledUnit& target = AddUnit(1, 20.5f, 20, ttTarget);
    AddUnit(2, 20, 20, ttRapid);
    const TShotDesc& desc = game->UnitTypes[ttRapid]->Weapons[0].Shots[0];
    ASSERT_EQ(desc.Damage.Armor.Damage, 7.0f);
    Step();
    EXPECT_EQ(desc.Damage.Armor.Damage, 1.0f);
    const auto shots = ObjectsOf<TShot>();
    ASSERT_EQ(shots.size(), 1u);
    // The rest of the record is copied as loaded.
    EXPECT_EQ(shots[0]->DamageInfo.Armor.Damage, 1.0f);
    EXPECT_EQ(shots[0]->DamageInfo.Armor.Power, 4.0f);
    EXPECT_EQ(shots[0]->DamageInfo.Shield.Damage, 5.0f);
    EXPECT_EQ(shots[0]->DamageInfo.Shield.SplashRadius, 2.0f);
    for (int i = 0; i < 5 && target.HitPoints == 10.0f; ++i) Step();
    EXPECT_EQ(target.HitPoints, 9.0f);
}

TEST_F(WeaponTest, TheTenthHitDestroysAUnitOfTenHitPoints) {
    TControlledUnit& target = AddUnit(1, 21.5f, 20, ttTarget);
    AddUnit(2, 20, 20, ttRapid);
    float last = target.HitPoints;
    for (int step = 1; step <= 30 && target.Alive; ++step) {
        last = target.HitPoints;
        Step();
        // One hit of 1.0 at most per step: one shot is fired per step.
        EXPECT_TRUE(target.HitPoints == last || target.HitPoints == last - 1.0f) << step;
    }
    EXPECT_FALSE(target.Alive);
    EXPECT_EQ(last, 1.0f);
    EXPECT_EQ(target.HitPoints, 0.0f);
}

}  // namespace
}  // namespace orbitfall
