#pragma once
// Truevision TGA pictures without a colour map: image types 2 (true colour),
// 3 (grey), 10 and 11 (the same run-length encoded), 8, 16, 24 or 32 bits per
// pixel. Rows are stored bottom row first unless bit 5 of the descriptor is
// set, right to left when bit 4 is set; the result is always top row first.
//
// 8 bits give the 8-bit alpha format, 24 blue-green-red, 32
// blue-green-red-alpha; 16 bits give luminance with alpha for grey pictures
// and the 1-5-5-5 colour layout for true-colour ones. When the descriptor
// declares no alpha bits, the attribute bit of 16-bit colour is padding and
// the picture opaque; so is a 32-bit picture whose alpha bytes are all 0.
#include <cstddef>
#include <cstdint>

#include "render/decoded_image.h"

namespace orbitfall {

// Colour-map type 0 and one of the four image types.
bool IsTga(const std::uint8_t* data, std::size_t size);
// EReadError for data that ends early, "Unsupported TGA bits per pixel: N",
// "Invalid image size", EInvalidGraphic "TGA image is not valid" for runs
// that go past the picture.
TDecodedImage DecodeTga(const std::uint8_t* data, std::size_t size);

}  // namespace orbitfall
