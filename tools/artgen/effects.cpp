// The small billboard pictures: nebula puff, laser, aura and selection ring.
#include <cmath>

#include "art.h"
#include "noise.h"
#include "shaping.h"

namespace orbitfall::artgen {

namespace {
constexpr int NebulaSize = 256;

struct Puff {
    float density;  // 0 outside, up to about 0.9 in the core
    float wisps;    // fine variation in about [-1, 1]
};

Puff NebulaPuff(int x, int y) {
    const float u = (static_cast<float>(x) + 0.5f) / (NebulaSize / 2) - 1.0f;
    const float v = (static_cast<float>(y) + 0.5f) / (NebulaSize / 2) - 1.0f;
    const float r = std::sqrt(u * u + v * v);
    const float billow = PeriodicFbm(u * 2.5f + 7.0f, v * 2.5f + 3.0f, 0, 0, 5, 313);
    const float wisps = PeriodicFbm(u * 6.0f, v * 6.0f, 0, 0, 4, 419);
    // The outline wobbles with the billows but always ends inside the square,
    // so the billboard never shows an edge.
    const float edge = Smoothstep(0.97f, 0.15f, r + 0.16f * billow);
    const float core = Glow(r, 2.5f);
    float density = edge * (0.5f * core + 0.5f) * (0.72f + 0.3f * billow + 0.12f * wisps);
    density = Clamp01(density * Smoothstep(0.99f, 0.86f, r));
    return {Clamp01(0.45f * std::sqrt(density) + 0.5f * density), wisps};
}
}  // namespace

Picture MakeNebula() {
    // Light and nearly neutral: the nebula's colour supplies the hue.
    Canvas c(NebulaSize, NebulaSize);
    for (int y = 0; y < NebulaSize; ++y) {
        for (int x = 0; x < NebulaSize; ++x) {
            const Puff p = NebulaPuff(x, y);
            const float grey = 0.8f + 0.2f * Clamp01(p.density * 1.3f) + 0.04f * p.wisps;
            c.At(x, y) = {grey * 0.99f, grey * 0.98f, grey, 1};
        }
    }
    return Quantize(c);
}

Picture MakeNebulaAlpha() {
    Canvas c(NebulaSize, NebulaSize);
    for (int y = 0; y < NebulaSize; ++y) {
        for (int x = 0; x < NebulaSize; ++x) {
            const float a = NebulaPuff(x, y).density;
            c.At(x, y) = {a, a, a, 1};
        }
    }
    return Quantize(c);
}

Picture MakeLaser() {
    constexpr int W = 256, H = 64;
    Canvas c(W, H);
    for (int y = 0; y < H; ++y) {
        // Every column carries the same cross-section, so whichever column the
        // beam samples (and every mipmap level) shows the full profile.
        const float d = std::fabs((static_cast<float>(y) + 0.5f) / (H / 2) - 1.0f);
        const float core = Bell(d, 0.16f);
        const float halo = Glow(d, 22.0f) * Smoothstep(1.0f, 0.55f, d);
        const float alpha = Clamp01(core + 0.75f * halo);
        const float white = Clamp01(0.72f + 0.28f * core + 0.1f * halo);
        for (int x = 0; x < W; ++x) c.At(x, y) = {white, white, white, alpha};
    }
    return Quantize(c);
}

Picture MakeAura() {
    constexpr int Size = 256;
    constexpr float Rim = 1.0f / 1.6f;  // the sphere's silhouette inside the halo square
    Canvas c(Size, Size);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / (Size / 2) - 1.0f;
            const float v = (static_cast<float>(y) + 0.5f) / (Size / 2) - 1.0f;
            const float r = std::sqrt(u * u + v * v);
            float glow;
            if (r < Rim) {
                glow = 0.35f + 0.65f * Smoothstep(Rim * 0.6f, Rim, r);
            } else {
                const float out = r - Rim;
                // Streaks from the rim outward, from noise on the direction alone.
                const float nx = u / r, ny = v / r;
                const float rays = PeriodicFbm(nx * 3.0f + 5.0f, ny * 3.0f + 5.0f, 0, 0, 3, 577);
                const float falloff = Glow(out, 60.0f) * 0.6f + Glow(out, 7.0f) * 0.4f;
                glow = falloff * (0.8f + 0.35f * rays);
            }
            glow *= Smoothstep(0.97f, 0.8f, r);
            // Grey, as bright as it is opaque: the aura is its own alpha, and
            // the square root keeps brightness times opacity close to the glow.
            const float a = std::sqrt(Clamp01(glow));
            c.At(x, y) = {a, a, a, 1};
        }
    }
    return Quantize(c);
}

namespace {
constexpr int SelectionSize = 256;

// Ring with four short ticks pointing inward; coordinates in half-sizes.
float RingShape(float px, float py) {
    const float u = px / (SelectionSize / 2) - 1.0f, v = py / (SelectionSize / 2) - 1.0f;
    const float r = std::sqrt(u * u + v * v);
    const float ring = std::fabs(r - 0.86f) < 0.035f ? 1.0f : 0.0f;
    const float au = std::fabs(u), av = std::fabs(v);
    const bool tick = (au < 0.022f && av > 0.70f && av < 0.86f) || (av < 0.022f && au > 0.70f && au < 0.86f);
    return (ring > 0.0f || tick) ? 1.0f : 0.0f;
}
}  // namespace

Picture MakeSelectionColor() {
    Canvas c(SelectionSize, SelectionSize, {1, 1, 1, 1});
    return Quantize(c);
}

Picture MakeSelectionAlpha() {
    Canvas c(SelectionSize, SelectionSize);
    for (int y = 0; y < SelectionSize; ++y) {
        for (int x = 0; x < SelectionSize; ++x) {
            const float a = Coverage(x, y, 4, RingShape);
            c.At(x, y) = {a, a, a, 1};
        }
    }
    return Quantize(c);
}

}  // namespace orbitfall::artgen
