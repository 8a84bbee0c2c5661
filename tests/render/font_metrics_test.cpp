#include "render/font_metrics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/image_bytes.h"

using namespace orbitfall;
using namespace orbitfall::testing;

namespace {

std::string Record(int code, int x, int y, int w, int h) {
    std::string s(1, static_cast<char>(code));
    Put16(s, x);
    Put16(s, y);
    Put16(s, w);
    Put16(s, h);
    return s;
}

TFontMetrics Parse(const std::string& bytes, int width = 256, int height = 128) {
    return ParseFontMetrics(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), width, height);
}

}  // namespace

TEST(FontMetrics, RecordsOfNineBytesWithTheRestIgnored) {
    const TFontMetrics m = Parse(Record('A', 64, 32, 10, 16) + Record('B', 0, 0, 11, 14) + "xy");
    int defined = 0;
    for (const TGlyph& g : m.Glyphs) defined += g.Defined;
    EXPECT_EQ(defined, 2);
    const TGlyph& a = m.Glyphs['A'];
    EXPECT_FLOAT_EQ(a.U0, 0.25f);
    EXPECT_FLOAT_EQ(a.V0, 0.25f);
    EXPECT_FLOAT_EQ(a.U1, 74.0f / 256);
    EXPECT_FLOAT_EQ(a.V1, 48.0f / 128);
    EXPECT_EQ(a.Advance, 10);
    EXPECT_EQ(m.LineHeight, 14);  // the last record's height
}

TEST(FontMetrics, EmptyFileDefinesNothingAndDrawsNothing) {
    const TFontMetrics m = Parse("");
    for (const TGlyph& g : m.Glyphs) EXPECT_FALSE(g.Defined);
    EXPECT_EQ(m.LineHeight, 0);
    EXPECT_TRUE(LayoutString(m.Glyphs, m.LineHeight, 0, 0, "any text").empty());
}

TEST(FontMetrics, LaterRecordReplacesEarlierAndHighCodesWork) {
    const TFontMetrics m = Parse(Record(0xE4, 0, 0, 5, 9) + Record(0xE4, 128, 64, 7, 9));
    EXPECT_EQ(m.Glyphs[0xE4].Advance, 7);
    EXPECT_FLOAT_EQ(m.Glyphs[0xE4].U0, 0.5f);
}

TEST(FontMetrics, RectanglesPastThePictureAreCutAtItsEdge) {
    const TFontMetrics m = Parse(Record('A', 250, 120, 20, 30) + Record('B', 65535, 65535, 65535, 65535), 256, 128);
    EXPECT_FLOAT_EQ(m.Glyphs['A'].U0, 250.0f / 256);
    EXPECT_FLOAT_EQ(m.Glyphs['A'].U1, 1.0f);
    EXPECT_FLOAT_EQ(m.Glyphs['A'].V1, 1.0f);
    EXPECT_EQ(m.Glyphs['A'].Advance, 20);
    for (float v : {m.Glyphs['B'].U0, m.Glyphs['B'].V0, m.Glyphs['B'].U1, m.Glyphs['B'].V1}) EXPECT_FLOAT_EQ(v, 1.0f);
    EXPECT_EQ(m.LineHeight, 65535);
}

TEST(FontMetrics, LayoutAdvancesThePenAndSkipsUndefinedCodes) {
    const TFontMetrics m = Parse(Record('A', 0, 0, 10, 16) + Record('B', 10, 0, 11, 16) + Record('C', 21, 0, 12, 16));
    const std::vector<TGlyphQuad> quads = LayoutString(m.Glyphs, m.LineHeight, 100, 50, "A?BC");
    ASSERT_EQ(quads.size(), 3u);
    const std::vector<double> lefts = {100, 110, 121}, rights = {110, 121, 133};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(quads[i].Left, lefts[i]);
        EXPECT_EQ(quads[i].Right, rights[i]);
        EXPECT_EQ(quads[i].Bottom, 50);
        EXPECT_EQ(quads[i].Top, 66);
    }
    EXPECT_FLOAT_EQ(quads[1].U0, 10.0f / 256);
    EXPECT_FLOAT_EQ(quads[1].U1, 21.0f / 256);
}

TEST(FontMetrics, CarriageReturnStartsAgainAtXOneLineHeightUp) {
    const TFontMetrics m = Parse(Record('A', 0, 0, 10, 12));
    const std::vector<TGlyphQuad> quads = LayoutString(m.Glyphs, m.LineHeight, -5, 7, "AA\rA");
    ASSERT_EQ(quads.size(), 3u);
    EXPECT_EQ(quads[1].Left, 5);
    EXPECT_EQ(quads[2].Left, -5);
    EXPECT_EQ(quads[2].Bottom, 19);
    EXPECT_EQ(quads[2].Top, 31);
}

TEST(FontMetrics, ThePenCannotOverflow) {
    const TFontMetrics m = Parse(Record('W', 0, 0, 65535, 65535));
    const std::vector<TGlyphQuad> quads =
        LayoutString(m.Glyphs, m.LineHeight, INT32_MAX, INT32_MAX, std::string(40000, 'W') + "\rW");
    ASSERT_EQ(quads.size(), 40001u);
    EXPECT_EQ(quads[39999].Right, double(INT32_MAX) + 40000.0 * 65535);
    EXPECT_EQ(quads.back().Top, double(INT32_MAX) + 2.0 * 65535);
}
