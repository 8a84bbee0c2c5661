#include "infra/language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/file_system.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override { SetDataDirs(tmp.Path() + "Data", tmp.Path() + "User"); }
    void TearDown() override {
        ClearLanguage();
        ClearDataDirs();
    }
    void Load(const std::string& contents) {
        tmp.WriteFile("Data/Language/T.lang", contents);
        LoadLanguage("T");
    }
    static std::string NotTranslated(const std::string& key) {
        try {
            Translate(key);
        } catch (const Exception& e) {
            return e.Message();
        }
        return "translated";
    }
    TempFolder tmp;
};

TEST_F(LanguageTest, LinesAreFoundWhateverTheirOrderAndLineBreaks) {
    Load("b=2\r\na=1\r\n");
    EXPECT_EQ(Translate("a"), "1");
    EXPECT_EQ(Translate("b"), "2");
    Load("d=4\rc=3\nb=2\r\na=1");
    EXPECT_EQ(Translate("a"), "1");
    EXPECT_EQ(Translate("b"), "2");
    EXPECT_EQ(Translate("c"), "3");
    EXPECT_EQ(Translate("d"), "4");
}

TEST_F(LanguageTest, ValueIsTheRestOfTheLineVerbatim) {
    Load("k=x=y = z\r\ne=\r\nspace= padded \r\n");
    EXPECT_EQ(Translate("k"), "x=y = z");
    EXPECT_EQ(Translate("e"), "");
    EXPECT_EQ(Translate("space"), " padded ");
}

TEST_F(LanguageTest, KeysMatchExactlyOrNotAtAll) {
    Load("A=1\r\nab=2\r\nnoequals\r\n");
    EXPECT_EQ(NotTranslated("a"), "String not translated: \"a\"");
    EXPECT_EQ(NotTranslated("AB"), "String not translated: \"AB\"");
    EXPECT_EQ(NotTranslated("noequals"), "String not translated: \"noequals\"");
    EXPECT_EQ(NotTranslated(""), "String not translated: \"\"");
    EXPECT_EQ(Translate("A"), "1");
    EXPECT_EQ(Translate("ab"), "2");
}

TEST_F(LanguageTest, TheLineThatSortsFirstWinsAndCaseDuplicatesAreDropped) {
    Load("k=2\r\nk=1\r\n");
    EXPECT_EQ(Translate("k"), "1");
    // "k=1" equals "K=1" ignoring case and comes second: it is dropped, and the
    // kept "K=1" hides any later "k=..." line from a lookup of "k".
    Load("K=1\r\nk=1\r\nk=2\r\n");
    EXPECT_EQ(Translate("K"), "1");
    EXPECT_EQ(NotTranslated("k"), "String not translated: \"k\"");
    Load("k=1\r\nK=1\r\n");
    EXPECT_EQ(Translate("k"), "1");
    EXPECT_EQ(NotTranslated("K"), "String not translated: \"K\"");
}

TEST_F(LanguageTest, EveryKeyOfALargeShuffledTableIsFound) {
    std::vector<std::string> keys;
    for (int i = 0; i < 600; ++i) keys.push_back((i % 3 == 0 ? "Key_" : "key") + std::to_string(i * 7919 % 1000));
    std::vector<std::string> lines = keys;
    std::shuffle(lines.begin(), lines.end(), std::mt19937(5));
    std::string file;
    for (const std::string& k : lines) file += k + "=v" + k + "\r\n";
    Load(file);
    for (const std::string& k : keys) EXPECT_EQ(Translate(k), "v" + k);
    EXPECT_EQ(NotTranslated("key"), "String not translated: \"key\"");
}

TEST_F(LanguageTest, UserCopyOverridesAndAFailedLoadKeepsTheTable) {
    tmp.WriteFile("Data/Language/T.lang", "k=data\r\n");
    tmp.WriteFile("User/Language/T.lang", "k=user\r\n");
    LoadLanguage("T");
    EXPECT_EQ(Translate("k"), "user");
    EXPECT_THROW(LoadLanguage("XX"), EFOpenError);
    EXPECT_EQ(Translate("k"), "user");
    EXPECT_THROW(LoadLanguage("..\\T"), Exception);
}

TEST_F(LanguageTest, TranslateFmtFormatsTheText) {
    Load("playerleft=%s hat das Spiel verlassen.\r\nrest=%d von %d\r\n");
    EXPECT_EQ(TranslateFmt("playerleft", {std::string("Ann")}), "Ann hat das Spiel verlassen.");
    EXPECT_EQ(TranslateFmt("rest", {std::int64_t{2}, std::int64_t{3}}), "2 von 3");
    EXPECT_THROW(TranslateFmt("playerleft", {}), Exception);
}

TEST_F(LanguageTest, ShippedGermanTableHasTheNetworkTexts) {
    const std::string shipped = std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/";
    SetDataDirs(shipped, tmp.Path() + "User");
    LoadLanguage("DE");
    EXPECT_FALSE(Translate("joinfailed").empty());
    EXPECT_FALSE(Translate("connectioninterrupted").empty());
    const std::string left = TranslateFmt("playerleft", {std::string("Zorg")});
    EXPECT_NE(left.find("Zorg"), std::string::npos);
    EXPECT_EQ(left.find('%'), std::string::npos);

    const std::string raw = ReadWholeFile(shipped + "Language/DE.lang");
    ASSERT_GE(raw.size(), 2u);
    EXPECT_EQ(raw.substr(raw.size() - 2), "\r\n");
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n') {
            EXPECT_EQ(raw[i - 1], '\r') << "line break at byte " << i;
        }
    }
}
