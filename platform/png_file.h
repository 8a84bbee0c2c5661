#pragma once
// PNG pictures: 8-bit RGBA, the top row first.
#include <cstdint>
#include <string>
#include <vector>

namespace orbitfall {

struct TRgbaPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Pixels;  // Width * Height * 4 bytes, top row first
};

// EFCreateError when the file cannot be created; EFileError when libpng fails.
// A symbolic link at the name is replaced, never written through.
void WritePng(const std::string& path, const TRgbaPicture& picture);
// The same into a new file only: false, and nothing written, when the name
// exists already (as anything, a dangling link included).
bool WriteNewPng(const std::string& path, const TRgbaPicture& picture);
// EFOpenError when missing; EFileError when it is no PNG. Any colour type is
// converted to 8-bit RGBA.
TRgbaPicture ReadPng(const std::string& path);

}  // namespace orbitfall
