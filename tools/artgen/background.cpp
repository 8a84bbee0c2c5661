#include "art.h"
#include "noise.h"
#include "shaping.h"

namespace orbitfall::artgen {

namespace {
constexpr int Width = 1024;
constexpr int Height = 512;

// Haze and stars both wrap at the picture's width: the noise is periodic in x
// and every star's glow is added with wrapping.
void PaintHaze(Canvas& c) {
    const float cell = 128.0f;
    const int period = Width / 128;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const float fx = static_cast<float>(x) / cell, fy = static_cast<float>(y) / cell;
            const float shape = PeriodicFbm(fx, fy, period, 0, 6, 11);
            const float hue = PeriodicFbm(fx * 0.5f, fy * 0.5f, period / 2, 0, 4, 23);
            const float lanes = PeriodicFbm(fx * 2.0f, fy * 2.0f, period * 2, 0, 5, 37);
            // A band that meanders once around the picture's width.
            const double phase = 2.0 * 3.141592653589793 * x / Width;
            const float centre = Height * (0.5f + 0.12f * static_cast<float>(Sine(phase)) +
                                          0.05f * static_cast<float>(Sine(2.0 * phase + 1.3)));
            const float band = Bell(static_cast<float>(y) - centre, Height * 0.42f);
            float density = Clamp01((shape * 0.5f + 0.5f) * 1.5f - 0.35f) * (0.25f + 0.75f * band);
            density *= 1.0f - 0.65f * Smoothstep(0.05f, 0.45f, lanes);
            const Rgba violet{0.52f, 0.16f, 0.58f, 1};
            const Rgba teal{0.08f, 0.36f, 0.62f, 1};
            const Rgba rose{0.85f, 0.38f, 0.52f, 1};
            Rgba haze = Mix(teal, violet, Smoothstep(-0.35f, 0.35f, hue));
            haze = Mix(haze, rose, Smoothstep(0.55f, 0.95f, density) * 0.6f);
            const float glow = density * (0.35f + 0.65f * density) * 1.6f;
            Rgba& p = c.At(x, y);
            p.r = 0.015f + haze.r * glow;
            p.g = 0.018f + haze.g * glow;
            p.b = 0.045f + haze.b * glow;
            p.a = 1;
        }
    }
}

Rgba StarColour(std::uint32_t h) {
    const float t = Unit(h);
    if (t < 0.25f) return {0.75f, 0.85f, 1.0f, 1};
    if (t < 0.55f) return {1.0f, 1.0f, 1.0f, 1};
    if (t < 0.8f) return {1.0f, 0.93f, 0.78f, 1};
    return {1.0f, 0.78f, 0.62f, 1};
}

void PaintStars(Canvas& c) {
    // Faint dust: single pixels, more of them inside the haze.
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const std::uint32_t h = Hash2(x, y, 101);
            const Rgba& base = c.At(x, y);
            const float chance = 0.004f + 0.02f * Clamp01((base.r + base.g + base.b) * 0.8f);
            if (Unit(h) < chance) {
                const float v = Unit(Hash(h ^ 0x51ed27u));
                c.AddWrapped(x, y, StarColour(Hash(h)), 0.12f + 0.45f * v * v);
            }
        }
    }
    // Brighter stars with a small round glow and, for the brightest, a cross.
    for (std::uint32_t i = 0; i < 320; ++i) {
        const std::uint32_t h = Hash(i * 2654435761u + 977u);
        const float sx = Unit(h) * Width, sy = Unit(Hash(h + 1)) * Height;
        const float power = Unit(Hash(h + 2));
        const float brightness = 0.35f + 0.9f * power * power * power;
        const Rgba colour = StarColour(Hash(h + 3));
        const float radius = 1.2f + 3.0f * power * power;
        const int reach = static_cast<int>(radius * 3.0f) + 2;
        const int cx = static_cast<int>(sx), cy = static_cast<int>(sy);
        for (int dy = -reach; dy <= reach; ++dy) {
            for (int dx = -reach; dx <= reach; ++dx) {
                const float ex = static_cast<float>(cx + dx) + 0.5f - sx;
                const float ey = static_cast<float>(cy + dy) + 0.5f - sy;
                const float d2 = (ex * ex + ey * ey) / (radius * radius);
                float w = brightness * Glow(1.0f, 0.0f) / (1.0f + 6.0f * d2 * d2);
                w *= Clamp01(1.0f - d2 / 9.0f);
                if (power > 0.9f) {
                    const float spike = (Bell(ex, 0.9f) * Bell(ey, radius * 3.0f) + Bell(ey, 0.9f) * Bell(ex, radius * 3.0f));
                    w += 0.5f * brightness * spike;
                }
                c.AddWrapped(cx + dx, cy + dy, colour, w);
            }
        }
    }
}
}  // namespace

Picture MakeBackground() {
    Canvas c(Width, Height);
    PaintHaze(c);
    PaintStars(c);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) c.At(x, y).a = 1;
    return Quantize(c);
}

}  // namespace orbitfall::artgen
