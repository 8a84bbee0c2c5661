// The server selection and the lobby of real orbitfall processes, driven
// with real X input under Xvfb: what a person sees and can do before a game.
#include <gtest/gtest.h>

#include <regex>

#include "tests/shell/game_player.h"

using namespace orbitfall::testing;
using namespace std::chrono_literals;

namespace {

::testing::Environment* const xvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

}  // namespace

// Escape, with the pointer in the window or with the Host field being edited,
// leaves the window as it is; the close box gives up and ends the program.
TEST(ServerSelection, EscapeKeepsItOpenAndTheCloseBoxEndsTheProgramWithoutAnError) {
    Player p;
    const std::string window = p.Window("^Serverauswahl$");
    ASSERT_FALSE(window.empty());
    PressKey(window, "Escape");
    TypeInto(window, HostX, HostY, "typed-pc");
    Xdotool({"key", "--clearmodifiers", "Escape"});
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(p.process->Poll()) << "the program ended on Escape";
    EXPECT_EQ(p.Window("^Serverauswahl$", 1s), window);
    // The field kept its text: Join tries that host.
    ClickAt(window, JoinX, ButtonY);
    EXPECT_TRUE(p.WaitForLog("Joining typed-pc"));
    p.DismissError();

    const std::string again = p.Window("^Serverauswahl$");
    ASSERT_FALSE(again.empty());
    CloseWindow(again);
    EXPECT_EQ(p.process->Wait(10s), 0);
    EXPECT_EQ(Count(p.Log(), "Error box"), 1) << "only the failed join's";
}

TEST(ServerSelection, TheListShowsHostsTxtAndAClickPutsTheNameIntoTheHostField) {
    Player p(true, "# my network\nfirst-pc\n\nsecond-pc  # upstairs\n");
    const std::string window = p.Window("^Serverauswahl$");
    ASSERT_FALSE(window.empty());
    std::this_thread::sleep_for(300ms);  // the first update runs 1 ms after the window appears
    // Second entry of the list (rows about 18 pixels high from y = 42).
    ClickAt(window, 60, 42 + 18 + 9);
    // Join with that name: it cannot be found, so the attempt names it.
    ClickAt(window, JoinX, ButtonY);
    EXPECT_TRUE(p.WaitForLog("Joining second-pc"));
    EXPECT_FALSE(p.DismissError().empty());
    EXPECT_FALSE(p.Window("^Serverauswahl$").empty());
}

TEST(ServerSelection, BadHostTextsShowTheirErrorAndTheWindowAgainWithTheText) {
    Player p(true);
    std::string window = p.Window("^Serverauswahl$");
    ASSERT_FALSE(window.empty());
    const std::string joinfailed = "Beitritt zum Spiel fehlgeschlagen";
    // Join without editing: a computer named "Host", which does not exist.
    ClickAt(window, JoinX, ButtonY);
    ASSERT_TRUE(p.WaitForLog("Joining Host\r\n"));
    EXPECT_NE(p.DismissError().find(joinfailed), std::string::npos);
    for (const std::string text : {"name:", "name:99999", "127.0.0.1:1"}) {
        window = p.Window("^Serverauswahl$");
        ASSERT_FALSE(window.empty()) << text;
        TypeInto(window, HostX, HostY, text);
        ClickAt(window, JoinX, ButtonY);
        ASSERT_TRUE(p.WaitForLog("Joining " + text + "\r\n")) << text;
        EXPECT_NE(p.DismissError().find(joinfailed), std::string::npos) << text;
    }
    // The window keeps the text that failed: Join again tries it again.
    window = p.Window("^Serverauswahl$");
    ClickAt(window, JoinX, ButtonY);
    for (auto end = std::chrono::steady_clock::now() + 10s;
         Count(p.Log(), "Joining 127.0.0.1:1\r\n") < 2 && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Count(p.Log(), "Joining 127.0.0.1:1\r\n"), 2);
    p.DismissError();
    EXPECT_EQ(Count(p.Log(), "Lobby: "), 0);
}

TEST(Lobby, JoinAndLeaveAreShownAndAClientLearnsWhenItsHostGoes) {
    Player host;
    std::string window = host.Window("^Serverauswahl$");
    ASSERT_FALSE(window.empty()) << host.process->Output();
    ClickAt(window, 60, 60);  // a host in the list does not matter for Open
    ClickAt(window, OpenX, ButtonY);
    const int port = host.HostedPort();
    ASSERT_GT(port, 0);
    ASSERT_FALSE(host.Window("^lobbyform$").empty());

    auto join = [port] {
        auto client = std::make_unique<Player>();
        const std::string w = client->Window("^Serverauswahl$");
        TypeInto(w, HostX, HostY, "127.0.0.1:" + std::to_string(port));
        ClickAt(w, JoinX, ButtonY);
        return client;
    };
    auto first = join();
    ASSERT_FALSE(first->Window("^lobbyform$").empty());
    ASSERT_TRUE(host.WaitForLog("Lobby: A player joined the game"));
    auto second = join();
    ASSERT_FALSE(second->Window("^lobbyform$").empty());
    for (auto end = std::chrono::steady_clock::now() + 10s;
         Count(host.Log(), "Lobby: A player joined the game") < 2 && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(20ms);
    // Escape in a lobby, the host's or a client's, changes nothing: nobody
    // leaves, no game ends.
    const std::string firstLobby = first->Window("^lobbyform$");
    const std::string hostLobby = host.Window("^lobbyform$");
    PressKey(hostLobby, "Escape");
    PressKey(firstLobby, "Escape");
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(host.process->Poll()) << "the host ended on Escape";
    EXPECT_FALSE(first->process->Poll()) << "the client ended on Escape";
    EXPECT_EQ(host.Window("^lobbyform$", 1s), hostLobby);
    EXPECT_EQ(first->Window("^lobbyform$", 1s), firstLobby);
    EXPECT_EQ(Count(host.Log(), "verlassen"), 0);
    // The first client closes its lobby with the close box: the program ends,
    // the host names it.
    CloseWindow(firstLobby);
    EXPECT_EQ(first->process->Wait(10s), 0);
    EXPECT_TRUE(host.WaitForLog("Lobby: Player 1 hat das Spiel verlassen."));
    // A successful join is remembered for the next time.
    EXPECT_NE(ReadFile(first->folder.Path() + "RecentHosts.txt").find("127.0.0.1:" + std::to_string(port)),
              std::string::npos);

    // The host goes away: the waiting client is told in its lobby.
    host.process->Kill();
    EXPECT_TRUE(second->WaitForLog("Lobby: Die Verbindung zum Spiel wurde unterbrochen."));
    EXPECT_FALSE(second->Window("^lobbyform$").empty());
}

TEST(Lobby, StartClickFailingShowsTheErrorOnTheHostAndSendsNothing) {
    Player host;
    const std::string window = host.Window("^Serverauswahl$");
    ASSERT_FALSE(window.empty()) << host.process->Output();
    ClickAt(window, OpenX, ButtonY);
    const int port = host.HostedPort();
    const std::string lobby = host.Window("^lobbyform$");
    ASSERT_FALSE(lobby.empty());
    Player client;
    const std::string clientWindow = client.Window("^Serverauswahl$");
    TypeInto(clientWindow, HostX, HostY, "127.0.0.1:" + std::to_string(port));
    ClickAt(clientWindow, JoinX, ButtonY);
    ASSERT_TRUE(host.WaitForLog("Lobby: A player joined the game"));
    ASSERT_FALSE(client.Window("^lobbyform$").empty());

    // The first map, "Kreuzung (4)", has four start views; two players are too few.
    ClickAt(lobby, StartX, StartY);
    EXPECT_EQ(host.DismissError().rfind("Invalid player for <start>", 0), 0u);
    EXPECT_FALSE(host.Window("^lobbyform$").empty());
    // The host's own game failed before any start record went out: the
    // client never left its lobby and has nothing to report.
    EXPECT_FALSE(client.Window("^lobbyform$").empty());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(client.Log().find("Packet-Error"), std::string::npos) << client.Log();
    EXPECT_EQ(client.Log().find("could not be started"), std::string::npos) << client.Log();
}
