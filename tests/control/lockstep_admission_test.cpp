// Who may join, start and stay: the greeting and its refusals on both sides,
// the map check before a start, a start that fails on a client, and clients
// that stay behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "control/greeting.h"
#include "infra/data_dirs.h"
#include "infra/language.h"
#include "tests/control/lockstep_peers.h"

using namespace orbitfall;
using namespace orbitfall::testing;
using namespace std::chrono_literals;

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(TcpControllerTest, CopyWithAnotherVersionOrOtherUnitTypesIsRefusedAndToldWhy) {
    MakeHost();
    struct TCase {
        const char* name;
        void (*spoil)(TGreeting&);
        std::string reason;
    };
    const TGreeting own = LocalGreeting();
    char units[17];
    std::snprintf(units, sizeof units, "%016llx", static_cast<unsigned long long>(own.UnitsDigest));
    char otherUnits[17];
    std::snprintf(otherUnits, sizeof otherUnits, "%016llx", static_cast<unsigned long long>(own.UnitsDigest ^ 1));
    const TCase cases[] = {
        {"version", [](TGreeting& g) { g.Version = "0.0.9"; },
         "The joining copy runs version 0.0.9, this game runs version " + ProgramVersion() + "."},
        {"control characters in the version", [](TGreeting& g) { g.Version = "1\n2\x1b"; },
         "The joining copy runs version 1?2?, this game runs version " + ProgramVersion() + "."},
        {"unit types", [](TGreeting& g) { g.UnitsDigest ^= 1; },
         std::string("The joining copy has other unit types than this game (Units.ofu ") + otherUnits + ", here " +
             units + ")."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TGreeting greeting = own;
        c.spoil(greeting);
        TBarePeer peer(loop, host->Adapter().Port, greeting);
        // Told why, then closed.
        ASSERT_TRUE(RunUntil(loop, [&] { return peer.adapter->State == 0; }));
        ASSERT_EQ(peer.received.size(), 1u);
        EXPECT_EQ(DecodeRefusal(peer.received[0].data(), peer.received[0].size()), c.reason);
        EXPECT_EQ(hostShell.lobby.back(), "A player was refused. " + c.reason);
    }
    EXPECT_TRUE(host->PlayerNames().empty());
    EXPECT_EQ(host->Adapter().ClientCount(), 0);
}

TEST_F(TcpControllerTest, ClientOfAnotherVersionShowsTheHostsReasonInItsLobby) {
    MakeHost();
    host->Greeting.Version = "9.9.9";
    client = std::make_unique<TLockstepClient>(clientShell, "127.0.0.1", host->Adapter().Port);
    ASSERT_TRUE(RunUntil(loop, [&] { return client->Adapter().State == 0; }));
    const std::string reason =
        "The joining copy runs version " + ProgramVersion() + ", this game runs version 9.9.9.";
    EXPECT_EQ(client->Refusal(), reason);
    EXPECT_EQ(clientShell.lobby.back(), "The host refused this copy. " + reason);
    EXPECT_EQ(hostShell.lobby, std::vector<std::string>{"A player was refused. " + reason});
}

// Connections that only connected held the seats for as long as they liked.
TEST_F(TcpControllerTest, ConnectionThatNeverGreetsIsClosedWithoutTakingASeat) {
    MakeHost();
    host->GreetingWait = 300ms;
    TRawSocket idle = TRawSocket::ConnectTo(host->Adapter().Port);
    AddPeers(1);
    ASSERT_EQ(host->Adapter().ClientCount(), 2);
    EXPECT_TRUE(RunUntil(loop, [&] { return host->Adapter().ClientCount() == 1; }, 5s));
    // The greeted one stays, even well after the wait.
    EXPECT_FALSE(RunUntil(loop, [&] { return host->Adapter().ClientCount() != 1; }, 600ms));
    EXPECT_EQ(host->PlayerNames(), std::vector<std::string>{"Player 1"});
    EXPECT_EQ(hostShell.lobby, std::vector<std::string>{"A player joined the game"})
        << "the idle connection neither joined nor left";
}

TEST_F(TcpControllerTest, MapAPlayerLacksOrHoldsInAnotherFormCannotBeStarted) {
    MakeHost();
    TGreeting lacks = LocalGreeting();
    std::erase_if(lacks.Maps, [](const TMapDigest& m) { return m.Name == kTestMap; });
    TGreeting other = LocalGreeting();
    for (TMapDigest& m : other.Maps)
        if (m.Name == kTestMap) m.Digest ^= 0x100;
    // Seated in this order; the third has the host's copy.
    for (const TGreeting& greeting : {lacks, other, LocalGreeting()}) {
        peers.push_back(std::make_unique<TBarePeer>(loop, host->Adapter().Port, greeting));
        ASSERT_TRUE(RunUntil(loop, [&] { return host->PlayerNames().size() == peers.size(); }));
    }

    const std::string first = "Player 1 does not have the map Zweikampf. The game cannot start.";
    const std::string second = "Player 2 holds another form of the map Zweikampf. The game cannot start.";
    try {
        host->StartGame();
        FAIL() << "the start went ahead";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), first);
    }
    EXPECT_TRUE(Contains(hostShell.lobby, first));
    EXPECT_TRUE(Contains(hostShell.lobby, second));
    EXPECT_EQ(host->GetGame(), nullptr);
    Settle();
    for (const auto& peer : peers) EXPECT_EQ(peer->CountOf(ptStartGame, StartPacketSize), 0) << "nothing was sent";

    // Without those two, the game starts.
    peers[0]->adapter->Disconnect();
    peers[1]->adapter->Disconnect();
    ASSERT_TRUE(RunUntil(loop, [&] { return host->PlayerNames().size() == 1; }));
    host->StartGame();
    EXPECT_NE(host->GetGame(), nullptr);
    EXPECT_EQ(peers[2]->start.PlayerNumber, 2);
    EXPECT_EQ(peers[2]->start.PlayerCount, 2);
}

// A client whose game could not be created showed "Packet-Error", kept its
// seat and held the host's ready wait for ever.
TEST_F(TcpControllerTest, ClientWhoseStartFailsSaysWhyLeavesAndTheHostDoesNotWait) {
    MakeHost();
    MakeClient();
    // The host records into the same user folder: the client cannot.
    client->Recording = true;
    int turns = 0;
    hostShell.onProcessMessages = [&] {
        if (++turns > 200000) hostShell.terminated = true;
    };
    host->StartGame();
    hostShell.onProcessMessages = nullptr;
    EXPECT_FALSE(hostShell.terminated) << "the ready wait did not end by itself";
    const std::string prefix = "The game on the map Zweikampf could not be started here: Cannot create file";
    EXPECT_EQ(client->StartFailure().rfind(prefix, 0), 0u) << client->StartFailure();
    EXPECT_TRUE(Contains(clientShell.lobby, client->StartFailure()));
    EXPECT_EQ(client->Adapter().State, 0);
    EXPECT_TRUE(Contains(hostShell.lobby, TranslateFmt("playerleft", {"Player 1"})));
    EXPECT_TRUE(host->PlayerNames().empty());
}

// A second start record whose game could not be created freed the game the
// client's window still showed (run under AddressSanitizer).
TEST_F(TcpControllerTest, SecondStartThatFailsLeavesTheShownGameWhole) {
    for (const bool duringFrameWait : {false, true}) {
        SCOPED_TRACE(duringFrameWait ? "during the frame wait" : "between frames");
        clientShell.lobby.clear();
        clientShell.errors.clear();
        MakeHost();
        MakeClient();
        client->FrameWait = 1000000ms;
        TTcpAdapter& hub = host->Adapter();
        hub.Send(StartPacket(Record(11, 2, 2)).data(), StartPacketSize, hub.GetClient(0));
        ASSERT_TRUE(RunUntil(loop, [&] { return client->GetGame() != nullptr; }));
        const TGame* shown = client->GetGame();
        const std::uint32_t checksum = shown->Checksum();

        TStartInfo missing = Record(12, 2, 2);
        missing.SetMapName("Nirgendwo");
        auto sendMissing = [&] {
            hub.Send(StartPacket(missing).data(), StartPacketSize, hub.GetClient(0));
            RunUntil(loop, [&] { return client->StartPending() || !client->StartFailure().empty(); });
        };
        TFrameLoop clientFrames;
        if (duringFrameWait) {
            int calls = 0;
            clientShell.onProcessMessages = [&] {
                if (++calls == 2) sendMissing();
            };
            EXPECT_FALSE(clientFrames.DoTimer(*client));  // gives way to the start
            clientShell.onProcessMessages = nullptr;
            loop.Poll();
        } else {
            sendMissing();
        }
        const std::string why = "The game could not be started: the map Nirgendwo is not on this machine.";
        EXPECT_EQ(client->StartFailure(), why);
        EXPECT_EQ(clientShell.lobby.back(), why);
        ASSERT_EQ(client->GetGame(), shown);
        EXPECT_EQ(Game, shown);
        EXPECT_EQ(shown->Checksum(), checksum) << "the shown game is untouched";
        // Its window's next frame stops it, with the reason.
        EXPECT_FALSE(clientFrames.DoTimer(*client));
        ASSERT_FALSE(clientShell.errors.empty());
        EXPECT_EQ(clientShell.errors.back(), why);
        client.reset();
        host.reset();
        Settle();
    }
}

// A second start whose game was made but whose replay could not be: the
// first game was already freed while its window still showed it.
TEST_F(TcpControllerTest, SecondStartWhoseReplayCannotBeMadeHandsTheShownGameBack) {
    MakeHost();
    MakeClient();
    TTcpAdapter& hub = host->Adapter();
    hub.Send(StartPacket(Record(11, 2, 2)).data(), StartPacketSize, hub.GetClient(0));
    ASSERT_TRUE(RunUntil(loop, [&] { return client->GetGame() != nullptr; }));
    const TGame* shown = client->GetGame();
    const std::uint32_t checksum = shown->Checksum();

    // A folder stands where the replay belongs.
    const std::filesystem::path replay = ResolveFileName("Replays\\Latest.ofr");
    std::filesystem::remove(replay);
    ASSERT_TRUE(std::filesystem::create_directories(replay));
    client->Recording = true;
    hub.Send(StartPacket(Record(12, 2, 2)).data(), StartPacketSize, hub.GetClient(0));
    ASSERT_TRUE(RunUntil(loop, [&] { return !client->StartFailure().empty(); }));
    EXPECT_NE(client->StartFailure().find("Cannot create file"), std::string::npos) << client->StartFailure();
    ASSERT_EQ(client->GetGame(), shown);
    EXPECT_EQ(Game, shown);
    EXPECT_EQ(shown->Checksum(), checksum) << "the shown game is untouched";
    std::filesystem::remove(replay);
}

// A client that stamped every command with frame 0 made the host sleep up
// to 250 ms in every frame, for as long as it liked.
TEST_F(TcpControllerTest, StaleStampsNeitherThrottleNorHoldTheHostAndTheirSenderIsDropped) {
    MakeHost();
    AddPeers(1);
    host->StartGame();
    Settle();
    hostShell.sleeps.clear();
    int frame = 0;
    for (; frame < 400 && !host->PlayerNames().empty(); ++frame) {
        for (int i = 0; i < 5; ++i) peers[0]->Send(CommandPacket(ckSelectAll, 2, 0));
        Settle();
        hostShell.ticks += 100;  // 100 ms a frame
        ASSERT_TRUE(frames.DoTimer(*host));
    }
    Settle();
    EXPECT_TRUE(hostShell.sleeps.empty()) << "a stamp is no frame report";
    EXPECT_TRUE(host->PlayerNames().empty());
    EXPECT_EQ(hostShell.lobby.back(), TranslateFmt("playerleft", {"Player 1"}));
    // Behind from frame 10 on (11 frames); dropped after twenty seconds of
    // it, 100 ms a frame.
    EXPECT_GE(frame, 10 + 192);
    EXPECT_LE(frame, 10 + 202);
    EXPECT_NE(host->GetGame(), nullptr);
    EXPECT_TRUE(frames.DoTimer(*host)) << "the game goes on";
}

TEST_F(TcpControllerTest, ClientTrulyBehindSlowsTheHostOnlyForABoundedTime) {
    MakeHost();
    AddPeers(2);
    host->StartGame();
    Settle();
    hostShell.sleeps.clear();
    int dropped = -1;
    std::size_t sleepsAtDrop = 0;
    for (int frame = 0; frame < 250; ++frame) {
        // The first keeps 5 frames behind, the second 15; each reports
        // every frame it reaches once.
        if (frame >= 5) peers[0]->Send(CommandPacket(ckEmpty, 2, frame - 5));
        if (frame >= 15 && peers[1]->adapter->State == 2) peers[1]->Send(CommandPacket(ckEmpty, 3, frame - 15));
        Settle();
        hostShell.ticks += 100;
        const std::size_t before = hostShell.sleeps.size();
        ASSERT_TRUE(frames.DoTimer(*host));
        if (frame > 16 && dropped < 0) {
            ASSERT_EQ(hostShell.sleeps.size(), before + 1) << frame;
            EXPECT_EQ(hostShell.sleeps.back(), 125) << "the throttle still does its work";
        }
        if (dropped < 0 && host->PlayerNames().size() == 1) {
            dropped = frame;
            sleepsAtDrop = hostShell.sleeps.size();
        }
    }
    EXPECT_EQ(host->PlayerNames(), std::vector<std::string>{"Player 1"}) << "the one keeping up stays";
    EXPECT_EQ(hostShell.lobby.back(), TranslateFmt("playerleft", {"Player 2"}));
    EXPECT_GE(dropped, 10 + 192);
    EXPECT_LE(dropped, 10 + 201);
    EXPECT_EQ(hostShell.sleeps.size(), sleepsAtDrop) << "no sleep after the drop";
}

}  // namespace
