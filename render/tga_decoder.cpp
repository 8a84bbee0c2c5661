#include "render/tga_decoder.h"

#include <cstring>
#include <string>

#include "infra/errors.h"
#include "platform/byte_reader.h"
#include "platform/image_limits.h"

namespace orbitfall {

namespace {

// Header, 18 bytes, little-endian: id length u8, colour-map type u8, image
// type u8, colour-map first entry u16, length u16, entry bits u8, x origin
// u16, y origin u16, width u16, height u16, bits per pixel u8, descriptor u8
// (bits 0-3 alpha bits, bit 4 right to left, bit 5 top row first). The id
// field follows, then the pixels.
constexpr std::size_t kHeaderSize = 18;

bool IsTypeAccepted(std::uint8_t type) { return type == 2 || type == 3 || type == 10 || type == 11; }

}  // namespace

bool IsTga(const std::uint8_t* data, std::size_t size) {
    return size >= 3 && data[1] == 0 && IsTypeAccepted(data[2]);
}

TDecodedImage DecodeTga(const std::uint8_t* data, std::size_t size) {
    if (!IsTga(data, size)) throw EInvalidGraphic("TGA image is not valid");
    TByteReader in(data, size);
    if (size < kHeaderSize) throw EReadError();
    const std::uint8_t idLength = in.U8();
    in.Skip(1);
    const std::uint8_t type = in.U8();
    in.Skip(9);
    const int width = in.U16();
    const int height = in.U16();
    const unsigned bits = in.U8();
    const std::uint8_t descriptor = in.U8();
    in.Skip(idLength);

    const bool grey = type == 3 || type == 11;
    const bool rle = type == 10 || type == 11;
    TDecodedImage image;
    switch (bits) {
        case 8: image.Format = TPixelFormat::Alpha8; break;
        case 16: image.Format = grey ? TPixelFormat::LuminanceAlpha8 : TPixelFormat::Argb1555; break;
        case 24: image.Format = TPixelFormat::Bgr8; break;
        case 32: image.Format = TPixelFormat::Bgra8; break;
        default: throw EInvalidGraphic("Unsupported TGA bits per pixel: " + std::to_string(bits));
    }
    CheckImageSize(width, height);
    const std::size_t pixelBytes = bits / 8;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    // A run packet of at most 1 + pixelBytes bytes stands for up to 128
    // pixels: data shorter than that cannot fill the picture.
    if (count * pixelBytes > in.Remaining() && (!rle || count > 128 * in.Remaining()))
        throw EReadError();

    // Pixels in file order first.
    std::vector<std::uint8_t> stored(count * pixelBytes);
    if (!rle) {
        std::memcpy(stored.data(), in.Take(stored.size()), stored.size());
    } else {
        std::size_t done = 0;
        while (done < count) {
            const std::uint8_t packet = in.U8();
            const std::size_t n = (packet & 0x7F) + 1u;
            if (n > count - done) throw EInvalidGraphic("TGA image is not valid");
            std::uint8_t* out = stored.data() + done * pixelBytes;
            if (packet & 0x80) {
                const std::uint8_t* pixel = in.Take(pixelBytes);
                for (std::size_t i = 0; i < n; ++i) std::memcpy(out + i * pixelBytes, pixel, pixelBytes);
            } else {
                std::memcpy(out, in.Take(n * pixelBytes), n * pixelBytes);
            }
            done += n;
        }
    }

    image.Width = width;
    image.Height = height;
    image.Pixels.resize(stored.size());
    const bool topFirst = descriptor & 0x20;
    const bool rightToLeft = descriptor & 0x10;
    const std::size_t rowBytes = std::size_t(width) * pixelBytes;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = stored.data() + std::size_t(topFirst ? y : height - 1 - y) * rowBytes;
        std::uint8_t* dst = image.Pixels.data() + std::size_t(y) * rowBytes;
        if (!rightToLeft) {
            std::memcpy(dst, src, rowBytes);
        } else {
            for (int x = 0; x < width; ++x)
                std::memcpy(dst + std::size_t(x) * pixelBytes,
                            src + std::size_t(width - 1 - x) * pixelBytes, pixelBytes);
        }
    }

    if ((descriptor & 0x0F) == 0) {
        if (image.Format == TPixelFormat::Argb1555)
            for (std::size_t i = 1; i < image.Pixels.size(); i += 2) image.Pixels[i] |= 0x80;
        if (image.Format == TPixelFormat::Bgra8) {
            bool anyAlpha = false;
            for (std::size_t i = 3; i < image.Pixels.size() && !anyAlpha; i += 4) anyAlpha = image.Pixels[i] != 0;
            if (!anyAlpha)
                for (std::size_t i = 3; i < image.Pixels.size(); i += 4) image.Pixels[i] = 255;
        }
    }
    return image;
}

}  // namespace orbitfall
