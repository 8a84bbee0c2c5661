#include "render/primitives.h"

#include <GL/gl.h>

#include <cmath>
#include <numbers>

namespace orbitfall {

void DrawUnitModel() {
    glScalef(0.5f, 0.5f, 0.5f);
    glRotatef(-90, 0, 0, 1);
    struct V {
        float x, y, z;
    };
    constexpr V tip{0, 1, 0}, left{-0.75f, -0.5f, -0.433f}, right{0.75f, -0.5f, -0.433f}, top{0, -0.5f, 0.866f};
    auto vertex = [](const V& v) { glVertex3f(v.x, v.y, v.z); };
    glBegin(GL_TRIANGLES);
    glColor3f(1, 0, 0); vertex(tip);
    glColor3f(0, 1, 0); vertex(left);
    glColor3f(0, 1, 0); vertex(right);
    glColor3f(1, 0, 0); vertex(tip);
    glColor3f(0, 1, 1); vertex(top);
    glColor3f(0, 1, 1); vertex(left);
    glColor3f(1, 0, 0); vertex(tip);
    glColor3f(0, 0, 1); vertex(right);
    glColor3f(0, 0, 1); vertex(top);
    glColor3f(1, 0.5f, 0); vertex(right);
    glColor3f(1, 0.5f, 0); vertex(left);
    glColor3f(1, 0.5f, 0); vertex(top);
    glEnd();
}

void DrawShotModel() {
    glColor3f(1, 0, 0);
    glBegin(GL_TRIANGLES);
    glVertex3f(0.1f, 0, 0);
    glVertex3f(-0.1f, -0.1f, 0);
    glVertex3f(-0.1f, 0.1f, 0);
    glEnd();
}

void DrawSphere() {
    constexpr double alpha = std::numbers::pi / 32;
    auto point = [](int m, int n) {
        glTexCoord2f(static_cast<float>(m / 64.0), static_cast<float>((n + 16) / 32.0));
        glVertex3f(static_cast<float>(std::sin(m * alpha) * std::cos(n * alpha)),
                   static_cast<float>(std::cos(m * alpha) * std::cos(n * alpha)),
                   static_cast<float>(std::sin(n * alpha)));
    };
    for (int i = 0; i <= 63; ++i)
        for (int j = -16; j <= 15; ++j) {
            glBegin(GL_QUADS);
            point(i, j);
            point(i + 1, j);
            point(i + 1, j + 1);
            point(i, j + 1);
            glEnd();
        }
}

namespace {
void Square(float cx, float cy, float z, float s) {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex3f(cx - s, cy - s, z);
    glTexCoord2f(0, 1); glVertex3f(cx + s, cy - s, z);
    glTexCoord2f(1, 1); glVertex3f(cx + s, cy + s, z);
    glTexCoord2f(1, 0); glVertex3f(cx - s, cy + s, z);
    glEnd();
}
}  // namespace

void DrawBillboard(const TMatrix4f& viewMatrix, float x, float y, float z, float halfSize) {
    const auto p = Transform(viewMatrix, x, y, z, 1);
    Square(p[0], p[1], p[2], halfSize);
}

void DrawShiftedBillboard(const TMatrix4f& viewMatrix, float x, float y, float z, float dz, float halfSize) {
    const auto p = Transform(viewMatrix, x, y, z, 1);
    const float shiftedZ = p[2] + dz;
    const float s = halfSize * shiftedZ / p[2];
    Square(p[0], p[1], shiftedZ, s);
}

void DrawHalo(const TMatrix4f& viewMatrix, float x, float y, float z, float halfSize) {
    const auto p = Transform(viewMatrix, x, y, z, 1);
    const float len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    const float nx = p[0] / len, ny = p[1] / len, nz = p[2] / len;
    const float ulen = std::sqrt(p[2] * p[2] + p[1] * p[1]);
    float uy = p[2] / ulen, uz = p[1] / ulen;
    uy = -halfSize * uy;
    uz = halfSize * uz;
    // V = N x U with U = (0, uy, uz).
    const float vx = ny * uz - nz * uy, vy = -nx * uz, vz = nx * uy;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex3f(p[0] - vx, p[1] - vy - uy, p[2] - vz - uz);
    glTexCoord2f(0, 1); glVertex3f(p[0] + vx, p[1] + vy - uy, p[2] + vz - uz);
    glTexCoord2f(1, 1); glVertex3f(p[0] + vx, p[1] + vy + uy, p[2] + vz + uz);
    glTexCoord2f(1, 0); glVertex3f(p[0] - vx, p[1] - vy + uy, p[2] - vz + uz);
    glEnd();
}

void DrawBeam(const TMatrix4f& viewMatrix, const std::array<float, 4>& a, const std::array<float, 4>& b,
              float halfWidth) {
    const auto pa = Transform(viewMatrix, a[0], a[1], a[2], a[3]);
    const auto pb = Transform(viewMatrix, b[0], b[1], b[2], b[3]);
    const float ex = pa[0] - pb[0], ey = pa[1] - pb[1], ez = pa[2] - pb[2];
    const float k = halfWidth / std::sqrt(ex * ex + ey * ey + ez * ez);
    const float dx = (pa[1] - pb[1]) * k, dy = (pb[0] - pa[0]) * k;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex3f(pa[0] + dx, pa[1] + dy, pa[2]);
    glTexCoord2f(0, 1); glVertex3f(pa[0] - dx, pa[1] - dy, pa[2]);
    glTexCoord2f(1, 1); glVertex3f(pb[0] - dx, pb[1] - dy, pb[2]);
    glTexCoord2f(1, 0); glVertex3f(pb[0] + dx, pb[1] + dy, pb[2]);
    glEnd();
}

}  // namespace orbitfall
