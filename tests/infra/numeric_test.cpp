#include "infra/numeric.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstring>

#include "infra/errors.h"

using namespace orbitfall;

TEST(StrToFloatDef, AcceptsExactlyTheDataFileNumberSyntax) {
    struct Case { const char* text; long double expected; } cases[] = {
        {"1.5", 1.5L}, {" 1.5 ", 1.5L}, {"-2", -2.0L}, {"+3.", 3.0L}, {".25", 0.25L},
        {"1e3", 1000.0L}, {"1.5E-1", 0.15L}, {"0", 0.0L},
    };
    for (const auto& c : cases) EXPECT_EQ(StrToFloatDef(c.text, -99), c.expected) << c.text;

    const char* rejected[] = {"1,5", "", " ", "1.2.3", "abc", "1e", "e5", ".", "1.5x", "--1",
                              "0x10", "1 5", "\t1", "1e99999", "nan", "inf"};
    for (const char* text : rejected) EXPECT_EQ(StrToFloatDef(text, -99), -99) << text;
}

TEST(StrToFloatDef, IgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "no German locale installed";
    EXPECT_EQ(StrToFloatDef("1.5", 0), 1.5L);
    EXPECT_EQ(StrToFloatDef("1,5", 7), 7);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(StrToFloat, RaisesTheGermanConversionError) {
    EXPECT_EQ(StrToFloat("0.5"), 0.5L);
    try {
        StrToFloat("1,5");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'1,5' ist kein gültiger Gleitkommawert");
    }
    try {
        StrToFloat("");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'' ist kein gültiger Gleitkommawert");
    }
}

TEST(StrToInt, AcceptsWholeNumbersInRangeOnly) {
    EXPECT_EQ(StrToInt("300"), 300);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt(" 12"), 12);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    for (const char* text : {"", "1.0", "12 ", "2147483648", "abc", "1e3", "+"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' ist kein gültiger Integerwert");
        }
    }
    EXPECT_EQ(StrToIntDef("x", 4), 4);
}

TEST(HashAdd, AddsTheLittleEndianWordXorKeyWithWrapping) {
    std::uint32_t acc = 10;
    const std::uint32_t word = 5;
    HashAdd(acc, &word, 4, 0);
    EXPECT_EQ(acc, 15u);

    const unsigned char bytes[4] = {0x01, 0x02, 0x03, 0x04};
    acc = 0;
    HashAdd(acc, bytes, 4, 0xFFFFFFFFu);
    EXPECT_EQ(acc, 0x04030201u ^ 0xFFFFFFFFu);

    acc = 0xFFFFFFFFu;
    const std::uint32_t two = 2;
    HashAdd(acc, &two, 4, 0);
    EXPECT_EQ(acc, 1u);  // wrapped modulo 2^32

    acc = 3;
    try {
        HashAdd(acc, bytes, 3, 0);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "HashError");
    }
    EXPECT_EQ(acc, 3u);
}

TEST(HashAdd, FloatBitPatternsAreHashedNotValues) {
    float a = 0.0f, b = -0.0f;
    std::uint32_t ha = 0, hb = 0;
    HashAdd(ha, &a, 4, 0);
    HashAdd(hb, &b, 4, 0);
    EXPECT_NE(ha, hb);
}
