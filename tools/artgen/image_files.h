#pragma once
// Encoders for the shipped picture files. The texture loader reads TGA and
// BMP; PNG is only for the desktop icons and the preview pictures.
//
// TGA: 18-byte header, no identification field, no colour map; image type 2
// (uncompressed) or 10 (run-length encoded, packets never cross a row); 24 bits
// blue-green-red or 32 bits blue-green-red-alpha (descriptor: 8 alpha bits);
// rows bottom-up. BMP: 14-byte file header, 40-byte information header, 24
// bits blue-green-red, no compression, rows bottom-up padded to 4 bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace orbitfall::artgen {

enum class TgaKind { Uncompressed, RunLength };

std::vector<std::uint8_t> EncodeTga(const Picture& picture, int bitsPerPixel, TgaKind kind);
std::vector<std::uint8_t> EncodeBmp24(const Picture& picture);
// 8-bit RGBA PNG; deterministic for a given libpng and zlib (no time chunk).
std::vector<std::uint8_t> EncodePng(const Picture& picture);

// Writes the bytes, creating the folders on the way; throws on failure.
void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace orbitfall::artgen
