// orbitfall-sim find against real orbitfall-sim hosts on loopback: what a
// host in its lobby says about itself, and that a started game is silent.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "tests/support/sim_network.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall::testing;
using namespace std::chrono_literals;

namespace {

class DiscoveryCli : public SimNetworkTest {
protected:
    // Everything these tests start asks on loopback only.
    void SetUp() override { ::setenv("ORBITFALL_DISCOVERY", "loopback", 1); }

    std::string Find(std::vector<std::string> args) {
        std::vector<std::string> all{ORBITFALL_SIM, "find"};
        all.insert(all.end(), args.begin(), args.end());
        ChildProcess find(all, folder.Path() + "find.txt");
        lastExit = find.Wait(20s);
        return find.Output();
    }

    // find until the line it prints is the expected one (the host may still
    // be getting to it).
    std::string FindUntil(const std::string& expected) {
        std::string out;
        for (int i = 0; i < 20 && out != expected; ++i) out = Find({"--port", std::to_string(port), "--seconds", "0.3"});
        return out;
    }

    static std::string Machine() {
        char name[256] = {};
        ::gethostname(name, sizeof name - 1);
        std::string text = name;
        for (char& c : text)
            if (c == ' ') c = '_';
        return text;
    }

    TempFolder folder;
    int lastExit = -2;
};

}  // namespace

TEST_F(DiscoveryCli, AHostIsFoundWithItsMapAndPlayersUntilItsGameStarts) {
    TempFolder hostDir, a, b;
    auto host = Host(hostDir.Path(), {"--clients", "2", "--map", "Zweikampf", "--frames", "40", "--frame-ms", "20"});
    ASSERT_GT(port, 0);
    const std::string prefix = "game 127.0.0.1 " + std::to_string(port) + " " + Machine() + " Zweikampf ";
    EXPECT_EQ(FindUntil(prefix + "1 2\n"), prefix + "1 2\n");
    EXPECT_EQ(lastExit, 0);

    auto first = JoinInTurn(*host, 1, a.Path(), {"--frames", "40"});
    EXPECT_EQ(FindUntil(prefix + "2 2\n"), prefix + "2 2\n");

    // The second client starts the game: from then on nobody is told of it.
    auto second = JoinInTurn(*host, 2, b.Path(), {"--frames", "40"});
    for (auto end = std::chrono::steady_clock::now() + 10s;
         host->Output().find("frame 1 checksum") == std::string::npos && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Find({"--port", std::to_string(port), "--seconds", "0.5"}), "");
    EXPECT_EQ(lastExit, 0);
    EXPECT_EQ(host->Wait(30s), 0);
    EXPECT_EQ(first->Wait(30s), 0);
    EXPECT_EQ(second->Wait(30s), 0);
}

TEST_F(DiscoveryCli, NobodyThereIsAnEmptyListAndBadOptionsAreWrongUsage) {
    // A port nobody answers on (a fresh host's, after it has gone).
    {
        TempFolder hostDir;
        auto host = Host(hostDir.Path(), {"--clients", "1", "--map", "Zweikampf", "--frames", "1"});
        ASSERT_GT(port, 0);
    }
    EXPECT_EQ(Find({"--port", std::to_string(port), "--seconds", "0.2"}), "");
    EXPECT_EQ(lastExit, 0);
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--seconds", "0"}, {"--seconds", "61"}, {"--seconds", "x"}, {"--port", "0"},
          {"--port", "65536"}, {"--map", "Kreuzung"}}) {
        Find(bad);
        EXPECT_EQ(lastExit, 2) << bad[0] << " " << bad[1];
    }
}
