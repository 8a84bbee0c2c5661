#include "render/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orbitfall {

TViewValues View;

namespace {
constexpr double DegToRad = std::numbers::pi / 180.0;
}

TMatrix4f CameraMatrix(double x, double y, std::int32_t tiltDegrees, double distance) {
    const double a = tiltDegrees * DegToRad;
    const double c = std::cos(a), s = std::sin(a);
    const double tx = -x, ty = -y - s * distance, tz = -distance * c;
    // Scale(1, -1, 1) * RotateX(a): rows (1 0 0), (0 -c s), (0 s c).
    TMatrix4f m{};
    m[0] = 1;
    m[5] = static_cast<float>(-c);
    m[6] = static_cast<float>(s);
    m[9] = static_cast<float>(s);
    m[10] = static_cast<float>(c);
    m[12] = static_cast<float>(tx);
    m[13] = static_cast<float>(-c * ty + s * tz);
    m[14] = static_cast<float>(s * ty + c * tz);
    m[15] = 1;
    return m;
}

TMatrix4f InvertMatrix(const TMatrix4f& src) {
    // Cofactor expansion in double; the result is stored in single precision.
    double m[16], inv[16];
    for (int i = 0; i < 16; ++i) m[i] = src[i];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    TMatrix4f out{};
    if (std::fabs(det) < 1e-100) {
        out[0] = out[5] = out[10] = out[15] = 1;
        return out;
    }
    for (int i = 0; i < 16; ++i) out[i] = static_cast<float>(inv[i] / det);
    return out;
}

std::array<float, 4> Transform(const TMatrix4f& m, float x, float y, float z, float w) {
    std::array<float, 4> r{};
    for (int row = 0; row < 4; ++row)
        r[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row] * w;
    return r;
}

void PublishCamera(TViewValues& view, const TMatrix4f& matrix, std::int32_t viewAngle, int clientWidth) {
    view.ViewAngle = viewAngle;
    view.ViewMatrix = matrix;
    view.InverseViewMatrix = InvertMatrix(matrix);
    view.ClientWidth = clientWidth;
    view.ScreenDistance = view.ViewHeight * 0.5 / std::tan(std::numbers::pi / 8);
    double unused = 0;
    TViewRect& r = view.ViewRect;
    ScreenToMap(view, 0, 0, r.Left, r.Top);
    ScreenToMap(view, 0, view.ViewHeight, unused, r.Bottom);
    ScreenToMap(view, clientWidth, 0, r.Right, unused);
}

bool ScreenToMap(const TViewValues& view, int sx, int sy, double& mapX, double& mapY) {
    if (view.ScreenDistance == 0) return false;
    const auto o = Transform(view.InverseViewMatrix, 0, 0, 0, 1);
    const auto p = Transform(view.InverseViewMatrix, static_cast<float>(sx - view.ClientWidth / 2.0),
                             static_cast<float>(sy - view.ViewHeight / 2.0),
                             static_cast<float>(view.ScreenDistance), 1);
    const float dx = p[0] - o[0], dy = p[1] - o[1], dz = p[2] - o[2];
    const float t = o[2] / dz;
    mapX = o[0] + t * dx;
    mapY = o[1] - t * dy;
    return true;
}

bool ScreenToMap(int sx, int sy, double& mapX, double& mapY) { return ScreenToMap(View, sx, sy, mapX, mapY); }

void SetupMainCamera(TViewValues& view, int clientWidth, int clientHeight, double cameraX, double cameraY,
                     std::int32_t cameraTilt, std::int32_t cameraDistance) {
    glEnable(GL_DEPTH_TEST);
    const TMainViewport main = MainViewport(clientWidth, clientHeight);
    view.ViewHeight = main.ViewRows;
    // A window shorter than the strip still gets a (one pixel) view.
    const int viewportHeight = main.Rect.Height;
    glViewport(main.Rect.X, main.Rect.Y, main.Rect.Width, viewportHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, static_cast<double>(clientWidth) / viewportHeight, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    const TMatrix4f m = CameraMatrix(cameraX, cameraY, cameraTilt, cameraDistance);
    glLoadMatrixf(m.data());
    PublishCamera(view, m, cameraTilt, clientWidth);
}

void SetupMinisceneCamera(TViewValues& view, int clientWidth, double eventX, double eventY) {
    glEnable(GL_DEPTH_TEST);
    const TPixelRect r = MinisceneViewport(clientWidth);
    glViewport(r.X, r.Y, r.Width, r.Height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 1.0, 0.1, 100);
    glMatrixMode(GL_MODELVIEW);
    const TMatrix4f m = CameraMatrix(eventX, eventY, 60, 5);
    glLoadMatrixf(m.data());
    PublishCamera(view, m, 60, clientWidth);
}

}  // namespace orbitfall
