#pragma once
// The interface drawn flat over the window after the world: the minimap with
// its fog, the interface strip, the view outline and unit dots, and a line of
// text, placed by the interface layout.
#include <cstdint>
#include <vector>

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
// The minimap's picture, stretched over its square (opaque).
void DrawMinimapBackground(std::int32_t mapWidth, std::int32_t mapHeight, TTextureImage* background,
                           int clientWidth);
// The fog veil over the minimap. Leaves blending on.
void DrawMinimapFog(const TFogOfWar& fog, int clientWidth);
// The interface picture along the bottom edge, the full width and a quarter
// of it in height; with parts, only the pixels inside them. Leaves blending
// and the scissor test off.
void DrawInterfaceStrip(TTextureImage* interfacePicture, int clientWidth);
void DrawInterfaceStrip(TTextureImage* interfacePicture, int clientWidth, const std::vector<TPixelRect>& parts);

// The interface split for the backdrop cache. The still part (the minimap's
// picture and the strip below the main view, outside the minimap and
// mini-scene squares) depends only on the window's size, the map's size and
// the two pictures; it is drawn with the backdrop, after the clear, and
// leaves the blending switch as it found it. The moving part finishes the
// interface every frame, where the still one would show: together they give
// the pixels of the minimap and the whole strip drawn in one go. Leaves
// blending and the scissor test off.
void DrawStillInterface(std::int32_t mapWidth, std::int32_t mapHeight, TTextureImage* background,
                        TTextureImage* interfacePicture, int clientWidth, int clientHeight);
void DrawMovingInterface(const TFogOfWar& fog, TTextureImage* background, TTextureImage* interfacePicture,
                         int clientWidth, int clientHeight);
// The outline of the main view and a dot for every unit the local player sees
// now, in its owner's colour. Leaves blending off.
void DrawMinimapMarkers(const TGame& game, const TViewValues& mainView, int clientWidth);
// The magenta "ABC" at the window's bottom-left corner.
void DrawOverlayText(TBmpFont* font);

}  // namespace orbitfall
