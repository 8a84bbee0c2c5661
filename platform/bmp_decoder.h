#pragma once
// Windows bitmap files ("BM") decoded from bytes: 1, 4, 8, 16, 24 and 32 bits
// per pixel, uncompressed, with bit fields, or run-length encoded (RLE4,
// RLE8). Core (OS/2 1.x) and Windows 3.x to 5 headers.
//
// What comes out: 8-bit pictures keep their palette indices; 1- and 4-bit
// pictures and uncommon bit-field layouts become 24-bit blue-green-red; the
// 16-bit 5-5-5 and 5-6-5 layouts stay 16-bit; 32-bit pictures come out as
// blue-green-red-alpha. A 32-bit picture without an alpha mask whose fourth
// bytes are all 0 is opaque: that byte is padding in such files.
//
// Errors: EReadError for data that ends early, EInvalidGraphic "Bitmap image
// is not valid" for contradicting headers (unknown layouts, palette indices
// past the palette, run-length codes that leave the picture) and "Invalid
// image size" for sizes outside the limits of platform/image_limits.h.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orbitfall {

struct TBmpPicture {
    enum class TLayout : std::uint8_t {
        Indexed8,   // one palette index per pixel
        Rgb555,     // little-endian 16-bit, x-5-5-5
        Argb1555,   // little-endian 16-bit, 1-5-5-5 with alpha in the top bit
        Rgb565,     // little-endian 16-bit, 5-6-5
        Bgr24,
        Bgra32,
    };

    int Width = 0;
    int Height = 0;
    TLayout Layout = TLayout::Bgr24;
    // Rows top row first, tightly packed (no row padding).
    std::vector<std::uint8_t> Pixels;

    int BytesPerPixel() const;
};

bool IsBmp(const std::uint8_t* data, std::size_t size);
TBmpPicture DecodeBmp(const std::uint8_t* data, std::size_t size);

}  // namespace orbitfall
