// The bound on the ground step between neighbouring pixels, which decides
// whether the fog layer may skip its textures' mipmaps: it must never be
// below a step the view really has, or the picture would change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "render/camera.h"
#include "render/fog_filter.h"
#include "tests/render/main_view.h"

using namespace orbitfall;
using orbitfall::testing::MainView;

namespace {

// The largest |dx| + |dy| between the ground points of neighbouring pixels,
// looked at on the given rows and columns of the view.
double LargestSampledStep(const TViewValues& v, const std::vector<int>& rows, const std::vector<int>& columns) {
    double largest = 0;
    auto ground = [&](int sx, int sy) {
        double x = 0, y = 0;
        EXPECT_TRUE(ScreenToMap(v, sx, sy, x, y));
        return std::pair{x, y};
    };
    for (int sy : rows)
        for (int sx : columns) {
            const auto [x, y] = ground(sx, sy);
            const auto [ax, ay] = ground(sx + 1, sy);
            const auto [dx, dy] = ground(sx, sy + 1);
            largest = std::max({largest, std::fabs(ax - x) + std::fabs(ay - y), std::fabs(dx - x) + std::fabs(dy - y)});
        }
    return largest;
}

// Every step-th of [first, end), and the last one.
std::vector<int> Every(int step, int first, int end) {
    std::vector<int> at;
    for (int i = first; i < end; i += step) at.push_back(i);
    at.push_back(end - 1);
    return at;
}

// A grid over the whole view, edges included.
double LargestSampledStep(const TViewValues& v) {
    return LargestSampledStep(v, Every(13, 0, v.ViewHeight), Every(17, 0, v.ClientWidth));
}

}  // namespace

TEST(FogFilter, BoundCoversEveryStepOfTheViewAndStaysClose) {
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{696, 480}, std::pair{1920, 1080}})
        for (int tilt : {-30, 0, 15, 30, 45, 60})
            for (int distance : {3, 12, 40}) {
                const TViewValues v = MainView(w, h, 60, 80, tilt, distance);
                const double bound = LargestGroundStep(v);
                const double sampled = LargestSampledStep(v);
                ASSERT_TRUE(std::isfinite(bound)) << w << "x" << h << " tilt " << tilt << " distance " << distance;
                EXPECT_GE(bound, sampled) << w << "x" << h << " tilt " << tilt << " distance " << distance;
                // Loose enough to be safe, tight enough to be of use.
                EXPECT_LE(bound, sampled * 1.1) << w << "x" << h << " tilt " << tilt << " distance " << distance;
            }
}

TEST(FogFilter, DefaultCameraMagnifiesTheFogButFarViewsDoNot) {
    // The window's start: 1024 x 768, tilt 30, distance 12. The fog has one
    // texel per map unit and the view's far corners show a unit over some 22
    // pixels.
    const double step = LargestGroundStep(MainView(1024, 768, 30, 40, 30, 12));
    EXPECT_GT(step, 1.0 / 30);
    EXPECT_LT(step, 1.0 / 20);
    EXPECT_TRUE(MagnifiedEverywhere(step, 1.0));
    // A 256-texel pattern repeated every 10 units needs more than the view gives.
    EXPECT_FALSE(MagnifiedEverywhere(step, 25.6));
    // Seen from far enough, even the fog shrinks.
    EXPECT_FALSE(MagnifiedEverywhere(LargestGroundStep(MainView(1024, 768, 30, 40, 30, 500)), 1.0));
}

TEST(FogFilter, MarginBelowOneTexel) {
    EXPECT_TRUE(MagnifiedEverywhere(0.5, 1.0));
    EXPECT_TRUE(MagnifiedEverywhere(0.035, 25.6));   // 0.9 texel
    EXPECT_FALSE(MagnifiedEverywhere(0.036, 25.6));  // 0.92 texel
    EXPECT_FALSE(MagnifiedEverywhere(1.0, 1.0));
    EXPECT_FALSE(MagnifiedEverywhere(std::numeric_limits<double>::infinity(), 1.0));
}

TEST(FogFilter, NoBoundWithoutACameraOrNearTheHorizon) {
    EXPECT_TRUE(std::isinf(LargestGroundStep(TViewValues{})));
    // Half the field of view is 22.5 degrees: at a tilt of 63 the top row
    // looks 85.5 degrees away from straight down.
    EXPECT_TRUE(std::isinf(LargestGroundStep(MainView(1024, 768, 30, 40, 63, 12))));
    EXPECT_TRUE(std::isinf(LargestGroundStep(MainView(1024, 768, 30, 40, -70, 12))));
    EXPECT_TRUE(std::isfinite(LargestGroundStep(MainView(1024, 768, 30, 40, 62, 12))));
    // An eye on the ground sees no ground.
    EXPECT_TRUE(std::isinf(LargestGroundStep(MainView(1024, 768, 30, 40, 30, 0))));
}

namespace {

// Over the rows [first, end) of the view only, every column near the edges.
double LargestSampledStepInRows(const TViewValues& v, int first, int end) {
    std::vector<int> columns;
    for (int sx = 0; sx < v.ClientWidth; sx += (sx < 8 || sx > v.ClientWidth - 9) ? 1 : 31) columns.push_back(sx);
    return LargestSampledStep(v, Every(5, first, end), columns);
}

}  // namespace

TEST(FogFilter, BandsCoverTheViewInOrderAndBoundEveryStepInside) {
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{696, 480}})
        for (int tilt : {-30, 0, 30, 60})
            for (int distance : {3, 12}) {
                const TViewValues v = MainView(w, h, 60, 80, tilt, distance);
                const auto bands = GroundStepBands(v, 16);
                ASSERT_EQ(bands.size(), 16u);
                int row = 0;
                double largest = 0;
                for (const TGroundBand& band : bands) {
                    ASSERT_EQ(band.FirstRow, row);
                    ASSERT_GT(band.EndRow, band.FirstRow);
                    row = band.EndRow;
                    ASSERT_TRUE(std::isfinite(band.Step)) << "tilt " << tilt;
                    EXPECT_GE(band.Step, LargestSampledStepInRows(v, band.FirstRow, band.EndRow))
                        << w << "x" << h << " tilt " << tilt << " distance " << distance << " rows "
                        << band.FirstRow;
                    largest = std::max(largest, band.Step);
                }
                EXPECT_EQ(row, v.ViewHeight);
                // The outer bands hold the view's corners, where its largest step is.
                EXPECT_DOUBLE_EQ(largest, LargestGroundStep(v)) << "tilt " << tilt << " distance " << distance;
            }
}

TEST(FogFilter, DefaultCameraMagnifiesThePatternInMostRows) {
    const TViewValues v = MainView(1024, 768, 30, 40, 30, 12);
    const auto bands = GroundStepBands(v, 16);
    int magnifiedRows = 0;
    for (const TGroundBand& band : bands)
        if (MagnifiedEverywhere(band.Step, 25.6)) magnifiedRows += band.EndRow - band.FirstRow;
    // The far (top) rows shrink the pattern, the near ones do not.
    EXPECT_FALSE(MagnifiedEverywhere(bands.front().Step, 25.6));
    EXPECT_TRUE(MagnifiedEverywhere(bands.back().Step, 25.6));
    EXPECT_GE(magnifiedRows, v.ViewHeight * 7 / 10);
}

TEST(FogFilter, BandsOfShortViewsAndViewsWithoutBound) {
    TViewValues tiny = MainView(1024, 768, 30, 40, 30, 12);
    tiny.ViewHeight = 5;
    PublishCamera(tiny, tiny.ViewMatrix, 30, 1024);
    const auto rows = GroundStepBands(tiny, 16);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows.back().EndRow, 5);
    EXPECT_TRUE(GroundStepBands(TViewValues{}, 16).empty());
    for (const TGroundBand& band : GroundStepBands(MainView(1024, 768, 30, 40, 63, 12), 16))
        EXPECT_TRUE(std::isinf(band.Step));
    const TViewValues v = MainView(1024, 768, 30, 40, 30, 12);
    EXPECT_TRUE(std::isinf(LargestGroundStep(v, 10, 10)));
    EXPECT_TRUE(std::isinf(LargestGroundStep(v, -1, 10)));
    EXPECT_TRUE(std::isinf(LargestGroundStep(v, 0, v.ViewHeight + 1)));
}

TEST(FogFilter, MiddleColumnsOfFarBandsMagnifyThePattern) {
    const TViewValues v = MainView(1024, 768, 30, 40, 30, 12);
    const auto bands = GroundStepBands(v, 16);
    const TGroundBand& far = bands.front();
    const int half = MagnifiedHalfWidth(v, far.FirstRow, far.EndRow, 25.6);
    ASSERT_GT(half, 0);
    ASSERT_LT(half, 512);
    // The widest such run: one more column on each side is too much.
    EXPECT_TRUE(MagnifiedEverywhere(LargestGroundStep(v, far.FirstRow, far.EndRow, 512 - half, 512 + half), 25.6));
    EXPECT_FALSE(
        MagnifiedEverywhere(LargestGroundStep(v, far.FirstRow, far.EndRow, 511 - half, 513 + half), 25.6));
    // The bound over the columns covers every step between their pixels.
    double sampled = 0;
    for (int sy = far.FirstRow; sy < far.EndRow; sy += 3)
        for (int sx = 512 - half; sx < 512 + half; sx += 7) {
            double x = 0, y = 0, ax = 0, ay = 0, dx = 0, dy = 0;
            ASSERT_TRUE(ScreenToMap(v, sx, sy, x, y));
            ASSERT_TRUE(ScreenToMap(v, sx + 1, sy, ax, ay));
            ASSERT_TRUE(ScreenToMap(v, sx, sy + 1, dx, dy));
            sampled = std::max({sampled, std::fabs(ax - x) + std::fabs(ay - y), std::fabs(dx - x) + std::fabs(dy - y)});
        }
    EXPECT_GE(LargestGroundStep(v, far.FirstRow, far.EndRow, 512 - half, 512 + half), sampled);
    // Bands that magnify across the whole width, and views without a bound.
    EXPECT_EQ(MagnifiedHalfWidth(v, bands.back().FirstRow, bands.back().EndRow, 25.6), 512);
    EXPECT_EQ(MagnifiedHalfWidth(TViewValues{}, 0, 10, 25.6), 0);
    EXPECT_EQ(MagnifiedHalfWidth(MainView(1024, 768, 30, 40, 30, 500), 0, 10, 25.6), 0);
}
