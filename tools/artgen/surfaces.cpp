// The crystal moon's surface, the explosion cells and the fog pattern.
#include <cmath>

#include "art.h"
#include "noise.h"
#include "shaping.h"

namespace orbitfall::artgen {

Picture MakeMoon() {
    // The sphere maps s to longitude (a full turn) and t to latitude from the
    // pole facing away (t = 0, the top row) to the pole facing the viewer, so
    // the surface is computed at the 3-D point of each texel: no seam at the
    // picture's sides and no pinching at the poles.
    constexpr int W = 512, H = 256;
    const Rgba palette[4] = {
        {0.30f, 0.78f, 1.00f, 1}, {0.56f, 0.44f, 1.00f, 1}, {0.78f, 0.92f, 1.00f, 1}, {0.14f, 0.34f, 0.78f, 1}};
    Canvas c(W, H);
    for (int y = 0; y < H; ++y) {
        const double lat = 3.141592653589793 * ((y + 0.5) / H - 0.5);
        const float cl = static_cast<float>(Cosine(lat)), sl = static_cast<float>(Sine(lat));
        for (int x = 0; x < W; ++x) {
            const double lon = 2.0 * 3.141592653589793 * (x + 0.5) / W;
            const float px = static_cast<float>(Sine(lon)) * cl, py = static_cast<float>(Cosine(lon)) * cl, pz = sl;
            const float warp = Fbm3(px * 2.0f, py * 2.0f, pz * 2.0f, 3, 707) * 0.25f;
            const Cells big = Cellular3(px * 4.0f + warp, py * 4.0f + warp, pz * 4.0f, 811);
            const Cells small = Cellular3(px * 11.0f, py * 11.0f, pz * 11.0f, 919);
            const Rgba tone = palette[big.id & 3u];
            // Each facet is lit as if tilted its own way; small facets vary it.
            const float facet = 0.45f + 0.45f * Unit(Hash(big.id)) + 0.15f * (Unit(small.id) - 0.5f);
            const float crevice = Smoothstep(0.0f, 0.05f, big.second - big.nearest);
            const float glint = Bell(big.second - big.nearest - 0.055f, 0.03f) * 0.55f;
            const float fine = Smoothstep(0.0f, 0.04f, small.second - small.nearest);
            const float grain = Fbm3(px * 24.0f, py * 24.0f, pz * 24.0f, 3, 1021);
            float light = facet * (0.55f + 0.45f * crevice) * (0.8f + 0.2f * fine) * (0.92f + 0.16f * grain);
            Rgba& p = c.At(x, y);
            p.r = Clamp01(tone.r * light + glint * 0.8f);
            p.g = Clamp01(tone.g * light + glint * 0.9f);
            p.b = Clamp01(tone.b * light + glint);
            p.a = 1;
        }
    }
    return Quantize(c);
}

namespace {
constexpr int CellSize = 128;

Rgba HeatColour(float heat) {
    const Rgba stops[5] = {
        {0.02f, 0.04f, 0.30f, 0}, {0.10f, 0.22f, 0.85f, 0.55f}, {0.30f, 0.60f, 1.0f, 0.85f},
        {0.75f, 0.92f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}};
    heat = Clamp01(heat) * 4.0f;
    const int i = heat >= 4.0f ? 3 : static_cast<int>(heat);
    return Mix(stops[i], stops[i + 1], heat - static_cast<float>(i));
}

// One animation cell, frame f of 14; (u, v) in [-1, 1] over the cell with a
// margin, so mipmaps of neighbouring cells never bleed into each other.
Rgba ExplosionPixel(int f, float u, float v) {
    const float p = static_cast<float>(f) / 13.0f;
    const float r = std::sqrt(u * u + v * v);
    const float turb = PeriodicFbm(u * 3.0f + 11.0f, v * 3.0f + 17.0f, 0, 0, 4, 1303);
    const float turbFine = PeriodicFbm(u * 7.0f + p * 2.0f, v * 7.0f, 0, 0, 3, 1409);
    const float fade = 1.0f - p;
    // Fireball: grows fast, then cools and thins out; its inside churns.
    const float ballRadius = 0.22f + 0.5f * std::sqrt(p);
    const float ball = Smoothstep(ballRadius, ballRadius * 0.3f, r + 0.15f * (0.5f + p) * turb);
    const float ballHeat = ball * (0.45f + 0.35f * turb + 0.2f * turbFine) * (1.0f - 0.8f * p);
    // White-hot centre in the first frames and a wide, faint bloom.
    const float core = Glow(r, 30.0f) * fade * fade * 1.1f;
    const float bloom = Glow(r, 6.0f) * fade * 0.3f;
    // Shock ring: runs ahead of the fireball and fades.
    const float ringRadius = 0.15f + 0.75f * p;
    const float ring = Bell(r - ringRadius + 0.05f * turbFine, 0.05f + 0.08f * p) * fade * 0.9f;
    float sparks = 0.0f;
    for (std::uint32_t i = 0; i < 24; ++i) {
        const std::uint32_t h = Hash(i * 0x9e3779b9u + 5u);
        const double angle = 6.283185307179586 * Unit(h);
        const float speed = 0.45f + 0.5f * Unit(Hash(h + 1));
        const float dist = speed * (0.15f + 0.85f * p);
        const float sx = static_cast<float>(Cosine(angle)) * dist, sy = static_cast<float>(Sine(angle)) * dist;
        const float ex = u - sx, ey = v - sy;
        sparks += Glow(std::sqrt(ex * ex + ey * ey), 2500.0f) * fade;
    }
    const float heat = Clamp01(ballHeat + core + bloom + ring + 0.8f * sparks);
    Rgba colour = HeatColour(heat);
    colour.a = Clamp01(colour.a * Smoothstep(0.97f, 0.8f, r) * 1.1f);
    return colour;
}
}  // namespace

Picture MakeExplosion() {
    constexpr int Columns = 8, Rows = 2, UsedColumns = 7;
    Canvas c(Columns * CellSize, Rows * CellSize);
    for (int f = 0; f < UsedColumns * Rows; ++f) {
        const int left = (f % UsedColumns) * CellSize, top = (f / UsedColumns) * CellSize;
        for (int y = 0; y < CellSize; ++y) {
            for (int x = 0; x < CellSize; ++x) {
                // Content within 60 of the cell's 64 pixels of half-size.
                const float u = ((static_cast<float>(x) + 0.5f) - CellSize / 2) / 60.0f;
                const float v = ((static_cast<float>(y) + 0.5f) - CellSize / 2) / 60.0f;
                c.At(left + x, top + y) = ExplosionPixel(f, u, v);
            }
        }
    }
    return Quantize(c);
}

Picture MakeFogPattern() {
    // Drawn repeated every 10 map units: every octave of the noise repeats
    // exactly at the picture's edges.
    constexpr int Size = 256;
    Canvas c(Size, Size);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            const float fx = static_cast<float>(x) / 64.0f, fy = static_cast<float>(y) / 64.0f;
            // Warped by noise of the same period, which keeps the repetition
            // exact while hiding the noise lattice.
            const float wx = PeriodicFbm(fx + 0.3f, fy, 4, 4, 4, 1601);
            const float wy = PeriodicFbm(fx, fy + 0.7f, 4, 4, 4, 1627);
            const float smoke = PeriodicFbm(fx + 0.9f * wx, fy + 0.9f * wy, 4, 4, 6, 1709);
            const float wisps = 1.0f - std::fabs(PeriodicFbm(2.0f * fx + wy, 2.0f * fy + wx, 8, 8, 4, 1811));
            const float t = Clamp01(0.45f + 0.75f * smoke + 0.3f * (wisps - 0.6f));
            const Rgba dark{0.08f, 0.09f, 0.15f, 0.86f};
            const Rgba light{0.36f, 0.39f, 0.50f, 1.0f};
            c.At(x, y) = Mix(dark, light, t);
        }
    }
    return Quantize(c);
}

}  // namespace orbitfall::artgen
