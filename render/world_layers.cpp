#include "render/world_layers.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/gl_draw_context.h"
#include "render/primitives.h"

namespace orbitfall {

void DrawBackground(TTextureImage* background, std::int32_t viewAngle) {
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glColor3f(0.5f, 0.5f, 0.5f);
    BindImage(background);
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= 9; ++i) {
        const float e = static_cast<float>(std::tan((5 * i - 22.5) * std::numbers::pi / 180));
        const float t = 1 - (5 * i + viewAngle) / 105.0f;
        glTexCoord2f(0, t);
        glVertex3f(-0.9f, e, -1);
        glTexCoord2f(1, t);
        glVertex3f(0.9f, e, -1);
    }
    glEnd();
    UnbindImage(background);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}

void DrawGrid(const TViewRect& v, std::int32_t mapWidth, std::int32_t mapHeight) {
    // The end index truncates toward zero, as integer division does.
    auto lastLine = [](double edge) { return static_cast<long long>(std::ceil(edge)) / 3; };
    glBegin(GL_LINES);
    const long long firstColumn = static_cast<long long>(std::floor(std::max(0.0, v.Left / 3)));
    const long long lastColumn = lastLine(std::min<double>(mapWidth, v.Right));
    const float top = static_cast<float>(std::max(0.0, v.Top));
    const float bottom = static_cast<float>(std::min<double>(mapHeight, v.Bottom));
    for (long long i = firstColumn; i <= lastColumn; ++i) {
        const float grey = (i % 2 != 0) ? 0.4f : 0.8f;
        glColor3f(grey, grey, grey);
        glVertex3f(3.0f * i, top, -0.01f);
        glVertex3f(3.0f * i, bottom, -0.01f);
    }
    const long long firstRow = static_cast<long long>(std::floor(std::max(0.0, v.Top / 3)));
    const long long lastRow = lastLine(std::min<double>(mapHeight, v.Bottom));
    const float left = static_cast<float>(std::max(0.0, v.Left));
    const float right = static_cast<float>(std::min<double>(mapWidth, v.Right));
    for (long long j = firstRow; j <= lastRow; ++j) {
        const float grey = (j % 2 != 0) ? 0.4f : 0.8f;
        glColor3f(grey, grey, grey);
        glVertex3f(left, 3.0f * j, -0.01f);
        glVertex3f(right, 3.0f * j, -0.01f);
    }
    glEnd();
}

void DrawSelectionRect(const TSelectionDrag& d, bool translucent) {
    if (!d.Selecting) return;
    glPushMatrix();
    glTranslated(std::min(d.StartX, d.EndX), std::min(d.StartY, d.EndY), 0);
    glScaled(std::fabs(d.StartX - d.EndX), std::fabs(d.StartY - d.EndY), 1);
    auto corners = [] {
        glVertex3f(0, 0, 0.01f);
        glVertex3f(0, 1, 0.01f);
        glVertex3f(1, 1, 0.01f);
        glVertex3f(1, 0, 0.01f);
    };
    glColor3f(0, 0.5f, 1);
    glBegin(GL_LINE_LOOP);
    corners();
    glEnd();
    if (translucent) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(0, 0, 1, 0.25f);
        glBegin(GL_QUADS);
        corners();
        glEnd();
        glDisable(GL_BLEND);
    }
    glPopMatrix();
}

void DrawFixedBeam(const TMatrix4f& viewMatrix, TTextureImage* laser) {
    BindImage(laser);
    glEnable(GL_BLEND);
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(0.625f, 0, 0);
    glScalef(0, 1, 1);
    glMatrixMode(GL_MODELVIEW);
    glColor4f(0.3f, 1.0f, 0.0f, 0.7f);
    DrawBeam(viewMatrix, {0, 0, 0, 1}, {30, 30, 0, 1}, 0.05f);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace orbitfall
