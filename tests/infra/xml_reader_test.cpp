#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "infra/errors.h"
#include "infra/xml_parser.h"
#include "infra/xml_tokenizer.h"

namespace orbitfall {
namespace {

// name[attr lines]"text"(children), compact enough to compare whole trees.
std::string Dump(const TXMLItem& item) {
    std::string out = item.Name();
    if (item.Attributes().Count() > 0) {
        out += '[';
        for (int i = 0; i < item.Attributes().Count(); ++i) {
            if (i > 0) out += ';';
            out += item.Attributes().Line(i);
        }
        out += ']';
    }
    if (!item.Text().empty()) out += "\"" + item.Text() + "\"";
    if (item.Count() > 0) {
        out += '(';
        for (int i = 0; i < item.Count(); ++i) {
            if (i > 0) out += ',';
            out += Dump(item.Items(i));
        }
        out += ')';
    }
    return out;
}

std::string Read(const std::string& document) {
    TECXMLParser parser;
    parser.LoadFromString(document);
    return Dump(parser.Root());
}

struct ReadCase {
    const char* what;
    std::string document;
    std::string tree;
};

class XmlReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(XmlReadTest, BuildsTree) { EXPECT_EQ(Read(GetParam().document), GetParam().tree) << GetParam().what; }

INSTANTIATE_TEST_SUITE_P(
    WellFormed, XmlReadTest,
    ::testing::Values(
        ReadCase{"nested elements with attributes",
                 "<?xml version=\"1.0\"?>\r\n<Units>\r\n  <Fighter Speed=\"1.5\" Build=\"10\">\r\n"
                 "    <Weapon class=\"laser\"/>\r\n  </Fighter>\r\n  <Bomber/>\r\n</Units>\r\n",
                 "Units(Fighter[Speed=1.5;Build=10](Weapon[class=laser]),Bomber)"},
        ReadCase{"text is trimmed on both sides", "<r>  x  </r>", "r\"x\""},
        ReadCase{"whitespace between elements gives no text", "<r>\r\n\t <a/>\r\n \t<b></b>\r\n</r>", "r(a,b)"},
        ReadCase{"text split by an empty element joins with CR LF", "<r>x<e/>y</r>", "r\"x\r\ny\"(e)"},
        ReadCase{"text split by a whole element joins too", "<r>x<e>in</e>y</r>", "r\"x\r\ny\"(e\"in\")"},
        ReadCase{"escaped ampersand then lt; in one segment", "<r>&amp;lt;</r>", "r\"&lt;\""},
        ReadCase{"an earlier segment is unescaped again when text is added",
                 "<r>&amp;lt;<e/>&amp;gt;</r>", "r\"<\r\n&gt;\"(e)"},
        ReadCase{"all four entities, case-sensitive, no numeric references",
                 "<r>&lt;&gt;&quot;&amp; &LT; &#65;</r>", "r\"<>\"& &LT; &#65;\""},
        ReadCase{"empty quoted value reads as two double quotes", "<r name=\"\"/>", "(r[name=\"\"])"},
        ReadCase{"quoted value loses its quotes", "<r name=\"v\">", "r[name=v]"},
        ReadCase{"unquoted value is kept whole", "<r a=abc b=x>", "r[a=abc;b=x]"},
        ReadCase{"two spaces in a value collapse", "<r a=\"x  y   z\"/>", "(r[a=x y z])"},
        ReadCase{"spaces inside quotes do not split", "<r a=\"p q\" b=\"s\">", "r[a=p q;b=s]"},
        ReadCase{"attribute values are unescaped", "<r a=\"&lt;&quot;&amp;&gt;\">", "r[a=<\"&>]"},
        ReadCase{"an empty value removes the attribute", "<r a=\"1\" b c= a=>", "r"},
        ReadCase{"a repeated attribute replaces the first in place", "<r a=\"1\" b=\"2\" A=\"3\">",
                 "r[A=3;b=2]"},
        ReadCase{"a root with a blank name is filled again by the next start tag",
                 "< a=\"1\" c=\"4\">< A=\"2\" b=\"3\" c=>", "[A=2;b=3]"},
        ReadCase{"value may contain =", "<r a=\"x=y\">", "r[a=x=y]"},
        ReadCase{"a slash before > is not part of the last value", "<r a=\"1\" b=2/>", "(r[a=1;b=2])"},
        ReadCase{"single quotes mean nothing", "<r a='x y'>", "r[a='x]"},
        ReadCase{"CR LF and LF CR pairs are deleted, lone CR LF TAB stay",
                 "<r>a\r\nb\n\rc\rd\ne\tf</r>", "r\"abc\rd\ne\tf\""},
        ReadCase{"line break inside a tag joins the name", "<na\r\nme a=\"1\"/>", "(name[a=1])"},
        ReadCase{"comments are ignored", "<r><!-- note --><a/><!--x--></r>", "r(a)"},
        ReadCase{"a comment ends at its first >", "<r><!-- a > b --></r>", "r\"b -->\""},
        ReadCase{"a > inside quotes ends the tag", "<r a=\"1>2\"/>", "r[a=\"1]\"2\"/>\""},
        ReadCase{"end tag names are not checked", "<r><a></b><c/></r>", "r(a,c)"},
        ReadCase{"tag names keep their case", "<ROOT><Child/></ROOT>", "ROOT(Child)"},
        ReadCase{"a first empty element becomes a child of the unnamed root", "<a/>", "(a)"},
        ReadCase{"an unknown processing instruction is a start tag", "<r><?php x?></r>", "r(?php)"}));

INSTANTIATE_TEST_SUITE_P(
    Malformed, XmlReadTest,
    ::testing::Values(
        ReadCase{"empty input", "", ""}, ReadCase{"only blanks", " \r\n\t ", ""},
        ReadCase{"only text", "just text", "\"just text\""},
        ReadCase{"text before the root joins the root's text", "pre<r>in</r>", "r\"pre\r\nin\""},
        ReadCase{"truncated inside a tag", "<r><a x=\"1\"", "r(a[x=1])"},
        ReadCase{"truncated inside a name", "<r><ab", "r(ab)"},
        ReadCase{"a lone <", "<", ""}, ReadCase{"<> and </>", "<r><></></r>", "r(())"},
        ReadCase{"unterminated quote runs to the next >", "<r a=\"1><b/></r>", "r[a=\"1](b)"},
        ReadCase{"unterminated quote to the end", "<r a=\"1 b=2", "r[a=1 b=2]"},
        ReadCase{"unterminated comment", "<r><!-- never closed <a/", "r"},
        ReadCase{"truncated after a start tag", "<r><a>text", "r(a\"text\")"},
        ReadCase{"end tags without an open element stay at the root", "</x></y><r><a/></r></r></r><b/>",
                 "r(a,b)"},
        ReadCase{"content after the root's end tag is read into the root", "<r><a/></r>tail<b/>",
                 "r\"tail\"(a,b)"},
        ReadCase{"after a first empty element the next start tag names the root", "<r/><s>t</s>",
                 "s\"t\"(r)"},
        ReadCase{"bytes 0 and high bytes are text", std::string("<r>\xe4\0x</r>", 10),
                 std::string("r\"\xe4\0x\"", 6)}));

// Tags with many attributes take an indexed path; it must give what one
// assignment after the other gives, as short tags do.
TEST(XmlReaderAttributes, ManyAttributesMatchSuccessiveAssignments) {
    const char* names[] = {"a", "A", "b", "B", "speed", "Speed", "x1", "X1", "long_name"};
    std::uint32_t state = 12345;
    const auto draw = [&state](std::uint32_t n) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % n;
    };
    for (int round = 0; round < 20; ++round) {
        std::string tag = "<r";
        TXMLAttributes expected;
        const int count = 5 + 5 * round;  // below and above the indexed path's threshold
        for (int i = 0; i < count; ++i) {
            const std::string name = names[draw(std::size(names))];
            const std::string value = draw(4) == 0 ? "" : std::to_string(draw(100));
            tag += " " + name + "=" + (value.empty() ? "" : "\"" + value + "\"");
            expected.SetValue(name, value);
        }
        TECXMLParser parser;
        parser.LoadFromString(tag + "/>");
        const TXMLAttributes& read = parser.Root().Items(0).Attributes();
        ASSERT_EQ(read.Count(), expected.Count()) << tag;
        for (int i = 0; i < expected.Count(); ++i) EXPECT_EQ(read.Line(i), expected.Line(i)) << tag;
    }
}

// Every prefix of a document is a truncated file; none may crash the reader or
// read past the end (the sanitizer build checks the latter).
TEST(XmlReaderMalformed, EveryPrefixOfADocumentReads) {
    const std::string document =
        "<?xml version=\"1.0\"?><?xml-stylesheet href=\"s.xsl\"?>\r\n<Map Width=\"100\" Name=\"a  b\">"
        "<!-- c --><Objects><Nebula X=\"1\" Y=\"2\"/>x &amp;lt; y<Start/></Objects></Map>";
    const std::size_t afterRootTag = document.find("\">", document.find("<Map")) + 2;
    for (std::size_t length = 0; length <= document.size(); ++length) {
        TECXMLParser parser;
        ASSERT_NO_THROW(parser.LoadFromString(document.substr(0, length))) << length;
        if (length >= afterRootTag) {
            EXPECT_EQ(parser.Root().Name(), "Map") << length;
        }
    }
    EXPECT_EQ(Read(document), "Map[Width=100;Name=a b](Objects\"x &lt; y\"(Nebula[X=1;Y=2],Start))");
}

// Random soup of the characters and pieces that steer the scanner.
TEST(XmlReaderMalformed, RandomFragmentsNeverThrow) {
    const char* fragments[] = {"<", ">", "/", "\"", "=", " ", "  ", "\r\n", "\n\r", "\t", "a", "B",
                               "<!--", "-->", "<?xml", "?>", "&amp;", "&lt;", "&", ";", "<br/>", "</"};
    std::uint32_t state = 777;
    for (int round = 0; round < 2000; ++round) {
        std::string document;
        state = state * 1103515245u + 12345u;
        const std::uint32_t pieces = (state >> 16) % 40;
        for (std::uint32_t i = 0; i < pieces; ++i) {
            state = state * 1103515245u + 12345u;
            document += fragments[(state >> 16) % std::size(fragments)];
        }
        TECXMLParser parser;
        ASSERT_NO_THROW(parser.LoadFromString(document)) << document;
        std::ostringstream saved;
        ASSERT_NO_THROW(parser.SaveToStream(saved, false)) << document;
    }
}

TEST(XmlReaderMalformed, DeepNestingDoesNotExhaustTheStack) {
    constexpr int depth = 200000;
    std::string document;
    for (int i = 0; i < depth; ++i) document += "<a>";
    TECXMLParser parser;
    parser.LoadFromString(document);
    int levels = 0;
    for (TXMLItem* item = &parser.Root(); item->Count() > 0; item = &item->Items(0)) ++levels;
    EXPECT_EQ(levels, depth - 1);
    parser.LoadFromString("<b/>");  // frees the deep tree
    EXPECT_EQ(Dump(parser.Root()), "(b)");
}

TEST(XmlTokenizer, ClassifiesTagsInOrder) {
    const std::string input =
        "<?XML version?> <!-- c --> <a/> </a> <a> text <!--x/> </> <?Xml?> t2";
    const TXMLTokenKind expected[] = {
        TXMLTokenKind::Declaration, TXMLTokenKind::Comment,  TXMLTokenKind::EmptyTag,
        TXMLTokenKind::EndTag,      TXMLTokenKind::StartTag, TXMLTokenKind::Text,
        TXMLTokenKind::Comment,     TXMLTokenKind::EmptyTag, TXMLTokenKind::Declaration,
        TXMLTokenKind::Text,        TXMLTokenKind::End,      TXMLTokenKind::End};
    TECXMLTokenizer tokenizer(input);
    TXMLToken token;
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        tokenizer.Next(token);
        EXPECT_EQ(token.Kind, expected[i]) << i << " " << token.Text;
    }
}

TEST(XmlTokenizer, NormalisesLineBreakPairsAndSpaceRuns) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb", "ab"},       {"a\n\rb", "ab"},   {"a\rb\nc", "a\rb\nc"},  {"a  \t  b", "a \t b"},
        {"    ", " "},          {"a \r\n b", "a b"}, {"\n\r\n\r", ""},        {"\r\r\n\n", "\r\n"},
        {"a\r\n\r\nb", "ab"},  {"", ""}};
    std::string out;
    for (const auto& [raw, normalised] : cases) {
        NormalizeXMLToken(raw, out);
        EXPECT_EQ(out, normalised) << raw;
    }
}

class XmlDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orbitfall_xml_reader_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string WriteFile(const std::string& name, const std::string& contents) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    std::filesystem::path dir_;
};

TEST_F(XmlDocumentTest, ItemNamedFindsTheFirstAndIndexOfNameTheNext) {
    TECXMLParser parser;
    parser.LoadFromFile(WriteFile("u.ofu", "<Units><Ship id=\"1\"/><Other/><SHIP id=\"2\"/></Units>"));
    TXMLItem& root = parser.Root();
    EXPECT_EQ(root.ItemNamed("ship").Attributes().Value("ID"), "1");
    EXPECT_EQ(root.IndexOfName("Ship", 0), 0);
    EXPECT_EQ(root.IndexOfName("Ship", 1), 2);
    EXPECT_EQ(root.IndexOfName("Ship", 3), -1);
    EXPECT_EQ(root.IndexOfName("Ship", 99), -1);
    EXPECT_THROW(root.IndexOfName("Ship", -1), EListError);
    EXPECT_EQ(root.Items(2).Attributes().Value("id"), "2");
    EXPECT_EQ(root.Items(2).Attributes().Value("missing"), "");
    EXPECT_THROW(root.Items(3), EListError);
    EXPECT_THROW(root.Items(-1), EListError);

    // A lookup of an absent element appends an empty one and returns it.
    TXMLItem& absent = root.ItemNamed("Objects");
    EXPECT_EQ(root.Count(), 4);
    EXPECT_EQ(&root.Items(3), &absent);
    EXPECT_EQ(absent.Name(), "Objects");
    EXPECT_EQ(absent.Count(), 0);
    EXPECT_EQ(&root.ItemNamed("OBJECTS"), &absent);
}

TEST_F(XmlDocumentTest, EachLoadReplacesTheTreeAndAMissingFileKeepsIt) {
    TECXMLParser parser;
    parser.LoadFromFile(WriteFile("a.ofm", "<A x=\"1\"><B/></A>"));
    parser.LoadFromFile(WriteFile("b.ofm", "<C>t</C>"));
    EXPECT_EQ(Dump(parser.Root()), "C\"t\"");
    EXPECT_THROW(parser.LoadFromFile((dir_ / "missing.ofm").string()), EFOpenError);
    EXPECT_EQ(Dump(parser.Root()), "C\"t\"");
    parser.LoadFromFile(WriteFile("empty.ofm", ""));
    EXPECT_EQ(Dump(parser.Root()), "");
}

TEST(XmlDocument, StyleSheetDeclaration) {
    TECXMLParser parser;
    parser.LoadFromString("<?xml-STYLESHEET type=\"text/xsl\" Href=\"view.xsl\"?><r/>");
    EXPECT_EQ(parser.StyleSheet, "view.xsl");
    // Declarations without a complete HREF="..." and other declarations leave it.
    parser.LoadFromString("<?xml-stylesheet href=\"broken?><?xml-stylesheet?><?xml version=\"1.0\"?><r/>");
    EXPECT_EQ(parser.StyleSheet, "view.xsl");
    EXPECT_EQ(Dump(parser.Root()), "(r)");
}

TEST(XmlDocument, LoadEventsAndSilentBuilding) {
    TECXMLParser parser;
    parser.LoadFromString("<old/>");
    int changes = 0;
    int loaded = 0;
    bool allow = false;
    parser.XMLItemChanged = [&](TECXMLParser&, TXMLItem&) { ++changes; };
    parser.OnLoaded = [&](TECXMLParser&) { ++loaded; };
    parser.BeforeLoad = [&](TECXMLParser&, bool& allowed) { allowed = allow; };

    parser.LoadFromString("<new/>");
    EXPECT_EQ(Dump(parser.Root()), "(old)");
    EXPECT_EQ(loaded, 0);

    allow = true;
    parser.LoadFromString("<new a=\"1\">t<c/></new>");
    EXPECT_EQ(Dump(parser.Root()), "new[a=1]\"t\"(c)");
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(changes, 0);
    // The handler is back once loading is over.
    parser.Root().SetText("x");
    EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace orbitfall
