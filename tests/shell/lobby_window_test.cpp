// The server selection and the lobby of real orbitfall processes, driven
// with real X input under Xvfb: what a person sees and can do before a game.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>

#include "platform/machine_name.h"

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
    EXPECT_TRUE(second->WaitForLog("Lobby players: 0:\r\n"));
    EXPECT_FALSE(second->Window("^lobbyform$").empty());
}

TEST(Lobby, AMapForMorePlayersIsRefusedInWordsAndTheClientHearsNothingOfIt) {
    Player host, client;
    const int port = HostAndJoin(host, client);
    ASSERT_GT(port, 0);
    const std::string lobby = host.Window("^lobbyform$");

    // The first map, "Kreuzung (4)", has four start views; two players are too few.
    ClickAt(lobby, StartX, StartY);
    EXPECT_EQ(host.DismissError(), "Kreuzung needs 4 players; 2 are here");
    EXPECT_FALSE(host.Window("^lobbyform$").empty());
    EXPECT_EQ(host.Log().find("Error detail"), std::string::npos) << "the box showed the whole error";
    std::this_thread::sleep_for(500ms);
    for (const Player* p : {&host, &client}) {
        EXPECT_EQ(p->Log().find("Beginning Frame"), std::string::npos);
        EXPECT_EQ(p->Log().find("Packet-Error"), std::string::npos);
    }
    EXPECT_FALSE(client.Window("^lobbyform$").empty());

    // "Zweikampf (2)", the fourth entry, fits: both games start.
    ASSERT_TRUE(ChooseLobbyMap(host.Window("^lobbyform$"), 3, port, "Zweikampf"));
    ClickAt(host.Window("^lobbyform$"), StartX, StartY);
    EXPECT_FALSE(host.Window("^(Orbitfall|Move:)").empty());
    EXPECT_FALSE(client.Window("^(Orbitfall|Move:)").empty());
    EXPECT_EQ(Count(host.Log(), "Error box"), 1) << "only the refusal";
}

TEST(Lobby, BothLobbiesListThePlayersPresentAndFollowEveryJoinAndLeave) {
    Player host, first;
    const int port = HostAndJoin(host, first);
    ASSERT_GT(port, 0);
    const std::string hostEntry = "Host at " + orbitfall::MachineName() + ":" + std::to_string(port);
    EXPECT_NE(host.Log().find("Lobby players: 1: " + hostEntry + " (you)\r\n"), std::string::npos);
    EXPECT_TRUE(host.WaitForLog("Lobby players: 2: " + hostEntry + " (you), Player 1 at 127.0.0.1\r\n"));
    EXPECT_TRUE(first.WaitForLog("Lobby players: 2: " + hostEntry + ", Player 1 at 127.0.0.1 (you)\r\n"));

    Player second;
    const std::string w = second.Window("^Serverauswahl$");
    TypeInto(w, HostX, HostY, "127.0.0.1:" + std::to_string(port));
    ClickAt(w, JoinX, ButtonY);
    const std::string three = "Lobby players: 3: " + hostEntry;
    EXPECT_TRUE(first.WaitForLog(three + ", Player 1 at 127.0.0.1 (you), Player 2 at 127.0.0.1\r\n"));
    EXPECT_TRUE(second.WaitForLog(three + ", Player 1 at 127.0.0.1, Player 2 at 127.0.0.1 (you)\r\n"));

    // The first leaves: the others' lists close up.
    CloseWindow(first.Window("^lobbyform$"));
    EXPECT_EQ(first.process->Wait(10s), 0);
    EXPECT_TRUE(host.WaitForLog("Lobby players: 2: " + hostEntry + " (you), Player 2 at 127.0.0.1\r\n"));
    EXPECT_TRUE(second.WaitForLog("Lobby players: 2: " + hostEntry + ", Player 2 at 127.0.0.1 (you)\r\n"));
}

// A game hosted on this machine (asked on loopback only) is listed first,
// with its machine, map, players and start views; a double click on it
// joins its lobby, and the game, once started, runs on both.
TEST(ServerSelection, AHostWaitingInItsLobbyIsListedAndADoubleClickJoinsIt) {
    ::setenv("ORBITFALL_DISCOVERY", "loopback", 1);
    TempFolder hostDir, otherDir;
    // Two clients: the game starts when a second one joins, after this
    // window's copy sits in the lobby.
    ChildProcess host({ORBITFALL_SIM, "host", "--port", "0", "--user-dir", hostDir.Path(), "--clients", "2", "--map",
                       "Zweikampf", "--frames", "60", "--frame-ms", "20"},
                      hostDir.Path() + "out.txt");
    // The match points into out, which must outlive it.
    std::string out;
    std::smatch m;
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
        out = host.Output();
        if (std::regex_search(out, m, std::regex(R"(^port ([0-9]+)\n)"))) break;
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_FALSE(m.empty()) << host.Output();
    const std::string port = m[1];

    // This copy asks on the host's port; Hosts.txt comes after what answers.
    Player p(false, "remembered-pc\n", {"--port", port});
    const std::string window = p.Window("^Serverauswahl$");
    ASSERT_FALSE(window.empty()) << p.process->Output();
    char machine[256] = {};
    ::gethostname(machine, sizeof machine - 1);
    const std::string line = std::string(machine) + "  Zweikampf  1/2 at 127.0.0.1:" + port + " after ";
    ASSERT_TRUE(p.WaitForLog("Found game " + line)) << p.Log();
    RunCommand({X_SCREENSHOT, window, p.folder.Path() + "serverauswahl.png"});

    Xdotool({"windowraise", window});
    Xdotool({"mousemove", "--window", window, "60", "51", "click", "--repeat", "2", "--delay", "80", "1"});
    EXPECT_TRUE(p.WaitForLog("Joining 127.0.0.1:" + port + "\r\n")) << p.Log();
    ASSERT_FALSE(p.Window("^lobbyform$").empty()) << p.Log();
    for (auto end = std::chrono::steady_clock::now() + 10s;
         host.Output().find("lobby: A player joined the game") == std::string::npos &&
         std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(20ms);

    ChildProcess other({ORBITFALL_SIM, "join", "127.0.0.1", "--port", port, "--frames", "60", "--user-dir",
                        otherDir.Path()},
                       otherDir.Path() + "out.txt");
    EXPECT_FALSE(FindWindow(p.process->Pid(), "^(Orbitfall|Move:)", 20s).empty()) << p.Log() << host.Output();
    EXPECT_EQ(host.Wait(30s), 0) << host.Output();
    EXPECT_NE(host.Output().find("frame 59 checksum"), std::string::npos);
    EXPECT_EQ(other.Wait(30s), 0) << other.Output();
    // The client played along without an error; the one thing it may have
    // been told is that its host has gone, once the host's game was over.
    const std::string log = p.Log();
    EXPECT_EQ(Count(log, "Error box"), Count(log, "Error box: Die Verbindung zum Spiel wurde unterbrochen.")) << log;
    EXPECT_EQ(p.Log().find("Packet-Error"), std::string::npos);
}

namespace {

// What orbitfall-sim find prints for the port, asked on loopback; retried
// while it is not the expected text (the lobby may still be getting there).
std::string FindOn(const std::string& port, const std::string& expected, const std::string& folder) {
    std::string out;
    for (int i = 0; i < 15; ++i) {
        ChildProcess find({ORBITFALL_SIM, "find", "--port", port, "--seconds", "0.3"}, folder + "find.txt");
        find.Wait(10s);
        out = find.Output();
        if (out == expected) break;
    }
    return out;
}

}  // namespace

TEST(Lobby, AHostAnswersWithWhatItsLobbyShowsAndFallsSilentOnceItsGameRuns) {
    ::setenv("ORBITFALL_DISCOVERY", "loopback", 1);
    Player host;
    const std::string selection = host.Window("^Serverauswahl$");
    ASSERT_FALSE(selection.empty()) << host.process->Output();
    ClickAt(selection, OpenX, ButtonY);
    const std::string port = std::to_string(host.HostedPort());
    const std::string lobby = host.Window("^lobbyform$");
    ASSERT_FALSE(lobby.empty());
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    const std::string prefix = "game 127.0.0.1 " + port + " " + name + " ";
    EXPECT_EQ(FindOn(port, prefix + "Kreuzung 1 4\n", host.folder.Path()), prefix + "Kreuzung 1 4\n");

    TempFolder clientDir;
    ChildProcess client({ORBITFALL_SIM, "join", "127.0.0.1", "--port", port, "--frames", "30", "--user-dir",
                         clientDir.Path()},
                        clientDir.Path() + "out.txt");
    ASSERT_TRUE(host.WaitForLog("Lobby: A player joined the game"));
    EXPECT_EQ(FindOn(port, prefix + "Kreuzung 2 4\n", host.folder.Path()), prefix + "Kreuzung 2 4\n");

    // The host picks Zweikampf (the fourth map): the answer follows the lobby.
    ClickAt(lobby, 80, 18);
    std::this_thread::sleep_for(300ms);
    Xdotool({"key", "Down", "Down", "Down", "Return"});
    EXPECT_EQ(FindOn(port, prefix + "Zweikampf 2 2\n", host.folder.Path()), prefix + "Zweikampf 2 2\n");

    ClickAt(lobby, StartX, StartY);
    ASSERT_FALSE(FindWindow(host.process->Pid(), "^(Orbitfall|Move:)", 20s).empty());
    ChildProcess late({ORBITFALL_SIM, "find", "--port", port, "--seconds", "0.5"}, host.folder.Path() + "late.txt");
    EXPECT_EQ(late.Wait(10s), 0);
    EXPECT_EQ(late.Output(), "");
    EXPECT_EQ(client.Wait(30s), 0) << client.Output();
}

// A peer that answers the window's query with garbage and then a thousand
// answers of its own: one entry, cleaned, and the window keeps responding.
TEST(ServerSelection, AFloodOfBadAndRepeatedAnswersLeavesOneCleanEntryAndAWorkingWindow) {
    ::setenv("ORBITFALL_DISCOVERY", "loopback", 1);
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&self), sizeof self), 0);
    socklen_t length = sizeof self;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&self), &length);
    const int port = ntohs(self.sin_port);
    timeval wait{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);

    Player p(false, "", {"--port", std::to_string(port)});
    std::uint8_t query[64];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n = ::recvfrom(fd, query, sizeof query, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    ASSERT_EQ(n, 9) << "no query from the window";
    auto send = [&](const std::string& bytes) {
        ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&from), sizeof from);
    };
    // An answer built by hand: magic, version, the query's token, port, players, start views, texts.
    auto answer = [&](int players, const std::string& name, const std::string& map) {
        std::string a = "OFDA\x01";
        a.append(reinterpret_cast<const char*>(query + 5), 4);
        a += static_cast<char>(port & 0xFF);
        a += static_cast<char>(port >> 8);
        a += static_cast<char>(players);
        a += '\x02';
        a += static_cast<char>(name.size());
        a += name;
        a += static_cast<char>(map.size());
        return a + map;
    };
    send("");
    send(answer(1, "cut", "Zweikampf").substr(0, 12));
    send(std::string(65507, 'A'));
    send(answer(1, "bad\x1b[2J\xFFname", "Zweikampf"));
    for (int i = 0; i < 1000; ++i) send(answer(1 + i % 2, "bad\x1b[2J\xFFname", "Zweikampf"));
    ::close(fd);

    const std::string hostText = "127.0.0.1:" + std::to_string(port);
    ASSERT_TRUE(p.WaitForLog("Found game bad?[2J?name  Zweikampf  ")) << p.Log();
    // The window answers at once: typing and Join still work.
    const std::string window = p.Window("^Serverauswahl$");
    ASSERT_FALSE(window.empty());
    TypeInto(window, HostX, HostY, "127.0.0.1:1");
    ClickAt(window, JoinX, ButtonY);
    EXPECT_TRUE(p.WaitForLog("Joining 127.0.0.1:1\r\n", 5s));
    p.DismissError();
    // Every listed line named the one peer; no raw control byte reached the log.
    const std::string log = p.Log();
    const std::regex found("Found game ([^\r\n]*) at ([^ \r\n]*) after [0-9.]+ ms");
    int lines = 0;
    for (std::sregex_iterator it(log.begin(), log.end(), found), end; it != end; ++it, ++lines)
        EXPECT_EQ((*it)[2], hostText);
    EXPECT_GE(lines, 1);
    EXPECT_EQ(log.find('\x1b'), std::string::npos);
}
