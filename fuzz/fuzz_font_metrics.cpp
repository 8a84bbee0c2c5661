// ".bmf" records on arbitrary bytes, with a picture size from the first two
// bytes; every texture coordinate must stay inside the picture and the
// layout of a string through all codes must finish.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "render/font_metrics.h"

using namespace orbitfall;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int width = 1 + data[0] * 64, height = 1 + data[1] * 64;
    const TFontMetrics metrics = ParseFontMetrics(data + 2, size - 2, width, height);
    for (const TGlyph& g : metrics.Glyphs)
        for (float v : {g.U0, g.V0, g.U1, g.V1})
            if (!(v >= 0.0f && v <= 1.0f)) std::abort();
    std::string text;
    for (int c = 0; c < 256; ++c) text += static_cast<char>(c);
    (void)LayoutString(metrics.Glyphs, metrics.LineHeight, INT32_MAX, INT32_MIN, text);
    return 0;
}
