#pragma once
// The interface drawn flat over the window after the world: the minimap with
// its fog, the interface strip, the view outline and unit dots, and a line of
// text, placed by the interface layout.
#include <cstdint>

#include "render/camera.h"
#include "render/interface_layout.h"

namespace orbitfall {

class TBmpFont;
class TGame;
class TTextureImage;
struct TFogOfWar;

// Depth testing off, one unit per pixel, origin bottom-left.
void SetupOverlay(int clientWidth, int clientHeight);
// Background and fog of the minimap. Leaves blending on.
void DrawMinimap(const TFogOfWar& fog, TTextureImage* background, int clientWidth);
// The interface picture along the bottom edge, the full width and a quarter
// of it in height.
void DrawInterfaceStrip(TTextureImage* interfacePicture, int clientWidth);
// The outline of the main view and a dot for every unit the local player sees
// now, in its owner's colour. Leaves blending off.
void DrawMinimapMarkers(const TGame& game, const TViewValues& mainView, int clientWidth);
// The magenta "ABC" at the window's bottom-left corner.
void DrawOverlayText(TBmpFont* font);

}  // namespace orbitfall
