// Drawing decisions of units: culling by view and sight, the model's
// transform, the selection ring and the depth key of the translucent pass.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/simulation/recording_draw_context.h"
#include "tests/simulation/test_world.h"

namespace orbitfall {
namespace {

using Calls = std::vector<std::string>;

class GameObjectDrawTest : public testing::WorldTest {
protected:
    void SetUp() override { MakeGame(100, 100, 2); }

    // The opaque and the translucent pass of one view.
    Calls DrawView() {
        dc.Calls.clear();
        game->Engine->Draw(dc);
        game->Engine->AlphaDraw(dc);
        return dc.Calls;
    }

    testing::RecordingDrawContext dc;
};

TEST_F(GameObjectDrawTest, UnitsAreDrawnOnlyInsideTheViewAndWhereTheLocalPlayerSeesNow) {
    TControlledUnit& own = AddUnit(1, 20.5f, 20.5f);    // sight 3: sees itself
    TControlledUnit& enemy = AddUnit(2, 60.5f, 60.5f);  // not seen by player 1
    own.Angle = 0.5f;
    Step();
    EXPECT_EQ(DrawView(), (Calls{"PushMatrix", "Translate(20.5,20.5,0)", "Rotate(28.6479,0,0,1)",
                                 "Rotate(-0,1,0,0)", "DrawUnitModel", "PopMatrix"}));
    EXPECT_EQ(game->Engine->DrawnCount, 1);

    enemy.X = 22;
    enemy.Y = 20;
    EXPECT_EQ(DrawView().size(), 12u) << "in sight now";

    // The view's edge with the radius (1) as margin.
    dc.Rect = {21.5 + 0.01, 0, 100, 100};
    EXPECT_EQ(DrawView().size(), 6u);
    dc.Rect = {21.49, 0, 100, 100};
    EXPECT_EQ(DrawView().size(), 12u);
    dc.Rect = {0, 0, 100, 18.9};
    EXPECT_TRUE(DrawView().empty());
}

TEST_F(GameObjectDrawTest, ASelectedUnitGetsARingInItsOwnersColourUntilItsNextStep) {
    TControlledUnit& u = AddUnit(2, 40, 40);
    AddUnit(1, 40, 42.5f);  // lets player 1 see it, out of pushing reach
    Step();
    u.Selected = true;
    const Calls calls = DrawView();
    const Calls ring(calls.end() - 6, calls.end());
    EXPECT_EQ(ring, (Calls{"SetColorBytes(255,0,0,180)", "EnableBlending", "BindTexture(0)",
                           "DrawBillboard(40,40,0,1)", "UnbindTexture(0)", "DisableBlending"}));
    Step();
    EXPECT_FALSE(u.Selected);
    DrawView();
    EXPECT_TRUE(dc.Named("DrawBillboard").empty());
}

TEST_F(GameObjectDrawTest, TranslucentPartsAreSortedByViewDepth) {
    TControlledUnit& far = AddUnit(1, 30, 30);
    TControlledUnit& near = AddUnit(1, 30, 34);
    Step();
    // Eye-space z = y - 100: larger y is nearer the eye.
    dc.Matrix[6] = 1;
    dc.Matrix[10] = 0;
    dc.Matrix[14] = -100;
    near.Selected = true;
    far.Selected = true;
    DrawView();
    const Calls rings = dc.Named("DrawBillboard");
    ASSERT_EQ(rings.size(), 2u);
    EXPECT_EQ(rings[0], "DrawBillboard(30,30,0,1)");
    EXPECT_EQ(rings[1], "DrawBillboard(30,34,0,1)");
    EXPECT_FLOAT_EQ(near.AlphaZ, -66);
}

TEST_F(GameObjectDrawTest, NamesCarryIdAndClass) {
    AddUnit(1, 5, 5);
    EXPECT_EQ(AddUnit(1, 6, 6).GetName(), "Object2:TControlledUnit");
}

}  // namespace
}  // namespace orbitfall
