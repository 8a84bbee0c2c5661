// Renders the interface font with FreeType. Metrics records (9 bytes, little
// endian): code (1), x (2), y (2), w (2), h (2); x and y are the glyph box's
// top-left pixel in the picture, w is the pen advance. Every box is one line
// high, because the font's line height is taken from the last record.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <stdexcept>

#include "art.h"

namespace orbitfall::artgen {

namespace {

class FreeTypeFace {
public:
    FreeTypeFace(const std::string& file, int pixelSize) {
        if (FT_Init_FreeType(&library_) != 0) throw std::runtime_error("FreeType: cannot initialise");
        if (FT_New_Face(library_, file.c_str(), 0, &face_) != 0) {
            FT_Done_FreeType(library_);
            throw std::runtime_error("FreeType: cannot open font " + file);
        }
        if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
            FT_Done_Face(face_);
            FT_Done_FreeType(library_);
            throw std::runtime_error("FreeType: cannot set the size");
        }
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;
    ~FreeTypeFace() {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    FT_Face Face() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

void Put16(std::vector<std::uint8_t>& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

struct Glyph {
    int code;
    int advance;
    int left, top;  // bitmap offset from the pen on the baseline
    int width, rows;
    std::vector<std::uint8_t> coverage;
};

}  // namespace

BitmapFont RenderFont(const std::string& fontFile, int pixelSize) {
    FreeTypeFace ft(fontFile, pixelSize);
    FT_Face face = ft.Face();
    std::vector<Glyph> glyphs;
    for (int code = 0; code < 256; ++code) {
        // Printable ASCII and the Latin-1 letters and signs (umlauts, sharp s).
        if (!((code >= 32 && code <= 126) || code >= 160)) continue;
        // Latin-1 codes are the first 256 Unicode code points.
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0)
            throw std::runtime_error("FreeType: cannot render character " + std::to_string(code));
        const FT_GlyphSlot slot = face->glyph;
        Glyph g{code, static_cast<int>((slot->advance.x + 32) >> 6), slot->bitmap_left, slot->bitmap_top,
                static_cast<int>(slot->bitmap.width), static_cast<int>(slot->bitmap.rows), {}};
        if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && g.width > 0)
            throw std::runtime_error("FreeType: unexpected bitmap mode");
        for (int y = 0; y < g.rows; ++y) {
            const unsigned char* row = slot->bitmap.buffer + static_cast<std::ptrdiff_t>(y) * slot->bitmap.pitch;
            g.coverage.insert(g.coverage.end(), row, row + g.width);
        }
        glyphs.push_back(std::move(g));
    }
    // The line spans the font's ascent and descent and whatever ink reaches
    // beyond them (the accents on capitals rise above the ascent), so no glyph
    // loses a row.
    int ascender = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    int descender = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    for (const Glyph& g : glyphs) {
        if (g.rows == 0) continue;
        ascender = std::max(ascender, g.top);
        descender = std::max(descender, g.rows - g.top);
    }
    const int lineHeight = ascender + descender;

    // Boxes in rows with one empty pixel between neighbours, so linear
    // filtering never picks up the next glyph.
    constexpr int PictureWidth = 256;
    int x = 1, y = 1;
    std::vector<std::pair<int, int>> boxes;
    for (const Glyph& g : glyphs) {
        if (x + g.advance + 1 > PictureWidth) {
            x = 1;
            y += lineHeight + 1;
        }
        boxes.emplace_back(x, y);
        x += g.advance + 1;
    }
    int height = 1;
    while (height < y + lineHeight + 1) height *= 2;

    BitmapFont font;
    font.lineHeight = lineHeight;
    Canvas canvas(PictureWidth, height, {0, 0, 0, 1});
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& g = glyphs[i];
        const auto [bx, by] = boxes[i];
        // The box is the advance wide; ink beside it (a pixel of 'j' or 'f'
        // at most) is cut off because the quads are drawn exactly that wide.
        for (int gy = 0; gy < g.rows; ++gy) {
            for (int gx = 0; gx < g.width; ++gx) {
                const int px = g.left + gx, py = ascender - g.top + gy;
                if (px < 0 || px >= g.advance || py < 0 || py >= lineHeight) continue;
                const float v = static_cast<float>(g.coverage[static_cast<std::size_t>(gy) * g.width + gx]) / 255.0f;
                canvas.At(bx + px, by + py) = {v, v, v, 1};
            }
        }
        font.metrics.push_back(static_cast<std::uint8_t>(g.code));
        Put16(font.metrics, bx);
        Put16(font.metrics, by);
        Put16(font.metrics, g.advance);
        Put16(font.metrics, lineHeight);
    }
    font.picture = Quantize(canvas);
    return font;
}

}  // namespace orbitfall::artgen
