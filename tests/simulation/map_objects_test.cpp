#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "infra/random.h"
#include "simulation/crystal_moon.h"
#include "simulation/explosion.h"
#include "simulation/nebula.h"
#include "simulation/shot.h"
#include "tests/simulation/recording_draw_context.h"
#include "tests/simulation/small_game.h"

namespace orbitfall {
namespace {

using namespace small_game;
using orbitfall::testing::RecordingDrawContext;

// The generator's rule, written out independently of infra/random.
struct TDraws {
    std::uint32_t s;
    void Advance() { s = s * 134775813u + 1u; }
    double Real() {
        Advance();
        return s * (1.0 / 4294967296.0);
    }
    std::int32_t Int(std::int32_t n) {
        Advance();
        return static_cast<std::int32_t>((static_cast<std::uint64_t>(s) * static_cast<std::uint32_t>(n)) >> 32);
    }
};

class MapObjectsTest : public SmallGameTest {
protected:
    TNebula& AddNebula(float x, float y, float radius) {
        TNebula& n = NewGameObject<TNebula>(*game);
        n.X = x;
        n.Y = y;
        n.Radius = radius;
        n.BaseColor = {0.5f, 0.4f, 0.3f};
        n.ColorVariation = 0.3f;
        return n;
    }

    TCrystalMoon& AddMoon(float x, float y) {
        TCrystalMoon& m = NewGameObject<TCrystalMoon>(*game);
        m.X = x;
        m.Y = y;
        return m;
    }

    void SetLocalSight(int x, int y, std::uint16_t counter) { game->LocalPlayer->SightMap(x, y) = counter; }

    // Both passes of one view.
    void DrawView(RecordingDrawContext& dc) {
        game->Engine->Draw(dc);
        game->Engine->AlphaDraw(dc);
    }
};

TEST_F(MapObjectsTest, NebulaFirstStepDrawsBothTargetsAndFadesFromBlack) {
    TNebula& n = AddNebula(25, 25, 10);
    const std::uint32_t seed = 0x1234567u;
    SetRandomState(seed);
    Step();

    TDraws d{seed};
    float target[3];
    for (int c = 0; c < 3; ++c) target[c] = static_cast<float>(d.Real() * 0.3f + (n.BaseColor[c] - 0.3f / 2.0));
    std::int32_t colorSteps = d.Int(4);
    colorSteps += d.Int(4) + 2;
    double a = d.Real();
    const float driftX = static_cast<float>((a - 1 + d.Real()) * 1.0);
    a = d.Real();
    const float driftY = static_cast<float>((a - 1 + d.Real()) * 1.0);
    std::int32_t driftSteps = 12;
    for (int i = 0; i < 4; ++i) driftSteps += d.Int(12);

    EXPECT_EQ(RandomState(), d.s) << "a nebula's first step makes exactly 13 draws";
    for (int c = 0; c < 3; ++c) {
        EXPECT_FLOAT_EQ(n.TargetColor[c], target[c]) << c;
        EXPECT_FLOAT_EQ(n.Color[c], target[c] / colorSteps) << c;
    }
    EXPECT_EQ(n.ColorSteps, colorSteps - 1);
    EXPECT_FLOAT_EQ(n.DriftTargetX, driftX);
    EXPECT_FLOAT_EQ(n.DriftTargetY, driftY);
    EXPECT_FLOAT_EQ(n.DriftX, driftX / driftSteps);
    EXPECT_FLOAT_EQ(n.DriftY, driftY / driftSteps);
    EXPECT_EQ(n.DriftSteps, driftSteps - 1);
    EXPECT_EQ(n.X, 25.0f);
    EXPECT_EQ(n.Y, 25.0f);
}

TEST_F(MapObjectsTest, LastFadeStepReachesTheTargetAndTheNextDrawsANewOne) {
    TNebula& n = AddNebula(25, 25, 10);
    n.Color = {0.1f, 0.2f, 0.7f};
    n.TargetColor = {0.3f, 0.6f, 0.9f};
    n.ColorSteps = 1;
    n.DriftSteps = 40;
    SetRandomState(99);
    Step();
    EXPECT_EQ(n.Color, n.TargetColor);
    EXPECT_EQ(n.ColorSteps, 0);
    EXPECT_EQ(RandomState(), 99u) << "no draw while both counters run";

    Step();
    TDraws d{99};
    for (int i = 0; i < 5; ++i) d.Advance();
    EXPECT_EQ(RandomState(), d.s) << "a new colour target takes five draws";
    EXPECT_GE(n.ColorSteps, 1);
    EXPECT_LE(n.ColorSteps, 7);
}

TEST_F(MapObjectsTest, NebulaFadesAndDriftsWithinItsBounds) {
    TNebula& n = AddNebula(25, 25, 8);
    SetRandomState(7);
    for (int step = 0; step < 400; ++step) {
        const bool newFade = n.ColorSteps <= 0;
        const bool newDrift = n.DriftSteps <= 0;
        Step();
        if (newFade) {
            EXPECT_GE(n.ColorSteps + 1, 2);
            EXPECT_LE(n.ColorSteps + 1, 8);
        }
        if (newDrift) {
            EXPECT_GE(n.DriftSteps + 1, 12);
            EXPECT_LE(n.DriftSteps + 1, 56);
        }
        for (int c = 0; c < 3; ++c) {
            EXPECT_GE(n.TargetColor[c], n.BaseColor[c] - 0.15f - 1e-6f);
            EXPECT_LT(n.TargetColor[c], n.BaseColor[c] + 0.15f + 1e-6f);
        }
        EXPECT_LE(std::fabs(n.DriftTargetX), 0.8f);
        EXPECT_LE(std::fabs(n.DriftTargetY), 0.8f);
    }
    EXPECT_EQ(n.X, 25.0f);
}

TEST_F(MapObjectsTest, NebulaIsDrawnOnExploredGroundAtItsDriftedPlace) {
    TNebula& n = AddNebula(25.5f, 30.5f, 4);
    n.Color = {0.25f, 0.5f, 0.75f};
    n.DriftX = 0.5f;
    n.DriftY = -0.25f;
    RecordingDrawContext dc;
    DrawView(dc);
    EXPECT_TRUE(dc.Named("DrawShiftedBillboard").empty()) << "never seen: not drawn";

    SetLocalSight(25, 30, 1);
    dc.Matrix[2] = 0.5;
    dc.Matrix[6] = 0.25;
    dc.Matrix[14] = -30;
    DrawView(dc);
    EXPECT_FLOAT_EQ(n.AlphaZ, static_cast<float>(0.5 * 26 + 0.25 * 30.25 - 30 + 2));
    EXPECT_EQ(dc.Calls, (std::vector<std::string>{"BindTexture(1)", "EnableBlending", "SetColor(0.25,0.5,0.75,1)",
                                                  "DrawShiftedBillboard(26,30.25,0,2,4)", "DisableBlending",
                                                  "UnbindTexture(1)"}));
}

TEST_F(MapObjectsTest, ExplosionShowsFourteenFramesAndGoesInTheFifteenth) {
    TControlledUnit& shooter = AddUnit(2, 10, 10, ttTarget);
    TControlledUnit& target = AddUnit(1, 11.6f, 10, ttTarget);
    target.HitPoints = 1;
    TDamageDesc damage;
    damage.Armor.Damage = 1;
    NewGameObject<TShot>(shooter, target, 1.0f, damage);
    Step();
    Step();  // step n: the hit, the explosion is created during the walk
    ASSERT_FALSE(target.Alive);
    for (int frame = 0; frame <= 13; ++frame) {
        const auto explosions = ObjectsOf<TExplosion>();
        ASSERT_EQ(explosions.size(), 1u) << frame;
        EXPECT_EQ(explosions[0]->FrameIndex, frame);
        Step();
    }
    EXPECT_TRUE(ObjectsOf<TExplosion>().empty());
}

TEST_F(MapObjectsTest, ExplosionOfARadiusTwoUnitIsDrawnWithHalfSizeTwo) {
    AddUnit(1, 22, 20, ttTarget);  // keeps the spot in the local player's sight
    TControlledUnit& big = AddUnit(1, 30.25f, 20.5f, ttBig);
    Step();
    big.Damage(10, 0);
    ASSERT_FALSE(big.Alive);
    auto explosions = ObjectsOf<TExplosion>();
    ASSERT_EQ(explosions.size(), 1u);
    TExplosion& e = *explosions[0];
    EXPECT_EQ(e.Radius, 2.0f);
    EXPECT_EQ(e.Owner, 0);
    for (int i = 0; i < 9; ++i) Step();
    ASSERT_EQ(e.FrameIndex, 9);

    RecordingDrawContext dc;
    DrawView(dc);
    const std::vector<std::string> expected{"BindTexture(2)", "EnableBlending", "SetColor(1,1,1,1)",
                                            "SetTextureTransform(0.25,0.5,0.125,0.5)",
                                            "DrawBillboard(30.25,20.5,0,2)", "ResetTextureTransform"};
    ASSERT_GE(dc.Calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(dc.Calls.end() - expected.size(), dc.Calls.end()), expected);
}

TEST_F(MapObjectsTest, ExplosionIsDrawnOnlyWhereSeenNow) {
    TExplosion& e = NewGameObject<TExplosion>(*game, 40.5f, 40.5f, 1.0f);
    SetLocalSight(40, 40, 1);
    RecordingDrawContext dc;
    DrawView(dc);
    EXPECT_TRUE(dc.Named("DrawBillboard").empty());
    SetLocalSight(40, 40, 2);
    DrawView(dc);
    EXPECT_EQ(dc.Named("DrawBillboard"), (std::vector<std::string>{"DrawBillboard(40.5,40.5,0,1)"}));
    EXPECT_EQ(dc.Named("SetTextureTransform"), (std::vector<std::string>{"SetTextureTransform(0,0,0.125,0.5)"}));
    EXPECT_EQ(e.FrameIndex, 0);
}

TEST_F(MapObjectsTest, MoonPushesUnitsOutToItsCircleAlongTheLineFromItsCentre) {
    const struct {
        std::uint8_t owner;
        float dx, dy;
    } cases[] = {{1, 0.6f, 0.8f}, {3, -1.0f, 0.0f}, {2, 0.3f, -0.4f}, {0, -0.05f, -0.05f}};
    std::vector<TControlledUnit*> units;
    for (const auto& c : cases) units.push_back(&AddUnit(c.owner, 20 + c.dx, 20 + c.dy, ttTarget));
    AddMoon(20, 20);
    // Units apart from each other would still overlap; only the moon's step is under test.
    for (auto* u : units) u->Radius = 0;
    Step();
    for (std::size_t i = 0; i < units.size(); ++i) {
        const double dx = units[i]->X - 20.0, dy = units[i]->Y - 20.0;
        const double len = std::hypot(cases[i].dx, cases[i].dy);
        EXPECT_NEAR(std::hypot(dx, dy), 1.5, 1e-5) << i;
        EXPECT_NEAR(dx / 1.5, cases[i].dx / len, 1e-5) << i;
        EXPECT_NEAR(dy / 1.5, cases[i].dy / len, 1e-5) << i;
    }
}

TEST_F(MapObjectsTest, MoonLeavesUnitsOnItsRimAtItsCentreAndBeyondItAlone) {
    TControlledUnit& rimX = AddUnit(1, 21.5f, 20, ttTarget);
    TControlledUnit& rimY = AddUnit(2, 20, 18.5f, ttTarget);
    TControlledUnit& centre = AddUnit(3, 20, 20, ttTarget);
    TControlledUnit& outside = AddUnit(1, 18.49f, 20, ttTarget);
    for (auto* u : {&rimX, &rimY, &centre, &outside}) u->Radius = 0;
    AddMoon(20, 20);
    Step();
    EXPECT_EQ(rimX.X, 21.5f);
    EXPECT_EQ(rimX.Y, 20.0f);
    EXPECT_EQ(rimY.X, 20.0f);
    EXPECT_EQ(rimY.Y, 18.5f);
    EXPECT_EQ(centre.X, 20.0f);
    EXPECT_EQ(centre.Y, 20.0f);
    EXPECT_EQ(outside.X, 18.49f);
}

TEST_F(MapObjectsTest, MoonSpinsHasRadiusOneAndAnIdButIsNeverFound) {
    AddUnit(1, 30, 30, ttTarget);
    TCrystalMoon& moon = AddMoon(40, 40);
    EXPECT_EQ(moon.Radius, 1.0f);
    EXPECT_EQ(moon.Owner, 0);
    EXPECT_EQ(moon.Id, 2);
    EXPECT_EQ(game->ObjectById(2), &moon);
    moon.Selected = true;
    Step();
    Step();
    EXPECT_FALSE(moon.Selected);
    EXPECT_FLOAT_EQ(moon.Angle, -0.02f);
    TRegisteredObject* cursor = nullptr;
    EXPECT_FALSE(game->FindNextInCircle(cursor, AllPlayers, 40, 40, 3));
}

TEST_F(MapObjectsTest, MoonIsDimmedOnExploredGroundAndBrightWhereWatched) {
    TCrystalMoon& moon = AddMoon(10.5f, 5.5f);
    moon.Angle = static_cast<float>(-0.5);
    RecordingDrawContext dc;
    DrawView(dc);
    EXPECT_TRUE(dc.Calls.empty()) << "never seen: not drawn";

    SetLocalSight(10, 5, 1);
    DrawView(dc);
    EXPECT_EQ(dc.Named("SetColor"),
              (std::vector<std::string>{"SetColor(0.5,0.5,0.5,1)", "SetColor(0.1,0.05,0.5,0.7)"}));
    EXPECT_EQ(dc.Named("DrawHalo"), (std::vector<std::string>{"DrawHalo(10.5,5.5,0,1.6)"}));
    EXPECT_EQ(dc.Named("Scale"), std::vector<std::string>{}) << "radius 1 is not scaled";

    dc.Calls.clear();
    SetLocalSight(10, 5, 3);
    moon.Radius = 2;
    DrawView(dc);
    EXPECT_EQ(dc.Calls[0], "PushMatrix");
    EXPECT_EQ(dc.Calls[1], "Translate(10.5,5.5,0)");
    EXPECT_EQ(dc.Calls[2].rfind("Rotate(-28.64", 0), 0u) << dc.Calls[2];
    EXPECT_EQ(dc.Calls[3], "Scale(2,2,2)");
    EXPECT_EQ(std::vector<std::string>(dc.Calls.begin() + 4, dc.Calls.end()),
              (std::vector<std::string>{"BindTexture(3)", "SetColor(1,1,1,1)", "DrawSphere", "UnbindTexture(3)",
                                        "PopMatrix", "BindTexture(4)", "EnableBlending",
                                        "SetColor(0.2,0.1,1,0.7)", "DrawHalo(10.5,5.5,0,3.2)"}));
}

}  // namespace
}  // namespace orbitfall
