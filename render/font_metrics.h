#pragma once
// The ".bmf" metrics of a bitmap font and the layout of a string in it.
//
// A ".bmf" file is a headerless run of 9-byte records, as many as the size
// divided by 9 (the rest ignored), numbers little-endian:
//   0  u8   character code
//   1  u16  x, left pixel column of the glyph in the picture
//   3  u16  y, top pixel row, counted from the top
//   5  u16  w, glyph width in pixels (the pen's advance)
//   7  u16  h, glyph height in pixels (the last record's is the line height)
// A later record for a code replaces an earlier one. A rectangle reaching
// past the picture is cut at its edge for the texture coordinates, so they
// stay within 0..1; the advance and the line height stay as written.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "render/bmp_font.h"

namespace orbitfall {

inline constexpr std::size_t kGlyphRecordSize = 9;

struct TFontMetrics {
    std::array<TGlyph, 256> Glyphs{};
    std::uint16_t LineHeight = 0;
};

// pictureWidth and pictureHeight are at least 1.
TFontMetrics ParseFontMetrics(const std::uint8_t* data, std::size_t size, int pictureWidth, int pictureHeight);

// One glyph quad: corners in drawing units, texture coordinates of the glyph.
struct TGlyphQuad {
    double Left, Bottom, Right, Top;
    float U0, V0, U1, V1;
};

// The quads DrawString emits for the text with its first glyph's lower-left
// corner at (x, y): a carriage return (13) goes back to x and one line height
// up in y; a code without a glyph is skipped without moving the pen.
std::vector<TGlyphQuad> LayoutString(const std::array<TGlyph, 256>& glyphs, std::uint16_t lineHeight,
                                     std::int32_t x, std::int32_t y, const std::string& text);

}  // namespace orbitfall
