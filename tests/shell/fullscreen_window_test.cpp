// F11 in a real orbitfall window, pressed as a player does (X key events):
// full screen and back, with the pictures F12 saves before and after each
// switch showing every texture (strip, minimap, fog, text, background band).
// Xvfb runs without a window manager: full screen is the window covering
// the whole screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "platform/png_file.h"
#include "tests/shell/game_player.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_pictures.h"
#include "tests/support/x_display.h"

using namespace orbitfall;
using namespace orbitfall::testing;
using namespace std::chrono_literals;

namespace {

::testing::Environment* const xvfb = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

Rgb PixelAt(const TRgbaPicture& p, int x, int yFromTop) {
    const std::uint8_t* px = &p.Pixels[(static_cast<std::size_t>(yFromTop) * p.Width + x) * 4];
    return {px[0], px[1], px[2]};
}

// At interface units (1024 across the window, y up from the bottom edge).
Rgb PixelAtUnits(const TRgbaPicture& p, double sx, double sy) {
    const double scale = p.Width / 1024.0;
    const int x = static_cast<int>(std::floor(sx * scale)), y = static_cast<int>(std::floor(sy * scale));
    return PixelAt(p, x, p.Height - 1 - y);
}

bool IsMagenta(const Rgb& c) { return c.r > 200 && c.g < 60 && c.b > 200; }

struct Size {
    int w = 0, h = 0;
    bool operator==(const Size&) const = default;
};

// The size in xdotool's report on a window ("Geometry: WxH") or the display ("W H").
Size SizeIn(const std::string& report) {
    std::smatch m;
    Size s;
    if (std::regex_search(report, m, std::regex(R"(([0-9]+)x([0-9]+))")) ||
        std::regex_search(report, m, std::regex(R"(([0-9]+) ([0-9]+))")))
        s = {std::stoi(m[1]), std::stoi(m[2])};
    return s;
}

// Pictures of known colours in place of the shipped background, interface
// and fog pattern, and a 300 x 150 map for two players, in a user folder.
void WriteTestArt(TempFolder& user, Rgb background, Rgb strip) {
    user.WriteFile("Maps/Breit.ofm",
                   "<?xml version=\"1.0\" encoding=\"ISO8859-1\" ?>\n<Map>\n  <Informations>\n"
                   "    <Name>Breit</Name>\n    <Width>300</Width>\n    <Height>150</Height>\n"
                   "  </Informations>\n  <Objects>\n    <Start Player=\"1\" X=\"60\" Y=\"60\"/>\n"
                   "    <Start Player=\"2\" X=\"210\" Y=\"60\"/>\n  </Objects>\n</Map>\n");
    auto picture = [&user](const std::string& name, Rgb c, int w, int h) {
        WriteSolidBmp(user.Path() + name + ".bmp", w, h, static_cast<std::uint8_t>(c.r),
                      static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b));
        // No colour key or self-alpha from a shipped companion file.
        user.WriteFile(name + ".config", "");
    };
    picture("Graphics/Background/Orion", background, 8, 8);
    picture("Graphics/Interfaces/Interface3b", strip, 64, 16);
    // Transparent over the minimap (interface units 16..240 both ways),
    // opaque elsewhere.
    WriteBmp(user.Path() + "Graphics/Interfaces/Interface3b.alpha.bmp", 64, 16, [](int x, int y) {
        const std::uint8_t a = (x >= 1 && x <= 14 && y >= 1 && y <= 14) ? 0 : 255;
        return TBmpColor{a, a, a};
    });
    picture("Graphics/Textures/Fog", {255, 255, 255}, 8, 8);
}

// One running copy of orbitfall with its game window, worked as a player
// does: F11, F12, and what its log says.
class TGameCopy {
public:
    TGameCopy(std::string userDir, int pid, std::string window)
        : userDir_(std::move(userDir)), pid_(pid), window_(std::move(window)) {}

    const std::string& Window() const { return window_; }
    std::string Log() const { return ReadFile(userDir_ + "log.txt"); }
    int Frames() const { return CountOf(Log(), "Beginning Frame "); }

    bool WaitForLogCount(const std::string& text, int count, std::chrono::milliseconds timeout = 30s) const {
        for (auto end = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < end;) {
            if (CountOf(Log(), text) >= count) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    bool WaitForFrames(int count) const { return WaitForLogCount("Beginning Frame ", count); }

    // F12, and the picture it saved.
    TRgbaPicture Screenshot() {
        ++screenshots_;
        PressKey(window_, "F12");
        EXPECT_TRUE(WaitForLogCount("Screenshot saved to ", screenshots_));
        const std::string log = Log();
        const std::regex saved("Screenshot saved to ([^\r\n]*)");
        std::string path;
        for (std::sregex_iterator it(log.begin(), log.end(), saved), end; it != end; ++it) path = (*it)[1];
        if (path.empty()) return {};
        return ReadPng(path);
    }

    // F11, then a few frames drawn in the window's new state (none when
    // the game is paused). Without a window manager the window is made anew
    // for each switch.
    void Switch(const std::string& size, bool framesRun = true) {
        ++switches_;
        PressKey(window_, "F11");
        ASSERT_TRUE(WaitForLogCount("Graphics set up again for ", switches_)) << Log();
        EXPECT_EQ(CountOf(Log(), "Graphics set up again for " + size + " pixels"), CountOf(sizes_, size) + 1)
            << size;
        sizes_ += size + "\n";
        window_ = FindWindow(pid_, "^Move:");
        ASSERT_FALSE(window_.empty());
        if (framesRun) {
            ASSERT_TRUE(WaitForFrames(Frames() + 5));
        }
    }

    // Place and size of the window, as xdotool reports them.
    std::string Geometry() const {
        const std::string report = Xdotool({"getwindowgeometry", window_});
        const auto firstLine = report.find('\n');
        return firstLine == std::string::npos ? report : report.substr(firstLine + 1);
    }
    Size WindowSize() const { return SizeIn(Xdotool({"getwindowgeometry", window_})); }

private:
    std::string userDir_;
    int pid_;
    std::string window_;
    int screenshots_ = 0;
    int switches_ = 0;
    std::string sizes_;
};

std::string SizeText(const Size& s) { return std::to_string(s.w) + "x" + std::to_string(s.h); }

class FullscreenWindow : public ::testing::Test {
protected:
    static constexpr Rgb Background{100, 100, 100};
    static constexpr Rgb Strip{40, 80, 120};

    void SetUp() override { WriteTestArt(user, Background, Strip); }

    void Record(int frames) {
        ChildProcess sim({ORBITFALL_SIM, "run", "--map", "Breit", "--players", "2", "--seed", "4242", "--frames",
                          std::to_string(frames), "--record", "--user-dir", user.Path()},
                         user.Path() + "record.out");
        ASSERT_EQ(sim.Wait(120s), 0) << sim.Output();
    }

    // What every picture of this game shows, whatever the window's size.
    // unseenRightEnd: the local player has never seen the map's right end.
    static void ExpectEveryTextureDrawn(const TRgbaPicture& shot, const std::string& when, bool unseenRightEnd) {
        ASSERT_GT(shot.Width, 0) << when;
        const double scale = shot.Width / 1024.0;
        // The strip: its picture along the bottom edge, 256 units high, right
        // of the minimap; the main view above it.
        for (double y : {1.0, 128.0, 254.0}) EXPECT_EQ(PixelAtUnits(shot, 900, y), Strip) << when << ", strip " << y;
        EXPECT_NE(PixelAtUnits(shot, 900, 300), Strip) << when;
        // The minimap: the background picture at 0.7 above and below the
        // 300 x 150 map, the fog's veil over never-seen ground, the strip
        // around the minimap's window.
        const Rgb plain{70, 70, 70}, veiled{209, 209, 209};
        EXPECT_TRUE(Near(PixelAtUnits(shot, 220, 210), plain, 2)) << when << ": " << PixelAtUnits(shot, 220, 210);
        EXPECT_TRUE(Near(PixelAtUnits(shot, 220, 40), plain, 2)) << when << ": " << PixelAtUnits(shot, 220, 40);
        if (unseenRightEnd) {
            EXPECT_TRUE(Near(PixelAtUnits(shot, 220, 128), veiled, 2)) << when << ": " << PixelAtUnits(shot, 220, 128);
        }
        EXPECT_TRUE(Near(PixelAtUnits(shot, 8, 210), Strip, 3)) << when << ": " << PixelAtUnits(shot, 8, 210);
        // "ABC" at the bottom left: magenta glyphs, not a block, nowhere else.
        int minX = shot.Width, maxX = -1, minY = shot.Height, maxY = -1, magenta = 0;
        for (int y = 0; y < shot.Height; ++y)
            for (int x = 0; x < shot.Width; ++x) {
                if (!IsMagenta(PixelAt(shot, x, y))) continue;
                ++magenta;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        ASSERT_GT(magenta, 20) << when;
        EXPECT_LT(maxX, 100 * scale + 10) << when;
        EXPECT_GE(minY, shot.Height - 40 * scale - 5) << when;
        const int box = (maxX - minX + 1) * (maxY - minY + 1);
        EXPECT_LT(magenta, box * 2 / 3) << when << ": the text is a block";
        // The main view above the strip: the background picture at half its
        // brightness behind the grid and the few ships.
        int band = 0;
        const int viewRows = shot.Height - static_cast<int>(300 * scale);
        for (int y = 0; y < viewRows; ++y)
            for (int x = 0; x < shot.Width; ++x) band += Near(PixelAt(shot, x, y), BackgroundInView, 1);
        EXPECT_GT(band, viewRows * shot.Width * 3 / 4) << when << ": the background band is not in the main view";
    }

    static constexpr Rgb BackgroundInView{50, 50, 50};

    // Pictures before and after each F11: 800 x 600, the whole screen, the
    // window again at its former place and size, the screen once more.
    static void RoundTrip(TGameCopy& game, bool unseenRightEnd) {
        const std::string position = game.Geometry();
        ASSERT_EQ(game.WindowSize(), (Size{800, 600})) << position;
        const Size screen = SizeIn(Xdotool({"getdisplaygeometry"}));
        ASSERT_GT(screen.w, 800);

        const TRgbaPicture before = game.Screenshot();
        ASSERT_EQ(before.Width, 800);
        ASSERT_EQ(before.Height, 600);
        ExpectEveryTextureDrawn(before, "before", unseenRightEnd);

        game.Switch(SizeText(screen));
        EXPECT_EQ(game.WindowSize(), screen);
        const TRgbaPicture full = game.Screenshot();
        ASSERT_EQ(full.Width, screen.w);
        ASSERT_EQ(full.Height, screen.h);
        ExpectEveryTextureDrawn(full, "in full screen", unseenRightEnd);

        game.Switch("800x600");
        EXPECT_EQ(game.Geometry(), position) << "the former place and size";
        const TRgbaPicture after = game.Screenshot();
        ASSERT_EQ(after.Width, 800);
        ASSERT_EQ(after.Height, 600);
        ExpectEveryTextureDrawn(after, "back in the window", unseenRightEnd);
        // The strip right of the minimap is the same picture as before.
        int differing = 0;
        for (int y = 600 - 195; y < 600; ++y)
            for (int x = 260; x < 800; ++x) differing += !(PixelAt(before, x, y) == PixelAt(after, x, y));
        EXPECT_EQ(differing, 0);

        // A second round trip works as the first.
        game.Switch(SizeText(screen));
        ExpectEveryTextureDrawn(game.Screenshot(), "in full screen again", unseenRightEnd);
        game.Switch("800x600");
        ExpectEveryTextureDrawn(game.Screenshot(), "back in the window again", unseenRightEnd);
    }

    TempFolder user;
};

}  // namespace

TEST_F(FullscreenWindow, F11SwitchesAReplayWindowToFullScreenAndBackWithEveryTextureDrawn) {
    Record(1500);
    ChildProcess watch({ORBITFALL_GAME, user.Path() + "Replays/Latest.ofr", "--user-dir", user.Path(), "--size",
                        "800x600", "--frame-ms", "20", "--exit-after", "1400"},
                       user.Path() + "watch.out");
    const std::string window = FindWindow(watch.Pid(), "^Move:");
    ASSERT_FALSE(window.empty()) << watch.Output();
    TGameCopy game(user.Path(), watch.Pid(), window);
    ASSERT_TRUE(game.WaitForFrames(5));
    RoundTrip(game, true);
    if (HasFatalFailure()) return;

    // Paused, no frame draws a picture: the switch draws the paused one.
    PressKey(game.Window(), "space");
    for (auto end = std::chrono::steady_clock::now() + 10s;
         Xdotool({"getwindowname", game.Window()}).find(" Paused") == std::string::npos &&
         std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(20ms);
    ASSERT_NE(Xdotool({"getwindowname", game.Window()}).find(" Paused"), std::string::npos);
    const int paused = game.Frames();
    game.Switch(SizeText(SizeIn(Xdotool({"getdisplaygeometry"}))), false);
    ExpectEveryTextureDrawn(game.Screenshot(), "paused in full screen", true);
    game.Switch("800x600", false);
    ExpectEveryTextureDrawn(game.Screenshot(), "paused in the window", true);
    EXPECT_EQ(game.Frames(), paused);

    CloseWindow(game.Window());
    EXPECT_EQ(watch.Wait(20s), 0) << watch.Output();
    EXPECT_EQ(CountOf(game.Log(), "Refcount>0"), 0);
}

// The network game's window takes F11 the same way, while the game goes on
// in lockstep with the other machine.
TEST_F(FullscreenWindow, F11SwitchesANetworkGameWindowWhileTheGamePlaysOn) {
    Player host(false, "", {"--size", "800x600"}), client(false, "", {"--size", "800x600"});
    for (Player* p : {&host, &client}) WriteTestArt(p->folder, Background, Strip);
    const int port = HostAndJoin(host, client);
    ASSERT_GT(port, 0);
    const std::string hostLobby = host.Window("^lobbyform$");
    ASSERT_FALSE(hostLobby.empty());

    // The user map "Breit (2)", fifth after the four shipped ones, and Start.
    ASSERT_TRUE(ChooseLobbyMap(hostLobby, 4, port, "Breit"));
    ClickAt(hostLobby, StartX, StartY);
    const std::string window = client.Window("^(Orbitfall|Move:)");
    ASSERT_FALSE(window.empty());
    TGameCopy game(client.folder.Path(), client.process->Pid(), window);
    ASSERT_TRUE(game.WaitForFrames(20));
    ASSERT_FALSE(host.Window("^(Orbitfall|Move:)").empty());

    RoundTrip(game, false);
    if (HasFatalFailure()) return;
    // Both machines played on, and nobody's game stopped with an error.
    const int hostFrames = CountOf(host.Log(), "Beginning Frame ");
    ASSERT_TRUE(game.WaitForFrames(game.Frames() + 20));
    EXPECT_GT(CountOf(host.Log(), "Beginning Frame "), hostFrames);
    EXPECT_EQ(CountOf(host.Log(), "Except"), 0);
    EXPECT_EQ(CountOf(client.Log(), "Except"), 0);
    EXPECT_EQ(CountOf(client.Log(), "Refcount>0"), 0);
}
