#include "infra/data_dirs.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "infra/errors.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

class DataDirsTest : public ::testing::Test {
protected:
    void TearDown() override { ClearDataDirs(); }
    TempFolder tmp;
};

TEST_F(DataDirsTest, DataBesideTheProgramWinsOverTheGameLayout) {
    tmp.MakeDir("bin/Data");
    tmp.MakeDir("Game/Data");
    LocateDataDirs(tmp.Path() + "bin/");
    EXPECT_EQ(DataDir(), tmp.Path() + "bin/Data/");
    EXPECT_EQ(UserDir(), tmp.Path() + "bin/UserFiles/");
    EXPECT_TRUE(tmp.Exists("bin/UserFiles/Replays"));
    EXPECT_TRUE(tmp.Exists("bin/UserFiles/Maps"));
    EXPECT_FALSE(tmp.Exists("Game/UserFiles"));
}

TEST_F(DataDirsTest, OnlyTheGameLayoutGivesBothFoldersFromIt) {
    tmp.MakeDir("build");
    tmp.MakeDir("Game/Data");
    // A missing final separator is accepted.
    LocateDataDirs(tmp.Path() + "build");
    EXPECT_EQ(DataDir(), tmp.Path() + "Game/Data/") << "lexically normal, no /../";
    EXPECT_EQ(UserDir(), tmp.Path() + "Game/UserFiles/");
    EXPECT_TRUE(tmp.Exists("Game/UserFiles/Replays"));
    EXPECT_TRUE(tmp.Exists("Game/UserFiles/Maps"));
    EXPECT_FALSE(tmp.Exists("build/UserFiles"));
}

TEST_F(DataDirsTest, FoldersSpelledInAnotherCaseAreFoundAndNamedAsOnDisk) {
    tmp.MakeDir("bin/data");
    tmp.MakeDir("bin/userfiles/replays");
    LocateDataDirs(tmp.Path() + "bin\\");
    EXPECT_EQ(DataDir(), tmp.Path() + "bin/data/");
    EXPECT_EQ(UserDir(), tmp.Path() + "bin/userfiles/");
    EXPECT_FALSE(tmp.Exists("bin/userfiles/Replays")) << "the existing replays folder is used";
    EXPECT_TRUE(tmp.Exists("bin/userfiles/Maps"));
}

TEST_F(DataDirsTest, NoDataFolderStopsWithDataNotFound) {
    tmp.MakeDir("bin");
    tmp.WriteFile("bin/Data", "a file is not a data folder");
    try {
        LocateDataDirs(tmp.Path() + "bin/");
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Data not found");
    }
    EXPECT_FALSE(tmp.Exists("bin/UserFiles"));
    EXPECT_FALSE(tmp.Exists("Game"));
}

// An installed copy's data is found only where neither folder beside the
// program exists; its user folder is in XDG_DATA_HOME, made only when used.
TEST_F(DataDirsTest, InstalledLayoutIsTheLastChoice) {
    struct Case {
        const char* title;
        std::vector<std::string> folders;  // below the temporary folder
        const char* exe;
        const char* data;                  // expected, below the temporary folder
        const char* user;
    };
    const std::vector<Case> cases = {
        {"games below the prefix", {"usr/games", "usr/share/orbitfall/Data"}, "usr/games/",
         "usr/share/orbitfall/Data/", "xdg/orbitfall/"},
        {"bin below the prefix", {"opt/bin", "opt/share/orbitfall/Data"}, "opt/bin/", "opt/share/orbitfall/Data/",
         "xdg/orbitfall/"},
        {"a checkout wins", {"build", "Game/Data", "share/orbitfall/Data"}, "build/", "Game/Data/",
         "Game/UserFiles/"},
        {"data beside the program wins", {"games/Data", "share/orbitfall/Data"}, "games/", "games/Data/",
         "games/UserFiles/"},
    };
    for (const Case& c : cases) {
        TempFolder scratch;
        for (const std::string& f : c.folders) scratch.MakeDir(f);
        setenv("XDG_DATA_HOME", (scratch.Path() + "xdg").c_str(), 1);
        const TDataFolders found = FindDataFolders(scratch.Path() + c.exe);
        EXPECT_EQ(found.Data, scratch.Path() + c.data) << c.title;
        EXPECT_EQ(found.User, scratch.Path() + c.user) << c.title;
        EXPECT_FALSE(scratch.Exists("xdg")) << c.title << ": finding creates nothing";

        LocateDataDirs(scratch.Path() + c.exe, scratch.Path() + "own");
        EXPECT_EQ(UserDir(), scratch.Path() + "own/") << c.title;
        EXPECT_FALSE(scratch.Exists("xdg") || scratch.Exists("Game/UserFiles") || scratch.Exists("games/UserFiles"))
            << c.title << ": a user folder of one's own leaves the others alone";

        LocateDataDirs(scratch.Path() + c.exe);
        EXPECT_EQ(DataDir(), found.Data) << c.title;
        EXPECT_EQ(UserDir(), found.User) << c.title;
        EXPECT_TRUE(scratch.Exists(std::string(c.user) + "Replays")) << c.title;
        EXPECT_TRUE(scratch.Exists(std::string(c.user) + "Maps")) << c.title;
        unsetenv("XDG_DATA_HOME");
    }
}

class ResolveFileNameTest : public DataDirsTest {
protected:
    void SetUp() override { SetDataDirs(tmp.Path() + "Data", tmp.Path() + "User"); }
};

TEST_F(ResolveFileNameTest, SearchOrderUserThenDataThenImageSubstitutes) {
    struct Case {
        const char* title;
        std::vector<std::string> files;  // below the temporary folder
        const char* name;
        const char* expected;            // below the temporary folder
    };
    const std::vector<Case> cases = {
        {"user copy wins", {"User/Units/Units.ofu", "Data/Units/Units.ofu"}, "Units\\Units.ofu",
         "User/Units/Units.ofu"},
        {"shipped data", {"Data/Units/Units.ofu"}, "Units\\Units.ofu", "Data/Units/Units.ofu"},
        {"IMG in capitals finds a data png", {"Data/Graphics/Ship.png"}, "Graphics\\Ship.IMG",
         "Data/Graphics/Ship.png"},
        {"user jpg before data bmp", {"User/Graphics/Ship.jpg", "Data/Graphics/Ship.bmp"},
         "Graphics\\Ship.img", "User/Graphics/Ship.jpg"},
        {"bmp tga png jpg order", {"Data/G/S.jpg", "Data/G/S.png", "Data/G/S.tga"}, "G\\S.img",
         "Data/G/S.tga"},
        {"a real img file before substitutes", {"User/G/S.bmp", "Data/G/S.img"}, "G\\S.img", "Data/G/S.img"},
        {"no substitution for other names", {"Data/G/S.png"}, "G\\S.txt", "User/G/S.txt"},
        {"missing name goes to the user folder", {}, "Replays\\Latest.ofr", "User/Replays/Latest.ofr"},
        {"missing name in a missing folder", {}, "Nope\\GraphicCardInfo.txt", "User/Nope/GraphicCardInfo.txt"},
        {"path differing in case", {"Data/Maps/X.ofm"}, "maps\\x.ofm", "Data/Maps/X.ofm"},
        {"missing name in a folder of another case", {}, "replays\\Latest.ofr", "User/Replays/Latest.ofr"},
        {"substitute keeps the base spelling on disk", {"Data/Graphics/Fonts/Main.bmp"},
         "graphics\\fonts\\MAIN.img", "Data/Graphics/Fonts/Main.bmp"},
    };
    for (const Case& c : cases) {
        TempFolder scratch;
        SetDataDirs(scratch.Path() + "Data", scratch.Path() + "User");
        for (const std::string& f : c.files) scratch.WriteFile(f);
        EXPECT_EQ(ResolveFileName(c.name), scratch.Path() + c.expected) << c.title;
    }
}

TEST_F(ResolveFileNameTest, AFolderIsNotAFile) {
    tmp.MakeDir("Data/Units/Units.ofu");
    tmp.MakeDir("User/G/S.bmp");
    tmp.WriteFile("Data/G/S.png");
    EXPECT_EQ(ResolveFileName("Units\\Units.ofu"), tmp.Path() + "User/Units/Units.ofu");
    EXPECT_EQ(ResolveFileName("G\\S.img"), tmp.Path() + "Data/G/S.png");
}

TEST_F(ResolveFileNameTest, TwoDotsAnywhereAreRejected) {
    tmp.WriteFile("Data/a..b");
    for (const char* name : {"..\\secret.txt", "a..b", "Maps\\..\\x.ofm", "x.img..", ".."}) {
        try {
            ResolveFileName(name);
            ADD_FAILURE() << "accepted " << name;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Invalid Filename") << name;
        }
    }
    EXPECT_EQ(ResolveFileName(".hidden"), tmp.Path() + "User/.hidden");
}
