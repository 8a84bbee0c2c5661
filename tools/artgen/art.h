#pragma once
// The game's pictures, each made from integer hashes and plain arithmetic so
// that every run on every machine gives the same bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace orbitfall::artgen {

// Star field with coloured haze; joins seamlessly at its left and right edges.
Picture MakeBackground();
// Soft round puff: a light grey-white colour picture and its alpha picture.
Picture MakeNebula();
Picture MakeNebulaAlpha();
// The beam's cross-section in every column: bright core, soft edges, alpha.
Picture MakeLaser();
// Glow around a crystal moon whose sphere covers the inner 1 / 1.6, grey on
// black; its own luminance serves as its alpha.
Picture MakeAura();
// The selection ring: a white colour picture and a grey alpha picture.
Picture MakeSelectionColor();
Picture MakeSelectionAlpha();
// Crystal surface in the sphere's longitude-latitude layout.
Picture MakeMoon();
// The bottom console strip, pure black where the views show through.
Picture MakeInterfaceStrip();
// 14 animation cells, 8 columns by 2 rows of which 7 columns are used.
Picture MakeExplosion();
// A smoke pattern that repeats in both directions.
Picture MakeFogPattern();

// Desktop icon of the given edge length.
Picture MakeIcon(int size);

// A bitmap font: light glyphs on black and 9-byte metrics records.
struct BitmapFont {
    Picture picture;
    std::vector<std::uint8_t> metrics;
    int lineHeight = 0;
};
BitmapFont RenderFont(const std::string& fontFile, int pixelSize);

// Supersampled coverage helper: averages f over an n x n grid inside pixel (x, y).
template <typename F>
float Coverage(int x, int y, int n, F f) {
    float sum = 0.0f;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            sum += f(static_cast<float>(x) + (static_cast<float>(i) + 0.5f) / static_cast<float>(n),
                     static_cast<float>(y) + (static_cast<float>(j) + 0.5f) / static_cast<float>(n));
        }
    }
    return sum / static_cast<float>(n * n);
}

}  // namespace orbitfall::artgen
