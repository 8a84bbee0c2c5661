#pragma once
// Reads back the two picture kinds the art generator writes (TGA types 2 and
// 10 with 24 or 32 bits, uncompressed 24-bit BMP, both bottom-up), for tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace orbitfall::testing {

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline unsigned U16(const std::vector<std::uint8_t>& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8); }
inline unsigned U32(const std::vector<std::uint8_t>& b, std::size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }

// RGBA, top row first; alpha 255 for pictures without it.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* At(int x, int y) const { return &rgba.at((static_cast<std::size_t>(y) * width + x) * 4); }
    int Luma(int x, int y) const { return (At(x, y)[0] * 30 + At(x, y)[1] * 59 + At(x, y)[2] * 11 + 50) / 100; }
};

// The two file kinds the generator writes: TGA types 2 and 10 with 24 or 32
// bits, and uncompressed 24-bit BMP, both bottom-up.
inline Image DecodeBytes(const std::vector<std::uint8_t>& b, const std::string& path = "picture") {
    Image img;
    std::vector<std::uint8_t> pixels;  // bottom-up rows, source order
    int bytes = 3;
    if (b.size() > 2 && b[0] == 'B' && b[1] == 'M') {
        img.width = static_cast<int>(U32(b, 18));
        img.height = static_cast<int>(U32(b, 22));
        EXPECT_EQ(U16(b, 28), 24u) << path;
        const std::size_t row = (static_cast<std::size_t>(img.width) * 3 + 3) & ~std::size_t{3};
        for (int y = 0; y < img.height; ++y) {
            const std::size_t start = U32(b, 10) + y * row;
            pixels.insert(pixels.end(), b.begin() + static_cast<std::ptrdiff_t>(start),
                          b.begin() + static_cast<std::ptrdiff_t>(start + img.width * 3));
        }
    } else {
        EXPECT_TRUE(b.at(2) == 2 || b.at(2) == 10) << path;
        EXPECT_EQ(b.at(5 + 0), 0) << path;
        img.width = static_cast<int>(U16(b, 12));
        img.height = static_cast<int>(U16(b, 14));
        bytes = b.at(16) / 8;
        EXPECT_EQ(b.at(17) & 0x20, 0) << path << " is stored bottom-up";
        std::size_t at = 18 + b.at(0);
        const std::size_t total = static_cast<std::size_t>(img.width) * img.height * bytes;
        if (b[2] == 2) {
            pixels.assign(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + total));
        } else {
            while (pixels.size() < total) {
                const std::uint8_t head = b.at(at++);
                const int count = (head & 0x7f) + 1;
                for (int i = 0; i < count; ++i) {
                    for (int k = 0; k < bytes; ++k) pixels.push_back(b.at(at + k));
                    if (!(head & 0x80)) at += bytes;
                }
                if (head & 0x80) at += bytes;
            }
            EXPECT_EQ(at, b.size()) << path << " has bytes after its pixels";
        }
    }
    img.rgba.resize(static_cast<std::size_t>(img.width) * img.height * 4);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const std::uint8_t* s = &pixels.at((static_cast<std::size_t>(img.height - 1 - y) * img.width + x) * bytes);
            std::uint8_t* d = &img.rgba[(static_cast<std::size_t>(y) * img.width + x) * 4];
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            d[3] = bytes == 4 ? s[3] : 255;
        }
    }
    return img;
}

inline Image Decode(const std::string& path) { return DecodeBytes(ReadBytes(path), path); }

}  // namespace orbitfall::testing
