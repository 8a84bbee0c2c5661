// The DDS decoder on arbitrary bytes; compressed pictures are decompressed too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "infra/errors.h"
#include "render/dds_decoder.h"
#include "render/decoded_image.h"

using namespace orbitfall;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const TDecodedImage image = DecodeDds(data, size);
        if (image.Pixels.size() != StoreSize(image.Format, image.Width, image.Height)) std::abort();
        if (IsCompressed(image.Format) && image.Width <= 1024 && image.Height <= 1024) {
            const auto colours = DecompressDxt(image.Format, image.Width, image.Height, image.Pixels);
            if (colours.size() != std::size_t(image.Width) * image.Height * 4) std::abort();
        }
    } catch (const Exception&) {
    }
    return 0;
}
