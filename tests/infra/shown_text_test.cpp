#include "infra/shown_text.h"

#include <gtest/gtest.h>

#include "infra/text_encoding.h"

using namespace orbitfall;

TEST(ShownText, KeepsTheFirstLineAndDropsWhatFollowsAndEveryControl) {
    struct Case {
        const char* what;
        std::string in, out;
    };
    const Case cases[] = {
        {"plain text unchanged", "Kreuzung needs 4 players; 2 are here", "Kreuzung needs 4 players; 2 are here"},
        {"attribute lines after the first line go",
         "Invalid player for <start> Player=3\r\nX=60\r\nY=210\r\n", "Invalid player for <start> Player=3"},
        {"a lone LF ends the line too", "first\nsecond", "first"},
        {"leading empty lines are skipped", "\r\n \r\n  Lesefehler  \r\nmore", "Lesefehler"},
        {"tab becomes a space", "a\tb", "a b"},
        {"other controls vanish", std::string("a\0b\x1B[2Jc\x7F", 9), "ab[2Jc"},
        {"nothing printable", "\r\n\x01\t", ""},
        {"Latin-1 bytes pass", "M\xFC" "de", "M\xFC" "de"},
    };
    for (const Case& c : cases) EXPECT_EQ(ShownText(c.in), c.out) << c.what;
}

TEST(ShownText, ALongMessageIsCutWithoutSplittingACharacter) {
    const std::string exact(MaxShownTextLength, 'x');
    EXPECT_EQ(ShownText(exact), exact);

    // A run of two-byte characters placed so that a plain cut would land
    // between the two bytes of one.
    std::string umlauts;
    while (umlauts.size() < 2 * MaxShownTextLength) umlauts += "\xC3\xBC";
    const std::string shown = ShownText(umlauts);
    EXPECT_LE(shown.size(), MaxShownTextLength);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_TRUE(IsValidUtf8(shown));
    EXPECT_EQ(ShownText(std::string(5000, 'z')).size(), MaxShownTextLength);
}
