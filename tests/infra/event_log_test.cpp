#include "infra/event_log.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/file_system.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

namespace {

struct NamedThing {
    std::string name;
    mutable int asked = 0;
};

std::string NameOf(const void* object) {
    const auto* thing = static_cast<const NamedThing*>(object);
    ++thing->asked;
    return thing->name;
}

}  // namespace

class EventLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDataDirs(tmp.Path() + "Data", tmp.Path() + "User");
        LogContext = "";
        OpenEventLog();
    }
    void TearDown() override {
        CloseEventLog();
        LogContext = "";
        ClearDataDirs();
    }
    std::string LogFile() const { return tmp.Path() + "User/log.txt"; }
    std::string Contents() const { return ReadWholeFile(LogFile()); }
    TempFolder tmp;
};

TEST_F(EventLogTest, LinesHoldFourTabSeparatedFieldsEndingInCrLf) {
    struct Case {
        const char* category;
        std::uint8_t level;
        const char* context;
        const char* text;
        const char* line;
    };
    const std::vector<Case> cases = {
        {"Status", 4, "Timer", "Beginning Frame 7", "Status\t4\tTimer\tBeginning Frame 7\r\n"},
        {"Except", 5, "", "", "Except\t5\t\t\r\n"},
        {"Resource", 0, "Init", "x", "Resource\t0\tInit\tx\r\n"},
        {"Test", 255, "game.move", "12 34", "Test\t255\tgame.move\t12 34\r\n"},
        {"Network", 4, "ExecuteCommands", "two\nlines", "Network\t4\tExecuteCommands\ttwo\nlines\r\n"},
    };
    std::string expected;
    for (const Case& c : cases) {
        LogContext = c.context;
        Log(c.category, c.level, c.text);
        expected += c.line;
        EXPECT_EQ(Contents(), expected) << "file complete right after the call for " << c.line;
    }
    EXPECT_EQ(LogLineCount(), cases.size());
}

TEST_F(EventLogTest, NCallsGiveNLinesInCallOrder) {
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        Log("Status", 4, "Beginning Frame " + std::to_string(i));
        expected += "Status\t4\t\tBeginning Frame " + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(Contents(), expected);
    EXPECT_EQ(LogLineCount(), 300u);
}

TEST_F(EventLogTest, LinesSurviveAKillRightAfterTheCall) {
    Log("Status", 1, "before");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            for (int i = 0; i < 50; ++i) Log("Status", 4, std::to_string(i));
        } catch (...) {
            _exit(1);
        }
        raise(SIGKILL);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    std::string expected = "Status\t1\t\tbefore\r\n";
    for (int i = 0; i < 50; ++i) expected += "Status\t4\t\t" + std::to_string(i) + "\r\n";
    EXPECT_EQ(Contents(), expected);
}

TEST_F(EventLogTest, ASecondRunReplacesTheFileOnItsFirstLog) {
    Log("Status", 1, "first run a");
    Log("Status", 1, "first run b");
    CloseEventLog();
    OpenEventLog();
    EXPECT_EQ(Contents(), "Status\t1\t\tfirst run a\r\nStatus\t1\t\tfirst run b\r\n") << "opening writes nothing";
    EXPECT_EQ(LogLineCount(), 0u);
    Log("Status", 1, "second run");
    EXPECT_EQ(Contents(), "Status\t1\t\tsecond run\r\n");
}

TEST_F(EventLogTest, ARunThatNeverLoggedLeavesAnEmptyLog) {
    Log("Status", 1, "old");
    CloseEventLog();
    OpenEventLog();
    CloseEventLog();
    EXPECT_EQ(Contents(), "");
}

TEST_F(EventLogTest, NoLogFileBeforeStartUpOrAfterTearDown) {
    CloseEventLog();
    std::filesystem::remove(LogFile());
    Log("Status", 1, "nowhere");
    EXPECT_FALSE(tmp.Exists("User/log.txt"));
    EXPECT_EQ(LogLineCount(), 0u);
}

// Once log.txt could not be written every call raised, so every frame
// raised and the game stopped. A failure is now reported once and the lines
// wait in the buffer for the next successful write.
TEST_F(EventLogTest, WriteFailureIsReportedOnceNeverRaisesAndTheLinesAreWrittenLater) {
    std::vector<std::string> reports;
    SetLogFailureReporter([&](const std::string& message) { reports.push_back(message); });
    std::filesystem::remove_all(tmp.Path() + "User");
    EXPECT_NO_THROW(Log("Status", 1, "kept"));
    EXPECT_NO_THROW(Log("Status", 2, "also kept"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(LogFile()), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("No such file"), std::string::npos) << reports[0];
    tmp.MakeDir("User");
    Log("Status", 3, "now writable");
    EXPECT_EQ(Contents(), "Status\t1\t\tkept\r\nStatus\t2\t\talso kept\r\nStatus\t3\t\tnow writable\r\n");
    EXPECT_EQ(LogLineCount(), 3u);
    // A later failure is a new one and is reported again.
    std::filesystem::remove_all(tmp.Path() + "User");
    CloseEventLog();
    OpenEventLog();
    Log("Status", 1, "x");
    EXPECT_EQ(reports.size(), 2u);
    SetLogFailureReporter(nullptr);
}

TEST_F(EventLogTest, DeferredContextBuildsTheNameOnlyForWrittenLines) {
    NamedThing ship{"Jaeger 3"};
    for (int i = 0; i < 1000; ++i) LogContext.SetDeferred("Moveing ", NameOf, &ship);
    EXPECT_EQ(ship.asked, 0);
    Log("Test", 5, "1 2");
    EXPECT_EQ(ship.asked, 1);
    EXPECT_EQ(Contents(), "Test\t5\tMoveing Jaeger 3\t1 2\r\n");
    EXPECT_TRUE(LogContext == "Moveing Jaeger 3");

    // Once detached, the text no longer depends on the object.
    LogContext.Detach(&ship);
    ship.name = "gone";
    EXPECT_EQ(LogContext.Value(), "Moveing Jaeger 3");

    NamedThing other{"Other"};
    LogContext.SetDeferred("Moveing ", NameOf, &other);
    LogContext.Detach(&ship);  // not the current object: no effect
    other.name = "Other 2";
    EXPECT_EQ(LogContext.Value(), "Moveing Other 2");

    LogContext = std::string("game.dead");
    EXPECT_EQ(LogContext.Value(), "game.dead");
    EXPECT_EQ(other.asked, 1);
}
