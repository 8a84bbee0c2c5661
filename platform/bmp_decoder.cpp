#include "platform/bmp_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "infra/errors.h"
#include "platform/byte_reader.h"
#include "platform/image_limits.h"

namespace orbitfall {

namespace {

// File header (14 bytes): "BM", file size u32, reserved u32, pixel data offset u32.
// Info header, starting with its size u32: 12 (core: width u16, height u16,
// planes u16, bits u16) or 40, 52, 56, 108, 124 (width i32, height i32 with a
// negative height meaning top row first, planes u16, bits u16, compression
// u32, image size u32, resolution 2 x u32, colours used u32, important u32,
// then from 52 on the red, green, blue masks and from 56 on the alpha mask).
// Palette entries follow the header: 3 bytes each after a core header, else 4.
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr std::size_t kFileHeaderSize = 14;

[[noreturn]] void Invalid() { throw EInvalidGraphic("Bitmap image is not valid"); }

using TLayout = TBmpPicture::TLayout;

struct TMasks {
    std::uint32_t R = 0, G = 0, B = 0, A = 0;
};

struct THeader {
    std::int64_t Width = 0;
    std::int64_t Height = 0;  // positive
    bool TopDown = false;
    unsigned Bits = 0;
    std::uint32_t Compression = kRgb;
    TMasks Masks;
    bool HasMasks = false;
    std::vector<std::array<std::uint8_t, 3>> Palette;  // blue, green, red
};

// A channel described by a mask, scaled to 0..255.
struct TChannel {
    explicit TChannel(std::uint32_t mask)
        : Mask(mask), Shift(mask ? std::countr_zero(mask) : 0), Max(mask ? mask >> Shift : 0) {}
    std::uint8_t Get(std::uint32_t pixel, std::uint8_t missing) const {
        if (Max == 0) return missing;
        const std::uint64_t v = (pixel & Mask) >> Shift;
        return static_cast<std::uint8_t>((v * 255 + Max / 2) / Max);
    }
    std::uint32_t Mask;
    int Shift;
    std::uint32_t Max;
};

THeader ReadHeader(TByteReader& in) {
    THeader h;
    const std::uint32_t headerSize = in.U32();
    if (headerSize == 12) {
        h.Width = in.U16();
        h.Height = in.U16();
        if (in.U16() != 1) Invalid();
        h.Bits = in.U16();
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
               headerSize == 124) {
        const std::size_t start = in.Position() - 4;
        h.Width = in.I32();
        const std::int64_t height = in.I32();
        h.TopDown = height < 0;
        h.Height = height < 0 ? -height : height;
        if (in.U16() != 1) Invalid();
        h.Bits = in.U16();
        h.Compression = in.U32();
        in.Skip(12);  // image size and resolution
        const std::uint32_t coloursUsed = in.U32();
        in.Skip(4);
        if (h.Compression == kBitFields || h.Compression == kAlphaBitFields) {
            // Masks sit inside the longer headers and right after the 40-byte one.
            h.Masks.R = in.U32();
            h.Masks.G = in.U32();
            h.Masks.B = in.U32();
            if (headerSize >= 56 || h.Compression == kAlphaBitFields) h.Masks.A = in.U32();
            h.HasMasks = true;
        }
        std::size_t end = start + headerSize;
        if (headerSize == 40 && h.Compression == kBitFields) end += 12;
        if (headerSize == 40 && h.Compression == kAlphaBitFields) end += 16;
        in.Seek(end);
        if (h.Bits <= 8) {
            const std::uint32_t full = 1u << h.Bits;
            const std::uint32_t count = coloursUsed == 0 || coloursUsed > full ? full : coloursUsed;
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint8_t* e = in.Take(4);
                h.Palette.push_back({e[0], e[1], e[2]});
            }
        }
    } else {
        Invalid();
    }
    if (headerSize == 12 && h.Bits <= 8) {
        for (std::uint32_t i = 0; i < (1u << h.Bits); ++i) {
            const std::uint8_t* e = in.Take(3);
            h.Palette.push_back({e[0], e[1], e[2]});
        }
    }
    if (h.Bits != 1 && h.Bits != 4 && h.Bits != 8 && h.Bits != 16 && h.Bits != 24 && h.Bits != 32)
        Invalid();
    switch (h.Compression) {
        case kRgb: break;
        case kRle8: if (h.Bits != 8 || h.TopDown) Invalid(); break;
        case kRle4: if (h.Bits != 4 || h.TopDown) Invalid(); break;
        case kBitFields:
        case kAlphaBitFields: if (h.Bits != 16 && h.Bits != 32) Invalid(); break;
        default: Invalid();
    }
    CheckImageSize(h.Width, h.Height);
    return h;
}

// RLE8 into indices, RLE4 into colours, each pixel stored where it lands
// (the codes count rows from the bottom). Pixels no code reaches keep index 0
// (the caller fills them), so a few bytes describing a huge picture cost one
// fill of it instead of a pass per pixel. An index the palette lacks is
// reported only once the codes have all been read, as any read error among
// them comes first.
void DecodeRle(TByteReader& in, const THeader& h, TBmpPicture& pic) {
    const std::int64_t w = h.Width, height = h.Height;
    const bool four = h.Compression == kRle4;
    const std::size_t colours = h.Palette.size();
    bool badIndex = false;
    std::int64_t x = 0, y = 0;  // y counts rows from the bottom
    std::uint8_t* row = nullptr;
    std::int64_t rowOf = -1;
    auto put = [&](std::uint8_t index) {
        if (x >= w || y >= height) Invalid();
        if (rowOf != y) {
            const std::size_t stride = static_cast<std::size_t>(w) * (four ? 3 : 1);
            row = pic.Pixels.data() + static_cast<std::size_t>(height - 1 - y) * stride;
            rowOf = y;
        }
        if (index >= colours) {
            badIndex = true;
        } else if (four) {
            std::memcpy(row + static_cast<std::size_t>(x) * 3, h.Palette[index].data(), 3);
        } else {
            row[x] = index;
        }
        ++x;
    };
    while (true) {
        const std::uint8_t count = in.U8();
        const std::uint8_t value = in.U8();
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i)
                put(four ? static_cast<std::uint8_t>(i % 2 == 0 ? value >> 4 : value & 15) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
            continue;
        }
        if (value == 1) break;  // end of bitmap
        if (value == 2) {       // move right and up
            x += in.U8();
            y += in.U8();
            if (x > w || y > height) Invalid();
            continue;
        }
        // Absolute run of value pixels, padded to a 16-bit boundary.
        const unsigned bytes = four ? (value + 1u) / 2 : value;
        const std::uint8_t* run = in.Take(bytes);
        for (unsigned i = 0; i < value; ++i)
            put(four ? static_cast<std::uint8_t>(i % 2 == 0 ? run[i / 2] >> 4 : run[i / 2] & 15) : run[i]);
        if (bytes % 2 == 1) in.Skip(1);
    }
    if (badIndex) Invalid();
}

// Every pixel of a BGR picture set to one colour, by doubling the part done.
void FillBgr(std::vector<std::uint8_t>& pixels, const std::array<std::uint8_t, 3>& colour) {
    if (pixels.size() < 3 || (colour[0] == 0 && colour[1] == 0 && colour[2] == 0)) return;
    std::memcpy(pixels.data(), colour.data(), 3);
    for (std::size_t done = 3; done < pixels.size();) {
        const std::size_t n = std::min(done, pixels.size() - done);
        std::memcpy(pixels.data() + done, pixels.data(), n);
        done += n;
    }
}

std::uint8_t CheckedIndex(const THeader& h, unsigned index) {
    if (index >= h.Palette.size()) Invalid();
    return static_cast<std::uint8_t>(index);
}

}  // namespace

int TBmpPicture::BytesPerPixel() const {
    switch (Layout) {
        case TLayout::Indexed8: return 1;
        case TLayout::Rgb555:
        case TLayout::Argb1555:
        case TLayout::Rgb565: return 2;
        case TLayout::Bgr24: return 3;
        case TLayout::Bgra32: return 4;
    }
    return 0;
}

bool IsBmp(const std::uint8_t* data, std::size_t size) {
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

TBmpPicture DecodeBmp(const std::uint8_t* data, std::size_t size) {
    if (!IsBmp(data, size)) Invalid();
    TByteReader in(data, size);
    in.Skip(10);
    const std::uint32_t dataOffset = in.U32();
    const THeader h = ReadHeader(in);
    if (dataOffset < kFileHeaderSize) Invalid();
    in.Seek(dataOffset);

    TBmpPicture pic;
    pic.Width = static_cast<int>(h.Width);
    pic.Height = static_cast<int>(h.Height);
    const std::size_t w = pic.Width, height = pic.Height;
    auto setLayout = [&](TLayout layout) {
        pic.Layout = layout;
        pic.Pixels.assign(w * height * pic.BytesPerPixel(), 0);
    };

    if (h.Compression == kRle8 || h.Compression == kRle4) {
        // Pixels the codes do not reach are index 0.
        setLayout(h.Bits == 8 ? TLayout::Indexed8 : TLayout::Bgr24);
        if (h.Bits == 4 && !h.Palette.empty()) FillBgr(pic.Pixels, h.Palette[0]);
        DecodeRle(in, h, pic);
        if (h.Palette.empty()) Invalid();  // not even index 0 has a colour
        return pic;
    }

    // Rows padded to 4 bytes; the last row's padding may be missing.
    const std::uint64_t rowBytes = (std::uint64_t(w) * h.Bits + 7) / 8;
    const std::uint64_t stride = (rowBytes + 3) / 4 * 4;
    if ((height - 1) * stride + rowBytes > in.Remaining()) throw EReadError();
    const std::uint8_t* base = in.Take(0);

    const TMasks defaults16{0x7C00, 0x03E0, 0x001F, 0};
    // Without masks the fourth byte of a 32-bit pixel is taken as alpha,
    // unless it is 0 everywhere (plain padding, see below).
    const bool alphaMayBePadding = h.Bits == 32 && !h.HasMasks;
    const TMasks defaults32{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    const TMasks m = h.HasMasks ? h.Masks : (h.Bits == 16 ? defaults16 : defaults32);
    TLayout layout = TLayout::Bgr24;
    if (h.Bits == 8) {
        layout = TLayout::Indexed8;
    } else if (h.Bits == 16) {
        if (m.R == 0x7C00 && m.G == 0x03E0 && m.B == 0x001F && m.A == 0)
            layout = TLayout::Rgb555;
        else if (m.R == 0x7C00 && m.G == 0x03E0 && m.B == 0x001F && m.A == 0x8000)
            layout = TLayout::Argb1555;
        else if (m.R == 0xF800 && m.G == 0x07E0 && m.B == 0x001F && m.A == 0)
            layout = TLayout::Rgb565;
        else
            layout = m.A ? TLayout::Bgra32 : TLayout::Bgr24;
    } else if (h.Bits == 32) {
        layout = TLayout::Bgra32;
    }
    setLayout(layout);
    const TChannel r(m.R), g(m.G), b(m.B), a(m.A);
    bool anyAlpha = false;

    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* src = base + y * stride;
        const std::size_t row = h.TopDown ? y : height - 1 - y;
        std::uint8_t* dst = &pic.Pixels[row * w * pic.BytesPerPixel()];
        for (std::size_t x = 0; x < w; ++x) {
            switch (h.Bits) {
                case 1:
                case 4: {
                    const std::size_t bit = x * h.Bits;
                    const unsigned shift = 8 - h.Bits - bit % 8;
                    const unsigned index = (src[bit / 8] >> shift) & ((1u << h.Bits) - 1);
                    std::memcpy(dst + x * 3, h.Palette[CheckedIndex(h, index)].data(), 3);
                    break;
                }
                case 8: dst[x] = CheckedIndex(h, src[x]); break;
                case 24: std::memcpy(dst + x * 3, src + x * 3, 3); break;
                case 16:
                case 32: {
                    const std::size_t n = h.Bits / 8;
                    std::uint32_t p = 0;
                    for (std::size_t i = 0; i < n; ++i) p |= std::uint32_t(src[x * n + i]) << (8 * i);
                    if (layout == TLayout::Rgb555 || layout == TLayout::Argb1555 ||
                        layout == TLayout::Rgb565) {
                        dst[x * 2] = src[x * 2];
                        dst[x * 2 + 1] = src[x * 2 + 1];
                        break;
                    }
                    const std::size_t out = pic.BytesPerPixel();
                    dst[x * out] = b.Get(p, 0);
                    dst[x * out + 1] = g.Get(p, 0);
                    dst[x * out + 2] = r.Get(p, 0);
                    if (out == 4) {
                        dst[x * 4 + 3] = a.Get(p, 255);
                        anyAlpha = anyAlpha || dst[x * 4 + 3] != 0;
                    }
                    break;
                }
            }
        }
    }
    if (alphaMayBePadding && !anyAlpha)
        for (std::size_t i = 3; i < pic.Pixels.size(); i += 4) pic.Pixels[i] = 255;
    return pic;
}

}  // namespace orbitfall
