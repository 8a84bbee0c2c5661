#pragma once
// The layers drawn around the game objects of a view: the background band,
// the map grid, the selection rectangle and the fixed beam.
#include <cstdint>

#include "render/camera.h"

namespace orbitfall {

class TTextureImage;

// A band of the background picture behind the whole view, shifted with the
// tilt only. Leaves depth testing and depth writes on, texturing off.
void DrawBackground(TTextureImage* background, std::int32_t viewAngle);

// Grey lines every 3 map units over the visible part of the map (call with
// depth testing off).
void DrawGrid(const TViewRect& view, std::int32_t mapWidth, std::int32_t mapHeight);

// The rectangle of a selection drag, in map coordinates.
struct TSelectionDrag {
    bool Selecting = false;
    double StartX = 0, StartY = 0;
    double EndX = 0, EndY = 0;
};
// Only while dragging: an outline, and a translucent blue fill when asked.
void DrawSelectionRect(const TSelectionDrag& drag, bool translucent);

// The laser band from (0, 0) to (30, 30) of every main view. Leaves blending
// on and the laser texture bound.
void DrawFixedBeam(const TMatrix4f& viewMatrix, TTextureImage* laser);

}  // namespace orbitfall
