// The server selection and the lobby of real orbitfall processes, driven
// with real X input under Xvfb: what a person sees and can do before a game.
#include <gtest/gtest.h>

#include <regex>

#include "tests/support/child_process.h"
#include "tests/support/sim_network.h"
#include "tests/support/temp_folder.h"
#include "tests/support/x_display.h"

using namespace orbitfall::testing;
using namespace std::chrono_literals;

namespace {

::testing::Environment* const xvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

// Design positions inside the windows.
constexpr int HostX = 80, HostY = 18;
constexpr int OpenX = 32, JoinX = 88, UpdateX = 144, ButtonY = 212;
constexpr int StartX = 45, StartY = 220;

// One copy of the game with its own user folder.
class Player {
public:
    // isolated: in a network namespace of its own with only loopback, for
    // host names that would otherwise be looked up beyond this machine.
    explicit Player(bool isolated = false, const std::string& hostsFile = "") {
        if (!hostsFile.empty()) folder.WriteFile("Hosts.txt", hostsFile);
        const std::string game = std::string(ORBITFALL_GAME) + " --user-dir " + folder.Path() + " --port 0";
        std::vector<std::string> args{ORBITFALL_GAME, "--user-dir", folder.Path(), "--port", "0"};
        if (isolated) args = {"/usr/bin/unshare", "-rn", "/bin/sh", "-c", "ip link set lo up && exec " + game};
        process = std::make_unique<ChildProcess>(args, folder.Path() + "out.txt");
    }
    std::string Log() const { return ReadFile(folder.Path() + "log.txt"); }
    bool WaitForLog(const std::string& text, std::chrono::milliseconds timeout = 10s) const {
        for (auto end = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < end;) {
            if (Log().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    std::string Window(const std::string& title) const { return FindWindow(process->Pid(), title); }
    // The port a hosting copy listens on, from its log.
    int HostedPort() const {
        if (!WaitForLog("Hosting on port ")) return 0;
        std::smatch m;
        const std::string log = Log();
        std::regex_search(log, m, std::regex("Hosting on port ([0-9]+)"));
        return std::stoi(m[1]);
    }
    // Presses OK in the error box; its text comes from the log.
    std::string DismissError() const {
        const std::string box = Window("^Orbitfall$");
        if (box.empty()) return "(no error box)";
        PressKey(box, "Return");
        WindowGone(process->Pid(), "^Orbitfall$");
        const std::string log = Log();
        const std::regex line("Error box: ([^\r\n]*)");
        std::string last;
        for (std::sregex_iterator it(log.begin(), log.end(), line), end; it != end; ++it) last = (*it)[1];
        return last;
    }
    TempFolder folder;
    std::unique_ptr<ChildProcess> process;
};

int Count(const std::string& text, const std::string& what) { return CountOf(text, what); }

}  // namespace

TEST(ServerSelection, ClosingItEndsTheProgramWithoutAnError) {
    Player p;
    const std::string window = p.Window("^Serverauswahl$");
    ASSERT_FALSE(window.empty());
    PressKey(window, "Escape");
    EXPECT_EQ(p.process->Wait(10s), 0);
    EXPECT_EQ(p.Log().find("Error box"), std::string::npos);
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
    ASSERT_FALSE(window.empty());
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
    // The first client closes its lobby: the program ends, the host names it.
    PressKey(first->Window("^lobbyform$"), "Escape");
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

TEST(Lobby, StartClickFailingShowsTheLobbyAgainWithTheErrorOnHostAndClient) {
    Player host;
    const std::string window = host.Window("^Serverauswahl$");
    ASSERT_FALSE(window.empty());
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
    // The client's start failed the same way: its lobby is back with the note.
    EXPECT_TRUE(client.WaitForLog("Lobby: Packet-Error"));
    EXPECT_FALSE(client.Window("^lobbyform$").empty());
}
