#include "render/dds_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "infra/errors.h"
#include "render/decoded_image.h"
#include "tests/support/image_bytes.h"

using namespace orbitfall;
using namespace orbitfall::testing;

namespace {

TDecodedImage Decode(const std::string& file) {
    return DecodeImage(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
}

std::string Str(const std::vector<std::uint8_t>& v) { return std::string(v.begin(), v.end()); }

std::string Message(const std::string& file) {
    try {
        Decode(file);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "no error";
}

}  // namespace

TEST(DdsDecoder, UncompressedLayoutsKeepTheirColours) {
    struct Case {
        const char* name;
        std::uint32_t flags, bits;
        std::vector<std::uint32_t> masks;
        std::string stored;
        TPixelFormat format;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"A8R8G8B8", kDdsRgb | kDdsAlphaPixels, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         Bytes({1, 2, 3, 4, 5, 6, 7, 8}), TPixelFormat::Bgra8, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
        {"X8R8G8B8", kDdsRgb, 32, {0xFF0000, 0xFF00, 0xFF, 0}, Bytes({1, 2, 3, 99, 5, 6, 7, 99}),
         TPixelFormat::Bgr8, Bytes({1, 2, 3, 5, 6, 7})},
        {"A8B8G8R8", kDdsRgb | kDdsAlphaPixels, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000},
         Bytes({1, 2, 3, 4, 5, 6, 7, 8}), TPixelFormat::Bgra8, Bytes({3, 2, 1, 4, 7, 6, 5, 8})},
        {"R8G8B8", kDdsRgb, 24, {0xFF0000, 0xFF00, 0xFF, 0}, Bytes({1, 2, 3, 4, 5, 6}), TPixelFormat::Bgr8,
         Bytes({1, 2, 3, 4, 5, 6})},
        {"R5G6B5", kDdsRgb, 16, {0xF800, 0x07E0, 0x1F, 0}, Bytes({0x1F, 0, 0, 0xF8}), TPixelFormat::Rgb565,
         Bytes({0x1F, 0, 0, 0xF8})},
        {"A1R5G5B5", kDdsRgb | kDdsAlphaPixels, 16, {0x7C00, 0x03E0, 0x1F, 0x8000}, Bytes({0x1F, 0x80, 0, 0x7C}),
         TPixelFormat::Argb1555, Bytes({0x1F, 0x80, 0, 0x7C})},
        {"L8", kDdsLuminance, 8, {0xFF, 0, 0, 0}, Bytes({7, 9}), TPixelFormat::Luminance8, Bytes({7, 9})},
        {"A8L8", kDdsLuminance | kDdsAlphaPixels, 16, {0xFF, 0, 0, 0xFF00}, Bytes({7, 1, 9, 2}),
         TPixelFormat::LuminanceAlpha8, Bytes({7, 1, 9, 2})},
        {"A8", kDdsAlpha, 8, {0, 0, 0, 0xFF}, Bytes({0, 255}), TPixelFormat::Alpha8, Bytes({0, 255})},
    };
    for (const Case& c : cases) {
        const TDecodedImage image = Decode(MakeDds(2, 1, c.flags, nullptr, c.bits, c.masks, c.stored));
        EXPECT_EQ(image.Format, c.format) << c.name;
        EXPECT_EQ(Str(image.Pixels), c.expected) << c.name;
    }
}

TEST(DdsDecoder, BlockCompressedPicturesStayCompressed) {
    struct Case {
        const char* fourCc;
        TPixelFormat format;
        std::size_t blockBytes;
    };
    for (const Case& c : {Case{"DXT1", TPixelFormat::Dxt1, 8}, Case{"DXT3", TPixelFormat::Dxt3, 16},
                          Case{"DXT5", TPixelFormat::Dxt5, 16}}) {
        // 5 x 3 pixels take 2 x 1 blocks; the bytes after them (further mip levels) are not read.
        std::string blocks;
        for (std::size_t i = 0; i < 2 * c.blockBytes; ++i) blocks += static_cast<char>(i);
        const TDecodedImage image = Decode(MakeDds(5, 3, kDdsFourCc, c.fourCc, 0, {}, blocks + "mip"));
        EXPECT_EQ(image.Format, c.format);
        EXPECT_EQ(image.Width, 5);
        EXPECT_EQ(image.Height, 3);
        EXPECT_EQ(Str(image.Pixels), blocks) << c.fourCc;
        EXPECT_THROW(Decode(MakeDds(5, 3, kDdsFourCc, c.fourCc, 0, {}, blocks.substr(1))), EReadError);
    }
}

TEST(DdsDecoder, DecompressedBlocksGiveTheEncodedColours) {
    // Red (0xF800) and blue (0x001F) end points; texel i uses index i % 4.
    const std::vector<std::uint8_t> dxt1 = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
    std::vector<std::uint8_t> out = DecompressDxt(TPixelFormat::Dxt1, 4, 4, dxt1);
    ASSERT_EQ(out.size(), 64u);
    auto texel = [&](int i) { return std::vector<int>(out.begin() + 4 * i, out.begin() + 4 * i + 4); };
    EXPECT_EQ(texel(0), (std::vector<int>{0, 0, 255, 255}));
    EXPECT_EQ(texel(1), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(texel(2), (std::vector<int>{85, 0, 170, 255}));
    EXPECT_EQ(texel(3), (std::vector<int>{170, 0, 85, 255}));

    // End points swapped: three colours and transparent black.
    const std::vector<std::uint8_t> dxt1Alpha = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0xE4, 0xE4, 0xE4};
    out = DecompressDxt(TPixelFormat::Dxt1, 4, 4, dxt1Alpha);
    EXPECT_EQ(texel(2), (std::vector<int>{127, 0, 127, 255}));
    EXPECT_EQ(texel(3), (std::vector<int>{0, 0, 0, 0}));

    // DXT5: alpha end points 255 and 0, indices 0, 1, 2 for the first three texels.
    const std::vector<std::uint8_t> dxt5 = {255, 0, 0x88, 0, 0, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
    out = DecompressDxt(TPixelFormat::Dxt5, 4, 4, dxt5);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[7], 0);
    EXPECT_EQ(out[11], 219);

    // DXT3: 4-bit alpha, texel 0 gets 0xF, texel 1 gets 0x3.
    const std::vector<std::uint8_t> dxt3 = {0x3F, 0, 0, 0, 0, 0, 0, 0, 0x00, 0xF8, 0x1F, 0x00, 0xE4, 0xE4, 0xE4, 0xE4};
    out = DecompressDxt(TPixelFormat::Dxt3, 4, 4, dxt3);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[7], 51);
}

TEST(DdsDecoder, TruncatedAndLyingHeadersEndInTheirErrors) {
    const std::string good = MakeDds(2, 1, kDdsRgb, nullptr, 24, {0xFF0000, 0xFF00, 0xFF, 0}, Bytes({1, 2, 3, 4, 5, 6}));
    for (std::size_t n = 4; n < good.size(); ++n)
        EXPECT_THROW(Decode(good.substr(0, n)), EReadError) << "first " << n << " bytes";

    std::string wrongHeaderSize = good;
    wrongHeaderSize[4] = 100;
    EXPECT_EQ(Message(wrongHeaderSize), "DDS image is not valid");
    EXPECT_EQ(Message(MakeDds(0, 4, kDdsFourCc, "DXT1", 0, {}, std::string(8, '\0'))), "Invalid image size");
    EXPECT_EQ(Message(MakeDds(100000, 4, kDdsFourCc, "DXT1", 0, {}, std::string(8, '\0'))), "Invalid image size");
    EXPECT_EQ(Message(MakeDds(0xFFFFFFFF, 0xFFFFFFFF, kDdsRgb, nullptr, 32, {}, "")), "Invalid image size");
    // The largest accepted size with almost no data: refused before allocating.
    EXPECT_EQ(Message(MakeDds(8192, 8192, kDdsFourCc, "DXT5", 0, {}, std::string(16, '\0'))), "Stream read error");
    EXPECT_EQ(Message(MakeDds(4, 4, kDdsFourCc, "DX10", 0, {}, std::string(64, '\0'))), "Unsupported DDS pixel format");
    EXPECT_EQ(Message(MakeDds(1, 1, kDdsRgb, nullptr, 12, {0xF00, 0xF0, 0xF, 0}, "ab")), "Unsupported DDS pixel format");
}

TEST(ImageDecoder, ContentNotNameDecidesAndUnknownTypesAreRefused) {
    // PNG and JPEG signatures, text, and nothing at all.
    for (const std::string& file : {Bytes({0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0}), Bytes({255, 216, 255, 224, 0, 16}),
                                    std::string("hello world"), std::string()}) {
        EXPECT_EQ(Message(file), "Image data type not recognized");
    }
    // Colour-map type 1 is not a TGA we read.
    EXPECT_EQ(Message(Bytes({0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 1, 2, 3})),
              "Image data type not recognized");
}
