#pragma once
// The two cameras of a frame (the main view above the interface strip and
// the mini-scene in it) and the values the last set-up publishes: culling,
// depth sorting and the mouse's pixel-to-map conversion read them.
#include <array>
#include <cstdint>

#include "render/interface_layout.h"
#include "simulation/draw_interface.h"

namespace orbitfall {

using TMatrix4f = std::array<float, 16>;  // GL's column order

struct TViewValues {
    std::int32_t ViewHeight = 0;      // main view's viewport height; set only by the main camera
    double ScreenDistance = 0;        // picture plane distance in pixels; 0 before the first set-up
    std::int32_t ViewAngle = 0;       // tilt of the last set-up, degrees
    TMatrix4f ViewMatrix{};
    TMatrix4f InverseViewMatrix{};
    TViewRect ViewRect;
    std::int32_t ClientWidth = 0;     // W of the last set-up, for ScreenToMap
};

// Process-wide: what the last camera set-up published.
extern TViewValues View;

// Model-view matrix looking at (x, y, 0) from distance d, tilted by tilt
// degrees: mirror y, rotate about x, move the eye to (x, y + d sin a, d cos a).
TMatrix4f CameraMatrix(double x, double y, std::int32_t tiltDegrees, double distance);
// The inverse; the identity when |determinant| is below 1e-100.
TMatrix4f InvertMatrix(const TMatrix4f& m);
// v' = m v for a column vector (x, y, z, w).
std::array<float, 4> Transform(const TMatrix4f& m, float x, float y, float z, float w);

// Publishes a camera's matrix: its inverse, ScreenDistance (from the
// ViewHeight already in view) and ViewRect. No GL.
void PublishCamera(TViewValues& view, const TMatrix4f& matrix, std::int32_t viewAngle, int clientWidth);

// The ground point under a pixel of the main view (x from the left edge, y
// from the top edge). False, outputs untouched, before the first set-up.
bool ScreenToMap(const TViewValues& view, int sx, int sy, double& mapX, double& mapY);
bool ScreenToMap(int sx, int sy, double& mapX, double& mapY);  // with View

// GL set-ups: viewport, projection, model-view, depth testing on; publish.
void SetupMainCamera(TViewValues& view, int clientWidth, int clientHeight, double cameraX, double cameraY,
                     std::int32_t cameraTilt, std::int32_t cameraDistance);
void SetupMinisceneCamera(TViewValues& view, int clientWidth, double eventX, double eventY);

}  // namespace orbitfall
