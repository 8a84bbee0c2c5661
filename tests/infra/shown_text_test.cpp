#include "infra/shown_text.h"

#include <gtest/gtest.h>

#include "infra/text_encoding.h"

using namespace orbitfall;

TEST(ShownText, KeepsTheSentencesAndDropsFileContentAndEveryControl) {
    struct Case {
        const char* what;
        std::string in, lines, line;
    };
    const Case cases[] = {
        {"plain text unchanged", "Kreuzung needs 4 players; 2 are here", "Kreuzung needs 4 players; 2 are here",
         "Kreuzung needs 4 players; 2 are here"},
        {"the attribute lines a map loader appends go",
         "Invalid player for <start> Player=3\r\nX=60\r\nY=210\r\n", "Invalid player for <start> Player=3",
         "Invalid player for <start> Player=3"},
        {"a sentence on the next line stays", "Game asynchron\nWorld of frame 7 written to /u/Desync/f.txt",
         "Game asynchron\nWorld of frame 7 written to /u/Desync/f.txt",
         "Game asynchron World of frame 7 written to /u/Desync/f.txt"},
        {"blank lines and spaces around lines go", "\r\n \r\n  Lesefehler  \r\n\r\n", "Lesefehler", "Lesefehler"},
        {"a first line that looks like an attribute is still the message", "Speed=3\nX=1", "Speed=3", "Speed=3"},
        {"tab becomes a space", "a\tb", "a b", "a b"},
        {"other controls vanish", std::string("a\0b\x1B[2Jc\x7F", 9), "ab[2Jc", "ab[2Jc"},
        {"nothing printable", "\r\n\x01\t", "", ""},
        {"Latin-1 bytes pass", "M\xFC" "de", "M\xFC" "de", "M\xFC" "de"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShownLines(c.in), c.lines) << c.what;
        EXPECT_EQ(ShownText(c.in), c.line) << c.what;
    }
}

TEST(ShownText, ALongMessageIsCutWithoutSplittingACharacter) {
    const std::string exact(MaxShownTextLength, 'x');
    EXPECT_EQ(ShownText(exact), exact);

    // Two-byte characters from the start: a plain cut at an odd length would
    // land between the two bytes of one.
    std::string umlauts;
    while (umlauts.size() < 2 * MaxShownTextLength) umlauts += "\xC3\xBC";
    const std::string shown = ShownText(umlauts);
    EXPECT_LE(shown.size(), MaxShownTextLength);
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_TRUE(IsValidUtf8(shown));
    EXPECT_EQ(ShownLines(std::string(5000, 'z')).size(), MaxShownTextLength);
}
