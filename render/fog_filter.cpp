#include "render/fog_filter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace orbitfall {

namespace {

// A renderer may take the level of detail from a sum of derivatives or from
// a fast logarithm; a footprint up to this fraction of a texel still comes
// out below level 0 with any of them.
constexpr double kMagnificationMargin = 0.9;

// The camera's largest tilt (degrees from looking straight down) plus half
// the field of view for which the whole view still looks down onto the
// ground at a useful angle; beyond it the far rows reach toward the horizon,
// where the steps grow without bound.
constexpr double kSteepestEdgeDegrees = 85;

struct TGroundPoint {
    bool Valid = false;
    double X = 0, Y = 0;
};

TGroundPoint GroundUnder(const TViewValues& view, int sx, int sy) {
    TGroundPoint point;
    point.Valid = ScreenToMap(view, sx, sy, point.X, point.Y) && std::isfinite(point.X) && std::isfinite(point.Y);
    return point;
}

}  // namespace

double LargestGroundStep(const TViewValues& view) { return LargestGroundStep(view, 0, view.ViewHeight); }

double LargestGroundStep(const TViewValues& view, int firstRow, int endRow) {
    return LargestGroundStep(view, firstRow, endRow, 0, view.ClientWidth);
}

double LargestGroundStep(const TViewValues& view, int firstRow, int endRow, int firstColumn, int endColumn) {
    constexpr double unknown = std::numeric_limits<double>::infinity();
    const int w = view.ClientWidth, h = view.ViewHeight;
    if (!(view.ScreenDistance > 0) || w < 2 || h < 2) return unknown;
    if (firstRow < 0 || endRow > h || endRow - firstRow < 1) return unknown;
    if (firstColumn < 0 || endColumn > w || endColumn - firstColumn < 1) return unknown;
    // The eye above the ground, and every line of sight going down to it.
    if (!(Transform(view.InverseViewMatrix, 0, 0, 0, 1)[2] > 0)) return unknown;
    const double halfField = std::atan(h / 2.0 / view.ScreenDistance) * 180 / std::numbers::pi;
    if (!(std::abs(view.ViewAngle) + halfField < kSteepestEdgeDegrees)) return unknown;
    // The cameras turn about the map's x axis only: a pixel's ground depth
    // depends on its row alone and grows away from the point below the eye,
    // and its ground x is its column's offset from the middle times that
    // depth. So within any rectangle of rows and columns the steps grow
    // toward its top and bottom edges (or toward one of them) and toward its
    // left and right edges, and the largest one lies at a corner; there the
    // step across the outermost pixel edge is larger than any step between
    // the centres of two neighbouring pixels.
    double largest = 0;
    const int corners[4][4] = {{firstColumn, firstRow, 1, 1},
                               {endColumn, firstRow, -1, 1},
                               {firstColumn, endRow, 1, -1},
                               {endColumn, endRow, -1, -1}};
    for (const auto& c : corners) {
        const TGroundPoint at = GroundUnder(view, c[0], c[1]);
        const TGroundPoint across = GroundUnder(view, c[0] + c[2], c[1]);
        const TGroundPoint down = GroundUnder(view, c[0], c[1] + c[3]);
        if (!at.Valid || !across.Valid || !down.Valid) return unknown;
        largest = std::max({largest, std::fabs(across.X - at.X) + std::fabs(across.Y - at.Y),
                            std::fabs(down.X - at.X) + std::fabs(down.Y - at.Y)});
    }
    // The conversion works in single precision; its rounding moves a step
    // by far less than a hundredth.
    largest *= 1.01;
    return std::isfinite(largest) ? largest : unknown;
}

std::vector<TGroundBand> GroundStepBands(const TViewValues& view, int count) {
    std::vector<TGroundBand> bands;
    const int h = view.ViewHeight;
    if (h < 1 || count < 1) return bands;
    count = std::min(count, h);
    for (int i = 0; i < count; ++i) {
        const int first = static_cast<int>(static_cast<long long>(h) * i / count);
        const int end = static_cast<int>(static_cast<long long>(h) * (i + 1) / count);
        bands.push_back({first, end, LargestGroundStep(view, first, end)});
    }
    return bands;
}

int MagnifiedHalfWidth(const TViewValues& view, int firstRow, int endRow, double texelsPerUnit) {
    const int middle = view.ClientWidth / 2;
    auto magnified = [&](int half) {
        return MagnifiedEverywhere(LargestGroundStep(view, firstRow, endRow, middle - half, middle + half),
                                   texelsPerUnit);
    };
    // The columns nest: whatever a wider run shows magnified, a narrower
    // one inside it does too.
    int low = 0, high = std::min(middle, view.ClientWidth - middle);
    if (high < 1 || !magnified(1)) return 0;
    low = 1;
    while (low < high) {
        const int half = (low + high + 1) / 2;
        if (magnified(half)) {
            low = half;
        } else {
            high = half - 1;
        }
    }
    return low;
}

std::optional<TTexelBox> FogTexelsUnder(const TViewValues& view, int firstRow, int endRow, int firstColumn,
                                        int endColumn) {
    const int w = view.ClientWidth, h = view.ViewHeight;
    if (!(view.ScreenDistance > 0) || firstRow < 0 || endRow > h || endRow <= firstRow || firstColumn < 0 ||
        endColumn > w || endColumn <= firstColumn)
        return std::nullopt;
    const auto eye = Transform(view.InverseViewMatrix, 0, 0, 0, 1);
    if (!(eye[2] > 0)) return std::nullopt;
    double left = std::numeric_limits<double>::infinity(), top = left;
    double right = -left, bottom = -left;
    for (int sx : {firstColumn, endColumn})
        for (int sy : {firstRow, endRow}) {
            // Every line of sight through the rectangle goes down to the
            // ground when the ones through its corners do: then the ground
            // it shows is the four-sided figure with their ground points as
            // corners, and their box holds it. With the picture-plane point
            // that ScreenToMap takes, a line of sight meets the ground in
            // front of the eye where that point lies higher than the eye.
            const auto p = Transform(view.InverseViewMatrix, static_cast<float>(sx - w / 2.0),
                                     static_cast<float>(sy - h / 2.0), static_cast<float>(view.ScreenDistance), 1);
            if (!(p[2] > eye[2])) return std::nullopt;
            const TGroundPoint at = GroundUnder(view, sx, sy);
            if (!at.Valid) return std::nullopt;
            left = std::min(left, at.X), right = std::max(right, at.X);
            top = std::min(top, at.Y), bottom = std::max(bottom, at.Y);
        }
    // A linear sample at u reads the texels floor(u - 0.5) and the one
    // after; one more on each side covers the single-precision conversion
    // and the renderer's interpolation.
    constexpr double limit = 1 << 30;
    if (!(std::fabs(left) < limit && std::fabs(right) < limit && std::fabs(top) < limit && std::fabs(bottom) < limit))
        return std::nullopt;
    return TTexelBox{static_cast<int>(std::floor(left)) - 2, static_cast<int>(std::floor(top)) - 2,
                     static_cast<int>(std::ceil(right)) + 1, static_cast<int>(std::ceil(bottom)) + 1};
}

bool MagnifiedEverywhere(double groundStep, double texelsPerUnit) {
    return groundStep * texelsPerUnit <= kMagnificationMargin;
}

}  // namespace orbitfall
