#pragma once
// Pictures for tests whose colours the test decides: plain 24-bit BMP files
// (power-of-two sizes) written into a user folder, where they override the
// shipped pictures of the same name.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace orbitfall::testing {

struct TBmpColor {
    std::uint8_t R, G, B;
};

// colorAt(x, y) gives the pixel at column x of row y, row 0 the top row.
inline void WriteBmp(const std::string& path, int width, int height,
                     const std::function<TBmpColor(int, int)>& colorAt) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(rowBytes * height);
    std::ofstream out(path, std::ios::binary);
    auto u16 = [&](std::uint16_t v) { out.put(char(v & 0xFF)).put(char(v >> 8)); };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.put(char((v >> (8 * i)) & 0xFF));
    };
    out << "BM";
    u32(54 + dataSize);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<std::uint32_t>(width));
    u32(static_cast<std::uint32_t>(height));
    u16(1);
    u16(24);
    u32(0);
    u32(dataSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int row = height - 1; row >= 0; --row) {  // BMP rows are stored bottom-up
        for (int x = 0; x < width; ++x) {
            const TBmpColor c = colorAt(x, row);
            out.put(char(c.B)).put(char(c.G)).put(char(c.R));
        }
        for (int p = width * 3; p < rowBytes; ++p) out.put(0);
    }
}

inline void WriteSolidBmp(const std::string& path, int width, int height, std::uint8_t r, std::uint8_t g,
                          std::uint8_t b) {
    WriteBmp(path, width, height, [&](int, int) { return TBmpColor{r, g, b}; });
}

}  // namespace orbitfall::testing
