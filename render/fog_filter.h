#pragma once
// Whether a texture laid on the ground of a view is magnified at every pixel
// of it. A magnified texture is sampled with its mag filter whatever its min
// filter says, so such a draw may switch the min filter to plain linear: the
// picture stays the same, and a software renderer no longer works out a
// level of detail per pixel nor blends two mipmap levels.
#include <optional>
#include <vector>

#include "render/camera.h"

namespace orbitfall {

// An upper bound on how far, in map units, the ground point moves between
// two neighbouring pixels (a step along the screen's x or y axis, measured as
// |dx| + |dy| on the map) anywhere in the main view that `view` describes.
// Infinity when no bound is known: before the first camera set-up, or when
// part of the view looks at or above the horizon.
double LargestGroundStep(const TViewValues& view);

// The same bound over the view's pixel rows [firstRow, endRow) only, rows
// counted from the top edge (0 <= firstRow < endRow <= the view's height).
// Infinity wherever the whole view has no bound.
double LargestGroundStep(const TViewValues& view, int firstRow, int endRow);
// And over its columns [firstColumn, endColumn) of those rows only.
double LargestGroundStep(const TViewValues& view, int firstRow, int endRow, int firstColumn, int endColumn);

// A run of the main view's pixel rows, counted from the top edge, and the
// bound on the ground step within it.
struct TGroundBand {
    int FirstRow = 0;
    int EndRow = 0;
    double Step = 0;
};

// The view's rows cut into `count` bands of nearly equal height, top to
// bottom, together exactly rows 0 up to the view's height (fewer bands in a
// view of fewer rows). A tilted camera shows the near ground magnified more
// than the far ground, so a texture that shrinks in the far rows may still be
// magnified in most of the others.
std::vector<TGroundBand> GroundStepBands(const TViewValues& view, int count);

// True when `texelsPerUnit` texels per map unit stay magnified at every
// pixel whose ground step is at most `groundStep`, with room to spare for
// the renderer's approximate level-of-detail arithmetic.
bool MagnifiedEverywhere(double groundStep, double texelsPerUnit);

// The largest half width k such that the columns [w/2 - k, w/2 + k) of the
// rows [firstRow, endRow) show `texelsPerUnit` texels per map unit magnified
// everywhere (w the view's width); 0 when no such run of columns exists. The
// steps grow from the middle column toward both side edges, so in the far
// rows of a tilted view the middle may be magnified where the sides are not.
int MagnifiedHalfWidth(const TViewValues& view, int firstRow, int endRow, double texelsPerUnit);

// A rectangle of texels, edges included.
struct TTexelBox {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TTexelBox&) const = default;
};

// The texels of a texture with one texel per map unit (texel x, y covering
// the map square from x, y) that a linearly filtered sample anywhere in the
// view's pixel rows [firstRow, endRow) and columns [firstColumn, endColumn)
// may read, with a texel to spare for rounding. None when some pixel of the
// rectangle may look at or above the horizon.
std::optional<TTexelBox> FogTexelsUnder(const TViewValues& view, int firstRow, int endRow, int firstColumn,
                                        int endColumn);

}  // namespace orbitfall
