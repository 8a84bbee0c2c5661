#include "render/font_metrics.h"

#include <algorithm>

namespace orbitfall {

namespace {

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

float Coordinate(int pixel, int size) { return static_cast<float>(std::min(pixel, size)) / static_cast<float>(size); }

}  // namespace

TFontMetrics ParseFontMetrics(const std::uint8_t* data, std::size_t size, int pictureWidth, int pictureHeight) {
    TFontMetrics metrics;
    const int w = std::max(pictureWidth, 1), h = std::max(pictureHeight, 1);
    for (std::size_t at = 0; at + kGlyphRecordSize <= size; at += kGlyphRecordSize) {
        const std::uint8_t* r = data + at;
        const int x = Word(r + 1), y = Word(r + 3), width = Word(r + 5), height = Word(r + 7);
        TGlyph& glyph = metrics.Glyphs[r[0]];
        glyph.Defined = true;
        glyph.U0 = Coordinate(x, w);
        glyph.V0 = Coordinate(y, h);
        glyph.U1 = Coordinate(x + width, w);
        glyph.V1 = Coordinate(y + height, h);
        glyph.Advance = static_cast<std::uint16_t>(width);
        metrics.LineHeight = static_cast<std::uint16_t>(height);
    }
    return metrics;
}

std::vector<TGlyphQuad> LayoutString(const std::array<TGlyph, 256>& glyphs, std::uint16_t lineHeight,
                                     std::int32_t x, std::int32_t y, const std::string& text) {
    std::vector<TGlyphQuad> quads;
    // Wide enough that no text can make the pen overflow.
    double px = x, py = y;
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code == 13) {
            px = x;
            py += double(lineHeight);
            continue;
        }
        const TGlyph& glyph = glyphs[code];
        if (!glyph.Defined) continue;
        const double right = px + glyph.Advance;
        quads.push_back({px, py, right, py + double(lineHeight), glyph.U0, glyph.V0, glyph.U1, glyph.V1});
        px = right;
    }
    return quads;
}

}  // namespace orbitfall
