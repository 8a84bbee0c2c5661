#include "render/decoded_image.h"

#include <algorithm>

#include "infra/errors.h"
#include "platform/bmp_decoder.h"
#include "render/dds_decoder.h"
#include "render/tga_decoder.h"

namespace orbitfall {

int BytesPerPixel(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::Alpha8:
        case TPixelFormat::Luminance8: return 1;
        case TPixelFormat::LuminanceAlpha8:
        case TPixelFormat::Rgb565:
        case TPixelFormat::Argb1555: return 2;
        case TPixelFormat::Bgr8: return 3;
        case TPixelFormat::Bgra8: return 4;
        case TPixelFormat::None:
        case TPixelFormat::Dxt1:
        case TPixelFormat::Dxt3:
        case TPixelFormat::Dxt5: return 0;
    }
    return 0;
}

bool IsCompressed(TPixelFormat format) {
    return format == TPixelFormat::Dxt1 || format == TPixelFormat::Dxt3 || format == TPixelFormat::Dxt5;
}

std::size_t StoreSize(TPixelFormat format, int width, int height) {
    if (IsCompressed(format)) {
        const std::size_t blocks = std::size_t(std::max(1, (width + 3) / 4)) * std::max(1, (height + 3) / 4);
        return blocks * (format == TPixelFormat::Dxt1 ? 8 : 16);
    }
    return std::size_t(width) * std::size_t(height) * BytesPerPixel(format);
}

namespace {

TDecodedImage FromBmp(TBmpPicture&& picture) {
    using TLayout = TBmpPicture::TLayout;
    TDecodedImage image;
    image.Width = picture.Width;
    image.Height = picture.Height;
    switch (picture.Layout) {
        // The palette index itself is the grey level.
        case TLayout::Indexed8: image.Format = TPixelFormat::Luminance8; break;
        case TLayout::Rgb555:
            // The top bit is padding in this layout: opaque.
            for (std::size_t i = 1; i < picture.Pixels.size(); i += 2) picture.Pixels[i] |= 0x80;
            image.Format = TPixelFormat::Argb1555;
            break;
        case TLayout::Argb1555: image.Format = TPixelFormat::Argb1555; break;
        case TLayout::Rgb565: image.Format = TPixelFormat::Rgb565; break;
        case TLayout::Bgr24: image.Format = TPixelFormat::Bgr8; break;
        case TLayout::Bgra32: image.Format = TPixelFormat::Bgra8; break;
    }
    image.Pixels = std::move(picture.Pixels);
    return image;
}

}  // namespace

TDecodedImage DecodeImage(const std::uint8_t* data, std::size_t size) {
    if (IsDds(data, size)) return DecodeDds(data, size);
    if (IsTga(data, size)) return DecodeTga(data, size);
    // JPEG (255, 216) is known but not decoded: the search goes on to BMP,
    // which never accepts it, so it ends as an unrecognised type.
    if (IsBmp(data, size)) return FromBmp(DecodeBmp(data, size));
    throw EInvalidGraphic("Image data type not recognized");
}

}  // namespace orbitfall
