#pragma once
// A 256-texel pattern with detail in every texel and varying alpha, uploaded
// with its mipmaps: a view's far rows shrink it and its near rows magnify it,
// so any change of filter or of texture shows in the pixels. Needs a current
// GL context.
#include <cstdint>
#include <memory>

#include "render/texture_image.h"

namespace orbitfall::testing {

inline std::unique_ptr<TTextureImage> DetailedFogPattern() {
    auto pattern = std::make_unique<TTextureImage>(256, 256, TPixelFormat::Bgra8);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            std::uint8_t* p = pattern->Row(y) + x * 4;
            p[0] = static_cast<std::uint8_t>(x * 37), p[1] = static_cast<std::uint8_t>(y * 53);
            p[2] = static_cast<std::uint8_t>((x ^ y) * 11), p[3] = static_cast<std::uint8_t>(96 + (x * y) % 160);
        }
    pattern->Upload(true);
    return pattern;
}

}  // namespace orbitfall::testing
