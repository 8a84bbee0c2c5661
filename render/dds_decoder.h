#pragma once
// DirectDraw surface files: "DDS ", a 124-byte header, then the pixels of the
// top mip level (further levels, cube faces and volume slices are ignored).
// Uncompressed RGB, luminance and alpha layouts and the block-compressed
// DXT1, DXT3 and DXT5, which stay compressed.
#include <cstddef>
#include <cstdint>

#include "render/decoded_image.h"

namespace orbitfall {

bool IsDds(const std::uint8_t* data, std::size_t size);
// EReadError for data that ends early, "Invalid image size", EInvalidGraphic
// "Unsupported DDS pixel format" for layouts outside the above.
TDecodedImage DecodeDds(const std::uint8_t* data, std::size_t size);

// The colours of a DXT1, DXT3 or DXT5 store as blue-green-red-alpha rows.
std::vector<std::uint8_t> DecompressDxt(TPixelFormat format, int width, int height,
                                        const std::vector<std::uint8_t>& blocks);

}  // namespace orbitfall
