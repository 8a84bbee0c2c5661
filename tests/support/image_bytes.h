#pragma once
// Image files built byte by byte for the decoder tests, with every header
// field under the test's control (so headers can lie).
#include <cstdint>
#include <string>
#include <vector>

namespace orbitfall::testing {

inline void Put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

struct BmpSpec {
    std::uint32_t headerSize = 40;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;  // 0: the palette's size
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB each
    std::vector<std::uint32_t> masks;    // written after a 40-byte header or inside longer ones
    std::string pixels;                  // exactly as stored
    std::int64_t dataOffset = -1;        // -1: right after the palette
};

inline std::string MakeBmp(const BmpSpec& b) {
    std::string info;
    Put32(info, b.headerSize);
    if (b.headerSize == 12) {
        Put16(info, static_cast<unsigned>(b.width));
        Put16(info, static_cast<unsigned>(b.height));
        Put16(info, 1);
        Put16(info, b.bits);
    } else {
        Put32(info, static_cast<std::uint32_t>(b.width));
        Put32(info, static_cast<std::uint32_t>(b.height));
        Put16(info, 1);
        Put16(info, b.bits);
        Put32(info, b.compression);
        Put32(info, static_cast<std::uint32_t>(b.pixels.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, b.coloursUsed ? b.coloursUsed : static_cast<std::uint32_t>(b.palette.size()));
        Put32(info, 0);
        for (std::uint32_t m : b.masks) Put32(info, m);
        while (info.size() < b.headerSize) info += '\0';
    }
    for (std::uint32_t c : b.palette) {
        info += static_cast<char>(c & 0xFF);
        info += static_cast<char>((c >> 8) & 0xFF);
        info += static_cast<char>((c >> 16) & 0xFF);
        if (b.headerSize != 12) info += '\0';
    }
    const std::uint32_t offset =
        b.dataOffset >= 0 ? static_cast<std::uint32_t>(b.dataOffset) : static_cast<std::uint32_t>(14 + info.size());
    std::string file = "BM";
    Put32(file, static_cast<std::uint32_t>(14 + info.size() + b.pixels.size()));
    Put32(file, 0);
    Put32(file, offset);
    return file + info + b.pixels;
}

inline std::string MakeTga(std::uint8_t type, unsigned width, unsigned height, std::uint8_t bits,
                           std::uint8_t descriptor, const std::string& pixels, const std::string& id = "") {
    std::string s;
    s += static_cast<char>(id.size());
    s += '\0';
    s += static_cast<char>(type);
    s.append(5, '\0');  // colour map
    Put16(s, 0);
    Put16(s, 0);
    Put16(s, width);
    Put16(s, height);
    s += static_cast<char>(bits);
    s += static_cast<char>(descriptor);
    return s + id + pixels;
}

inline constexpr std::uint32_t kDdsAlphaPixels = 0x1, kDdsAlpha = 0x2, kDdsFourCc = 0x4, kDdsRgb = 0x40,
                                kDdsLuminance = 0x20000;

inline std::string MakeDds(std::uint32_t width, std::uint32_t height, std::uint32_t flags, const char* fourCc,
                           std::uint32_t bits, std::vector<std::uint32_t> masks, const std::string& pixels) {
    std::string s = "DDS ";
    Put32(s, 124);
    Put32(s, 0x1007);
    Put32(s, height);
    Put32(s, width);
    Put32(s, 0);
    Put32(s, 0);
    Put32(s, 1);
    for (int i = 0; i < 11; ++i) Put32(s, 0);
    Put32(s, 32);
    Put32(s, flags);
    s.append(fourCc ? std::string(fourCc, 4) : std::string(4, '\0'));
    Put32(s, bits);
    masks.resize(4, 0);
    for (std::uint32_t m : masks) Put32(s, m);
    Put32(s, 0x1000);
    for (int i = 0; i < 4; ++i) Put32(s, 0);
    return s + pixels;
}

inline std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

}  // namespace orbitfall::testing
