#include "control/host_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "control/network_adapter.h"
#include "infra/data_dirs.h"
#include "tests/support/bounded_child.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;
using namespace orbitfall::testing;

TEST(HostList, HostsFileLinesAreCleanedAndDamagedOnesPassedOver) {
    const std::string longLine(5000, 'x');
    const std::string text = std::string("alpha\r\n\r\n   \n# a comment\n  beta  # the office\n") + longLine +
                             "\n" + "gamma:7000\n" + "caf\xE9\n" + "two words\n" + "alpha\n" +
                             std::string("nul\0byte\n", 9) + "\xC3\xA9t\xC3\xA9\n" + "last";
    EXPECT_EQ(ParseHostLines(text),
              (std::vector<std::string>{"alpha", "beta", "gamma:7000", "\xC3\xA9t\xC3\xA9", "last"}));
}

TEST(HostList, TenThousandLinesListAtMostTheBound) {
    std::string text;
    for (int i = 0; i < 10000; ++i) text += "host" + std::to_string(i) + "\n";
    const auto hosts = ParseHostLines(text);
    ASSERT_EQ(hosts.size(), MaxListedHosts);
    EXPECT_EQ(hosts.front(), "host0");
    EXPECT_EQ(hosts.back(), "host" + std::to_string(MaxListedHosts - 1));
}

TEST(HostList, RecentHostsComeFirstMostRecentFirstAtMostTwenty) {
    TempFolder tmp;
    tmp.WriteFile("Hosts.txt", "fileserver\nhost3\n");
    for (int i = 0; i < 25; ++i) RememberJoinedHost(tmp.Path(), "host" + std::to_string(i));
    RememberJoinedHost(tmp.Path(), "host20");  // joined again: moves to the front, listed once
    RememberJoinedHost(tmp.Path(), "bad name");  // not a host text: not remembered
    const auto hosts = ReadHostList(tmp.Path());
    ASSERT_EQ(hosts.size(), 22u);
    EXPECT_EQ(hosts[0], "host20");
    EXPECT_EQ(hosts[1], "host24");
    EXPECT_EQ(hosts[19], "host5");
    // host3 dropped out of the recent twenty, but Hosts.txt still names it.
    EXPECT_EQ(hosts[20], "fileserver");
    EXPECT_EQ(hosts[21], "host3");
}

TEST(HostList, MissingOrUnreadableFilesGiveWhatCouldBeRead) {
    TempFolder tmp;
    EXPECT_TRUE(ReadHostList(tmp.Path()).empty());
    tmp.MakeDir("Hosts.txt");  // a folder where the file should be
    tmp.WriteFile("RecentHosts.txt", "lanhost\n");
    EXPECT_EQ(ReadHostList(tmp.Path()), std::vector<std::string>{"lanhost"});
}

TEST(HostList, EnumerateHostsReadsTheUserFolderAndClearsWhenAsked) {
    TempFolder tmp;
    SetDataDirs(tmp.Path() + "Data", tmp.Path() + "User");
    tmp.WriteFile("User/Hosts.txt", "one\ntwo\n");
    std::vector<std::string> list{"stale"};
    TTcpAdapter::EnumerateHosts(list, false);
    EXPECT_EQ(list, (std::vector<std::string>{"stale", "one", "two"}));
    TTcpAdapter::EnumerateHosts(list, true);
    EXPECT_EQ(list, (std::vector<std::string>{"one", "two"}));
    ClearDataDirs();
}

// Hosts.txt was read whole and only then cut to its bound: a file of
// gigabytes took as much memory. Only the first megabyte is read now.
TEST(HostList, HugeHostsFileIsReadOnlyUpToItsBound) {
    TempFolder tmp;
    const std::string path = tmp.WriteFile("Hosts.txt", "alpha\nbeta\n");
    // Sparse: costs no disk, reads as zeros.
    const off_t size = kSanitizedBuild ? off_t{64} << 20 : off_t{4} << 30;
    ASSERT_EQ(truncate(path.c_str(), size), 0);
    const TChildOutcome outcome = RunBoundedChild(
        [&] { return ReadHostList(tmp.Path()) == std::vector<std::string>{"alpha", "beta"}; },
        std::chrono::seconds(10), rlim_t{512} << 20);
    EXPECT_EQ(outcome, TChildOutcome::Passed) << OutcomeName(outcome);
}
