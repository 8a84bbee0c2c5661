// The event log against lines that come in floods (a peer sending the same
// bad command thousands of times a second) and against a disk that fills.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/event_log.h"
#include "infra/file_system.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

namespace {

class EventLogFloodTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDataDirs(tmp.Path() + "Data", tmp.Path() + "User");
        tmp.MakeDir("User");
        LogContext = "";
        OpenEventLog();
    }
    void TearDown() override {
        CloseEventLog();
        SetEventLogSizeLimit(DefaultEventLogSizeLimit);
        LogContext = "";
        ClearDataDirs();
    }
    std::vector<std::string> Lines(const std::string& name = "log.txt") const {
        std::vector<std::string> lines;
        std::istringstream in(ReadWholeFile(tmp.Path() + "User/" + name));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    TempFolder tmp;
};

TEST_F(EventLogFloodTest, FourRepeatsAreWrittenThenPowersOfTwoAndTheTotalAtTheEnd) {
    // A flood interleaved with the frames' own lines, as a peer's commands
    // arrive between frames.
    for (int frame = 0; frame < 1000; ++frame) {
        Log("Status", 4, "Beginning Frame " + std::to_string(frame));
        for (int i = 0; i < 100; ++i) Log("Network", 4, "Command without effect dropped");
    }
    EXPECT_EQ(LogLineCount(), 101000u) << "every call counts";
    std::vector<std::string> lines = Lines();
    std::vector<std::string> flood;
    for (const std::string& line : lines)
        if (line.rfind("Network", 0) == 0) flood.push_back(line);
    std::vector<std::string> expected(4, "Network\t4\t\tCommand without effect dropped\r");
    for (int n = 8; n <= 65536; n *= 2)
        expected.push_back("Network\t4\t\tCommand without effect dropped (" + std::to_string(n) + " times)\r");
    EXPECT_EQ(flood, expected);
    EXPECT_EQ(lines.size(), 1000u + expected.size()) << "the distinct lines all stay";

    CloseEventLog();
    EXPECT_EQ(Lines().back(), "Network\t4\t\tCommand without effect dropped (100000 times)\r")
        << "the total is written when the log closes";
}

TEST_F(EventLogFloodTest, CategoryAndLevelTellLinesApartButTheContextDoesNot) {
    for (int i = 0; i < 4; ++i) Log("Network", 4, "same");
    Log("Network", 3, "same");
    Log("Status", 4, "same");
    for (int i = 0; i < 4; ++i) {
        LogContext = "Timer " + std::to_string(i);
        Log("Network", 4, "same");
    }
    std::vector<std::string> expected(4, "Network\t4\t\tsame\r");
    expected.push_back("Network\t3\t\tsame\r");
    expected.push_back("Status\t4\t\tsame\r");
    expected.push_back("Network\t4\tTimer 3\tsame (8 times)\r");
    EXPECT_EQ(Lines(), expected);
}

TEST_F(EventLogFloodTest, FileIsBoundedAndTheNewestLinesAreKept) {
    const std::uint64_t limit = 64 * 1024;
    SetEventLogSizeLimit(limit);
    for (int i = 0; i < 20000; ++i) Log("Status", 4, "Beginning Frame " + std::to_string(i));
    const auto size = std::filesystem::file_size(tmp.Path() + "User/log.txt");
    const auto oldSize = std::filesystem::file_size(tmp.Path() + "User/log.old.txt");
    EXPECT_LE(size, limit);
    EXPECT_LE(oldSize, limit);
    EXPECT_GT(oldSize, limit / 2) << "the older half is kept beside it";
    EXPECT_EQ(Lines().back(), "Status\t4\t\tBeginning Frame 19999\r");
    // Nothing lost between the two files.
    const std::vector<std::string> older = Lines("log.old.txt");
    const std::vector<std::string> newer = Lines();
    ASSERT_FALSE(older.empty());
    ASSERT_FALSE(newer.empty());
    EXPECT_EQ(std::stoi(newer.front().substr(newer.front().rfind(' ') + 1)),
              std::stoi(older.back().substr(older.back().rfind(' ') + 1)) + 1);
}

TEST_F(EventLogFloodTest, BufferWaitingForTheDiskIsBoundedAndSaysWhatItLost) {
    std::vector<std::string> reports;
    SetLogFailureReporter([&](const std::string& message) { reports.push_back(message); });
    std::filesystem::remove_all(tmp.Path() + "User");
    const std::string text(1000, 'x');
    for (int i = 0; i < 5000; ++i) Log("Status", 4, std::to_string(i) + text);
    EXPECT_EQ(reports.size(), 1u);
    tmp.MakeDir("User");
    Log("Status", 4, "back");
    SetLogFailureReporter(nullptr);
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "Status\t4\t\t0" + text + "\r") << "the oldest waiting lines are kept";
    const std::uint64_t kept = lines.size() - 2;
    EXPECT_LE(kept * 1000, EventLogPendingLimit);
    EXPECT_EQ(lines[lines.size() - 2],
              "Log\t3\t\t" + std::to_string(5000 - kept) + " lines lost while the log could not be written\r");
    EXPECT_EQ(lines.back(), "Status\t4\t\tback\r");
}

}  // namespace
