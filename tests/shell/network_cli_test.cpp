// Lockstep over real TCP on loopback: separate orbitfall-sim processes for
// the host and its clients, compared by their printed checksums and replays.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/language.h"
#include "tests/support/temp_folder.h"
#include "tests/support/sim_network.h"

using namespace std::chrono_literals;
using namespace orbitfall::testing;

namespace {

std::string PlayerLeftText(const std::string& name) {
    orbitfall::SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/", TempFolder().Path());
    orbitfall::LoadLanguage("DE");
    const std::string text = orbitfall::TranslateFmt("playerleft", {name});
    orbitfall::ClearLanguage();
    return text;
}

class NetworkTest : public orbitfall::testing::SimNetworkTest {};

}  // namespace

TEST_F(NetworkTest, HostAndTwoClientsStayIdenticalThroughABattle) {
    TempFolder h, a, b;
    const std::string hostScript = h.WriteFile("s.txt", "5 selectall\n5 move 150 150\n400 select 100 100 300 300\n400 move 60 60\n");
    const std::string aScript = a.WriteFile("s.txt", "8 selectall\n8 move 140 150\n900 selectall\n900 move 30 200\n");
    const std::string bScript = b.WriteFile("s.txt", "12 select 0 140 130 300\n12 move 150 140\n");
    auto host = Host(h.Path(), {"--clients", "2", "--map", "Zweikampf", "--frames", "2000", "--frame-ms", "2",
                                "--seed", "777", "--script", hostScript});
    auto clientA = JoinInTurn(*host, 1, a.Path(), {"--frames", "2000", "--script", aScript});
    auto clientB = JoinInTurn(*host, 2, b.Path(), {"--frames", "2000", "--script", bScript});
    ASSERT_EQ(host->Wait(120s), 0) << host->Output();
    ASSERT_EQ(clientA->Wait(60s), 0) << clientA->Output();
    ASSERT_EQ(clientB->Wait(60s), 0) << clientB->Output();

    const auto hostFrames = Checksums(host->Output());
    ASSERT_EQ(hostFrames.size(), 2000u);
    EXPECT_EQ(Checksums(clientA->Output()), hostFrames);
    EXPECT_EQ(Checksums(clientB->Output()), hostFrames);
    EXPECT_NE(host->Output().find("seed 777\n"), std::string::npos);
    EXPECT_NE(clientA->Output().find("seed 777\n"), std::string::npos);

    const std::string replay = ReadFile(h.Path() + "Replays/Latest.ofr");
    EXPECT_GT(replay.size(), 2000u * 9);
    EXPECT_EQ(ReadFile(a.Path() + "Replays/Latest.ofr"), replay);
    EXPECT_EQ(ReadFile(b.Path() + "Replays/Latest.ofr"), replay);
    for (const TempFolder* dir : {&h, &a, &b}) {
        ChildProcess verify({ORBITFALL_SIM, "verify", dir->Path() + "Replays/Latest.ofr", "--user-dir", dir->Path()},
                            dir->Path() + "verify.txt");
        EXPECT_EQ(verify.Wait(60s), 0) << verify.Output();
        EXPECT_NE(verify.Output().find("verified 2000 frames"), std::string::npos) << verify.Output();
    }
}

TEST_F(NetworkTest, KilledClientIsReportedAndTheGameGoesOnInSync) {
    TempFolder h, a, b;
    auto host = Host(h.Path(), {"--clients", "2", "--map", "Zweikampf", "--frames", "600", "--frame-ms", "5"});
    auto clientA = JoinInTurn(*host, 1, a.Path(), {"--frames", "600"});
    auto clientB = JoinInTurn(*host, 2, b.Path(), {"--frames", "600"});
    ASSERT_TRUE(clientB->WaitForOutput("frame 100 ", 30s)) << clientB->Output();
    clientB->Kill();
    ASSERT_EQ(host->Wait(60s), 0) << host->Output();
    ASSERT_EQ(clientA->Wait(30s), 0) << clientA->Output();
    EXPECT_NE(host->Output().find("lobby: " + PlayerLeftText("Player 2") + "\n"), std::string::npos)
        << host->Output();
    const auto hostFrames = Checksums(host->Output());
    EXPECT_EQ(hostFrames.size(), 600u);
    EXPECT_EQ(Checksums(clientA->Output()), hostFrames);
}

TEST_F(NetworkTest, ClientsOfAKilledHostStopWithConnectionInterrupted) {
    TempFolder h, a, b;
    auto host = Host(h.Path(), {"--clients", "2", "--map", "Zweikampf", "--frames", "1000000", "--frame-ms", "5"});
    auto clientA = JoinInTurn(*host, 1, a.Path(), {"--wait-ms", "1000"});
    auto clientB = JoinInTurn(*host, 2, b.Path(), {"--wait-ms", "1000"});
    ASSERT_TRUE(clientA->WaitForOutput("frame 50 ", 30s)) << clientA->Output();
    host->Kill();
    orbitfall::SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/", h.Path());
    orbitfall::LoadLanguage("DE");
    const std::string interrupted = orbitfall::Translate("connectioninterrupted");
    orbitfall::ClearLanguage();
    for (ChildProcess* client : {clientA.get(), clientB.get()}) {
        EXPECT_EQ(client->Wait(20s), 1) << client->Output();
        EXPECT_NE(client->Output().find(interrupted), std::string::npos) << client->Output();
    }
}

TEST_F(NetworkTest, NudgedClientStopsWithGameAsynchronAtTheNextFrame) {
    TempFolder h, a;
    auto host = Host(h.Path(), {"--clients", "1", "--map", "Zweikampf", "--frames", "300", "--frame-ms", "2"});
    auto client = JoinInTurn(*host, 1, a.Path(), {"--frames", "300", "--nudge-at", "50"});
    EXPECT_EQ(client->Wait(60s), 1) << client->Output();
    const std::string out = client->Output();
    EXPECT_NE(out.find("Game asynchron"), std::string::npos) << out;
    const auto frames = Checksums(out);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.rbegin()->first, 50);  // frame 51 is refused before it runs
    host->Wait(60s);
}

TEST_F(NetworkTest, AClientOutOfStepKeepsItsWorldAndDiffNamesTheNudgedField) {
    TempFolder h, a;
    auto host = Host(h.Path(), {"--clients", "1", "--map", "Zweikampf", "--frames", "200", "--frame-ms", "2"});
    auto client = JoinInTurn(*host, 1, a.Path(), {"--frames", "200", "--nudge-at", "50"});
    EXPECT_EQ(client->Wait(60s), 1) << client->Output();
    host->Wait(60s);
    const std::string out = client->Output();
    // The message first, then where the world of the refused frame is.
    const std::regex stopped("Game asynchron\nWorld of frame 51 written to (" + a.Path() +
                             "Desync/frame-51_[0-9_-]+\\.txt)\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(out, m, stopped)) << out;
    const std::string dump = m[1];
    const std::string text = ReadFile(dump);
    EXPECT_EQ(text.rfind("# Game asynchron at frame 51: ", 0), 0u) << text.substr(0, 100);
    EXPECT_NE(ReadFile(a.Path() + "log.txt").find("World of frame 51 written to " + dump), std::string::npos);

    // The host's world of frame 51 from its replay: the one unit the client
    // moved by a hair is the difference, and nothing else.
    ChildProcess verify({ORBITFALL_SIM, "verify", h.Path() + "Replays/Latest.ofr", "--dump-at", "51", "--user-dir",
                         h.Path()},
                        h.Path() + "frame51.txt");
    ASSERT_EQ(verify.Wait(60s), 0) << verify.Output().substr(0, 300);
    ChildProcess diff({ORBITFALL_SIM, "diff", dump, h.Path() + "frame51.txt"}, h.Path() + "diff.txt");
    EXPECT_EQ(diff.Wait(30s), 1);
    const std::string named = diff.Output();
    std::smatch x;
    const std::regex nudged("frame 51: object 1 TControlledUnit of player [12]: X (\\S+) / (\\S+)\n");
    ASSERT_TRUE(std::regex_match(named, x, nudged)) << named;
    EXPECT_NEAR(std::stod(x[1]) - std::stod(x[2]), 0.001, 0.0001) << named;
}

namespace {

std::string Command(std::uint8_t player, std::uint8_t kind) {
    std::string p(24, '\0');
    p[1] = static_cast<char>(kind);
    p[3] = static_cast<char>(player);
    return p;
}

// The raw peer's own move, with payload words p0..p2 as given.
std::string OwnMove(std::int32_t p0, float x, float y) {
    std::string p = Command(3, 4);
    std::memcpy(p.data() + 8, &p0, 4);
    std::memcpy(p.data() + 12, &x, 4);
    std::memcpy(p.data() + 16, &y, 4);
    return p;
}

}  // namespace

TEST_F(NetworkTest, HostSurvivesGarbageAndRelaysNoneOfItToTheHonestClient) {
    TempFolder h, a;
    auto host = Host(h.Path(), {"--clients", "2", "--map", "Zweikampf", "--frames", "400", "--frame-ms", "3"});
    auto honest = JoinInTurn(*host, 1, a.Path(), {"--frames", "400"});
    RawPeer raw(port);
    ASSERT_TRUE(raw.Connected());
    raw.SendPacket(GreetingPayload());
    ASSERT_TRUE(host->WaitForOutput("frame 20 ", 30s)) << host->Output();
    raw.SendPacket(std::string(1, '\x03'));  // ptReady, as a client would
    std::vector<std::string> garbage = {
        "",                                              // zero length
        std::string(1, '\0'),                            // ptCommand without its command
        Command(2, 4),                                   // another player's move
        Command(20, 1),                                  // a player beyond the game
        OwnMove(0, std::nanf(""), 10),                   // its own move to no number
        OwnMove(-1, 10, 10),                             // its own move with a negative first word
        Command(3, 4) + "x",                             // one byte too many
        std::string("\x01\x05\x00\x00\x00\x00\x00\x00\x00\x02", 10),  // frame data claiming 2 commands, none there
        std::string("\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00", 10),  // frame data sent to the host
        std::string("\x02", 1),                          // truncated start record
        std::string(141, '\x02'),                        // start record to the host
        std::string("\x07", 1),                          // unknown type
        std::string(65535, '\x01'),                      // the largest length there is
    };
    for (const auto& payload : garbage) raw.SendPacket(payload);
    std::mt19937 random(12345);
    for (int i = 0; i < 200; ++i) {
        std::string payload(random() % 64, '\0');
        for (char& c : payload) c = static_cast<char>(random());
        raw.SendPacket(payload);
    }
    raw.Send(std::string("\x10\x00\x00", 3));  // a packet that never ends
    ASSERT_EQ(host->Wait(60s), 0) << host->Output();
    ASSERT_EQ(honest->Wait(30s), 0) << honest->Output();
    EXPECT_NE(host->Output().find("lobby: Packet-Error"), std::string::npos);
    EXPECT_EQ(Checksums(honest->Output()), Checksums(host->Output()));
    EXPECT_EQ(Checksums(host->Output()).size(), 400u);
}

TEST_F(NetworkTest, CommandBeforeAnyGameIsAPacketErrorNotACrash) {
    TempFolder h;
    auto host = Host(h.Path(), {"--clients", "2", "--map", "Zweikampf", "--frames", "10"});
    RawPeer raw(port);
    ASSERT_TRUE(raw.Connected());
    raw.SendPacket(Command(2, 4));
    raw.SendPacket(std::string("\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00", 10));
    // The second one is counted on the first one's line.
    ASSERT_TRUE(host->WaitForOutput("lobby: Packet-Error\nlobby: Packet-Error (2 times)\n", 10s)) << host->Output();
    EXPECT_EQ(Checksums(host->Output()).size(), 0u);  // still waiting for its second client
}

// Two copies whose map files differed started a game and parted at frame 0
// with "Game asynchron"; one without the map never started and the host
// waited for it.
TEST_F(NetworkTest, HostRefusesToStartAMapAClientLacksOrHoldsInAnotherForm) {
    const std::string map = ReadFile(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/Maps/Zweikampf.ofm");
    struct TCase {
        const char* name;
        std::string clientCopy;  // empty: the client has no such map
        std::string says;
    };
    const TCase cases[] = {
        {"lacks", "", "Player 1 does not have the map Eigene. The game cannot start."},
        {"another form", map + "\n", "Player 1 holds another form of the map Eigene. The game cannot start."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder h, a;
        h.WriteFile("Maps/Eigene.ofm", map);
        if (!c.clientCopy.empty()) a.WriteFile("Maps/Eigene.ofm", c.clientCopy);
        auto host = Host(h.Path(), {"--clients", "1", "--map", "Eigene", "--frames", "50"});
        auto client = JoinInTurn(*host, 1, a.Path(), {"--frames", "50"});
        EXPECT_EQ(host->Wait(30s), 1) << host->Output();
        EXPECT_NE(host->Output().find("lobby: " + c.says + "\n"), std::string::npos) << host->Output();
        EXPECT_TRUE(Checksums(host->Output()).empty());
        client->Kill();
        EXPECT_TRUE(Checksums(client->Output()).empty()) << "no start record was sent";
    }
}
