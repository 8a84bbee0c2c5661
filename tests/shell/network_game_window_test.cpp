// A whole network game as two people play it, each with their own copy of
// orbitfall: Open on one, the host's address typed and Join on the other, a
// map chosen and Start, orders with mouse and keys on both, both game windows
// closed. Both machines must have recorded the same replay.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "render/camera.h"
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

// Picks the fifth entry of the lobby's map list (the first user map, after
// the four shipped ones) and presses Start.
void StartWithTheFifthMap(const std::string& lobby, int port, const std::string& map) {
    ASSERT_TRUE(ChooseLobbyMap(lobby, 4, port, map));
    ClickAt(lobby, StartX, StartY);
}

}  // namespace

TEST(NetworkGame, TwoPeoplePlayAGameWithTheMouseAndBothRecordTheSameReplay) {
    Player host, client;
    for (Player* p : {&host, &client}) p->folder.WriteFile("Maps/Breit.ofm", WideMap);

    const int port = HostAndJoin(host, client);
    ASSERT_GT(port, 0);
    const std::string hostLobby = host.Window("^lobbyform$");
    ASSERT_FALSE(hostLobby.empty());

    // The host picks the user map "Breit (2)" and presses Start.
    StartWithTheFifthMap(hostLobby, port, "Breit");

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

namespace {

// One start view, looking at the middle of the fleet (start ships lie in
// 0..118 both ways, densest at 59): a host alone can start a game on it.
const char* const SoloMap = R"(<?xml version="1.0" encoding="ISO8859-1" ?>
<Map>
  <Informations><Name>Allein</Name><Width>300</Width><Height>150</Height></Informations>
  <Objects>
    <Start Player="1" X="60" Y="60"/>
  </Objects>
</Map>
)";

struct Ship {
    int id, owner;
    double x, y;
};

// The ships and the selections `verify --dump-at` lists for frame f.
struct Dump {
    std::vector<Ship> ships;
    std::map<int, std::set<int>> selections;
};

Dump DumpAt(const std::string& out, int f) {
    Dump d;
    std::istringstream in(out);
    bool inFrame = false;
    const std::regex ship(R"(obj TControlledUnit ([0-9]+) ([0-9]+) (\S+) (\S+) \S+)");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("frame ", 0) == 0) inFrame = line.rfind("frame " + std::to_string(f) + " ", 0) == 0;
        if (!inFrame) continue;
        std::smatch m;
        if (std::regex_match(line, m, ship)) d.ships.push_back({std::stoi(m[1]), std::stoi(m[2]), std::stod(m[3]), std::stod(m[4])});
        if (line.rfind("sel ", 0) == 0) {
            std::istringstream ids(line.substr(4));
            int player = 0;
            ids >> player;
            d.selections[player] = {std::istream_iterator<int>(ids), {}};
        }
    }
    return d;
}

// The map point under a pixel of the game window's main view, for a camera
// that has not moved from the player's start view, tilted 30 degrees, at
// the given distance.
void MapPointAt(int px, int py, double cameraX, double cameraY, int distance, double& x, double& y) {
    TViewValues view;
    view.ViewHeight = GameH - static_cast<int>(std::floor(StripHeight(GameW)));
    PublishCamera(view, CameraMatrix(cameraX, cameraY, 30, distance), 30, GameW);
    ASSERT_TRUE(ScreenToMap(view, px, py, x, y));
}

}  // namespace

TEST(NetworkGame, ADragSelectsExactlyTheOwnShipsInsideItsRectangleAndShiftAddsToIt) {
    Player host;
    host.folder.WriteFile("Maps/Allein.ofm", SoloMap);
    const std::string selection = host.Window("^Serverauswahl$");
    ASSERT_FALSE(selection.empty());
    ClickAt(selection, OpenX, ButtonY);
    const int port = host.HostedPort();
    ASSERT_GT(port, 0);
    const std::string lobby = host.Window("^lobbyform$");
    ASSERT_FALSE(lobby.empty());
    // The user's "Allein (1)", and Start with nobody else.
    StartWithTheFifthMap(lobby, port, "Allein");
    ASSERT_FALSE(host.WaitForLog("Error box:", 2s)) << "the start showed an error box";
    const std::string game = host.Window(GameTitle);
    ASSERT_FALSE(game.empty());
    ASSERT_TRUE(WaitFor([&] { return Frames(host) > 10; }, 20s));
    // End, often enough, takes the camera to its farthest distance (30 from
    // 12), so that many ships are in view.
    PressKey(game, "End");
    std::vector<std::string> keys{"key", "--delay", "10"};
    for (int i = 0; i < 19; ++i) keys.push_back("End");
    Xdotool(keys);
    const int framesAfterKeys = Frames(host);
    ASSERT_TRUE(WaitFor([&] { return Frames(host) > framesAfterKeys + 3; }, 10s));

    // A drag over part of the fleet in view, then one with Shift held at the
    // release further right and down.
    const int a[4] = {60, 40, 330, 330}, b[4] = {360, 40, 680, 330};
    Drag(game, a[0], a[1], a[2], a[3], false);
    Drag(game, b[0], b[1], b[2], b[3], true);
    const int framesAfterDrags = Frames(host);
    ASSERT_TRUE(WaitFor([&] { return Frames(host) > framesAfterDrags + 5; }, 10s));
    CloseWindow(game);
    const std::string lobbyAgain = host.Window("^lobbyform$");
    ASSERT_FALSE(lobbyAgain.empty());
    CloseWindow(lobbyAgain);
    ASSERT_EQ(host.process->Wait(10s), 0);

    // The two selection commands as recorded, with the frames they ran in.
    const std::string replay = host.folder.Path() + "Replays/Latest.ofr";
    const auto frames = ParseReplay(ReadFile(replay));
    std::vector<std::pair<int, TReplayCommand>> selects;
    for (const auto& f : frames)
        for (const auto& c : f.Commands)
            if (c.Kind != ckEmpty) selects.emplace_back(f.Frame, c);
    ASSERT_EQ(selects.size(), 2u);
    const int player = selects[0].second.Player;
    ASSERT_EQ(player, 1);  // the host alone is player 1, its camera on start view 1

    std::string dumpFrames;
    for (const auto& [frame, c] : selects) dumpFrames += std::to_string(frame) + "," + std::to_string(frame + 1) + ",";
    dumpFrames.pop_back();
    ChildProcess verify({ORBITFALL_SIM, "verify", replay, "--dump-at", dumpFrames, "--user-dir", host.folder.Path()},
                        host.folder.Path() + "verify.txt");
    ASSERT_EQ(verify.Wait(60s), 0) << verify.Output();
    const std::string out = verify.Output();

    std::set<int> expected;
    for (int i = 0; i < 2; ++i) {
        const auto& [frame, c] = selects[i];
        const int* drag = i == 0 ? a : b;
        EXPECT_EQ(c.Kind, ckSelectRect) << i;
        EXPECT_EQ(c.Flags, i == 0 ? 0 : cfAddToSelection) << i;
        // The rectangle is the map under the press and the release pixel.
        double x1, y1, x2, y2;
        MapPointAt(drag[0], drag[1], 60, 60, 30, x1, y1);
        MapPointAt(drag[2], drag[3], 60, 60, 30, x2, y2);
        EXPECT_EQ(FloatAt(c, 0), static_cast<float>(x1)) << i;
        EXPECT_EQ(FloatAt(c, 1), static_cast<float>(y1)) << i;
        EXPECT_EQ(FloatAt(c, 2), static_cast<float>(x2)) << i;
        EXPECT_EQ(FloatAt(c, 3), static_cast<float>(y2)) << i;

        // The own ships inside it where they were in the frame it ran in.
        const double left = std::min(FloatAt(c, 0), FloatAt(c, 2)), right = std::max(FloatAt(c, 0), FloatAt(c, 2));
        const double top = std::min(FloatAt(c, 1), FloatAt(c, 3)), bottom = std::max(FloatAt(c, 1), FloatAt(c, 3));
        const Dump at = DumpAt(out, frame);
        ASSERT_GT(at.ships.size(), 100u) << "no dump of frame " << frame;
        std::set<int> inside;
        int outside = 0;
        for (const Ship& s : at.ships) {
            if (s.owner != player) continue;
            if (left <= s.x && s.x <= right && top <= s.y && s.y <= bottom) inside.insert(s.id);
            else ++outside;
        }
        EXPECT_GE(inside.size(), 5u) << "drag " << i << " over too few ships";
        std::printf("drag %d: %zu of %zu own ships inside (%.1f %.1f)-(%.1f %.1f)\n", i, inside.size(),
                    inside.size() + outside, left, top, right, bottom);
        EXPECT_GT(outside, 50) << "drag " << i << " over the whole fleet";
        if (i == 0) expected.clear();
        expected.insert(inside.begin(), inside.end());
        // The selection right after that frame: exactly those, and with Shift
        // the first drag's ships as well.
        EXPECT_EQ(DumpAt(out, frame + 1).selections.at(player), expected) << "drag " << i;
    }
}
