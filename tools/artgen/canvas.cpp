#include "canvas.h"

namespace orbitfall::artgen {

Canvas::Canvas(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill) {}

void Canvas::AddWrapped(int x, int y, Rgba c, float w) {
    if (y < 0 || y >= height_) return;
    x %= width_;
    if (x < 0) x += width_;
    Rgba& p = At(x, y);
    p.r += c.r * w;
    p.g += c.g * w;
    p.b += c.b * w;
    p.a += c.a * w;
}

std::uint8_t ToByte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<std::uint8_t>(static_cast<int>(v * 255.0f + 0.5f));
}

Picture Quantize(const Canvas& canvas) {
    Picture p;
    p.width = canvas.Width();
    p.height = canvas.Height();
    p.rgba.reserve(static_cast<std::size_t>(p.width) * p.height * 4);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const Rgba& c = canvas.At(x, y);
            p.rgba.push_back(ToByte(c.r));
            p.rgba.push_back(ToByte(c.g));
            p.rgba.push_back(ToByte(c.b));
            p.rgba.push_back(ToByte(c.a));
        }
    }
    return p;
}

}  // namespace orbitfall::artgen
