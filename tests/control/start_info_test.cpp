#include "control/start_info.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "infra/errors.h"
#include "tests/support/bounded_child.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;
using namespace orbitfall::testing;

TEST(StartInfo, LayoutAndMapNameCutTo128) {
    TStartInfo info;
    info.SetMapName(std::string(200, 'm'));
    info.RandomSeed = -2;
    info.PlayerNumber = 3;
    info.PlayerCount = 4;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    EXPECT_EQ(bytes[0], 128);
    EXPECT_EQ(info.MapName(), std::string(128, 'm'));
    EXPECT_EQ(bytes[132], 0xFE);  // little-endian seed
    EXPECT_EQ(bytes[135], 0xFF);
    EXPECT_EQ(bytes[136], 3);
    EXPECT_EQ(bytes[137], 4);
    info.SetMapName("Default");
    EXPECT_EQ(info.MapName(), "Default");
    EXPECT_EQ(info.MapNameChars[7], 0);  // no stale characters of the longer name
}

TEST(StartInfo, StartFileSitsBesideTheReplay) {
    EXPECT_EQ(StartFileFor("/u/Replays/Latest.ofr"), "/u/Replays/Latest.ofs");
    EXPECT_EQ(StartFileFor("/u/my.dir/replay"), "/u/my.dir/replay.ofs");
}

TEST(StartInfo, FileRoundTripAndEveryFaultNamesFileAndFault) {
    TempFolder dir;
    TStartInfo info;
    info.SetMapName("Default");
    info.RandomSeed = 12345;
    info.PlayerNumber = 2;
    info.PlayerCount = 3;
    const std::string path = dir.Path() + "a.ofs";
    WriteStartFile(path, info);
    const TStartInfo back = ReadStartFile(path);
    EXPECT_EQ(std::memcmp(&back, &info, sizeof info), 0);

    auto expectFault = [&](const std::string& bytes, const std::string& fault) {
        dir.WriteFile("bad.ofs", bytes);
        try {
            ReadStartFile(dir.Path() + "bad.ofs");
            ADD_FAILURE() << "accepted: " << fault;
        } catch (const Exception& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(dir.Path() + "bad.ofs"), std::string::npos) << message;
            EXPECT_NE(message.find(fault), std::string::npos) << message;
        }
    };
    auto with = [&](const std::function<void(TStartInfo&)>& change) {
        TStartInfo copy = info;
        change(copy);
        return std::string(reinterpret_cast<const char*>(&copy), sizeof copy);
    };
    const std::string good(reinterpret_cast<const char*>(&info), sizeof info);
    expectFault(good.substr(0, 139), "size is 139 bytes");
    expectFault(good + "x", "size is 141 bytes");
    expectFault("", "size is 0 bytes");
    expectFault(with([](TStartInfo& i) { i.MapNameLength = 129; }), "map name length 129");
    expectFault(with([](TStartInfo& i) { i.PlayerCount = 0; }), "player count 0");
    expectFault(with([](TStartInfo& i) { i.PlayerCount = 16; }), "player count 16");
    expectFault(with([](TStartInfo& i) { i.PlayerNumber = 4; }), "local player 4");
    // Player 0 is the neutral one; nobody plays it.
    expectFault(with([](TStartInfo& i) { i.PlayerNumber = 0; }), "local player 0");
    // The name ends at its length, so a NUL inside it would cut it short on
    // the way to a file name.
    expectFault(with([](TStartInfo& i) { i.MapNameChars[3] = '\0'; }), "map name holds a NUL byte");
    EXPECT_THROW(ReadStartFile(dir.Path() + "missing.ofs"), EFOpenError);
}

// A start record was read whole before its size was checked: one that is a
// link to /dev/zero ran the program out of memory, a FIFO hung it.
TEST(StartInfo, OnlyARegularFileIsReadAndOnlyUpToTheRecordSize) {
    TempFolder dir;
    const std::string zero = dir.Path() + "zero.ofs";
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    const std::string fifo = dir.Path() + "fifo.ofs";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = dir.WriteFile("big.ofs", std::string(1 << 20, 'x'));
    struct TCase {
        std::string path;
        std::string fault;
    };
    std::vector<TCase> cases = {{fifo, "not a regular file"}, {big, "size is 1048576 bytes"}};
    // Without a memory bound the unmended reader would take the machine's memory.
    if (!kSanitizedBuild) cases.push_back({zero, "not a regular file"});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.path);
        const TChildOutcome outcome = RunBoundedChild(
            [&] {
                try {
                    ReadStartFile(c.path);
                } catch (const Exception& e) {
                    const std::string message = e.what();
                    return message.find(c.path) != std::string::npos && message.find(c.fault) != std::string::npos;
                }
                return false;
            },
            std::chrono::seconds(3));
        EXPECT_EQ(outcome, TChildOutcome::Passed) << OutcomeName(outcome);
    }
}

TEST(StartInfo, WritingOverALinkLeavesItsTargetAlone) {
    TempFolder dir;
    const std::string victim = dir.WriteFile("victim", "keep");
    const std::string path = dir.Path() + "Latest.ofs";
    ASSERT_EQ(symlink(victim.c_str(), path.c_str()), 0);
    TStartInfo info;
    info.SetMapName("Kreuzung");
    info.PlayerNumber = 1;
    info.PlayerCount = 2;
    WriteStartFile(path, info);
    std::ifstream kept(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep");
    EXPECT_EQ(ReadStartFile(path).MapName(), "Kreuzung");
}
