// A whole network game as two people play it, each with their own copy of
// orbitfall: Open on one, the host's address typed and Join on the other, a
// map chosen and Start, orders with mouse and keys on both, both game windows
// closed. Both machines must have recorded the same replay.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "simulation/command.h"
#include "tests/shell/game_player.h"
#include "tests/soak/replay_records.h"

using namespace orbitfall;
using namespace orbitfall::testing;
using orbitfall::soak::ParseReplay;
using orbitfall::soak::TReplayCommand;
using orbitfall::soak::TReplayFrame;

namespace {

// 300 x 150 with two start views: the minimap shows it in its middle half.
const char* const WideMap = R"(<?xml version="1.0" encoding="ISO8859-1" ?>
<Map>
  <Informations><Name>Breit</Name><Width>300</Width><Height>150</Height></Informations>
  <Objects>
    <Nebula Radius="10" X="150" Y="75"/>
    <Start Player="1" X="60" Y="75"/>
    <Start Player="2" X="240" Y="75"/>
  </Objects>
</Map>
)";

constexpr const char* GameTitle = "^(Orbitfall|Move:)";
// The game window's design client size.
constexpr int GameW = 696, GameH = 480;

int Frames(const Player& p) { return Count(p.Log(), "Beginning Frame"); }

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    for (auto end = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < end;) {
        if (condition()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return condition();
}

std::uintmax_t FileSize(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

float FloatAt(const TReplayCommand& c, int word) {
    float v;
    std::memcpy(&v, c.Payload.data() + 4 * word, 4);
    return v;
}

std::vector<TReplayCommand> CommandsOf(const std::vector<TReplayFrame>& frames, int player) {
    std::vector<TReplayCommand> out;
    for (const auto& f : frames)
        for (const auto& c : f.Commands)
            if (c.Player == player && c.Kind != ckEmpty) out.push_back(c);
    return out;
}

// A left-button drag from (x1, y1) to (x2, y2), Shift held at the release.
void Drag(const std::string& window, int x1, int y1, int x2, int y2, bool shiftAtRelease) {
    Xdotool({"windowraise", window});
    Xdotool({"mousemove", "--window", window, std::to_string(x1), std::to_string(y1), "mousedown", "1", "sleep",
             "0.05", "mousemove", "--window", window, std::to_string((x1 + x2) / 2), std::to_string((y1 + y2) / 2),
             "sleep", "0.05", "mousemove", "--window", window, std::to_string(x2), std::to_string(y2), "sleep", "0.05"});
    if (shiftAtRelease) Xdotool({"keydown", "shift", "sleep", "0.05"});
    Xdotool({"mouseup", "1"});
    if (shiftAtRelease) Xdotool({"keyup", "shift"});
}

}  // namespace

TEST(NetworkGame, TwoPeoplePlayAGameWithTheMouseAndBothRecordTheSameReplay) {
    Player host, client;
    for (Player* p : {&host, &client}) p->folder.WriteFile("Maps/Breit.ofm", WideMap);

    const std::string hostSelection = host.Window("^Serverauswahl$");
    ASSERT_FALSE(hostSelection.empty());
    ClickAt(hostSelection, OpenX, ButtonY);
    const int port = host.HostedPort();
    ASSERT_GT(port, 0);
    const std::string hostLobby = host.Window("^lobbyform$");
    ASSERT_FALSE(hostLobby.empty());

    const std::string clientSelection = client.Window("^Serverauswahl$");
    ASSERT_FALSE(clientSelection.empty());
    TypeInto(clientSelection, HostX, HostY, "127.0.0.1:" + std::to_string(port));
    ClickAt(clientSelection, JoinX, ButtonY);
    ASSERT_TRUE(host.WaitForLog("Lobby: A player joined the game"));
    const std::string clientLobby = client.Window("^lobbyform$");
    ASSERT_FALSE(clientLobby.empty());

    // The host opens the map list and picks the fifth entry, the user map
    // "Breit (2)" after the four shipped ones, then presses Start.
    ClickAt(hostLobby, 80, 18);
    std::this_thread::sleep_for(300ms);
    Xdotool({"key", "Down", "Down", "Down", "Down", "Return"});
    std::this_thread::sleep_for(200ms);
    ClickAt(hostLobby, StartX, StartY);

    // A start that cannot open the game window shows an error box instead.
    ASSERT_FALSE(host.WaitForLog("Error box:", 3s)) << "the start showed an error box";
    const std::string hostGame = host.Window(GameTitle);
    const std::string clientGame = client.Window(GameTitle);
    ASSERT_FALSE(hostGame.empty());
    ASSERT_FALSE(clientGame.empty());
    ASSERT_TRUE(WaitFor([&] { return Frames(host) > 20 && Frames(client) > 20; }, 20s));
    EXPECT_TRUE(WindowGone(host.process->Pid(), "^lobbyform$", 2s));

    // Orders on both machines: everything selected, a right click on the
    // minimap's centre (interface (128, 128) is pixel (87, 393) at 696 x 480),
    // a plain drag and one with Shift held at the release, view keys and the
    // wheel, and a right click in the main view.
    for (const std::string& w : {hostGame, clientGame}) {
        PressKey(w, "ctrl+a");
        ClickAt(w, 87, 393, 3);
        Drag(w, 200, 100, 500, 250, false);
        Drag(w, 100, 50, 300, 200, true);
        for (int i = 0; i < 8; ++i) ClickAt(w, 400, 200, 5);
        PressKey(w, "Home");
        PressKey(w, "End");
        ClickAt(w, 400, 200, 4);
        ClickAt(w, 348, 180, 3);
    }
    ASSERT_TRUE(WaitFor([&] { return Frames(host) > 200; }, 60s));

    // The host closes its game window first; the client plays the frames it
    // still has, then closes its own.
    const std::string hostReplay = host.folder.Path() + "Replays/Latest.ofr";
    const std::string clientReplay = client.folder.Path() + "Replays/Latest.ofr";
    CloseWindow(hostGame);
    // A hidden FLTK window loses its X window: the lobby shown again is a new one.
    const std::string hostLobbyAgain = host.Window("^lobbyform$");
    ASSERT_FALSE(hostLobbyAgain.empty());
    ASSERT_TRUE(WaitFor([&] { return FileSize(clientReplay) == FileSize(hostReplay); }, 20s))
        << FileSize(clientReplay) << " vs " << FileSize(hostReplay);
    CloseWindow(clientGame);
    const std::string clientLobbyAgain = client.Window("^lobbyform$");
    ASSERT_FALSE(clientLobbyAgain.empty());
    EXPECT_EQ(host.Log().find("Error box"), std::string::npos);
    EXPECT_EQ(client.Log().find("Error box"), std::string::npos);

    // The client leaves; the host's lobby names it; both programs end.
    CloseWindow(clientLobbyAgain);
    EXPECT_EQ(client.process->Wait(10s), 0);
    EXPECT_TRUE(host.WaitForLog("Lobby: Player 1 hat das Spiel verlassen."));
    CloseWindow(hostLobbyAgain);
    EXPECT_EQ(host.process->Wait(10s), 0);

    const std::string hostBytes = ReadFile(hostReplay);
    ASSERT_FALSE(hostBytes.empty());
    EXPECT_TRUE(hostBytes == ReadFile(clientReplay)) << "the replays differ";
    for (Player* p : {&host, &client}) {
        ChildProcess verify({ORBITFALL_SIM, "verify", p->folder.Path() + "Replays/Latest.ofr", "--user-dir",
                             p->folder.Path()},
                            p->folder.Path() + "verify.txt");
        EXPECT_EQ(verify.Wait(60s), 0) << verify.Output();
    }

    const auto frames = ParseReplay(hostBytes);
    EXPECT_GT(frames.size(), 200u);
    for (int player : {1, 2}) {
        const auto commands = CommandsOf(frames, player);
        ASSERT_GE(commands.size(), 5u) << "player " << player;
        EXPECT_EQ(commands[0].Kind, ckSelectAll) << player;
        EXPECT_EQ(commands[1].Kind, ckMove) << player;
        EXPECT_EQ(FloatAt(commands[1], 1), 150.0f) << player;  // the map point the minimap shows there
        EXPECT_EQ(FloatAt(commands[1], 2), 75.0f) << player;
        EXPECT_EQ(commands[2].Kind, ckSelectRect) << player;
        EXPECT_EQ(commands[2].Flags, 0) << player;
        EXPECT_EQ(commands[3].Kind, ckSelectRect) << player;
        EXPECT_EQ(commands[3].Flags, cfAddToSelection) << player;
        EXPECT_EQ(commands[4].Kind, ckMove) << player;
        EXPECT_EQ(commands.size(), 5u) << player;  // wheel and keys change only the view
    }
}
