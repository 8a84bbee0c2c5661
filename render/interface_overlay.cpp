#include "render/interface_overlay.h"

#include <GL/gl.h>

#include <algorithm>

#include "render/bmp_font.h"
#include "render/fog.h"
#include "render/gl_draw_context.h"
#include "render/texture_image.h"
#include "simulation/game.h"
#include "simulation/unit.h"

namespace orbitfall {

namespace {

void ApplyMapping(const TMinimapMapping& m) {
    glTranslated(m.Left, m.Bottom, 0);
    glScaled(m.ScaleX, m.ScaleY, 1);
    glTranslated(m.ShiftX, m.ShiftY, 0);
}

}  // namespace

void SetupOverlay(int clientWidth, int clientHeight) {
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, clientWidth, clientHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, clientWidth, 0, clientHeight, 0, 128);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void DrawMinimapBackground(std::int32_t w, std::int32_t h, TTextureImage* background, int clientWidth) {
    glPushMatrix();
    ApplyMapping(StretchedMinimap(w, h, clientWidth));
    glColor3f(0.7f, 0.7f, 0.7f);
    BindImage(background);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2i(0, 0);
    glTexCoord2f(0, 1); glVertex2i(0, h);
    glTexCoord2f(1, 1); glVertex2i(w, h);
    glTexCoord2f(1, 0); glVertex2i(w, 0);
    glEnd();
    glPopMatrix();
}

void DrawMinimapFog(const TFogOfWar& fog, int clientWidth) {
    const std::int32_t w = fog.MapWidth, h = fog.MapHeight;
    glPushMatrix();
    ApplyMapping(ProportionalMinimap(w, h, clientWidth));
    glColor4f(1, 1, 1, 0.75f);
    fog.FogTexture->Bind(true);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const float s = static_cast<float>(w) / fog.FogWidth, t = static_cast<float>(h) / fog.FogHeight;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2i(0, 0);
    glTexCoord2f(0, t); glVertex2i(0, h);
    glTexCoord2f(s, t); glVertex2i(w, h);
    glTexCoord2f(s, 0); glVertex2i(w, 0);
    glEnd();
    fog.FogTexture->Unbind(true);
    glPopMatrix();
}

void DrawMinimap(const TFogOfWar& fog, TTextureImage* background, int clientWidth) {
    DrawMinimapBackground(fog.MapWidth, fog.MapHeight, background, clientWidth);
    DrawMinimapFog(fog, clientWidth);
}

void DrawInterfaceStrip(TTextureImage* interfacePicture, int clientWidth) {
    const std::vector<TPixelRect> whole{{0, 0, clientWidth, StripPictureRows(clientWidth)}};
    DrawInterfaceStrip(interfacePicture, clientWidth, whole);
}

void DrawInterfaceStrip(TTextureImage* interfacePicture, int clientWidth, const std::vector<TPixelRect>& parts) {
    const float w = static_cast<float>(clientWidth);
    const float top = w * StripPictureUnits / static_cast<float>(InterfaceUnitsAcross);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor3f(1, 1, 1);
    BindImage(interfacePicture);
    // The same quad for every part: the scissor picks the pixels, so each
    // pixel gets exactly the value the whole strip would give it.
    glEnable(GL_SCISSOR_TEST);
    for (const TPixelRect& r : parts) {
        glScissor(r.X, r.Y, r.Width, r.Height);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 1); glVertex2f(0, 0);
        glTexCoord2f(1, 1); glVertex2f(w, 0);
        glTexCoord2f(1, 0); glVertex2f(w, top);
        glTexCoord2f(0, 0); glVertex2f(0, top);
        glEnd();
    }
    glDisable(GL_SCISSOR_TEST);
    UnbindImage(interfacePicture);
    glDisable(GL_BLEND);
}

void DrawStillInterface(std::int32_t mapWidth, std::int32_t mapHeight, TTextureImage* background,
                        TTextureImage* interfacePicture, int clientWidth, int clientHeight) {
    const GLboolean blending = glIsEnabled(GL_BLEND);
    SetupOverlay(clientWidth, clientHeight);
    DrawMinimapBackground(mapWidth, mapHeight, background, clientWidth);
    DrawInterfaceStrip(interfacePicture, clientWidth, StillStripRects(clientWidth, clientHeight));
    if (blending) glEnable(GL_BLEND);
}

void DrawMovingInterface(const TFogOfWar& fog, TTextureImage* background, TTextureImage* interfacePicture,
                         int clientWidth, int clientHeight) {
    // The main view has drawn over the top of the minimap's square; its
    // picture is opaque, so drawing it there again restores exactly what
    // the still part holds below.
    const TPixelRect square = MinimapPixels(clientWidth);
    const int viewBottom = MainViewport(clientWidth, clientHeight).Rect.Y;
    const int top = square.Y + square.Height;
    if (top > viewBottom) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(square.X, viewBottom, square.Width, top - viewBottom);
        DrawMinimapBackground(fog.MapWidth, fog.MapHeight, background, clientWidth);
        glDisable(GL_SCISSOR_TEST);
    }
    DrawMinimapFog(fog, clientWidth);
    DrawInterfaceStrip(interfacePicture, clientWidth, MovingStripRects(clientWidth, clientHeight));
}

void DrawMinimapMarkers(const TGame& game, const TViewValues& mainView, int clientWidth) {
    glPushMatrix();
    ApplyMapping(ProportionalMinimap(game.Width, game.Height, clientWidth));

    glColor3f(1, 1, 1);
    glBegin(GL_LINE_LOOP);
    const int corners[4][2] = {{0, 0}, {0, mainView.ViewHeight}, {clientWidth, mainView.ViewHeight}, {clientWidth, 0}};
    for (const auto& c : corners) {
        double x = 0, y = 0;
        ScreenToMap(mainView, c[0], c[1], x, y);
        glVertex3d(x, y, 0);
    }
    glEnd();

    glBegin(GL_POINTS);
    // Child order: every game object is a direct child of the engine.
    const TSpriteEngine& engine = *game.Engine;
    for (int i = 0; i < engine.ChildCount(); ++i) {
        auto* unit = dynamic_cast<Tunit*>(&engine.GetChild(i));
        if (!unit || !unit->IsVisibleFor(game.LocalPlayerIndex)) continue;
        const TPlayer& owner = game.PlayerAt(unit->Owner);
        glColor3ub(owner.ColorR, owner.ColorG, owner.ColorB);
        glVertex3f(unit->X, unit->Y, 0);
    }
    glEnd();

    glDisable(GL_BLEND);
    glPopMatrix();
}

void DrawOverlayText(TBmpFont* font) {
    glColor3f(1, 0, 1);
    if (font) font->DrawString(0, 0, "ABC");
}

}  // namespace orbitfall
