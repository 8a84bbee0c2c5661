#pragma once
// The largest picture any decoder accepts. A header may claim any size; the
// limit keeps a lying one from asking for gigabytes before the data runs out
// (run-length and delta codes can describe huge pictures in a few bytes).
#include <cstdint>

#include "infra/errors.h"

namespace orbitfall {

inline constexpr std::int64_t kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t(1) << 26;

// "Invalid image size" for a side of 0, a negative one or one over the limits.
inline void CheckImageSize(std::int64_t width, std::int64_t height) {
    if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide ||
        width * height > kMaxImagePixels)
        throw EInvalidGraphic("Invalid image size");
}

}  // namespace orbitfall
