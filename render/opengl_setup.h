#pragma once
// The one rendering context of the game window and what lives in it: the
// resource manager, the nine shared textures and the interface font.
#include <cstdint>
#include <string>

#include "infra/errors.h"

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

// No display, or no GL context on it: the program cannot show anything and
// ends with this message (exit code 1).
class EGraphicsUnavailable : public Exception {
public:
    using Exception::Exception;
};

// Raises EGraphicsUnavailable (a clear message) when no context can be had.
// A set-up still in place is released first.
void InitOpenGL(TGlSurface& surface);
void DoneOpenGL();
// Both re-create the context around the change of the window: DoneOpenGL,
// the change, InitOpenGL (the textures, the font and the GL state anew).
// Objects kept elsewhere in the old context must be freed before (the game
// window does so in one place, TForm1::ReplaceContext); objects that note the
// ContextGeneration they were made in see that theirs is gone.
void SetFullscreen(std::uint16_t width, std::uint16_t height, std::uint16_t bits,
                   std::uint16_t frequency);
// Back to the window as it was before SetFullscreen.
void LeaveFullscreen();
void ClearFrame();
void PresentFrame();
bool WriteGraphicCardInfo(const std::string& fileName);

// The extension list of the context, read by InitOpenGL; "" before.
const std::string& GLExtensions();
// True when the list names this extension (whole names only).
bool HasGLExtension(const std::string& name);

// The surface InitOpenGL was given (client size for the cameras), or nullptr.
TGlSurface* CurrentSurface();
// Counts the contexts InitOpenGL made: objects made under another count
// belong to a context that is gone.
unsigned ContextGeneration();

}  // namespace orbitfall
