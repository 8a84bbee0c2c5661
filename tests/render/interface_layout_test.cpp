// The minimap's two mappings and the interface layout, by the numbers the
// layout fixes.
#include <gtest/gtest.h>

#include <algorithm>

#include "render/fog.h"
#include "render/interface_overlay.h"

using namespace orbitfall;

namespace {

// The map point of a click on the minimap (the mouse's mapping); the
// minimap's proportional mapping must be its inverse.
std::pair<double, double> MinimapClick(int w, int h, double sx, double sy) {
    const double m = std::max(w, h);
    return {m * (sx - 28) / 200 - std::max(0, h - w) * 0.5, m * (1 - (sy - 28) / 200) - std::max(0, w - h) * 0.5};
}

}  // namespace

TEST(MinimapMapping, SquareMapFillsTheSquare) {
    // 1024 pixels wide: the minimap covers pixels 28 to 228 from the bottom-left.
    const TOverlayPoint topLeft = MinimapPoint(300, 300, 1024, 0, 0);
    const TOverlayPoint bottomRight = MinimapPoint(300, 300, 1024, 300, 300);
    EXPECT_DOUBLE_EQ(topLeft.X, 28);
    EXPECT_DOUBLE_EQ(topLeft.Y, 228);
    EXPECT_DOUBLE_EQ(bottomRight.X, 228);
    EXPECT_DOUBLE_EQ(bottomRight.Y, 28);
    // Half as wide a window: everything at half the pixels.
    EXPECT_DOUBLE_EQ(MinimapPoint(300, 300, 512, 0, 0).X, 14);
    EXPECT_DOUBLE_EQ(MinimapPoint(300, 300, 512, 0, 0).Y, 114);
}

TEST(MinimapMapping, WideMapUsesTheMiddleHalfInHeight) {
    EXPECT_DOUBLE_EQ(MinimapPoint(200, 100, 1024, 0, 0).Y, 178);
    EXPECT_DOUBLE_EQ(MinimapPoint(200, 100, 1024, 0, 100).Y, 78);
    EXPECT_DOUBLE_EQ(MinimapPoint(200, 100, 1024, 0, 0).X, 28);
    EXPECT_DOUBLE_EQ(MinimapPoint(200, 100, 1024, 200, 0).X, 228);
    // The stretched background still fills the square.
    EXPECT_DOUBLE_EQ(MinimapPointStretched(200, 100, 1024, 0, 0).Y, 228);
    EXPECT_DOUBLE_EQ(MinimapPointStretched(200, 100, 1024, 0, 100).Y, 28);
}

TEST(MinimapMapping, TallMapUsesTheMiddleHalfInWidth) {
    EXPECT_DOUBLE_EQ(MinimapPoint(100, 200, 1024, 0, 0).X, 78);
    EXPECT_DOUBLE_EQ(MinimapPoint(100, 200, 1024, 100, 0).X, 178);
    EXPECT_DOUBLE_EQ(MinimapPoint(100, 200, 1024, 0, 0).Y, 228);
}

TEST(MinimapMapping, IsTheInverseOfTheClickMapping) {
    struct Map {
        int w, h;
    };
    for (const Map& map : {Map{300, 300}, Map{300, 150}, Map{120, 480}})
        for (double x : {0.0, 17.5, map.w * 0.5, double(map.w)})
            for (double y : {0.0, 33.0, double(map.h)}) {
                const TOverlayPoint p = MinimapPoint(map.w, map.h, 1024, x, y);
                const auto [cx, cy] = MinimapClick(map.w, map.h, p.X, p.Y);
                EXPECT_NEAR(cx, x, 1e-9) << map.w << "x" << map.h;
                EXPECT_NEAR(cy, y, 1e-9) << map.w << "x" << map.h;
            }
}

TEST(FogTexture, SizesArePowersOfTwoNotBelowTheMap) {
    struct Case {
        int n, size;
    };
    for (const Case& c : {Case{1, 1}, Case{2, 2}, Case{3, 4}, Case{255, 256}, Case{256, 256}, Case{300, 512}, Case{600, 1024}})
        EXPECT_EQ(FogSize(c.n), c.size) << c.n;
}

TEST(FogTexture, BytesOfNeverSeenExploredAndWatchedGround) {
    EXPECT_EQ(FogByte(0), 255);
    EXPECT_EQ(FogByte(1), 127);
    EXPECT_EQ(FogByte(2), 0);
    EXPECT_EQ(FogByte(40), 0);
}
