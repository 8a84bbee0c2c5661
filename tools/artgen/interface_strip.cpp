// The console strip along the bottom of the game window. One picture pixel is
// one interface unit when the window is 1024 pixels wide; row 0 is the top of
// the strip, 256 units above the window's bottom edge. Pure black marks the
// windows the views show through (the strip's colour key); the panel itself
// never uses pure black.
#include <cmath>

#include "art.h"
#include "noise.h"
#include "shaping.h"

namespace orbitfall::artgen {

namespace {
constexpr int W = 1024, H = 256;

struct Rect {
    int left, top, right, bottom;  // right and bottom exclusive, picture rows
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The main view lies over the strip's upper 76 units; the minimap covers
// interface units 28..228 in both directions, the mini-scene 607..757 by
// 26..176 (y counted upward from the bottom: row = 256 - y).
constexpr int ViewRows = 76;
constexpr Rect Minimap{28, H - 228, 228, H - 28};
constexpr Rect Miniscene{607, H - 176, 757, H - 26};

// Top outline of the panel, in rows, for column x: a raised frame round the
// minimap and a lower one round the mini-scene, joined by chamfers.
float PanelTop(float x) {
    auto plateau = [](float x, float left, float right, float top, float chamfer) {
        if (x < left || x > right) return static_cast<float>(ViewRows);
        const float fromEdge = std::fmin(x - left, right - x);
        return std::fmax(top, static_cast<float>(ViewRows) - fromEdge * (static_cast<float>(ViewRows) - top) / chamfer);
    };
    return std::fmin(plateau(x, -40.0f, 290.0f, 8.0f, 44.0f), plateau(x, 566.0f, 798.0f, 58.0f, 18.0f));
}

bool InWindow(int x, int y) {
    return Minimap.Contains(x, y) || Miniscene.Contains(x, y) || static_cast<float>(y) + 0.5f < PanelTop(static_cast<float>(x) + 0.5f);
}

// Distance outside a rectangle's border (0 on it, negative inside).
float DistanceOutside(const Rect& r, float x, float y) {
    const float dx = std::fmax(static_cast<float>(r.left) - x, x - static_cast<float>(r.right));
    const float dy = std::fmax(static_cast<float>(r.top) - y, y - static_cast<float>(r.bottom));
    return std::fmax(dx, dy);
}

Rgba Metal(int x, int y) {
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const float brushed = PeriodicFbm(fx / 180.0f, fy / 3.0f, 0, 0, 3, 2003);
    const float stains = PeriodicFbm(fx / 60.0f, fy / 60.0f, 0, 0, 4, 2111);
    const float shade = 1.0f - 0.35f * (fy - ViewRows) / (H - ViewRows);
    const float v = shade * (0.92f + 0.05f * brushed + 0.05f * stains);
    return {0.16f * v, 0.19f * v, 0.25f * v, 1};
}

Rgba Add(Rgba c, Rgba d, float w) { return {c.r + d.r * w, c.g + d.g * w, c.b + d.b * w, c.a}; }

// A raised rim round a window: lit on its upper and left sides, shaded on the
// others (corners split diagonally), an inner shadow next to the window and a
// glowing accent line further out.
Rgba Frame(Rgba c, const Rect& r, float x, float y) {
    const float left = static_cast<float>(r.left) - x, right = x - static_cast<float>(r.right);
    const float top = static_cast<float>(r.top) - y, bottom = y - static_cast<float>(r.bottom);
    const float d = std::fmax(std::fmax(left, right), std::fmax(top, bottom));
    if (d < 0.0f || d > 12.0f) return c;
    const Rgba accent{0.25f, 0.75f, 1.0f, 1};
    if (d < 2.0f) return {0.03f, 0.04f, 0.06f, 1};
    if (d < 7.0f) {
        const bool lit = d == top || d == left;
        const float bevel = lit ? 1.4f : 0.72f;
        const float ridge = 1.0f + 0.15f * Bell(d - 4.5f, 2.5f);
        const Rgba rim{0.30f * bevel * ridge, 0.35f * bevel * ridge, 0.44f * bevel * ridge, 1};
        return Mix(rim, c, 0.15f);
    }
    c = Add(c, accent, 0.6f * Bell(d - 9.0f, 1.3f));
    return Add(c, accent, 0.12f * Bell(d - 9.0f, 4.0f));
}

Rgba Seams(Rgba c, int x, int y) {
    const int seams[] = {300, 556, 808};
    for (int s : seams) {
        if (x == s) return Mix(c, {0.04f, 0.05f, 0.07f, 1}, 0.8f);
        if (x == s + 1) return Add(c, {0.3f, 0.33f, 0.4f, 1}, 0.5f);
    }
    if (y == 244) return Mix(c, {0.04f, 0.05f, 0.07f, 1}, 0.8f);
    if (y == 245) return Add(c, {0.3f, 0.33f, 0.4f, 1}, 0.4f);
    return c;
}

// Top edge: a bright bevel, a thin glowing line and the glow's fall-off.
Rgba TopEdge(Rgba c, int x, int y) {
    const float depth = static_cast<float>(y) + 0.5f - PanelTop(static_cast<float>(x) + 0.5f);
    if (depth < 2.0f) return {0.55f, 0.63f, 0.76f, 1};
    if (depth < 3.0f) return {0.08f, 0.10f, 0.14f, 1};
    const Rgba accent{0.25f, 0.8f, 1.0f, 1};
    c = Add(c, accent, 0.9f * Bell(depth - 4.5f, 1.2f));
    return Add(c, accent, 0.10f * Glow(depth - 4.5f, 0.02f) * Smoothstep(40.0f, 5.0f, depth));
}

float Rivet(float x, float y, float cx, float cy) {
    const float dx = x - cx, dy = y - cy;
    const float r = std::sqrt(dx * dx + dy * dy);
    if (r > 3.2f) return 0.0f;
    return (dx + dy < 0.0f ? 1.0f : -0.6f) * Smoothstep(3.2f, 2.0f, r);
}

// Dark glass plates with faint lines, a vent grille and status lamps.
Rgba Details(Rgba c, int x, int y) {
    const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
    const Rect plates[] = {{322, 104, 418, 164}, {438, 104, 534, 164}, {830, 100, 1002, 150}};
    for (const Rect& p : plates) {
        const float d = DistanceOutside(p, fx, fy);
        if (d <= 0.0f) {
            const float glass = 0.5f + 0.5f * (fy - static_cast<float>(p.top)) / static_cast<float>(p.bottom - p.top);
            const float lines = (y % 3 == 0) ? 0.8f : 1.0f;
            Rgba g{0.03f + 0.03f * glass, 0.07f + 0.06f * glass, 0.11f + 0.08f * glass, 1};
            g = {g.r * lines, g.g * lines, g.b * lines, 1};
            const float sheen = Bell(fx - static_cast<float>(p.left) - (fy - static_cast<float>(p.top)) * 0.8f - 30.0f, 14.0f);
            return Add(g, {0.3f, 0.45f, 0.6f, 1}, 0.12f * sheen);
        }
        if (d < 3.0f) {
            const bool lit = fy > static_cast<float>(p.bottom) || fx > static_cast<float>(p.right);
            return Mix(c, lit ? Rgba{0.42f, 0.48f, 0.58f, 1} : Rgba{0.05f, 0.06f, 0.08f, 1}, 0.75f);
        }
    }
    // Vent slots.
    const Rect vents[] = {{322, 188, 534, 228}, {830, 172, 1002, 228}};
    for (const Rect& v : vents) {
        if (v.Contains(x, y)) {
            const int row = (y - v.top) % 8;
            if (row < 4) return Mix(c, {0.03f, 0.035f, 0.05f, 1}, 0.85f);
            if (row == 4) return Add(c, {0.35f, 0.4f, 0.5f, 1}, 0.35f);
        }
    }
    // Status lamps.
    struct Lamp {
        float x, y;
        Rgba colour;
    };
    const Lamp lamps[] = {{572, 120, {0.2f, 1.0f, 0.45f, 1}}, {572, 140, {0.25f, 0.8f, 1.0f, 1}},
                          {572, 160, {1.0f, 0.7f, 0.15f, 1}}, {792, 120, {0.25f, 0.8f, 1.0f, 1}},
                          {792, 140, {0.25f, 0.8f, 1.0f, 1}}, {792, 160, {1.0f, 0.3f, 0.2f, 1}}};
    for (const Lamp& l : lamps) {
        const float dx = fx - l.x, dy = fy - l.y;
        const float r = std::sqrt(dx * dx + dy * dy);
        const Rgba lit = Mix(l.colour, {1, 1, 1, 1}, 0.55f * Smoothstep(2.2f, 0.0f, r));
        const Rgba bezel{0.05f, 0.06f, 0.08f, 1};
        const Rgba halo = Add(c, l.colour, 0.35f * Glow(std::fmax(0.0f, r - 5.0f), 0.25f) * Smoothstep(14.0f, 5.0f, r));
        if (r < 14.0f) {
            // Edges blended over half a pixel either side.
            c = Mix(halo, bezel, Smoothstep(5.6f, 4.6f, r));
            c = Mix(c, lit, Smoothstep(4.0f, 3.0f, r));
        }
    }
    const float rivets[][2] = {{312, 96}, {544, 96}, {312, 236}, {544, 236}, {818, 92},
                               {1012, 92}, {818, 236}, {1012, 236}};
    for (const auto& rv : rivets) {
        const float k = Rivet(fx, fy, rv[0], rv[1]);
        if (k > 0.0f) c = Add(c, {0.4f, 0.45f, 0.55f, 1}, k);
        if (k < 0.0f) c = Mix(c, {0.03f, 0.04f, 0.05f, 1}, -k);
    }
    return c;
}
}  // namespace

Picture MakeInterfaceStrip() {
    Canvas c(W, H);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            if (InWindow(x, y)) continue;  // stays pure black
            const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
            Rgba p = Metal(x, y);
            p = Seams(p, x, y);
            p = Details(p, x, y);
            p = TopEdge(p, x, y);
            p = Frame(p, Minimap, fx, fy);
            p = Frame(p, Miniscene, fx, fy);
            c.At(x, y) = p;
        }
    }
    Picture picture = Quantize(c);
    // Keep the colour key out of the panel: no opaque pixel may be pure black.
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            std::uint8_t* px = &picture.rgba[(static_cast<std::size_t>(y) * W + x) * 4];
            const bool window = InWindow(x, y);
            px[3] = window ? 0 : 255;
            if (!window && px[0] == 0 && px[1] == 0 && px[2] == 0) px[2] = 1;
        }
    }
    return picture;
}

}  // namespace orbitfall::artgen
