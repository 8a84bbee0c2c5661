#include "noise.h"

#include <cmath>

namespace orbitfall::artgen {

namespace {

int FloorInt(float v) {
    int i = static_cast<int>(v);
    return (static_cast<float>(i) > v) ? i - 1 : i;
}

float Fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float Lerp(float a, float b, float t) { return a + (b - a) * t; }

int Wrap(int i, int period) {
    if (period <= 0) return i;
    int m = i % period;
    return m < 0 ? m + period : m;
}

// Sixteen unit-length directions, fixed in the source so no trigonometry is
// evaluated at run time.
constexpr float Directions[16][2] = {
    {1.0f, 0.0f},           {0.9238795f, 0.3826834f},   {0.7071068f, 0.7071068f},   {0.3826834f, 0.9238795f},
    {0.0f, 1.0f},           {-0.3826834f, 0.9238795f},  {-0.7071068f, 0.7071068f},  {-0.9238795f, 0.3826834f},
    {-1.0f, 0.0f},          {-0.9238795f, -0.3826834f}, {-0.7071068f, -0.7071068f}, {-0.3826834f, -0.9238795f},
    {0.0f, -1.0f},          {0.3826834f, -0.9238795f},  {0.7071068f, -0.7071068f},  {0.9238795f, -0.3826834f},
};

float Grad2(int ix, int iy, float dx, float dy, std::uint32_t seed) {
    const float* g = Directions[Hash2(ix, iy, seed) & 15u];
    return g[0] * dx + g[1] * dy;
}

// The twelve edge directions of a cube (and four repeats), as in classic
// improved noise.
float Grad3(std::uint32_t h, float x, float y, float z) {
    switch (h & 15u) {
        case 0: return x + y;
        case 1: return -x + y;
        case 2: return x - y;
        case 3: return -x - y;
        case 4: return x + z;
        case 5: return -x + z;
        case 6: return x - z;
        case 7: return -x - z;
        case 8: return y + z;
        case 9: return -y + z;
        case 10: return y - z;
        case 11: return -y - z;
        case 12: return x + y;
        case 13: return -y + z;
        case 14: return -x + y;
        default: return -y - z;
    }
}

}  // namespace

std::uint32_t Hash(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

std::uint32_t Hash2(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    return Hash(static_cast<std::uint32_t>(x) * 0x9e3779b1u ^ Hash(static_cast<std::uint32_t>(y) + seed * 0x85ebca6bu));
}

std::uint32_t Hash3(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed) {
    return Hash(static_cast<std::uint32_t>(z) * 0xc2b2ae35u ^ Hash2(x, y, seed));
}

float Unit(std::uint32_t h) { return static_cast<float>(h >> 8) * (1.0f / 16777216.0f); }

float PeriodicNoise(float x, float y, int periodX, int periodY, std::uint32_t seed) {
    const int x0 = FloorInt(x);
    const int y0 = FloorInt(y);
    const float fx = x - static_cast<float>(x0);
    const float fy = y - static_cast<float>(y0);
    const int ax = Wrap(x0, periodX), bx = Wrap(x0 + 1, periodX);
    const int ay = Wrap(y0, periodY), by = Wrap(y0 + 1, periodY);
    const float n00 = Grad2(ax, ay, fx, fy, seed);
    const float n10 = Grad2(bx, ay, fx - 1.0f, fy, seed);
    const float n01 = Grad2(ax, by, fx, fy - 1.0f, seed);
    const float n11 = Grad2(bx, by, fx - 1.0f, fy - 1.0f, seed);
    const float u = Fade(fx);
    const float v = Fade(fy);
    // Gradient noise of unit gradients stays within about +-0.71; scale to +-1.
    return Lerp(Lerp(n00, n10, u), Lerp(n01, n11, u), v) * 1.4142135f;
}

float PeriodicFbm(float x, float y, int periodX, int periodY, int octaves, std::uint32_t seed) {
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * PeriodicNoise(x, y, periodX, periodY, seed + static_cast<std::uint32_t>(o) * 101u);
        total += amplitude;
        x *= 2.0f;
        y *= 2.0f;
        periodX *= 2;
        periodY *= 2;
        amplitude *= 0.5f;
    }
    return sum / total;
}

float Noise3(float x, float y, float z, std::uint32_t seed) {
    const int x0 = FloorInt(x), y0 = FloorInt(y), z0 = FloorInt(z);
    const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0), fz = z - static_cast<float>(z0);
    const float u = Fade(fx), v = Fade(fy), w = Fade(fz);
    float corner[8];
    for (int i = 0; i < 8; ++i) {
        const int dx = i & 1, dy = (i >> 1) & 1, dz = (i >> 2) & 1;
        corner[i] = Grad3(Hash3(x0 + dx, y0 + dy, z0 + dz, seed), fx - static_cast<float>(dx),
                          fy - static_cast<float>(dy), fz - static_cast<float>(dz));
    }
    const float x00 = Lerp(corner[0], corner[1], u), x10 = Lerp(corner[2], corner[3], u);
    const float x01 = Lerp(corner[4], corner[5], u), x11 = Lerp(corner[6], corner[7], u);
    return Lerp(Lerp(x00, x10, v), Lerp(x01, x11, v), w);
}

float Fbm3(float x, float y, float z, int octaves, std::uint32_t seed) {
    float sum = 0.0f, amplitude = 1.0f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * Noise3(x, y, z, seed + static_cast<std::uint32_t>(o) * 131u);
        total += amplitude;
        x *= 2.0f;
        y *= 2.0f;
        z *= 2.0f;
        amplitude *= 0.5f;
    }
    return sum / total;
}

Cells Cellular3(float x, float y, float z, std::uint32_t seed) {
    const int x0 = FloorInt(x), y0 = FloorInt(y), z0 = FloorInt(z);
    Cells c{1e9f, 1e9f, 0};
    for (int dz = -1; dz <= 1; ++dz) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const int cx = x0 + dx, cy = y0 + dy, cz = z0 + dz;
                const std::uint32_t h = Hash3(cx, cy, cz, seed);
                const float px = static_cast<float>(cx) + Unit(h);
                const float py = static_cast<float>(cy) + Unit(Hash(h ^ 0x68bc21ebu));
                const float pz = static_cast<float>(cz) + Unit(Hash(h ^ 0x02e5be93u));
                const float ex = px - x, ey = py - y, ez = pz - z;
                const float d = std::sqrt(ex * ex + ey * ey + ez * ez);
                if (d < c.nearest) {
                    c.second = c.nearest;
                    c.nearest = d;
                    c.id = h;
                } else if (d < c.second) {
                    c.second = d;
                }
            }
        }
    }
    return c;
}

}  // namespace orbitfall::artgen
