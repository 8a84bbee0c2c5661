#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

#include "infra/errors.h"
#include "infra/xml_parser.h"

namespace orbitfall {
namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO8859-1\" ?>\r\n";

std::string Save(TECXMLParser& parser, bool omitStyleSheet = false) {
    std::ostringstream stream;
    parser.SaveToStream(stream, omitStyleSheet);
    return stream.str();
}

// A small unit file: root with attributes, a child with text, an empty child.
void BuildUnits(TECXMLParser& parser) {
    TXMLItem& root = parser.Root();
    root.SetName("Units");
    root.Attributes().SetValue("Version", "2");
    TXMLItem& ship = root.New();
    ship.SetName("Ship");
    ship.Attributes().SetValue("Name", "A&B <\"x\">");
    ship.Attributes().SetValue("Speed", "1.5");
    ship.SetText("fast & <cheap>");
    root.New().SetName("Empty");
}

TEST(XmlWriter, IndentsEscapesAndClosesEmptyElements) {
    TECXMLParser parser;
    BuildUnits(parser);
    EXPECT_EQ(Save(parser), std::string(kDeclaration) +
                                "  <Units Version=\"2\">\r\n"
                                "    <Ship Name=\"A&amp;B &lt;&quot;x&quot;&gt;\" Speed=\"1.5\">\r\n"
                                "      fast &amp; &lt;cheap&gt;\r\n"
                                "    </Ship>\r\n"
                                "    <Empty/>\r\n"
                                "  </Units>\r\n");
}

TEST(XmlWriter, BlankTextCountsAsEmptyButTextIsWrittenUntrimmed) {
    TECXMLParser parser;
    TXMLItem& root = parser.Root();
    root.SetName("r");
    root.New().SetName("blank");
    root.Items(0).SetText(" \t\r\n ");
    root.New().SetName("padded");
    root.Items(1).SetText(" a\r\nb ");
    EXPECT_EQ(Save(parser), std::string(kDeclaration) +
                                "  <r>\r\n"
                                "    <blank/>\r\n"
                                "    <padded>\r\n"
                                "       a<br/>b \r\n"
                                "    </padded>\r\n"
                                "  </r>\r\n");
}

TEST(XmlWriter, WithoutLineBreaksEveryElementKeepsTheRootIndent) {
    TECXMLParser parser;
    BuildUnits(parser);
    parser.Root().Items(0).CrLfInAsString = true;
    parser.SetCrLfInAsString(false);
    EXPECT_EQ(Save(parser), std::string(kDeclaration) +
                                "  <Units Version=\"2\">"
                                "  <Ship Name=\"A&amp;B &lt;&quot;x&quot;&gt;\" Speed=\"1.5\">"
                                "  fast &amp; &lt;cheap&gt;"
                                "  </Ship>"
                                "  <Empty/>"
                                "  </Units>");
    // The root's layout flag is copied into every child while writing.
    EXPECT_FALSE(parser.Root().Items(0).CrLfInAsString);
    EXPECT_FALSE(parser.CrLfInAsString());
}

TEST(XmlWriter, StyleSheetLine) {
    const std::string line = "<?xml-stylesheet type=\"text/xsl\" href=\"view.xsl\"?>\r\n";
    TECXMLParser parser;
    parser.Root().SetName("r");
    EXPECT_EQ(Save(parser), std::string(kDeclaration) + "  <r/>\r\n");
    parser.StyleSheet = "  ";
    EXPECT_EQ(Save(parser), std::string(kDeclaration) + "  <r/>\r\n");
    parser.StyleSheet = "view.xsl";
    EXPECT_EQ(Save(parser), std::string(kDeclaration) + line + "  <r/>\r\n");
    EXPECT_EQ(Save(parser, true), std::string(kDeclaration) + "  <r/>\r\n");
}

class XmlFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("orbitfall_xml_writer_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_ / "sub.xsl");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path dir_;
};

TEST_F(XmlFileTest, SaveToFileOmitsTheStyleSheetExactlyForXslFiles) {
    TECXMLParser parser;
    parser.Root().SetName("r");
    parser.StyleSheet = "view.xsl";
    const std::pair<std::string, bool> cases[] = {
        {"a.XSL", false},    {"b.xsl", false}, {"c.xSl", false},         {"d.xml", true},
        {"e.xsl.xml", true}, {"noext", true},  {"sub.xsl/plain", true}, {"f.xslt", true}};
    for (const auto& [name, hasLine] : cases) {
        parser.SaveToFile(Path(name));
        const std::string written = Contents(Path(name));
        EXPECT_EQ(written.find("xml-stylesheet") != std::string::npos, hasLine) << name;
        EXPECT_TRUE(written.ends_with("  <r/>\r\n")) << name;
    }
    EXPECT_THROW(parser.SaveToFile(Path("missing/dir/a.xml")), EFCreateError);
}

TEST_F(XmlFileTest, RoundTripThroughAFile) {
    TECXMLParser writer;
    BuildUnits(writer);
    writer.Root().Items(0).New().SetName("Weapon");
    writer.Root().Items(0).Items(0).Attributes().SetValue("class", "\"quoted\" & <tagged>");
    writer.Root().New().SetName("Last");
    writer.Root().Items(2).SetText("x");
    writer.StyleSheet = "units.xsl";
    writer.SaveToFile(Path("units.ofu"));

    TECXMLParser reader;
    reader.LoadFromFile(Path("units.ofu"));
    EXPECT_EQ(reader.StyleSheet, "units.xsl");
    const TXMLItem& root = reader.Root();
    EXPECT_EQ(root.Name(), "Units");
    EXPECT_EQ(root.Attributes().Value("Version"), "2");
    ASSERT_EQ(root.Count(), 3);
    const TXMLItem& ship = root.Items(0);
    EXPECT_EQ(ship.Name(), "Ship");
    EXPECT_EQ(ship.Attributes().Value("name"), "A&B <\"x\">");
    EXPECT_EQ(ship.Attributes().Value("Speed"), "1.5");
    EXPECT_EQ(ship.Text(), "fast & <cheap>");
    ASSERT_EQ(ship.Count(), 1);
    EXPECT_EQ(ship.Items(0).Attributes().Value("class"), "\"quoted\" & <tagged>");
    EXPECT_EQ(root.Items(1).Name(), "Empty");
    EXPECT_EQ(root.Items(1).Count(), 0);
    EXPECT_EQ(root.Items(2).Text(), "x");

    // Writing what was read gives the same file again.
    reader.SaveToFile(Path("again.ofu"));
    EXPECT_EQ(Contents(Path("again.ofu")), Contents(Path("units.ofu")));
}

TEST(XmlWriter, TextWithALineBreakReadsBackAsABrElement) {
    TECXMLParser parser;
    parser.Root().SetName("r");
    parser.Root().SetText("x\r\ny");
    std::istringstream stream(Save(parser));
    TECXMLParser reader;
    reader.LoadFromStream(stream);
    EXPECT_EQ(reader.Root().Text(), "x\r\ny");
    ASSERT_EQ(reader.Root().Count(), 1);
    EXPECT_EQ(reader.Root().Items(0).Name(), "br");
}

TEST(XmlWriter, DeepTreeIsWrittenAndReadBack) {
    constexpr int depth = 1000;
    TECXMLParser parser;
    TXMLItem* item = &parser.Root();
    item->SetName("d");
    for (int i = 1; i < depth; ++i) {
        item = &item->New();
        item->SetName("d");
    }
    item->SetText("bottom");
    std::istringstream stream(Save(parser));
    TECXMLParser reader;
    reader.LoadFromStream(stream);
    int levels = 1;
    const TXMLItem* read = &reader.Root();
    for (; read->Count() == 1; read = &read->Items(0)) ++levels;
    EXPECT_EQ(levels, depth);
    EXPECT_EQ(read->Text(), "bottom");
}

TEST(XmlWriter, SaveEventsAndFailingStream) {
    TECXMLParser parser;
    parser.Root().SetName("r");
    int saved = 0;
    parser.OnSaved = [&](TECXMLParser&) { ++saved; };
    parser.BeforeSave = [](TECXMLParser&, bool& allow) { allow = false; };
    EXPECT_EQ(Save(parser), "");
    EXPECT_EQ(saved, 0);
    parser.BeforeSave = nullptr;
    std::ostringstream failing;
    failing.setstate(std::ios::badbit);
    EXPECT_THROW(parser.SaveToStream(failing, false), EFileError);
    EXPECT_EQ(saved, 0);
    EXPECT_NE(Save(parser), "");
    EXPECT_EQ(saved, 1);
}

// Editing operations of the tree and their change reports.
class XmlTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        parser_.XMLItemChanged = [this](TECXMLParser& sender, TXMLItem& item) {
            EXPECT_EQ(&sender, &parser_);
            changed_ += item.Name() + ";";
        };
        TXMLItem& root = parser_.Root();
        root.SetName("root");
        for (const char* name : {"a", "b", "c"}) root.New().SetName(name);
        changed_.clear();
    }
    std::string Names() const {
        std::string out;
        for (int i = 0; i < parser_.Root().Count(); ++i) out += parser_.Root().Items(i).Name();
        return out;
    }

    TECXMLParser parser_;
    std::string changed_;
};

TEST_F(XmlTreeTest, NewDeleteAndRenamesAreReported) {
    TXMLItem& root = parser_.Root();
    TXMLItem& d = root.New();
    EXPECT_EQ(d.Parent(), &root);
    EXPECT_EQ(d.Document(), &parser_);
    d.SetName("d");
    d.SetText("t");
    root.Delete(1);
    EXPECT_EQ(Names(), "acd");
    EXPECT_EQ(changed_, "root;d;d;root;");

    changed_.clear();
    root.Items(0).Notify = false;
    root.Items(0).SetName("x");
    root.ItemNamed("e");
    EXPECT_EQ(changed_, "root;e;");
    EXPECT_THROW(root.Delete(4), EListError);
    EXPECT_THROW(root.Delete(-1), EListError);
}

TEST_F(XmlTreeTest, MoveAndIndexOf) {
    TXMLItem& root = parser_.Root();
    TXMLItem* a = &root.Items(0);
    root.Move(a, 2);
    EXPECT_EQ(Names(), "bca");
    EXPECT_EQ(root.IndexOf(a), 2);
    root.Move(a, 0);
    EXPECT_EQ(Names(), "abc");
    EXPECT_THROW(root.Move(a, 3), EListError);
    TXMLItem stranger;
    EXPECT_EQ(root.IndexOf(&stranger), -1);
    EXPECT_THROW(root.Move(&stranger, 0), EListError);
    EXPECT_EQ(Names(), "abc");
    EXPECT_EQ(changed_, "");
}

TEST_F(XmlTreeTest, ClearIsSilentAndDocumentClearCanBeRefused) {
    TXMLItem& root = parser_.Root();
    root.Attributes().SetValue("k", "v");
    root.SetText("t");
    changed_.clear();
    bool allow = false;
    int cleared = 0;
    parser_.BeforeClear = [&](TECXMLParser&, bool& allowed) { allowed = allow; };
    parser_.OnCleared = [&](TECXMLParser&) { ++cleared; };
    parser_.Clear();
    EXPECT_EQ(root.Count(), 3);
    EXPECT_EQ(cleared, 0);
    allow = true;
    parser_.Clear();
    EXPECT_EQ(cleared, 1);
    EXPECT_EQ(root.Count(), 0);
    EXPECT_EQ(root.Name(), "");
    EXPECT_EQ(root.Text(), "");
    EXPECT_EQ(root.Attributes().Count(), 0);
    EXPECT_EQ(changed_, "");
    root.SetName("again");  // notification is back on after Clear
    EXPECT_EQ(changed_, "again;");
}

}  // namespace
}  // namespace orbitfall
