// The TGA decoder on arbitrary bytes, through the content dispatch.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "infra/errors.h"
#include "render/decoded_image.h"
#include "render/tga_decoder.h"

using namespace orbitfall;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const TDecodedImage image = DecodeTga(data, size);
        if (image.Pixels.size() != StoreSize(image.Format, image.Width, image.Height)) std::abort();
    } catch (const Exception&) {
    }
    return 0;
}
