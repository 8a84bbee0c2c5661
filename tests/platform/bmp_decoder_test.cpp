#include "platform/bmp_decoder.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "infra/errors.h"
#include "tests/support/image_bytes.h"

using namespace orbitfall;
using namespace orbitfall::testing;
using TLayout = TBmpPicture::TLayout;

namespace {

TBmpPicture Decode(const std::string& file) {
    return DecodeBmp(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
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

BmpSpec Spec(std::int32_t width, std::int32_t height, std::uint16_t bits, std::string pixels) {
    BmpSpec s;
    s.width = width;
    s.height = height;
    s.bits = bits;
    s.pixels = std::move(pixels);
    return s;
}

const std::vector<std::uint32_t> kFourColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

// 8 x 2 at 4 bits, RLE4, bottom row first: a run, an absolute run, end of
// line; then a delta over 2 pixels, a run of 4, end of bitmap.
std::string Rle4Data() {
    return Bytes({4, 0x12, 0, 4, 0x30, 0x21, 0, 0, 0, 2, 2, 0, 4, 0x33, 0, 1});
}

}  // namespace

TEST(BmpDecoder, UncompressedDepthsDecodeTopRowFirst) {
    struct Case {
        const char* name;
        BmpSpec spec;
        TLayout layout;
        std::string expected;
    };
    BmpSpec oneBit = Spec(3, 2, 1, Bytes({0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0}));
    oneBit.palette = {0x102030, 0xA0B0C0};
    BmpSpec fourBit = Spec(3, 1, 4, Bytes({0x12, 0x30, 0, 0}));
    fourBit.palette = kFourColours;
    BmpSpec eightBit = Spec(2, 2, 8, Bytes({3, 1, 0, 0, 2, 0, 0, 0}));
    eightBit.palette = kFourColours;
    BmpSpec topDown = Spec(1, -2, 24, Bytes({1, 2, 3, 0, 4, 5, 6, 0}));
    BmpSpec core = Spec(2, 1, 8, Bytes({1, 0, 0, 0}));
    core.headerSize = 12;
    core.palette = std::vector<std::uint32_t>(256, 0x445566);
    core.palette[1] = 0x010203;
    const std::vector<Case> cases = {
        // Rows padded to 4 bytes; the stored bottom row comes last.
        {"24 bits", Spec(2, 2, 24, Bytes({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0})), TLayout::Bgr24,
         Bytes({7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6})},
        {"1 bit", oneBit, TLayout::Bgr24,
         Bytes({0x30, 0x20, 0x10, 0xC0, 0xB0, 0xA0, 0x30, 0x20, 0x10, 0xC0, 0xB0, 0xA0, 0x30, 0x20, 0x10, 0xC0, 0xB0,
                0xA0})},
        {"4 bits", fourBit, TLayout::Bgr24, Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0})},
        // Palette indices stay as they are.
        {"8 bits", eightBit, TLayout::Indexed8, Bytes({2, 0, 3, 1})},
        {"top-down", topDown, TLayout::Bgr24, Bytes({1, 2, 3, 4, 5, 6})},
        {"core header", core, TLayout::Indexed8, Bytes({1, 0})},
    };
    for (const Case& c : cases) {
        const TBmpPicture picture = Decode(MakeBmp(c.spec));
        EXPECT_EQ(picture.Layout, c.layout) << c.name;
        EXPECT_EQ(Str(picture.Pixels), c.expected) << c.name;
    }
}

TEST(BmpDecoder, SixteenAndThirtyTwoBitLayouts) {
    struct Case {
        const char* name;
        BmpSpec spec;
        TLayout layout;
        std::string expected;
    };
    BmpSpec b565 = Spec(2, 1, 16, Bytes({0x1F, 0x00, 0x00, 0xF8}));
    b565.compression = 3;
    b565.masks = {0xF800, 0x07E0, 0x001F};
    BmpSpec b4444 = Spec(1, 1, 16, Bytes({0x21, 0xF3}));  // a=F r=3 g=2 b=1
    b4444.compression = 3;
    b4444.headerSize = 56;
    b4444.masks = {0x0F00, 0x00F0, 0x000F, 0xF000};
    BmpSpec v5 = Spec(1, 1, 32, Bytes({1, 2, 3, 0}));
    v5.compression = 3;
    v5.headerSize = 124;
    v5.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    const std::vector<Case> cases = {
        {"16 bits plain is 5-5-5", Spec(2, 1, 16, Bytes({0x1F, 0x00, 0x00, 0x7C})), TLayout::Rgb555,
         Bytes({0x1F, 0x00, 0x00, 0x7C})},
        {"5-6-5 bit fields", b565, TLayout::Rgb565, Bytes({0x1F, 0x00, 0x00, 0xF8})},
        {"4-4-4-4 bit fields", b4444, TLayout::Bgra32, Bytes({17, 34, 51, 255})},
        {"32 bits with alpha", Spec(2, 1, 32, Bytes({1, 2, 3, 4, 5, 6, 7, 0})), TLayout::Bgra32,
         Bytes({1, 2, 3, 4, 5, 6, 7, 0})},
        // A fourth byte that is 0 everywhere is padding.
        {"32 bits, padding", Spec(2, 1, 32, Bytes({1, 2, 3, 0, 5, 6, 7, 0})), TLayout::Bgra32,
         Bytes({1, 2, 3, 255, 5, 6, 7, 255})},
        // An explicit alpha mask is believed even when everything is transparent.
        {"V5 alpha mask", v5, TLayout::Bgra32, Bytes({1, 2, 3, 0})},
    };
    for (const Case& c : cases) {
        const TBmpPicture picture = Decode(MakeBmp(c.spec));
        EXPECT_EQ(picture.Layout, c.layout) << c.name;
        EXPECT_EQ(Str(picture.Pixels), c.expected) << c.name;
    }
}

TEST(BmpDecoder, RunLengthEncodingWithAbsoluteRunsDeltasAndLineEnds) {
    // 4 x 2 RLE8: bottom row "run of 1, absolute run of 3 (padded)", end of
    // line; top row "delta 1 right", "run of 3"; end of bitmap.
    BmpSpec rle8 = Spec(4, 2, 8, Bytes({1, 1, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 0, 3, 2, 0, 1}));
    rle8.compression = 1;
    rle8.palette = kFourColours;
    const TBmpPicture eight = Decode(MakeBmp(rle8));
    EXPECT_EQ(eight.Layout, TLayout::Indexed8);
    EXPECT_EQ(Str(eight.Pixels), Bytes({0, 2, 2, 2, 1, 1, 2, 3}));

    BmpSpec rle4 = Spec(8, 2, 4, Rle4Data());
    rle4.compression = 2;
    rle4.palette = kFourColours;
    const TBmpPicture four = Decode(MakeBmp(rle4));
    ASSERT_EQ(four.Layout, TLayout::Bgr24);
    // Bottom row indices 1 2 1 2 3 0 2 1, top row 0 0 3 3 3 3 0 0 (skipped pixels are index 0).
    const std::vector<int> top = {0, 0, 3, 3, 3, 3, 0, 0}, bottom = {1, 2, 1, 2, 3, 0, 2, 1};
    std::string expected;
    for (const auto* row : {&top, &bottom})
        for (int index : *row) {
            const std::uint32_t c = kFourColours[index];
            expected += Bytes({int(c & 0xFF), int((c >> 8) & 0xFF), int(c >> 16)});
        }
    EXPECT_EQ(Str(four.Pixels), expected);
}

// Pixels no code reaches take colour 0 of the palette, also where it is not
// black; an index the palette lacks is refused once the codes have been read,
// after any read error among them.
TEST(BmpDecoder, RunLengthGapsTakeTheFirstColourAndBadIndicesComeLast) {
    BmpSpec rle4 = Spec(8, 2, 4, Rle4Data());
    rle4.compression = 2;
    rle4.palette = {0x405060, 0xFF0000, 0x00FF00, 0x0000FF};
    const TBmpPicture four = Decode(MakeBmp(rle4));
    const std::vector<int> top = {0, 0, 3, 3, 3, 3, 0, 0}, bottom = {1, 2, 1, 2, 3, 0, 2, 1};
    std::string expected;
    for (const auto* row : {&top, &bottom})
        for (int index : *row) {
            const std::uint32_t c = rle4.palette[index];
            expected += Bytes({int(c & 0xFF), int((c >> 8) & 0xFF), int(c >> 16)});
        }
    EXPECT_EQ(Str(four.Pixels), expected);

    // Index 5 with four colours, in a run and in an absolute run.
    for (const std::string& codes : {Bytes({2, 5, 0, 1}), Bytes({0, 3, 1, 5, 2, 0, 0, 1})}) {
        BmpSpec rle8 = Spec(4, 1, 8, codes);
        rle8.compression = 1;
        rle8.palette = kFourColours;
        rle8.coloursUsed = 4;
        const std::string file = MakeBmp(rle8);
        EXPECT_EQ(Message(file), "Bitmap image is not valid");
        EXPECT_THROW(Decode(file.substr(0, file.size() - 1)), EReadError);
    }
}

TEST(BmpDecoder, EveryTruncationIsRefused) {
    BmpSpec rle4 = Spec(8, 2, 4, Rle4Data());
    rle4.compression = 2;
    rle4.palette = kFourColours;
    // Widths without row padding: a missing last padding is accepted.
    BmpSpec eight = Spec(4, 2, 8, Bytes({3, 1, 0, 2, 2, 0, 1, 3}));
    eight.palette = kFourColours;
    for (const std::string& file : {MakeBmp(rle4), MakeBmp(eight), MakeBmp(Spec(4, 3, 24, std::string(36, 'x')))}) {
        for (std::size_t n = 2; n < file.size(); ++n)
            EXPECT_THROW(Decode(file.substr(0, n)), EReadError) << "first " << n << " bytes";
        EXPECT_NO_THROW(Decode(file));
    }
}

TEST(BmpDecoder, LyingHeadersEndInTheirErrors) {
    auto with = [](BmpSpec spec, auto change) {
        change(spec);
        return MakeBmp(spec);
    };
    BmpSpec base = Spec(2, 2, 8, Bytes({3, 1, 0, 0, 2, 0, 0, 0}));
    base.palette = kFourColours;
    base.coloursUsed = 4;
    auto palette = [](BmpSpec& s) { s.palette = kFourColours; };
    struct Case {
        const char* name;
        std::string file;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"width 0", with(base, [](BmpSpec& s) { s.width = 0; }), "Invalid image size"},
        {"width 100,000", with(base, [](BmpSpec& s) { s.width = 100000; }), "Invalid image size"},
        {"negative width", with(base, [](BmpSpec& s) { s.width = -5; }), "Invalid image size"},
        {"lowest height", with(base, [](BmpSpec& s) { s.height = INT_MIN; }), "Invalid image size"},
        {"pixel count over the limit", with(base, [](BmpSpec& s) { s.width = s.height = 16384; }), "Invalid image size"},
        {"huge claim, little data", with(base, [](BmpSpec& s) { s.width = s.height = 8000; s.bits = 24; }),
         "Stream read error"},
        {"index past the palette", with(base, [](BmpSpec& s) { s.palette = {0, 0}; s.coloursUsed = 2; }),
         "Bitmap image is not valid"},
        {"4-bit index past the palette",
         with(Spec(2, 1, 4, Bytes({0x05, 0, 0, 0})), [](BmpSpec& s) { s.palette = {0, 0}; s.coloursUsed = 2; }),
         "Bitmap image is not valid"},
        {"RLE run past the row",
         with(Spec(4, 1, 8, Bytes({5, 1, 0, 1})), [&](BmpSpec& s) { s.compression = 1; palette(s); }),
         "Bitmap image is not valid"},
        {"RLE absolute run past the row",
         with(Spec(2, 1, 8, Bytes({0, 3, 1, 1, 1, 0, 0, 1})), [&](BmpSpec& s) { s.compression = 1; palette(s); }),
         "Bitmap image is not valid"},
        {"RLE delta past the picture",
         with(Spec(4, 2, 8, Bytes({0, 2, 0, 9, 1, 1, 0, 1})), [&](BmpSpec& s) { s.compression = 1; palette(s); }),
         "Bitmap image is not valid"},
        {"RLE rows past the picture",
         with(Spec(1, 1, 8, Bytes({0, 0, 1, 1, 0, 1})), [&](BmpSpec& s) { s.compression = 1; palette(s); }),
         "Bitmap image is not valid"},
        {"RLE without end of bitmap",
         with(Spec(2, 1, 8, Bytes({2, 1})), [&](BmpSpec& s) { s.compression = 1; palette(s); }), "Stream read error"},
        {"RLE top-down", with(Spec(2, -1, 8, Bytes({0, 1})), [&](BmpSpec& s) { s.compression = 1; palette(s); }),
         "Bitmap image is not valid"},
        {"7 bits", with(base, [](BmpSpec& s) { s.bits = 7; }), "Bitmap image is not valid"},
        {"unknown compression", with(base, [&](BmpSpec& s) { s.compression = 4; palette(s); }),
         "Bitmap image is not valid"},
        {"odd header size", with(base, [](BmpSpec& s) { s.headerSize = 20; }), "Bitmap image is not valid"},
        {"data offset past the end", with(base, [&](BmpSpec& s) { palette(s); s.dataOffset = 5000; }),
         "Stream read error"},
        {"data offset inside the file header", with(base, [&](BmpSpec& s) { palette(s); s.dataOffset = 3; }),
         "Bitmap image is not valid"},
    };
    for (const Case& c : cases) EXPECT_EQ(Message(c.file), c.message) << c.name;
}
