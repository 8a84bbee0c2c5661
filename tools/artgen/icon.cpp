// The desktop icon: a crystal planet with an orbit and a ship on it, inside a
// round badge. Drawn from the same geometry at every size, supersampled.
#include <cmath>

#include "art.h"
#include "noise.h"
#include "shaping.h"

namespace orbitfall::artgen {

namespace {

// Premultiplied colour.
struct Premultiplied {
    float r = 0, g = 0, b = 0, a = 0;
};

void Over(Premultiplied& dst, Rgba c, float alpha) {
    alpha = Clamp01(alpha * c.a);
    dst.r = c.r * alpha + dst.r * (1.0f - alpha);
    dst.g = c.g * alpha + dst.g * (1.0f - alpha);
    dst.b = c.b * alpha + dst.b * (1.0f - alpha);
    dst.a = alpha + dst.a * (1.0f - alpha);
}

// Orbit: an ellipse round the planet, turned by a fixed angle.
constexpr float PlanetX = -0.10f, PlanetY = 0.10f, PlanetR = 0.46f;
constexpr float OrbitA = 0.80f, OrbitB = 0.25f;
constexpr float TurnCos = 0.9396926f, TurnSin = -0.3420201f;  // -20 degrees

void ToOrbit(float x, float y, float& ox, float& oy) {
    const float dx = x - PlanetX, dy = y - PlanetY;
    ox = dx * TurnCos + dy * TurnSin;
    oy = -dx * TurnSin + dy * TurnCos;
}

// Approximate distance to the ellipse, from its implicit function.
float OrbitDistance(float x, float y) {
    float ox, oy;
    ToOrbit(x, y, ox, oy);
    const float fx = ox / OrbitA, fy = oy / OrbitB;
    const float f = std::sqrt(fx * fx + fy * fy) - 1.0f;
    const float gx = fx / OrbitA, gy = fy / OrbitB;
    const float grad = std::sqrt(gx * gx + gy * gy) / std::fmax(1e-6f, std::sqrt(fx * fx + fy * fy));
    return std::fabs(f) / std::fmax(grad, 1e-6f);
}

float Edge(float signedDistance, float pixel) { return Clamp01(0.5f - signedDistance / pixel); }

// Signed distance to a triangle (negative inside), for either winding.
float Triangle(float x, float y, const float (&p)[3][2]) {
    const float area = (p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[1][1] - p[0][1]) * (p[2][0] - p[0][0]);
    const float side = area < 0.0f ? -1.0f : 1.0f;
    float outside = -1e9f;
    for (int i = 0; i < 3; ++i) {
        const float ax = p[i][0], ay = p[i][1], bx = p[(i + 1) % 3][0], by = p[(i + 1) % 3][1];
        const float ex = bx - ax, ey = by - ay;
        const float len = std::sqrt(ex * ex + ey * ey);
        const float d = side * ((y - ay) * ex - (x - ax) * ey) / len;
        outside = std::fmax(outside, -d);
    }
    return outside;
}

Premultiplied Sample(float x, float y, float pixel) {
    Premultiplied out;
    const float r = std::sqrt(x * x + y * y);
    // Badge.
    const float badge = Edge(r - 0.95f, pixel);
    const Rgba deep{0.03f, 0.05f, 0.15f, 1}, lighter{0.09f, 0.12f, 0.30f, 1};
    Over(out, Mix(lighter, deep, Clamp01(0.5f + 0.5f * (x - y) * 0.7f)), badge);
    if (pixel < 0.04f) {
        const int gx = static_cast<int>(std::floor((x + 1.0f) * 40.0f)), gy = static_cast<int>(std::floor((y + 1.0f) * 40.0f));
        const std::uint32_t h = Hash2(gx, gy, 77);
        if (Unit(h) < 0.06f) {
            const float cx = (static_cast<float>(gx) + 0.5f) / 40.0f - 1.0f, cy = (static_cast<float>(gy) + 0.5f) / 40.0f - 1.0f;
            const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
            Over(out, {0.85f, 0.9f, 1.0f, 1}, badge * Edge(d - 0.006f, pixel) * (0.4f + 0.6f * Unit(Hash(h))));
        }
    }
    // Back half of the orbit (above the planet's centre line in orbit space).
    float ox, oy;
    ToOrbit(x, y, ox, oy);
    const float orbit = Edge(OrbitDistance(x, y) - 0.018f, pixel);
    const Rgba orbitColour{0.45f, 0.85f, 1.0f, 1};
    if (oy < 0.0f) Over(out, orbitColour, orbit * 0.75f);
    // Planet with light from the upper right and a bright atmosphere rim.
    const float px = (x - PlanetX) / PlanetR, py = (y - PlanetY) / PlanetR;
    const float pd = std::sqrt(px * px + py * py);
    const float atmosphere = Clamp01(1.0f - std::fabs(pd - 1.0f) / 0.12f) * 0.6f;
    Over(out, {0.4f, 0.8f, 1.0f, 1}, atmosphere * badge);
    if (pd < 1.0f + pixel / PlanetR) {
        const float nz = std::sqrt(std::fmax(0.0f, 1.0f - pd * pd));
        const float light = Clamp01(0.55f * px - 0.55f * py + 0.63f * nz);
        const Cells cells = Cellular3(px * 2.5f, py * 2.5f, nz * 2.5f, 4242);
        const float facet = 0.75f + 0.25f * Unit(cells.id);
        const float crevice = Smoothstep(0.0f, 0.08f, cells.second - cells.nearest);
        const Rgba dark{0.05f, 0.12f, 0.40f, 1}, bright{0.55f, 0.92f, 1.0f, 1};
        Rgba surface = Mix(dark, bright, light * facet);
        surface = Mix(Rgba{0.03f, 0.07f, 0.25f, 1}, surface, 0.6f + 0.4f * crevice);
        const float spec = Clamp01((light - 0.85f) * 6.0f);
        surface = Mix(surface, {1, 1, 1, 1}, spec * 0.6f);
        Over(out, surface, Edge((pd - 1.0f) * PlanetR, pixel));
    }
    // Front half of the orbit.
    if (oy >= 0.0f) Over(out, orbitColour, orbit);
    // The ship on the orbit's front right, heading up along it, with a trail.
    const float shipX = 0.48f, shipY = 0.22f;
    const float tri[3][2] = {{shipX + 0.19f, shipY - 0.19f}, {shipX + 0.10f, shipY + 0.14f}, {shipX - 0.14f, shipY - 0.10f}};
    const float notch[3][2] = {{shipX + 0.04f, shipY - 0.04f}, {shipX + 0.115f, shipY + 0.17f}, {shipX - 0.17f, shipY - 0.115f}};
    const float tx = x - shipX, ty = y - shipY;
    const float along = -(tx - ty) * 0.7071068f, across = (tx + ty) * 0.7071068f;
    if (along > 0.0f && along < 0.5f) {
        const float trail = Bell(across, 0.04f + 0.06f * along) * (1.0f - along / 0.5f);
        Over(out, {1.0f, 0.65f, 0.25f, 1}, trail * 0.8f * badge);
    }
    const float hull = Edge(Triangle(x, y, tri), pixel) * (1.0f - Edge(Triangle(x, y, notch), pixel));
    const float hullLight = Clamp01(0.75f + 1.5f * (tx * 0.7f - ty * 0.7f));
    Over(out, Mix(Rgba{0.75f, 0.78f, 0.85f, 1}, Rgba{1, 1, 1, 1}, hullLight), hull);
    const float ex = x - (shipX - 0.02f), ey = y - (shipY + 0.02f);
    Over(out, {1.0f, 0.55f, 0.15f, 1}, Glow(std::sqrt(ex * ex + ey * ey), 2500.0f) * 0.9f);
    // Badge rim.
    Over(out, {0.55f, 0.78f, 1.0f, 1}, Edge(std::fabs(r - 0.93f) - 0.022f, pixel));
    return out;
}

}  // namespace

Picture MakeIcon(int size) {
    Canvas c(size, size);
    const float pixel = 2.0f / static_cast<float>(size);
    constexpr int N = 4;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Premultiplied sum;
            for (int j = 0; j < N; ++j) {
                for (int i = 0; i < N; ++i) {
                    const float u = (static_cast<float>(x) + (static_cast<float>(i) + 0.5f) / N) * pixel - 1.0f;
                    const float v = (static_cast<float>(y) + (static_cast<float>(j) + 0.5f) / N) * pixel - 1.0f;
                    const Premultiplied s = Sample(u, v, pixel);
                    sum.r += s.r;
                    sum.g += s.g;
                    sum.b += s.b;
                    sum.a += s.a;
                }
            }
            const float a = sum.a / (N * N);
            Rgba& p = c.At(x, y);
            if (a > 0.0f) p = {sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, a};
        }
    }
    return Quantize(c);
}

}  // namespace orbitfall::artgen
