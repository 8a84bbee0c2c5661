#include "render/game_frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "infra/event_log.h"
#include "infra/settings.h"
#include "render/backdrop.h"
#include "render/camera.h"
#include "render/fog.h"
#include "render/fog_filter.h"
#include "render/gl_draw_context.h"
#include "render/interface_overlay.h"
#include "render/opengl_setup.h"
#include "simulation/game.h"
#include "simulation/game_object.h"

namespace orbitfall {

namespace {

void MarkSelection(TGame& game) {
    for (std::int32_t id : game.LocalPlayer->Selection) {
        if (id <= 0 || static_cast<std::size_t>(id) >= game.ObjectTable.size()) continue;
        if (TIdentifiedObject* o = game.ObjectTable[static_cast<std::size_t>(id)]) o->Selected = true;
    }
}

void DrawObjects(TGame& game, TGlDrawContext& context) {
    game.Engine->Draw(context);
    glDepthMask(GL_FALSE);
    game.Engine->AlphaDraw(context);
}

}  // namespace

void DrawGameFrame(TGame& game, TFogOfWar& fog, TBackdrop& backdrop, const TSettings& settings, const TFrameDrawState& state,
                   int clientWidth, int clientHeight) {
    TPlayer& local = *game.LocalPlayer;
    TGlDrawContext context(View);

    UpdateFogTexture(fog, local, View.ViewRect);
    // The two star bands lie in viewports of their own that nothing else
    // drawn before them touches, so they can come first, from the cache, and
    // with them the parts of the interface that no frame changes.
    TBackdropKey key{clientWidth,           clientHeight,           state.CameraTilt,
                     settings.ShowMiniscene, settings.ShowBackground, ImageOf(BackgroundTexture),
                     ContextGeneration()};
    key.Interface = ImageOf(InterfaceTexture);
    key.MapWidth = fog.MapWidth;
    key.MapHeight = fog.MapHeight;
    backdrop.Present(key, [&] {
        ClearFrame();
        if (settings.ShowBackground) {
            if (settings.ShowMiniscene) {
                SetupMinisceneCamera(View, clientWidth, local.EventX, local.EventY);
                DrawBackground(ImageOf(BackgroundTexture), View.ViewAngle);
            }
            SetupMainCamera(View, clientWidth, clientHeight, local.CameraX, local.CameraY, state.CameraTilt,
                            state.CameraDistance);
            DrawBackground(ImageOf(BackgroundTexture), View.ViewAngle);
        }
        DrawStillInterface(fog.MapWidth, fog.MapHeight, ImageOf(BackgroundTexture), ImageOf(InterfaceTexture),
                           clientWidth, clientHeight);
    });
    // The previous frame's text leaves 2D texturing on; the untextured models
    // and the grid must not sample whatever texture is bound, at any detail.
    glDisable(GL_TEXTURE_2D);

    if (settings.ShowMiniscene) {
        SetupMinisceneCamera(View, clientWidth, local.EventX, local.EventY);
        LogContext = "Miniscene:game.engine.draw";
        DrawObjects(game, context);
        glDepthMask(GL_TRUE);
        DrawFogOverlay(fog, View.ViewRect, ImageOf(FogPatternTexture));
    }

    SetupMainCamera(View, clientWidth, clientHeight, local.CameraX, local.CameraY, state.CameraTilt,
                    state.CameraDistance);
    glDisable(GL_DEPTH_TEST);
    DrawGrid(View.ViewRect, game.Width, game.Height);
    glEnable(GL_DEPTH_TEST);

    LogContext = "game.engine.draw";
    MarkSelection(game);
    DrawObjects(game, context);
    // Sixteen bands: the near three quarters of the default view show the
    // pattern magnified, the middle of the far bands too, and a piece costs
    // one more quad.
    const TGroundSteps steps{MainViewport(clientWidth, clientHeight).Rect, GroundStepBands(View, 16), &View};
    DrawFogOverlay(fog, View.ViewRect, ImageOf(FogPatternTexture), steps);
    DrawSelectionRect(state.Drag, settings.TranslucentSelection);
    DrawFixedBeam(View.ViewMatrix, ImageOf(LaserTexture));
    glDepthMask(GL_TRUE);

    SetupOverlay(clientWidth, clientHeight);
    DrawMovingInterface(fog, ImageOf(BackgroundTexture), ImageOf(InterfaceTexture), clientWidth, clientHeight);
    DrawMinimapMarkers(game, View, clientWidth);
    DrawOverlayText(MainFont);
}

std::string PendingGlErrorText() {
    const GLubyte* text = gluErrorString(glGetError());
    return text ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace orbitfall
