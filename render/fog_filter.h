#pragma once
// Whether a texture laid on the ground of a view is magnified at every pixel
// of it. A magnified texture is sampled with its mag filter whatever its min
// filter says, so such a draw may switch the min filter to plain linear: the
// picture stays the same, and a software renderer no longer works out a
// level of detail per pixel nor blends two mipmap levels.
#include "render/camera.h"

namespace orbitfall {

// An upper bound on how far, in map units, the ground point moves between
// two neighbouring pixels (a step along the screen's x or y axis, measured as
// |dx| + |dy| on the map) anywhere in the main view that `view` describes.
// Infinity when no bound is known: before the first camera set-up, or when
// part of the view looks at or above the horizon.
double LargestGroundStep(const TViewValues& view);

// True when `texelsPerUnit` texels per map unit stay magnified at every
// pixel whose ground step is at most `groundStep`, with room to spare for
// the renderer's approximate level-of-detail arithmetic.
bool MagnifiedEverywhere(double groundStep, double texelsPerUnit);

}  // namespace orbitfall
