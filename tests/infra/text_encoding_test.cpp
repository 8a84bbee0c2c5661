#include "infra/text_encoding.h"

#include <gtest/gtest.h>

using namespace orbitfall;

TEST(TextEncoding, ShowsEveryByteSequenceAsValidUtf8) {
    struct Case {
        const char* what;
        std::string in, out;
    };
    const Case cases[] = {
        {"ASCII unchanged", "Player 1 joined", "Player 1 joined"},
        {"UTF-8 unchanged", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x9A\x80", "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x9A\x80"},
        {"Latin-1 umlauts", "Verbindung unterbrochen: M\xFC" "de", "Verbindung unterbrochen: M\xC3\xBC" "de"},
        {"code page 1252 euro and quotes", "\x80 \x84x\x93", "\xE2\x82\xAC \xE2\x80\x9Ex\xE2\x80\x9C"},
        {"unassigned 1252 byte", "a\x81z", "a\xEF\xBF\xBDz"},
        {"truncated sequence at the end", "ab\xC3", "ab\xC3\x83"},
        {"overlong slash", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"surrogate half", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        {"controls replaced, line breaks kept", std::string("a\0b\x1B\r\n\t", 7), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\r\n\t"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ToUtf8(c.in), c.out) << c.what;
        EXPECT_TRUE(IsValidUtf8(ToUtf8(c.in))) << c.what;
    }
    EXPECT_FALSE(IsValidUtf8("M\xFC" "de"));
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));
}
