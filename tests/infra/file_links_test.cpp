// Files the program writes under fixed names in the user folder ("log.txt",
// "Replays/Latest.ofr", start records, reports) once followed a symbolic link
// placed at that name and emptied the file it pointed to: a replay folder
// downloaded with a link in it destroyed a file of the player's at the next
// game. The writers now replace such a link and never touch its target.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/file_stream.h"
#include "infra/file_system.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

namespace {

class LinkedNameTest : public ::testing::Test {
protected:
    // A victim file and, at name, a link to it.
    std::string LinkToVictim(const std::string& name) {
        victim = folder.WriteFile("victim.txt", kVictimText);
        const std::string path = folder.Path() + name;
        EXPECT_EQ(symlink(victim.c_str(), path.c_str()), 0);
        return path;
    }
    void ExpectVictimUntouchedAndNameARegularFile(const std::string& path) {
        EXPECT_EQ(ReadWholeFile(victim), kVictimText) << "the link's target was written";
        struct stat st {};
        ASSERT_EQ(lstat(path.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << "the name is still a link";
    }
    static constexpr const char* kVictimText = "precious\n";
    TempFolder folder;
    std::string victim;
};

TEST_F(LinkedNameTest, WholeFileWriteReplacesTheLinkNotItsTarget) {
    const std::string path = LinkToVictim("Latest.ofs");
    WriteWholeFile(path, "new contents");
    ExpectVictimUntouchedAndNameARegularFile(path);
    EXPECT_EQ(ReadWholeFile(path), "new contents");
}

TEST_F(LinkedNameTest, DanglingLinkGetsNoFileCreatedAtItsTarget) {
    const std::string target = folder.Path() + "elsewhere.txt";
    const std::string path = folder.Path() + "Latest.ofs";
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    WriteWholeFile(path, "x");
    EXPECT_FALSE(folder.Exists("elsewhere.txt"));
    EXPECT_EQ(ReadWholeFile(path), "x");
}

TEST_F(LinkedNameTest, RecordingStreamReplacesTheLinkNotItsTarget) {
    const std::string path = LinkToVictim("Latest.ofr");
    {
        TFileStream stream(path, TFileStream::Mode::CreateExclusive);
        stream.Write("abc", 3);
    }
    ExpectVictimUntouchedAndNameARegularFile(path);
    EXPECT_EQ(ReadWholeFile(path), "abc");
}

TEST_F(LinkedNameTest, RecordingStreamStillRefusesASecondRecorder) {
    const std::string path = folder.Path() + "Latest.ofr";
    TFileStream first(path, TFileStream::Mode::CreateExclusive);
    first.Write("abc", 3);
    EXPECT_THROW(TFileStream(path, TFileStream::Mode::CreateExclusive), EFCreateError);
    EXPECT_EQ(ReadWholeFile(path), "abc") << "the second recorder emptied the first one's file";
}

TEST_F(LinkedNameTest, EventLogReplacesTheLinkNotItsTarget) {
    folder.MakeDir("User");
    const std::string path = LinkToVictim("User/log.txt");
    SetDataDirs(folder.Path() + "Data", folder.Path() + "User");
    OpenEventLog();
    LogContext = "";
    Log("Status", 4, "line");
    CloseEventLog();
    ClearDataDirs();
    ExpectVictimUntouchedAndNameARegularFile(path);
    EXPECT_EQ(ReadWholeFile(path), "Status\t4\t\tline\r\n");
}

}  // namespace
