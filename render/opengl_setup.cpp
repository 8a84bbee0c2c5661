#include "render/opengl_setup.h"

#include <GL/gl.h>

#include <array>

#include "infra/event_log.h"
#include "infra/resource_manager.h"
#include "platform/gl_surface.h"
#include "render/bmp_font.h"
#include "render/gl_capabilities.h"
#include "render/graphic_card_report.h"
#include "render/texture.h"

namespace orbitfall {

TResourceManager* ResourceManager = nullptr;
TTexture* NebulaTexture = nullptr;
TTexture* LaserTexture = nullptr;
TTexture* BackgroundTexture = nullptr;
TTexture* AuraTexture = nullptr;
TTexture* SelectionTexture = nullptr;
TTexture* MoonTexture = nullptr;
TTexture* InterfaceTexture = nullptr;
TTexture* ExplosionTexture = nullptr;
TTexture* FogPatternTexture = nullptr;
TBmpFont* MainFont = nullptr;

namespace {

TGlSurface* Surface = nullptr;
unsigned Generation = 0;
std::string Extensions;

struct TSharedTexture {
    TTexture** global;
    const char* fileName;
};

// In the order they are required.
const std::array<TSharedTexture, 9> kSharedTextures = {{
    {&NebulaTexture, "Graphics\\Nebula.img"},
    {&LaserTexture, "Graphics\\Textures\\Laser.img"},
    {&BackgroundTexture, "Graphics\\Background\\Orion.img"},
    {&AuraTexture, "Graphics\\Textures\\Aura1.img"},
    {&SelectionTexture, "Graphics\\Textures\\Selection.img"},
    {&MoonTexture, "Graphics\\Textures\\Kristallmond.img"},
    {&InterfaceTexture, "Graphics\\Interfaces\\Interface3b.img"},
    {&ExplosionTexture, "Graphics\\Textures\\BlueExplosion.img"},
    {&FogPatternTexture, "Graphics\\Textures\\Fog.img"},
}};

// In the order they are released.
TTexture** const kReleaseOrder[] = {
    &NebulaTexture, &BackgroundTexture, &InterfaceTexture, &ExplosionTexture, &LaserTexture,
    &AuraTexture,   &MoonTexture,       &SelectionTexture, &FogPatternTexture,
};

std::string UnavailableMessage(const TGlSurface& surface) {
    const std::string display = surface.DisplayName();
    if (display.empty()) return "No OpenGL window can be opened: no X display (DISPLAY is not set)";
    return "No OpenGL window can be opened on display \"" + display + "\"";
}

}  // namespace

void InitOpenGL(TGlSurface& surface) {
    if (ResourceManager != nullptr || Surface != nullptr) DoneOpenGL();
    LogContext = "Init";
    if (!surface.MakeCurrent()) throw EGraphicsUnavailable(UnavailableMessage(surface));
    Surface = &surface;
    ++Generation;
    ResetGlCapabilities();  // a new context: the texture uploads ask its driver again
    const GLubyte* extensions = glGetString(GL_EXTENSIONS);
    Extensions = extensions != nullptr ? reinterpret_cast<const char*>(extensions) : "";

    glClearColor(0.1f, 0.1f, 0.2f, 0.0f);
    glEnable(GL_CULL_FACE);
    glDepthFunc(GL_LEQUAL);

    ResourceManager = new TResourceManager();
    TTexture::RegisterExtensions(*ResourceManager);
    for (const TSharedTexture& shared : kSharedTextures) {
        *shared.global = static_cast<TTexture*>(ResourceManager->Require(shared.fileName));
    }
    MainFont = new TBmpFont("Verdana14B");
}

void DoneOpenGL() {
    for (TTexture** texture : kReleaseOrder) {
        if (*texture == nullptr) continue;
        ResourceManager->Release(*texture);
        *texture = nullptr;
    }
    delete ResourceManager;
    ResourceManager = nullptr;
    // The font's texture object lives in this context: free it while the
    // context is still there.
    delete MainFont;
    MainFont = nullptr;
    Extensions.clear();
    if (Surface != nullptr) Surface->DestroyContext();
    Surface = nullptr;
}

namespace {

template <typename Change>
void RecreateContextAround(Change change) {
    TGlSurface* surface = Surface;
    if (surface == nullptr) return;
    DoneOpenGL();
    change(*surface);
    InitOpenGL(*surface);
}

}  // namespace

void SetFullscreen(std::uint16_t width, std::uint16_t height, std::uint16_t, std::uint16_t) {
    // X keeps its display mode: the window covers the screen instead, and the
    // bit depth and refresh rate stay what the desktop has.
    RecreateContextAround([&](TGlSurface& surface) { surface.EnterFullscreen(width, height); });
}

void LeaveFullscreen() {
    RecreateContextAround([](TGlSurface& surface) { surface.LeaveFullscreen(); });
}

void ClearFrame() { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

void PresentFrame() {
    if (Surface != nullptr) Surface->SwapBuffers();
}

bool WriteGraphicCardInfo(const std::string& fileName) {
    return WriteGraphicCardReport(fileName, QueryGraphicCardInfo());
}

const std::string& GLExtensions() { return Extensions; }

bool HasGLExtension(const std::string& name) {
    if (name.empty()) return false;
    for (std::size_t at = Extensions.find(name); at != std::string::npos; at = Extensions.find(name, at + 1)) {
        const bool startsName = at == 0 || Extensions[at - 1] == ' ';
        const std::size_t end = at + name.size();
        if (startsName && (end == Extensions.size() || Extensions[end] == ' ')) return true;
    }
    return false;
}

TGlSurface* CurrentSurface() { return Surface; }

unsigned ContextGeneration() { return Generation; }

}  // namespace orbitfall
