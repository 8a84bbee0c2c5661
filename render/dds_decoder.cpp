#include "render/dds_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "infra/errors.h"
#include "platform/byte_reader.h"
#include "platform/image_limits.h"

namespace orbitfall {

namespace {

// "DDS ", then the header, all u32 little-endian: size (124), flags, height,
// width, pitch or linear size, depth, mip-map count, 11 reserved, the pixel
// format (size 32, flags, four-character code, bits per pixel, red, green,
// blue and alpha masks), 4 capability words, 1 reserved. Pixels at 128.
constexpr std::size_t kDataOffset = 128;
constexpr std::uint32_t kAlphaPixels = 0x1, kAlphaOnly = 0x2, kFourCc = 0x4, kRgb = 0x40,
                        kLuminance = 0x20000;

constexpr std::uint32_t FourCc(const char (&c)[5]) {
    return std::uint32_t(std::uint8_t(c[0])) | std::uint32_t(std::uint8_t(c[1])) << 8 |
           std::uint32_t(std::uint8_t(c[2])) << 16 | std::uint32_t(std::uint8_t(c[3])) << 24;
}

[[noreturn]] void Unsupported() { throw EInvalidGraphic("Unsupported DDS pixel format"); }

struct TChannel {
    explicit TChannel(std::uint32_t mask)
        : Mask(mask), Shift(mask ? std::countr_zero(mask) : 0), Max(mask ? mask >> Shift : 0) {}
    std::uint8_t Get(std::uint32_t pixel, std::uint8_t missing) const {
        if (Max == 0) return missing;
        return static_cast<std::uint8_t>((std::uint64_t((pixel & Mask) >> Shift) * 255 + Max / 2) / Max);
    }
    std::uint32_t Mask;
    int Shift;
    std::uint32_t Max;
};

struct TMasks {
    std::uint32_t R, G, B, A;
    bool operator==(const TMasks&) const = default;
};

}  // namespace

bool IsDds(const std::uint8_t* data, std::size_t size) {
    return size >= 4 && std::memcmp(data, "DDS ", 4) == 0;
}

TDecodedImage DecodeDds(const std::uint8_t* data, std::size_t size) {
    if (!IsDds(data, size)) Unsupported();
    if (size < kDataOffset) throw EReadError();
    TByteReader in(data, size);
    in.Skip(4);
    if (in.U32() != 124) throw EInvalidGraphic("DDS image is not valid");
    in.Skip(4);
    const std::uint32_t height = in.U32();
    const std::uint32_t width = in.U32();
    in.Skip(4 * 14);
    in.Skip(4);  // pixel format size: writers disagree, the fields are at fixed places anyway
    const std::uint32_t flags = in.U32();
    const std::uint32_t fourCc = in.U32();
    const std::uint32_t bits = in.U32();
    const TMasks m{in.U32(), in.U32(), in.U32(), in.U32()};
    CheckImageSize(width, height);
    in.Seek(kDataOffset);

    TDecodedImage image;
    image.Width = static_cast<int>(width);
    image.Height = static_cast<int>(height);
    if (flags & kFourCc) {
        if (fourCc == FourCc("DXT1"))
            image.Format = TPixelFormat::Dxt1;
        else if (fourCc == FourCc("DXT3"))
            image.Format = TPixelFormat::Dxt3;
        else if (fourCc == FourCc("DXT5"))
            image.Format = TPixelFormat::Dxt5;
        else
            Unsupported();
        const std::size_t bytes = StoreSize(image.Format, image.Width, image.Height);
        const std::uint8_t* blocks = in.Take(bytes);
        image.Pixels.assign(blocks, blocks + bytes);
        return image;
    }

    const bool alpha = flags & (kAlphaPixels | kAlphaOnly);
    const TMasks used{m.R, m.G, m.B, alpha ? m.A : 0};
    if ((flags & kAlphaOnly) && bits == 8 && !(flags & (kRgb | kLuminance)))
        image.Format = TPixelFormat::Alpha8;
    else if ((flags & kLuminance) && bits == 8 && !alpha)
        image.Format = TPixelFormat::Luminance8;
    else if ((flags & kLuminance) && bits == 16 && alpha && m.R == 0xFF && m.A == 0xFF00)
        image.Format = TPixelFormat::LuminanceAlpha8;
    else if ((flags & kRgb) && bits == 16 && used == TMasks{0xF800, 0x07E0, 0x001F, 0})
        image.Format = TPixelFormat::Rgb565;
    else if ((flags & kRgb) && bits == 16 && used == TMasks{0x7C00, 0x03E0, 0x001F, 0x8000})
        image.Format = TPixelFormat::Argb1555;
    else if ((flags & kRgb) && bits == 24 && used == TMasks{0xFF0000, 0xFF00, 0xFF, 0})
        image.Format = TPixelFormat::Bgr8;
    else if ((flags & kRgb) && (bits == 16 || bits == 24 || bits == 32))
        image.Format = alpha && m.A ? TPixelFormat::Bgra8 : TPixelFormat::Bgr8;
    else
        Unsupported();

    const std::size_t srcBytes = bits / 8;
    const std::size_t count = std::size_t(width) * height;
    const std::uint8_t* src = in.Take(count * srcBytes);
    const int outBytes = BytesPerPixel(image.Format);
    if (static_cast<std::size_t>(outBytes) == srcBytes && image.Format != TPixelFormat::Bgr8 &&
        image.Format != TPixelFormat::Bgra8) {
        image.Pixels.assign(src, src + count * srcBytes);
        return image;
    }
    if (image.Format == TPixelFormat::Bgr8 && bits == 24 && used == TMasks{0xFF0000, 0xFF00, 0xFF, 0}) {
        image.Pixels.assign(src, src + count * srcBytes);
        return image;
    }
    // Any other mask layout, channel by channel.
    const TChannel r(m.R), g(m.G), b(m.B), a(used.A);
    image.Pixels.resize(count * outBytes);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t p = 0;
        for (std::size_t k = 0; k < srcBytes; ++k) p |= std::uint32_t(src[i * srcBytes + k]) << (8 * k);
        std::uint8_t* out = &image.Pixels[i * outBytes];
        out[0] = b.Get(p, 0);
        out[1] = g.Get(p, 0);
        out[2] = r.Get(p, 0);
        if (outBytes == 4) out[3] = a.Get(p, 255);
    }
    return image;
}

namespace {

void Colour565(std::uint16_t c, int out[3]) {
    const int r = c >> 11, g = (c >> 5) & 63, b = c & 31;
    out[0] = (b * 255 + 15) / 31;
    out[1] = (g * 255 + 31) / 63;
    out[2] = (r * 255 + 15) / 31;
}

// One 8-byte colour block into 16 blue-green-red-alpha texels.
void ColourBlock(const std::uint8_t* block, bool allowTransparent, std::uint8_t texels[16][4]) {
    const std::uint16_t c0 = static_cast<std::uint16_t>(block[0] | block[1] << 8);
    const std::uint16_t c1 = static_cast<std::uint16_t>(block[2] | block[3] << 8);
    int colours[4][4];
    Colour565(c0, colours[0]);
    Colour565(c1, colours[1]);
    colours[0][3] = colours[1][3] = 255;
    const bool four = c0 > c1 || !allowTransparent;
    for (int k = 0; k < 3; ++k) {
        if (four) {
            colours[2][k] = (2 * colours[0][k] + colours[1][k] + 1) / 3;
            colours[3][k] = (colours[0][k] + 2 * colours[1][k] + 1) / 3;
        } else {
            colours[2][k] = (colours[0][k] + colours[1][k]) / 2;
            colours[3][k] = 0;
        }
    }
    colours[2][3] = 255;
    colours[3][3] = four ? 255 : 0;
    const std::uint32_t indices = std::uint32_t(block[4]) | std::uint32_t(block[5]) << 8 |
                                  std::uint32_t(block[6]) << 16 | std::uint32_t(block[7]) << 24;
    for (int i = 0; i < 16; ++i)
        for (int k = 0; k < 4; ++k) texels[i][k] = static_cast<std::uint8_t>(colours[(indices >> (2 * i)) & 3][k]);
}

}  // namespace

std::vector<std::uint8_t> DecompressDxt(TPixelFormat format, int width, int height,
                                        const std::vector<std::uint8_t>& blocks) {
    if (!IsCompressed(format) || blocks.size() < StoreSize(format, width, height))
        throw EInvalidGraphic("DDS image is not valid");
    const int blockBytes = format == TPixelFormat::Dxt1 ? 8 : 16;
    const int blocksWide = std::max(1, (width + 3) / 4);
    std::vector<std::uint8_t> out(std::size_t(width) * height * 4);
    for (int by = 0; by * 4 < height; ++by) {
        for (int bx = 0; bx < blocksWide; ++bx) {
            const std::uint8_t* block = &blocks[(std::size_t(by) * blocksWide + bx) * blockBytes];
            std::uint8_t texels[16][4];
            ColourBlock(format == TPixelFormat::Dxt1 ? block : block + 8, format == TPixelFormat::Dxt1, texels);
            if (format == TPixelFormat::Dxt3) {
                for (int i = 0; i < 16; ++i)
                    texels[i][3] = static_cast<std::uint8_t>(((block[i / 2] >> (4 * (i % 2))) & 15) * 17);
            } else if (format == TPixelFormat::Dxt5) {
                int a[8];
                a[0] = block[0];
                a[1] = block[1];
                for (int k = 1; k <= 6; ++k)
                    a[k + 1] = a[0] > a[1] ? ((7 - k) * a[0] + k * a[1] + 3) / 7
                               : k <= 4    ? ((5 - k) * a[0] + k * a[1] + 2) / 5
                               : k == 5    ? 0
                                           : 255;
                std::uint64_t bitsOfIndex = 0;
                for (int k = 0; k < 6; ++k) bitsOfIndex |= std::uint64_t(block[2 + k]) << (8 * k);
                for (int i = 0; i < 16; ++i) texels[i][3] = static_cast<std::uint8_t>(a[(bitsOfIndex >> (3 * i)) & 7]);
            }
            for (int i = 0; i < 16; ++i) {
                const int x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < width && y < height) std::memcpy(&out[(std::size_t(y) * width + x) * 4], texels[i], 4);
            }
        }
    }
    return out;
}

}  // namespace orbitfall
