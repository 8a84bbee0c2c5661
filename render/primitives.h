#pragma once
// The geometric primitives the game objects are drawn with. The models draw
// in the caller's current transform; the camera-facing shapes take a map
// point (x, y, z, 1), transform it with the view matrix themselves and expect
// the model-view matrix to be the identity.
#include "render/camera.h"

namespace orbitfall {

void DrawUnitModel();   // scales by 0.5 and turns by -90 degrees about z first
void DrawShotModel();
void DrawSphere();      // radius 1 about the origin, textured

void DrawBillboard(const TMatrix4f& viewMatrix, float x, float y, float z, float halfSize);
// Moved dz toward the eye and scaled so that it covers the same part of the
// screen: it passes the depth test in front of things up to dz nearer.
void DrawShiftedBillboard(const TMatrix4f& viewMatrix, float x, float y, float z, float dz, float halfSize);
// A square perpendicular to the line from the eye to the point.
void DrawHalo(const TMatrix4f& viewMatrix, float x, float y, float z, float halfSize);
// A textured band from A to B facing the viewer.
void DrawBeam(const TMatrix4f& viewMatrix, const std::array<float, 4>& a, const std::array<float, 4>& b,
              float halfWidth);

}  // namespace orbitfall
