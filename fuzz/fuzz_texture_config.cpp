// The ".config" reader on arbitrary text: a configuration or its conversion
// or range error, nothing else.
#include <cstddef>
#include <cstdint>
#include <string>

#include "infra/errors.h"
#include "render/texture_config.h"

using namespace orbitfall;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        (void)ParseTextureConfig(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const EConvertError&) {
    } catch (const ERangeError&) {
    }
    return 0;
}
