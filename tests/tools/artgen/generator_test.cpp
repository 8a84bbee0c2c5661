// The generator's building blocks: the picture encoders round-trip, noise
// that must repeat repeats to the bit, and the arithmetic stays accurate.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "art.h"
#include "image_files.h"
#include "noise.h"
#include "shaping.h"
#include "tests/tools/artgen/picture_reader.h"

namespace {

using namespace orbitfall::artgen;
using orbitfall::testing::DecodeBytes;
using orbitfall::testing::Image;

// Rows with single pixels, runs of 2, a run of exactly 128, one of 129 and a
// run that a raw packet must end before.
Picture Patterned(int width, int height) {
    Picture p;
    p.width = width;
    p.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int band = x < 128 ? 0 : (x < 257 ? 1 : 2 + (x * 7 + y) % 5);
            const std::uint32_t h = Hash2(x / 2, y, 3);
            p.rgba.push_back(static_cast<std::uint8_t>(band == 0 ? 10 : (band == 1 ? 20 : h & 0xff)));
            p.rgba.push_back(static_cast<std::uint8_t>(y * 13));
            p.rgba.push_back(static_cast<std::uint8_t>(band * 40));
            p.rgba.push_back(static_cast<std::uint8_t>(x == 5 ? 0 : 255 - band));
        }
    }
    return p;
}

void ExpectSame(const Picture& p, const Image& img, bool alpha) {
    ASSERT_EQ(img.width, p.width);
    ASSERT_EQ(img.height, p.height);
    int wrong = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            for (int k = 0; k < (alpha ? 4 : 3); ++k) wrong += img.At(x, y)[k] != p.Pixel(x, y)[k];
    EXPECT_EQ(wrong, 0);
}

TEST(ArtEncoders, TgaRoundTripsInBothKindsAndDepths) {
    const Picture p = Patterned(300, 7);
    for (TgaKind kind : {TgaKind::Uncompressed, TgaKind::RunLength}) {
        for (int bits : {24, 32}) {
            SCOPED_TRACE(testing::Message() << "bits " << bits << (kind == TgaKind::RunLength ? " run-length" : ""));
            const std::vector<std::uint8_t> bytes = EncodeTga(p, bits, kind);
            EXPECT_EQ(bytes[2], kind == TgaKind::RunLength ? 10 : 2);
            ExpectSame(p, DecodeBytes(bytes), bits == 32);
        }
    }
}

TEST(ArtEncoders, RunLengthPacketsNeverCrossARow) {
    // One colour everywhere: every row must still start with a packet of its own.
    Picture p;
    p.width = 200;
    p.height = 3;
    p.rgba.assign(200 * 3 * 4, 77);
    const std::vector<std::uint8_t> bytes = EncodeTga(p, 24, TgaKind::RunLength);
    // Per row: a run of 128 and a run of 72, each a header byte and a pixel.
    ASSERT_EQ(bytes.size(), 18u + 3u * 2u * 4u);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(bytes[18 + row * 8], 0x80 | 127);
        EXPECT_EQ(bytes[18 + row * 8 + 4], 0x80 | 71);
    }
}

TEST(ArtEncoders, BmpRowsArePaddedToFourBytes) {
    const Picture p = Patterned(3, 5);
    const std::vector<std::uint8_t> bytes = EncodeBmp24(p);
    EXPECT_EQ(bytes.size(), 54u + 5u * 12u);
    EXPECT_EQ(orbitfall::testing::U32(bytes, 2), bytes.size());
    ExpectSame(p, DecodeBytes(bytes), false);
}

TEST(ArtNoise, PeriodicNoiseRepeatsExactly) {
    struct Case {
        int periodX, periodY, octaves;
    };
    for (const Case& c : {Case{8, 0, 6}, Case{4, 4, 6}, Case{16, 16, 5}, Case{3, 5, 4}}) {
        // Dyadic positions, so adding the period loses no bits of the fraction.
        for (float x : {0.0f, 0.375f, 2.5f, 7.984375f}) {
            for (float y : {0.0f, 1.25f, 3.75f}) {
                const float here = PeriodicFbm(x, y, c.periodX, c.periodY, c.octaves, 42);
                EXPECT_EQ(here, PeriodicFbm(x + static_cast<float>(c.periodX), y, c.periodX, c.periodY, c.octaves, 42));
                if (c.periodY > 0) {
                    EXPECT_EQ(here, PeriodicFbm(x, y + static_cast<float>(c.periodY), c.periodX, c.periodY, c.octaves, 42));
                }
            }
        }
    }
    // Without a period the pattern goes on changing.
    EXPECT_NE(PeriodicNoise(0.5f, 0.5f, 0, 0, 1), PeriodicNoise(8.5f, 0.5f, 0, 0, 1));
}

TEST(ArtShaping, SineMatchesTheLibraryToNineDigits) {
    for (double x : {-100.0, -3.5, -1.0, 0.0, 0.001, 0.5, 1.5707963, 2.0, 3.14159, 4.0, 6.0, 1000.25}) {
        EXPECT_NEAR(Sine(x), std::sin(x), 1e-9) << x;
        EXPECT_NEAR(Cosine(x), std::cos(x), 1e-9) << x;
    }
}

TEST(ArtShaping, BytesRoundToNearestAndClamp) {
    EXPECT_EQ(ToByte(0.0f), 0);
    EXPECT_EQ(ToByte(1.0f), 255);
    EXPECT_EQ(ToByte(0.5f), 128);
    EXPECT_EQ(ToByte(127.0f / 255.0f), 127);
    EXPECT_EQ(ToByte(-0.2f), 0);
    EXPECT_EQ(ToByte(7.0f), 255);
    EXPECT_EQ(ToByte(std::numeric_limits<float>::quiet_NaN()), 0);
}

// Every glyph keeps all of FreeType's ink inside its box, except the odd
// column beside the advance that no box can hold. Caught the accents on
// capitals being cut off at the font's nominal ascent.
TEST(ArtFont, GlyphBoxesHoldAllTheirInk) {
    const BitmapFont font = RenderFont(ORBITFALL_ARTGEN_FONT, 14);
    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, ORBITFALL_ARTGEN_FONT, 0, &face), 0);
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 14), 0);
    int checked = 0;
    for (std::size_t i = 0; i + 9 <= font.metrics.size(); i += 9) {
        const std::uint8_t* m = &font.metrics[i];
        const int code = m[0], x = m[1] | (m[2] << 8), y = m[3] | (m[4] << 8), w = m[5] | (m[6] << 8);
        const int h = m[7] | (m[8] << 8);
        EXPECT_EQ(h, font.lineHeight);
        ASSERT_EQ(FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER), 0);
        const FT_GlyphSlot slot = face->glyph;
        if (slot->bitmap_left < 0 || slot->bitmap_left + static_cast<int>(slot->bitmap.width) > w) continue;
        long expected = 0, found = 0;
        for (unsigned r = 0; r < slot->bitmap.rows; ++r)
            for (unsigned c = 0; c < slot->bitmap.width; ++c) expected += slot->bitmap.buffer[r * slot->bitmap.pitch + c];
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx) found += font.picture.Pixel(xx, yy)[0];
        EXPECT_EQ(found, expected) << "code " << code;
        ++checked;
    }
    EXPECT_GT(checked, 170);  // all but a dozen with a column beside the advance
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

}  // namespace
