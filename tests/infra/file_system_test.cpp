#include "infra/file_system.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "infra/errors.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

TEST(ToNativeSeparators, TurnsBackslashesIntoSlashesAndNothingElse) {
    EXPECT_EQ(ToNativeSeparators("Graphics\\Fonts\\Main.img"), "Graphics/Fonts/Main.img");
    EXPECT_EQ(ToNativeSeparators("/abs/Mixed\\Path/"), "/abs/Mixed/Path/");
    EXPECT_EQ(ToNativeSeparators(""), "");
}

class FileSystemTest : public ::testing::Test {
protected:
    TempFolder tmp;
    std::string root() const { return tmp.Path(); }
};

TEST_F(FileSystemTest, FindExistingCaseTakesTheSpellingOnDisk) {
    tmp.WriteFile("Data/Maps/X.ofm");
    EXPECT_EQ(FindExistingCase(root() + "data\\maps\\x.OFM"), root() + "Data/Maps/X.ofm");
    EXPECT_EQ(FindExistingCase(root() + "Data/Maps/X.ofm"), root() + "Data/Maps/X.ofm");
    // From the first missing component on, the name is kept as given.
    EXPECT_EQ(FindExistingCase(root() + "DATA\\Nope\\deeper.txt"), root() + "Data/Nope/deeper.txt");
    EXPECT_EQ(FindExistingCase(root() + "data\\maps\\"), root() + "Data/Maps/");
}

TEST_F(FileSystemTest, ExactSpellingWinsOverOtherCases) {
    tmp.WriteFile("Maps/a.txt");
    tmp.WriteFile("maps/b.txt");
    EXPECT_EQ(FindExistingCase(root() + "maps/b.txt"), root() + "maps/b.txt");
    EXPECT_EQ(FindExistingCase(root() + "Maps/a.txt"), root() + "Maps/a.txt");
    EXPECT_TRUE(FileExists(root() + "maps\\b.txt"));
}

TEST_F(FileSystemTest, AFolderOnTheWayIsPreferredToAFileOfTheSameName) {
    tmp.WriteFile("MAPS", "a file, not a folder");
    tmp.WriteFile("maps/x.ofm");
    EXPECT_EQ(FindExistingCase(root() + "Maps/X.ofm"), root() + "maps/x.ofm");
    EXPECT_EQ(FindExistingCase(root() + "MAPS/x.ofm"), root() + "maps/x.ofm");
    EXPECT_TRUE(FileExists(root() + "Maps\\X.ofm"));
}

TEST_F(FileSystemTest, ExistenceTestsTellFilesFromFoldersInAnyCase) {
    tmp.WriteFile("Data/Maps/X.ofm");
    struct Case {
        const char* path;
        bool file;
        bool folder;
    };
    const std::vector<Case> cases = {
        {"Data/Maps/X.ofm", true, false},   {"data\\maps\\x.ofm", true, false},
        {"DATA\\MAPS", false, true},        {"Data/Maps/", false, true},
        {"Data/Maps/Y.ofm", false, false},  {"Data/Maps/X.ofm/", false, false},
        {"Nope/Maps", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileExists(root() + c.path), c.file) << c.path;
        EXPECT_EQ(DirectoryExists(root() + c.path), c.folder) << c.path;
    }
    EXPECT_EQ(ExistingFile(root() + "data\\maps\\x.OFM"), root() + "Data/Maps/X.ofm");
    EXPECT_EQ(ExistingFile(root() + "data\\maps"), std::nullopt);
}

// A folder too large to be read in one go: a spelling found in a later read
// counts, and the first of several spellings in sorted order wins.
TEST_F(FileSystemTest, CaseSearchReadsLargeFoldersWhole) {
    for (int i = 0; i < 300; ++i) tmp.WriteFile("Big/an-entry-with-a-rather-long-name-" + std::to_string(i) + ".txt");
    tmp.WriteFile("Big/Zz.TXT");
    tmp.WriteFile("Big/ZZ.txt");
    EXPECT_EQ(FindExistingCase(root() + "big\\zz.txt"), root() + "Big/ZZ.txt");
    for (int i : {0, 150, 299}) {
        const std::string name = "AN-ENTRY-WITH-A-RATHER-LONG-NAME-" + std::to_string(i) + ".TXT";
        EXPECT_EQ(ExistingFile(root() + "BIG/" + name), root() + "Big/an-entry-with-a-rather-long-name-" +
                                                            std::to_string(i) + ".txt");
    }
}

TEST_F(FileSystemTest, CreateDirMakesOneLevelOnly) {
    EXPECT_TRUE(CreateDir(root() + "UserFiles"));
    EXPECT_TRUE(DirectoryExists(root() + "UserFiles"));
    EXPECT_FALSE(CreateDir(root() + "UserFiles"));
    EXPECT_FALSE(CreateDir(root() + "userfiles")) << "a folder differing in case already exists";
    EXPECT_FALSE(CreateDir(root() + "Missing\\Child"));
    EXPECT_FALSE(tmp.Exists("Missing"));
    EXPECT_TRUE(CreateDir(root() + "userfiles\\Replays"));
    EXPECT_TRUE(tmp.Exists("UserFiles/Replays"));
}

TEST_F(FileSystemTest, WholeFileRoundTripKeepsEveryByte) {
    const std::string bytes("line\r\nnul\0byte\xff\n", 16);
    WriteWholeFile(root() + "f.bin", bytes);
    EXPECT_EQ(ReadWholeFile(root() + "f.bin"), bytes);
    WriteWholeFile(root() + "F.BIN", "short");
    EXPECT_EQ(ReadWholeFile(root() + "f.bin"), "short") << "rewrite truncates the existing file";
    EXPECT_EQ(ListFiles(root(), "*"), std::vector<std::string>{"f.bin"});
    WriteWholeFile(root() + "empty", "");
    EXPECT_EQ(ReadWholeFile(root() + "empty"), "");
}

TEST_F(FileSystemTest, ReadAndWriteFailuresRaiseFileErrorsNamingThePath) {
    tmp.MakeDir("Folder");
    try {
        ReadWholeFile(root() + "missing.txt");
        ADD_FAILURE() << "no EFOpenError";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find(root() + "missing.txt"), std::string::npos) << e.Message();
    }
    EXPECT_THROW(ReadWholeFile(root() + "Folder"), EFOpenError);
    try {
        WriteWholeFile(root() + "NoSuchFolder\\x.txt", "x");
        ADD_FAILURE() << "no EFCreateError";
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find("NoSuchFolder/x.txt"), std::string::npos) << e.Message();
    }
}

TEST_F(FileSystemTest, ListFilesMatchesWildcardsIgnoringCaseAndSkipsFolders) {
    tmp.WriteFile("Maps/b.ofm");
    tmp.WriteFile("Maps/A.OFM");
    tmp.WriteFile("Maps/c.txt");
    tmp.WriteFile("Maps/ab.ofm.bak");
    tmp.MakeDir("Maps/folder.ofm");
    const std::vector<std::string> maps{"A.OFM", "b.ofm"};
    EXPECT_EQ(ListFiles(root() + "Maps", "*.ofm"), maps);
    EXPECT_EQ(ListFiles(root() + "maps\\", "?.Ofm"), maps);
    EXPECT_EQ(ListFiles(root() + "Maps/", "*"),
              (std::vector<std::string>{"A.OFM", "ab.ofm.bak", "b.ofm", "c.txt"}));
    EXPECT_EQ(ListFiles(root() + "Maps/", "a*b*k"), std::vector<std::string>{"ab.ofm.bak"});
    EXPECT_TRUE(ListFiles(root() + "NoMaps", "*.ofm").empty());
}

TEST(ExecutableDir, IsTheAbsoluteFolderHoldingTheRunningProgram) {
    const std::string dir = ExecutableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.front(), '/');
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(FileExists(dir + "infra_tests"));
}
