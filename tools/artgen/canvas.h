#pragma once
// A floating-point RGBA working surface (top row first) and its quantisation to
// 8-bit pixels. Every generated picture is composed here and turned into bytes
// exactly once, so the rounding rule lives in one place.
#include <cstdint>
#include <vector>

namespace orbitfall::artgen {

struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
};

class Canvas {
public:
    Canvas(int width, int height, Rgba fill = {});

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgba& At(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const Rgba& At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

    // Adds colour c scaled by weight w to the pixel, wrapping x around the
    // picture's width (for pictures that must join at their left and right edges).
    void AddWrapped(int x, int y, Rgba c, float w);

private:
    int width_;
    int height_;
    std::vector<Rgba> pixels_;
};

// 8 bits per channel, red-green-blue-alpha, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    const std::uint8_t* Pixel(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

std::uint8_t ToByte(float v);
Picture Quantize(const Canvas& canvas);

}  // namespace orbitfall::artgen
