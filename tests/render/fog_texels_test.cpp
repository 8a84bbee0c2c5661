// Which fog texels a piece of the fog layer may sample, and whether they are
// all alike: a piece drawn without the fog texture must not have needed it,
// or the picture would change.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/camera.h"
#include "render/fog.h"
#include "render/fog_filter.h"
#include "tests/render/main_view.h"

using namespace orbitfall;
using orbitfall::testing::MainView;

namespace {

// Every texel a linear sample at any of the given pixels reads lies in the
// box, and the box is at most `slack` texels wider on each side than those.
void ExpectBoxHoldsSamples(const TViewValues& v, int firstRow, int endRow, int firstColumn, int endColumn,
                           int slack) {
    const auto box = FogTexelsUnder(v, firstRow, endRow, firstColumn, endColumn);
    ASSERT_TRUE(box.has_value());
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
    const int rowStep = std::max(1, (endRow - firstRow) / 9), columnStep = std::max(1, (endColumn - firstColumn) / 13);
    for (int sy = firstRow; sy <= endRow; sy += rowStep)
        for (int sx = firstColumn; sx <= endColumn; sx += columnStep) {
            double x = 0, y = 0;
            ASSERT_TRUE(ScreenToMap(v, sx, sy, x, y));
            // A linear sample at u reads texels floor(u - 0.5) and the next.
            EXPECT_LE(box->Left, std::floor(x - 0.5)) << sx << "," << sy;
            EXPECT_GE(box->Right, std::floor(x - 0.5) + 1) << sx << "," << sy;
            EXPECT_LE(box->Top, std::floor(y - 0.5)) << sx << "," << sy;
            EXPECT_GE(box->Bottom, std::floor(y - 0.5) + 1) << sx << "," << sy;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    EXPECT_GE(box->Left, std::floor(left) - slack);
    EXPECT_LE(box->Right, std::ceil(right) + slack);
    EXPECT_GE(box->Top, std::floor(top) - slack);
    EXPECT_LE(box->Bottom, std::ceil(bottom) + slack);
}

std::unique_ptr<TFogOfWar> FogOf(int w, int h, const std::vector<std::uint16_t>& sight) {
    auto fog = CreateFogTexture(w, h);
    WriteFog(*fog, sight.data(), w);
    return fog;
}

}  // namespace

TEST(FogTexels, BoxHoldsEveryTexelThePixelsSample) {
    // The default camera and a far, steeper one; whole view, bands, sides.
    for (const TViewValues& v : {MainView(1024, 768, 30, 40, 30, 12), MainView(1024, 768, 64, 64, 30, 20),
                                 MainView(696, 480, 10, 10, 45, 15)}) {
        const int h = v.ViewHeight, w = v.ClientWidth;
        ExpectBoxHoldsSamples(v, 0, h, 0, w, 3);
        ExpectBoxHoldsSamples(v, 0, h / 16, 0, w, 3);
        ExpectBoxHoldsSamples(v, h / 2, h / 2 + 5, 0, w / 3, 3);
        ExpectBoxHoldsSamples(v, h - 20, h, w - 100, w, 3);
    }
}

TEST(FogTexels, NoBoxWithoutACameraNearTheHorizonOrForRowsOutsideTheView) {
    EXPECT_FALSE(FogTexelsUnder(TViewValues{}, 0, 10, 0, 10));
    const TViewValues v = MainView(1024, 768, 30, 40, 30, 12);
    EXPECT_FALSE(FogTexelsUnder(v, 10, 10, 0, 10));
    EXPECT_FALSE(FogTexelsUnder(v, -1, 10, 0, 10));
    EXPECT_FALSE(FogTexelsUnder(v, 0, v.ViewHeight + 1, 0, 10));
    EXPECT_FALSE(FogTexelsUnder(v, 0, 10, 0, 1025));
    // Tilted so far that the top rows look above the horizon.
    const TViewValues level = MainView(1024, 768, 30, 40, 80, 12);
    EXPECT_FALSE(FogTexelsUnder(level, 0, 10, 0, 1024));
    EXPECT_TRUE(FogTexelsUnder(level, level.ViewHeight - 10, level.ViewHeight, 0, 1024));
}

TEST(FogTexels, UniformOnlyWhenEveryTexelOnTheMapIsAlike) {
    // 20 x 10: never seen left of column 8, explored from 8 to 13, watched
    // from 14 on; row 9 column 3 explored.
    std::vector<std::uint16_t> sight(20 * 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) sight[y * 20 + x] = x < 8 ? 0 : x < 14 ? 1 : 2;
    sight[9 * 20 + 3] = 1;
    const auto fog = FogOf(20, 10, sight);
    EXPECT_EQ(UniformFogAcross(*fog, {0, 0, 7, 8}), std::optional<std::uint8_t>(255));
    EXPECT_EQ(UniformFogAcross(*fog, {8, 0, 13, 9}), std::optional<std::uint8_t>(127));
    EXPECT_EQ(UniformFogAcross(*fog, {14, 2, 19, 9}), std::optional<std::uint8_t>(0));
    EXPECT_EQ(UniformFogAcross(*fog, {5, 5, 5, 5}), std::optional<std::uint8_t>(255));
    // One different texel, in the last row or column of the box.
    EXPECT_FALSE(UniformFogAcross(*fog, {0, 0, 7, 9}));
    EXPECT_FALSE(UniformFogAcross(*fog, {0, 0, 8, 3}));
    // Off the map (the texture's unused texels and the border are not fog).
    EXPECT_FALSE(UniformFogAcross(*fog, {-1, 0, 5, 5}));
    EXPECT_FALSE(UniformFogAcross(*fog, {0, -1, 5, 5}));
    EXPECT_FALSE(UniformFogAcross(*fog, {15, 0, 20, 5}));
    EXPECT_FALSE(UniformFogAcross(*fog, {15, 0, 19, 10}));
    EXPECT_FALSE(UniformFogAcross(*fog, {5, 5, 4, 5}));
}

TEST(FogTexels, FoldedAlphaOfTheEndsIsExact) {
    EXPECT_EQ(FoldedFogAlpha(255), 0.75f);
    EXPECT_EQ(FoldedFogAlpha(0), 0.0f);
    EXPECT_NEAR(FoldedFogAlpha(127), 0.75 * 127 / 255, 1e-7);
}
