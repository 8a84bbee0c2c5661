#pragma once
// The interface drawn flat over the window after the world: the minimap with
// its fog, the interface strip, the view outline and unit dots, and a line of
// text. Interface units: the client width counts 1024, origin bottom-left.
#include <cstdint>

#include "render/camera.h"

namespace orbitfall {

class TBmpFont;
class TGame;
class TTextureImage;
struct TFogOfWar;

struct TOverlayPoint {
    double X = 0;  // pixels from the left edge
    double Y = 0;  // pixels from the bottom edge
};

// A map point on the minimap, keeping the map's proportions and centring it
// along its shorter side (fog, outline, dots).
TOverlayPoint MinimapPoint(std::int32_t mapWidth, std::int32_t mapHeight, int clientWidth, double x, double y);
// The same, stretched to the whole square (the background picture only).
TOverlayPoint MinimapPointStretched(std::int32_t mapWidth, std::int32_t mapHeight, int clientWidth, double x,
                                    double y);

// Depth testing off, one unit per pixel, origin bottom-left.
void SetupOverlay(int clientWidth, int clientHeight);
// Background and fog of the minimap. Leaves blending on.
void DrawMinimap(const TFogOfWar& fog, TTextureImage* background, int clientWidth);
// The interface picture along the bottom edge, W x W/4 pixels.
void DrawInterfaceStrip(TTextureImage* interfacePicture, int clientWidth);
// The outline of the main view and a dot for every unit the local player sees
// now, in its owner's colour. Leaves blending off.
void DrawMinimapMarkers(const TGame& game, const TViewValues& mainView, int clientWidth);
// The magenta "ABC" at the window's bottom-left corner.
void DrawOverlayText(TBmpFont* font);

}  // namespace orbitfall
