// Files written once: a new name every time, never through a link.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "infra/errors.h"
#include "infra/new_file.h"
#include "tests/support/temp_folder.h"

namespace orbitfall {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(NewFile, MakesTheFolderAndNeverReusesAName) {
    TempFolder t;
    const std::string first = WriteNewFile(t.Path() + "Desync", "frame-5", ".txt", "one");
    const std::string second = WriteNewFile(t.Path() + "Desync/", "frame-5", ".txt", "two");
    const std::string third = WriteNewFile(t.Path() + "Desync", "frame-5", ".txt", "three");
    EXPECT_EQ(first, t.Path() + "Desync/frame-5.txt");
    EXPECT_EQ(second, t.Path() + "Desync/frame-5-2.txt");
    EXPECT_EQ(third, t.Path() + "Desync/frame-5-3.txt");
    EXPECT_EQ(Read(first), "one");
    EXPECT_EQ(Read(second), "two");
    EXPECT_EQ(Read(third), "three");
}

TEST(NewFile, ALinkInTheWayIsPassedByAndItsTargetKept) {
    TempFolder t;
    const std::string victim = t.WriteFile("victim.txt", "precious");
    t.MakeDir("Desync");
    fs::create_symlink(victim, t.Path() + "Desync/frame-1.txt");
    fs::create_symlink(t.Path() + "missing.txt", t.Path() + "Desync/frame-1-2.txt");  // dangling
    const std::string written = WriteNewFile(t.Path() + "Desync", "frame-1", ".txt", "dump");
    EXPECT_EQ(written, t.Path() + "Desync/frame-1-3.txt");
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_FALSE(fs::exists(t.Path() + "missing.txt"));
    EXPECT_EQ(Read(written), "dump");
}

TEST(NewFile, AFolderThatIsALinkIsRefused) {
    TempFolder t;
    const std::string elsewhere = t.MakeDir("elsewhere");
    fs::create_directory_symlink(elsewhere, t.Path() + "Desync");
    EXPECT_THROW(WriteNewFile(t.Path() + "Desync", "frame-1", ".txt", "dump"), EFCreateError);
    EXPECT_TRUE(fs::is_empty(elsewhere));
    // A file where the folder belongs is refused too.
    t.WriteFile("Taken", "x");
    EXPECT_THROW(WriteNewFile(t.Path() + "Taken", "frame-1", ".txt", "dump"), EFCreateError);
    EXPECT_EQ(Read(t.Path() + "Taken"), "x");
}

}  // namespace
}  // namespace orbitfall
