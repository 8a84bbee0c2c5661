#pragma once
// The one rendering context of the game window and what lives in it: the
// resource manager, the nine shared textures and the interface font.
#include <cstdint>
#include <string>

namespace orbitfall {

class TGlSurface;
class TResourceManager;
class TTexture;
class TBmpFont;

// Process-wide, set by InitOpenGL and cleared by DoneOpenGL.
extern TResourceManager* ResourceManager;
extern TTexture* NebulaTexture;
extern TTexture* LaserTexture;
extern TTexture* BackgroundTexture;
extern TTexture* AuraTexture;
extern TTexture* SelectionTexture;
extern TTexture* MoonTexture;
extern TTexture* InterfaceTexture;
extern TTexture* ExplosionTexture;
extern TTexture* FogPatternTexture;
extern TBmpFont* MainFont;

// Raises EGraphicsUnavailable (a clear message) when no context can be had.
void InitOpenGL(TGlSurface& surface);
void DoneOpenGL();
void SetFullscreen(std::uint16_t width, std::uint16_t height, std::uint16_t bits,
                   std::uint16_t frequency);
void ClearFrame();
void PresentFrame();
bool WriteGraphicCardInfo(const std::string& fileName);

// The surface InitOpenGL was given (client size for the cameras), or nullptr.
TGlSurface* CurrentSurface();

}  // namespace orbitfall
