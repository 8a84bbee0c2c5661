// The BMP decoder on arbitrary bytes: a picture or one of its errors, and a
// picture whose store matches its size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "infra/errors.h"
#include "platform/bmp_decoder.h"

using namespace orbitfall;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const TBmpPicture picture = DecodeBmp(data, size);
        if (picture.Pixels.size() != std::size_t(picture.Width) * picture.Height * picture.BytesPerPixel()) std::abort();
    } catch (const Exception&) {
    }
    return 0;
}
