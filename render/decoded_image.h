#pragma once
// A picture as the decoders hand it over: size, pixel layout and the pixel
// store, top row first, rows tightly packed. Block-compressed pictures hold
// their 4x4 blocks row of blocks by row of blocks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/texture_image.h"

namespace orbitfall {

struct TDecodedImage {
    int Width = 0;
    int Height = 0;
    TPixelFormat Format = TPixelFormat::None;
    std::vector<std::uint8_t> Pixels;
};

// Bytes of one pixel; 0 for the block-compressed formats and None.
int BytesPerPixel(TPixelFormat format);
bool IsCompressed(TPixelFormat format);
// Bytes of a whole store of that size and layout.
std::size_t StoreSize(TPixelFormat format, int width, int height);

// Tries the decoders by content: DDS, TGA, then JPEG (recognised, never
// decoded), then BMP. "Unrecognized image data type" when none accepts.
TDecodedImage DecodeImage(const std::uint8_t* data, std::size_t size);

}  // namespace orbitfall
