#pragma once
// A bitmap font: one glyph picture (white, glyph shape in its alpha) and a
// ".bmf" file of 9-byte glyph records.
#include <array>
#include <cstdint>
#include <string>

#include "render/texture_image.h"

namespace orbitfall {

struct TGlyph {
    bool Defined = false;
    float U0 = 0, V0 = 0, U1 = 0, V1 = 0;
    std::uint16_t Advance = 0;
};

class TBmpFont {
public:
    explicit TBmpFont(const std::string& name);   // LoadFont(name)
    void LoadFont(const std::string& name);
    // The first glyph's lower-left corner at (x, y); text in the font's
    // 8-bit code page (Latin-1).
    void DrawString(std::int32_t x, std::int32_t y, const std::string& text);

    const std::array<TGlyph, 256>& Glyphs() const;
    std::uint16_t LineHeight() const;
    TTextureImage& Image() { return image_; }

private:
    TTextureImage image_;
    std::array<TGlyph, 256> glyphs_{};
    std::uint16_t lineHeight_ = 0;
};

}  // namespace orbitfall
