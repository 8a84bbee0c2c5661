// What the lobby learns from the controller and what the host refuses to
// start: a host and bare peers in one process on one event loop.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "control/packets.h"
#include "control/start_check.h"
#include "control/greeting.h"
#include "control/lockstep_host.h"
#include "control/packet_codec.h"
#include "infra/random.h"
#include "infra/shown_text.h"
#include "platform/machine_name.h"
#include "tests/control/control_fixture.h"
#include "tests/platform/socket_test_support.h"

using namespace orbitfall;
using namespace orbitfall::testing;

namespace {

class TLoopShell : public TRecordingShell {
public:
    explicit TLoopShell(TEventLoop& l) : shared(l) {}
    TEventLoop& EventLoop() override { return shared; }
    void ProcessMessages() override { shared.Poll(); }
    TEventLoop& shared;
};

// A client that is only an adapter and keeps every payload it receives.
struct TPeer {
    TPeer(TEventLoop& loop, int port) : adapter(std::make_unique<TTcpAdapter>(loop)) {
        adapter->Port = port;
        adapter->OnReceive = [this](TNetworkadapter&, TPointerStream&, const std::uint8_t* buffer, std::size_t size,
                                    TNetworkadapter::TConnection) { received.emplace_back(buffer, buffer + size); };
        adapter->Connect("127.0.0.1");
        RunUntil(loop, [this] { return adapter->State != 1; });
        // A copy of this program on this data: the host seats it.
        TPacketBytes greeting;
        EncodeGreeting(LocalGreeting(), greeting);
        adapter->Send(greeting.data(), greeting.size());
    }
    int Received(std::uint8_t type) const {
        int n = 0;
        for (const auto& p : received) n += !p.empty() && p[0] == type;
        return n;
    }
    std::unique_ptr<TTcpAdapter> adapter;
    std::vector<std::vector<std::uint8_t>> received;
};

class LobbyTest : public ControlTest {
protected:
    LobbyTest() : hostShell(loop) {}
    void SetUp() override {
        ControlTest::SetUp();
        host = std::make_unique<TLockstepHost>(hostShell, 0);
        Settle(loop);
    }
    void Join() {
        peers.push_back(std::make_unique<TPeer>(loop, host->Adapter().Port));
        const std::size_t expected = peers.size();
        ASSERT_TRUE(RunUntil(loop, [&] { return host->PlayerNames().size() == expected; }));
    }
    std::string HostAddress() const { return MachineName() + ":" + std::to_string(host->Adapter().Port); }

    TEventLoop loop;
    TLoopShell hostShell;
    std::unique_ptr<TLockstepHost> host;
    std::vector<std::unique_ptr<TPeer>> peers;
};

}  // namespace

TEST_F(LobbyTest, TheHostListsItselfFirstAndEveryJoinAndLeave) {
    ASSERT_EQ(hostShell.players.size(), 1u) << "the lobby opens with the host in it";
    EXPECT_EQ(hostShell.players[0], (std::vector<TLobbyPlayer>{{"Host", HostAddress(), true}}));
    EXPECT_EQ(host->PlayersPresent(), 1);

    Join();
    Join();
    const std::vector<TLobbyPlayer> both{
        {"Host", HostAddress(), true}, {"Player 1", "127.0.0.1", false}, {"Player 2", "127.0.0.1", false}};
    EXPECT_EQ(hostShell.players.back(), both);
    EXPECT_EQ(host->PlayersPresent(), 3);

    // The first leaves: the list and the names follow the lobby's naming.
    peers.front()->adapter->Disconnect();
    ASSERT_TRUE(RunUntil(loop, [&] { return host->PlayersPresent() == 2; }));
    EXPECT_EQ(hostShell.players.back(),
              (std::vector<TLobbyPlayer>{{"Host", HostAddress(), true}, {"Player 2", "127.0.0.1", false}}));
    EXPECT_EQ(hostShell.lobby.back(), TranslateFmt("playerleft", {"Player 1"}));
    EXPECT_EQ(hostShell.players.size(), 4u) << "one list per change, no more";
}

TEST_F(LobbyTest, AStartWithTooFewPlayersIsRefusedBeforeAnythingIsSentOrDrawn) {
    Join();
    hostShell.selectedMap = "Kreuzung";
    SetRandomState(12345);
    try {
        host->StartGame();
        ADD_FAILURE() << "the start was not refused";
    } catch (const EStartRefused& e) {
        EXPECT_EQ(std::string(e.what()), "Kreuzung needs 4 players; 2 are here");
    }
    Settle(loop);
    EXPECT_EQ(peers[0]->Received(ptStartGame), 0);
    EXPECT_EQ(host->GetGame(), nullptr);
    EXPECT_EQ(RandomState(), 12345u) << "the generator is not seeded for a start that does not happen";
    EXPECT_EQ(hostShell.windowsCreated, 0);

    // The map that fits starts as before.
    hostShell.selectedMap = "Zweikampf";
    peers[0]->adapter->OnReceive = [&](TNetworkadapter& a, TPointerStream&, const std::uint8_t* buffer,
                                       std::size_t size, TNetworkadapter::TConnection) {
        peers[0]->received.emplace_back(buffer, buffer + size);
        const std::uint8_t ready = ptReady;
        if (buffer[0] == ptStartGame) a.Send(&ready, 1);
    };
    host->StartGame();
    EXPECT_EQ(peers[0]->Received(ptStartGame), 1);
    ASSERT_NE(host->GetGame(), nullptr);
    EXPECT_EQ(host->GetGame()->PlayerCount, 2);
}

class StartCheckTest : public ControlTest {
protected:
    void SetUp() override {
        SetDataDirs(maps.Path() + "Data/", maps.Path() + "User/");
        OpenEventLog();
        const std::string head = "<Map><Informations><Width>100</Width><Height>100</Height></Informations><Objects>";
        maps.WriteFile("Data/Maps/Gap.ofm", head + R"(<Start Player="1" X="1" Y="1"/><Start Player="5" X="2" Y="2"/></Objects></Map>)");
        maps.WriteFile("Data/Maps/Zero.ofm", head + R"(<Start Player="0" X="1" Y="1"/><Start Player="1" X="1" Y="1"/></Objects></Map>)");
        maps.WriteFile("Data/Maps/Twice.ofm", head + R"(<Start Player="1" X="1" Y="1"/><start Player="1" X="3" Y="3"/></Objects></Map>)");
        maps.WriteFile("Data/Maps/Open.ofm", head + "</Objects></Map>");
        maps.WriteFile("Data/Maps/Word.ofm", head + R"(<Start Player="two" X="1" Y="1"/></Objects></Map>)");
    }
    static std::string Refusal(const std::string& map, int players) {
        try {
            CheckStartFits(map, players);
        } catch (const EStartRefused& e) {
            EXPECT_EQ(ShownText(e.what()), e.what()) << "a refusal is one clean line";
            return e.what();
        }
        return "";
    }
    TempFolder maps;
};

TEST_F(StartCheckTest, ARefusalNamesTheMapAndBothNumbers) {
    struct Case {
        const char* map;
        int players;
        std::string refusal;
    };
    const Case cases[] = {
        {"Gap", 2, "Gap needs 5 players; 2 are here"},  // the highest player named, not the count
        {"Gap", 1, "Gap needs 5 players; 1 is here"},
        {"Gap", 5, ""},
        {"Twice", 1, "Twice needs 2 players; 1 is here"},
        {"Twice", 2, ""},
        {"Open", 1, ""},
        {"Zero", 4, "The map Zero has a start view for player 0; players count from 1"},
        {"Word", 4, "The map Word cannot be read"},
        {"Missing", 4, "The map Missing cannot be read"},
        {"", 2, "No map is chosen"},
    };
    for (const Case& c : cases) EXPECT_EQ(Refusal(c.map, c.players), c.refusal) << c.map << " " << c.players;
}

using ShippedMapsTest = ControlTest;

TEST_F(ShippedMapsTest, EachNeedsAsManyPlayersAsItHasStartViews) {
    EXPECT_THROW(CheckStartFits("Kreuzung", 3), EStartRefused);
    EXPECT_NO_THROW(CheckStartFits("Kreuzung", 4));
    EXPECT_NO_THROW(CheckStartFits("Training", 1));
    EXPECT_NO_THROW(CheckStartFits("Zweikampf", 2));
    EXPECT_NO_THROW(CheckStartFits("Zweikampf", 3));
    EXPECT_THROW(CheckStartFits("Weite", 5), EStartRefused);
    EXPECT_NO_THROW(CheckStartFits("Weite", 6));
}
