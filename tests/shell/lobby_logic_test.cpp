// The lobby's arithmetic and lists without windows: host texts, the map list.
#include <gtest/gtest.h>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/language.h"
#include "shell/lobby/host_text.h"
#include "shell/lobby/lobby_form.h"
#include "shell/lobby/map_list.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

class HostTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDataDirs(tmp.Path() + "Data", tmp.Path() + "User");
        tmp.WriteFile("Data/Language/DE.lang", "joinfailed=Beitritt fehlgeschlagen\r\n");
        LoadLanguage("DE");
    }
    void TearDown() override {
        ClearLanguage();
        ClearDataDirs();
    }
    TempFolder tmp;
};

TEST_F(HostTextTest, NameAndPortAreSplitAtTheOnlyColon) {
    struct Case {
        const char* text;
        std::string name;
        int port;
    };
    const Case cases[] = {
        {"", "", 6112},
        {"Host", "Host", 6112},
        {"lan-pc:7000", "lan-pc", 7000},
        {"127.0.0.1:65535", "127.0.0.1", 65535},
        {"::1", "::1", 6112},
        {"[::1]:4000", "::1", 4000},
        {"[fe80::1]", "fe80::1", 6112},
    };
    for (const Case& c : cases) {
        const THostAddress a = ParseHostText(c.text, 6112);
        EXPECT_EQ(a.Name, c.name) << c.text;
        EXPECT_EQ(a.Port, c.port) << c.text;
    }
}

TEST_F(HostTextTest, PortsThatCannotBeJoinedGiveJoinfailed) {
    for (const char* text : {"name:", "name:99999", "name:0", "name:-1", "name:12ab", ":7000", "[::1]x", "[]:1",
                             "[::1"}) {
        try {
            ParseHostText(text, 6112);
            ADD_FAILURE() << text << " was accepted";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Beitritt fehlgeschlagen") << text;
        }
    }
}

TEST(MapList, BothFoldersAreListedByThePartBeforeTheFirstDotWithTheirStartViews) {
    TempFolder tmp;
    const std::string map = R"(<Map><Informations><Width>300</Width><Height>150</Height></Informations>
<Objects><Nebula Radius="5" X="1" Y="1"/><Start Player="1" X="1" Y="1"/><start Player="2" X="9" Y="9"/></Objects></Map>)";
    tmp.WriteFile("Data/Maps/Duel.ofm", map);
    tmp.WriteFile("Data/Maps/Broken.ofm", "<Map><Objects>");
    tmp.WriteFile("Data/Maps/notes.txt", map);
    tmp.WriteFile("User/maps/Duel.v2.ofm", R"(<Map><Objects/></Map>)");
    tmp.WriteFile("User/maps/Duel.ofm", map);
    const auto maps = ListLobbyMaps(tmp.Path() + "Data/", tmp.Path() + "User/");
    ASSERT_EQ(maps.size(), 4u);
    EXPECT_EQ(maps[0].Name, "Broken");
    EXPECT_EQ(maps[1].Name, "Duel");
    EXPECT_EQ(maps[1].StartViews, 2);
    EXPECT_EQ(maps[2].Name, "Duel");
    EXPECT_EQ(maps[3].Name, "Duel");  // "Duel.v2.ofm": the part before the first dot
    EXPECT_EQ(maps[3].StartViews, 0);
    EXPECT_EQ(MapLabel(maps[1]), "Duel (2)");
    EXPECT_EQ(MapLabel({"Br\xFC" "cke", -1}), "Br\xC3\xBC" "cke");
}

TEST(MapList, TheShippedMapsAreListedWithTheirStartViews) {
    const std::string data = std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/";
    const auto maps = ListLobbyMaps(data, data + "NoSuchUserFolder/");
    std::vector<std::string> labels;
    for (const auto& m : maps) labels.push_back(MapLabel(m));
    EXPECT_EQ(labels, (std::vector<std::string>{"Kreuzung (4)", "Training (1)", "Weite (6)", "Zweikampf (2)"}));
}

TEST(MapList, MenuSyntaxInANameIsEscaped) {
    EXPECT_EQ(EscapeMenuText("a/b&c_d\\e"), "a\\/b\\&c\\_d\\\\e");
}
