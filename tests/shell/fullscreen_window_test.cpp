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

class FullscreenWindow : public ::testing::Test {
protected:
    static constexpr Rgb Background{100, 100, 100};
    static constexpr Rgb Strip{40, 80, 120};

    void SetUp() override {
        user.WriteFile("Maps/Breit.ofm",
                       "<?xml version=\"1.0\" encoding=\"ISO8859-1\" ?>\n<Map>\n  <Informations>\n"
                       "    <Name>Breit</Name>\n    <Width>300</Width>\n    <Height>150</Height>\n"
                       "  </Informations>\n  <Objects>\n    <Start Player=\"1\" X=\"60\" Y=\"60\"/>\n"
                       "    <Start Player=\"2\" X=\"210\" Y=\"60\"/>\n  </Objects>\n</Map>\n");
        Picture("Graphics/Background/Orion", Background);
        Picture("Graphics/Interfaces/Interface3b", Strip, 64, 16);
        // Transparent over the minimap (interface units 16..240 both ways),
        // opaque elsewhere.
        WriteBmp(user.Path() + "Graphics/Interfaces/Interface3b.alpha.bmp", 64, 16, [](int x, int y) {
            const std::uint8_t a = (x >= 1 && x <= 14 && y >= 1 && y <= 14) ? 0 : 255;
            return TBmpColor{a, a, a};
        });
        Picture("Graphics/Textures/Fog", {255, 255, 255});
    }

    void Picture(const std::string& name, Rgb c, int w = 8, int h = 8) {
        WriteSolidBmp(user.Path() + name + ".bmp", w, h, static_cast<std::uint8_t>(c.r),
                      static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b));
        user.WriteFile(name + ".config", "");
    }

    void Record(int frames) {
        ChildProcess sim({ORBITFALL_SIM, "run", "--map", "Breit", "--players", "2", "--seed", "4242", "--frames",
                          std::to_string(frames), "--record", "--user-dir", user.Path()},
                         user.Path() + "record.out");
        ASSERT_EQ(sim.Wait(120s), 0) << sim.Output();
    }

    std::string Log() const { return ReadFile(user.Path() + "log.txt"); }

    bool WaitForLogCount(const std::string& text, int count, std::chrono::milliseconds timeout = 20s) const {
        for (auto end = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < end;) {
            if (CountOf(Log(), text) >= count) return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    // The frame in the caption, once more than `after` (-1 on a timeout).
    static int WaitForFrameAfter(const std::string& window, int after) {
        const std::regex frame(" Frame:([0-9]+) ");
        for (auto end = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < end;) {
            const std::string caption = Xdotool({"getwindowname", window});
            std::smatch m;
            if (std::regex_search(caption, m, frame) && std::stoi(m[1]) > after) return std::stoi(m[1]);
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

    // F12, and the picture it saved.
    TRgbaPicture Screenshot(const std::string& window) {
        ++screenshots_;
        PressKey(window, "F12");
        EXPECT_TRUE(WaitForLogCount("Screenshot saved to ", screenshots_));
        const std::string log = Log();
        const std::regex saved("Screenshot saved to ([^\r\n]*)");
        std::string path;
        for (std::sregex_iterator it(log.begin(), log.end(), saved), end; it != end; ++it) path = (*it)[1];
        if (path.empty()) return {};
        return ReadPng(path);
    }

    // F11, then a few frames drawn in the window's new state. Without a
    // window manager the window is made anew for each switch: `window`
    // becomes the new one.
    void SwitchAndWait(int pid, std::string& window, const std::string& size) {
        ++switches_;
        const int frame = WaitForFrameAfter(window, -1);
        PressKey(window, "F11");
        ASSERT_TRUE(WaitForLogCount("Graphics set up again for ", switches_)) << Log();
        EXPECT_NE(Log().find("Graphics set up again for " + size + " pixels"), std::string::npos) << size;
        window = FindWindow(pid, "^Move:");
        ASSERT_FALSE(window.empty());
        ASSERT_GT(WaitForFrameAfter(window, frame + 5), frame + 5);
    }

    // Place and size of a window, as xdotool reports them.
    static std::string Geometry(const std::string& window) {
        const std::string report = Xdotool({"getwindowgeometry", window});
        const auto firstLine = report.find('\n');
        return firstLine == std::string::npos ? report : report.substr(firstLine + 1);
    }

    // What every picture of this game shows, whatever the window's size.
    static void ExpectEveryTextureDrawn(const TRgbaPicture& shot, const std::string& when) {
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
        EXPECT_TRUE(Near(PixelAtUnits(shot, 220, 128), veiled, 2)) << when << ": " << PixelAtUnits(shot, 220, 128);
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

    TempFolder user;
    int screenshots_ = 0;
    int switches_ = 0;
};

}  // namespace

TEST_F(FullscreenWindow, F11SwitchesAReplayWindowToFullScreenAndBackWithEveryTextureDrawn) {
    Record(1500);
    ChildProcess game({ORBITFALL_GAME, user.Path() + "Replays/Latest.ofr", "--user-dir", user.Path(), "--size",
                       "800x600", "--frame-ms", "20", "--exit-after", "1400"},
                      user.Path() + "watch.out");
    std::string w = FindWindow(game.Pid(), "^Move:");
    ASSERT_FALSE(w.empty()) << game.Output();
    ASSERT_GT(WaitForFrameAfter(w, 5), 5);
    const Size windowed = SizeIn(Xdotool({"getwindowgeometry", w}));
    const std::string position = Geometry(w);
    ASSERT_EQ(windowed, (Size{800, 600})) << position;
    const Size screen = SizeIn(Xdotool({"getdisplaygeometry"}));
    ASSERT_GT(screen.w, 800);

    const TRgbaPicture before = Screenshot(w);
    ASSERT_EQ(before.Width, 800);
    ASSERT_EQ(before.Height, 600);
    ExpectEveryTextureDrawn(before, "before");

    SwitchAndWait(game.Pid(), w, std::to_string(screen.w) + "x" + std::to_string(screen.h));
    EXPECT_EQ(SizeIn(Xdotool({"getwindowgeometry", w})), screen);
    const TRgbaPicture full = Screenshot(w);
    ASSERT_EQ(full.Width, screen.w);
    ASSERT_EQ(full.Height, screen.h);
    ExpectEveryTextureDrawn(full, "in full screen");

    SwitchAndWait(game.Pid(), w, "800x600");
    EXPECT_EQ(Geometry(w), position) << "the former place and size";
    const TRgbaPicture after = Screenshot(w);
    ASSERT_EQ(after.Width, 800);
    ASSERT_EQ(after.Height, 600);
    ExpectEveryTextureDrawn(after, "back in the window");
    // The strip right of the minimap is the same picture as before.
    int differing = 0;
    for (int y = 600 - 195; y < 600; ++y)
        for (int x = 260; x < 800; ++x) differing += !(PixelAt(before, x, y) == PixelAt(after, x, y));
    EXPECT_EQ(differing, 0);

    // A second round trip works as the first.
    SwitchAndWait(game.Pid(), w, std::to_string(screen.w) + "x" + std::to_string(screen.h));
    ExpectEveryTextureDrawn(Screenshot(w), "in full screen again");

    CloseWindow(w);
    EXPECT_EQ(game.Wait(20s), 0) << game.Output();
    EXPECT_EQ(CountOf(Log(), "Refcount>0"), 0);
}
