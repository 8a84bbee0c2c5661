#include "infra/text_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "infra/errors.h"

using namespace orbitfall;

namespace {

using I = std::int64_t;
using U = std::uint64_t;
using S = std::string;

struct FormatCase {
    const char* format;
    std::vector<FormatArg> args;
    const char* expected;
};

// Format takes an initializer list; the table holds vectors, so spread them.
std::string FormatWith(const std::string& format, const std::vector<FormatArg>& a) {
    switch (a.size()) {
        case 0: return Format(format, {});
        case 1: return Format(format, {a[0]});
        case 2: return Format(format, {a[0], a[1]});
        default: return Format(format, {a[0], a[1], a[2]});
    }
}

}  // namespace

TEST(Format, PlaceholdersProduceTheRuntimeTexts) {
    const std::vector<FormatCase> cases = {
        {"ListIndexError at %s", {S("12")}, "ListIndexError at 12"},
        {"%s in Zeile %d", {S("Zeile zu lang"), I{3}}, "Zeile zu lang in Zeile 3"},
        {"%d", {I{-7}}, "-7"},
        {"%d", {U{42}}, "42"},
        {"%d", {std::numeric_limits<I>::min()}, "-9223372036854775808"},
        {"[%5d]", {I{42}}, "[   42]"},
        {"[%-5d]", {I{42}}, "[42   ]"},
        {"[%2d]", {I{12345}}, "[12345]"},
        {"%.3d", {I{-5}}, "-005"},
        {"%u", {std::numeric_limits<U>::max()}, "18446744073709551615"},
        {"%u", {I{-1}}, "18446744073709551615"},
        {"%x", {I{255}}, "FF"},
        {"%.4x", {U{255}}, "00FF"},
        {"%s", {S("")}, ""},
        {"%.2s", {S("abc")}, "ab"},
        {"[%-4s]", {S("ab")}, "[ab  ]"},
        {"[%6.2s]", {S("abc")}, "[    ab]"},
        {"%f", {3.14159}, "3.14"},
        {"%.3f", {-0.5}, "-0.500"},
        {"%.0f", {1234.7}, "1235"},
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%.0n", {-1234.0}, "-1,234"},
        {"%n", {999.0}, "999.00"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%.3e", {-0.00012345}, "-1.23E-004"},
        {"%g", {2.0}, "2"},
        {"%g", {0.5}, "0.5"},
        {"%g", {0.0}, "0"},
        {"%.2g", {123456789.0}, "1.2E008"},
        {"%g", {1e-6}, "1E-006"},
        {"%g", {123.456}, "123.456"},
        {"%f", {std::numeric_limits<double>::infinity()}, "INF"},
        {"%1:s %0:s", {S("a"), S("b")}, "b a"},
        {"%1:s%s", {S("a"), S("b"), S("c")}, "bc"},
        {"%0:s%0:s", {S("a")}, "aa"},
        {"100%%", {}, "100%"},
        {"%D/%S", {I{5}, S("x")}, "5/x"},
        {"no placeholders", {I{1}}, "no placeholders"},
    };
    for (const FormatCase& c : cases) EXPECT_EQ(FormatWith(c.format, c.args), c.expected) << c.format;
}

TEST(Format, MismatchedOrMissingArgumentsRaiseNamingTheFormat) {
    const std::vector<FormatCase> cases = {
        {"%d", {S("x")}, nullptr},       {"%s", {I{1}}, nullptr},      {"%f", {I{1}}, nullptr},
        {"%x", {1.5}, nullptr},          {"%d", {}, nullptr},          {"%s %s", {S("a")}, nullptr},
        {"%2:d", {I{1}, I{2}}, nullptr}, {"50%", {}, nullptr},         {"%k", {I{1}}, nullptr},
        {"%5", {I{1}}, nullptr},         {"%.s", {S("a")}, nullptr},   {"%9999999d", {I{1}}, nullptr},
    };
    for (const FormatCase& c : cases) {
        try {
            FormatWith(c.format, c.args);
            ADD_FAILURE() << "no exception for " << c.format;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), std::string("Format '") + c.format + "' invalid or incompatible with argument");
        }
    }
}

TEST(TextCase, OnlyAsciiLettersAreFolded) {
    EXPECT_EQ(LowerAscii("Graphics\\Fonts\\ABC.IMG"), "graphics\\fonts\\abc.img");
    EXPECT_EQ(LowerAscii("\xC4rger"), "\xC4rger");
}

TEST(TextCase, ComparisonIgnoresCaseAndOrdersByLowerCase) {
    EXPECT_EQ(CompareTextIgnoringCase("Units.OFU", "units.ofu"), 0);
    EXPECT_LT(CompareTextIgnoringCase("a", "B"), 0);
    EXPECT_GT(CompareTextIgnoringCase("B", "a"), 0);
    EXPECT_LT(CompareTextIgnoringCase("ab", "ABC"), 0);
    EXPECT_GT(CompareTextIgnoringCase("ab=", "A"), 0);
    // '_' sorts before letters, as in the locale order the language table was written for.
    EXPECT_LT(CompareTextIgnoringCase("_", "a"), 0);
    EXPECT_LT(CompareTextIgnoringCase("_", "A"), 0);
    EXPECT_GT(CompareTextIgnoringCase("\xE4", "z"), 0);
    EXPECT_TRUE(SameTextIgnoringCase("Maps", "mAPS"));
    EXPECT_FALSE(SameTextIgnoringCase("Maps", "Map"));
}
