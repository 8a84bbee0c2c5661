// orbitfall watching replays recorded by orbitfall-sim, in a window on the
// test display: the pictures it writes, the frames it plays, what it logs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/png_file.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_pictures.h"

using namespace orbitfall;
using orbitfall::testing::ChildProcess;
using orbitfall::testing::TempFolder;

namespace {

constexpr auto Timeout = std::chrono::seconds(120);

struct Result {
    int exitCode = -1;
    std::string out;
};

Result RunProgram(const std::vector<std::string>& args, const TempFolder& folder, const std::string& name) {
    ChildProcess p(args, folder.Path() + name + ".out");
    Result r;
    r.exitCode = p.Wait(Timeout);
    r.out = p.Output();
    return r;
}

struct Unit {
    int owner;
    double x, y;
};

// The units of the "obj" lines that follow the checksum line of frame f.
std::vector<Unit> UnitsAt(const std::string& out, int f) {
    std::vector<Unit> units;
    std::istringstream in(out);
    bool inFrame = false;
    const std::regex unit(R"(obj TControlledUnit [0-9]+ ([0-9]+) (\S+) (\S+) \S+)");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("frame ", 0) == 0) inFrame = line.rfind("frame " + std::to_string(f) + " ", 0) == 0;
        std::smatch m;
        if (inFrame && std::regex_match(line, m, unit))
            units.push_back({std::stoi(m[1]), std::stod(m[2]), std::stod(m[3])});
    }
    return units;
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

Rgb PixelAt(const TRgbaPicture& p, int x, int yFromTop) {
    const std::uint8_t* px = &p.Pixels[(static_cast<std::size_t>(yFromTop) * p.Width + x) * 4];
    return {px[0], px[1], px[2]};
}

// Pixel counted from the bottom-left corner, as the interface is laid out.
Rgb PixelFromBottom(const TRgbaPicture& p, double x, double y) {
    return PixelAt(p, static_cast<int>(std::floor(x)), p.Height - 1 - static_cast<int>(std::floor(y)));
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// A user folder with a 300 x 150 map for two players and pictures of known
// colours in place of the shipped background, interface and fog pattern.
class WindowedReplay : public ::testing::Test {
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
        // Transparent over the minimap (interface units 16..240 both ways,
        // the minimap being 28..228), opaque elsewhere.
        orbitfall::testing::WriteBmp(user.Path() + "Graphics/Interfaces/Interface3b.alpha.bmp", 64, 16,
                                     [](int x, int y) {
                                         const std::uint8_t a = (x >= 1 && x <= 14 && y >= 1 && y <= 14) ? 0 : 255;
                                         return orbitfall::testing::TBmpColor{a, a, a};
                                     });
        Picture("Graphics/Textures/Fog", {255, 255, 255});
    }

    void Picture(const std::string& name, Rgb c, int w = 8, int h = 8) {
        orbitfall::testing::WriteSolidBmp(user.Path() + name + ".bmp", w, h, static_cast<std::uint8_t>(c.r),
                                          static_cast<std::uint8_t>(c.g), static_cast<std::uint8_t>(c.b));
        // No colour key or self-alpha from a shipped companion file.
        user.WriteFile(name + ".config", "");
    }

    // Records a game with orbitfall-sim and returns its output (with dumps).
    std::string Record(const std::string& map, int players, int frames, const std::string& script,
                       const std::string& dumpAt = "") {
        std::vector<std::string> args = {ORBITFALL_SIM, "run", "--map", map, "--players", std::to_string(players),
                                          "--seed", "4242", "--frames", std::to_string(frames), "--record",
                                          "--user-dir", user.Path()};
        if (!script.empty()) {
            args.push_back("--script");
            args.push_back(user.WriteFile("script.txt", script));
        }
        if (!dumpAt.empty()) {
            args.push_back("--dump-at");
            args.push_back(dumpAt);
        }
        const Result r = RunProgram(args, user, "record");
        EXPECT_EQ(r.exitCode, 0) << r.out;
        return r.out;
    }

    Result Watch(std::vector<std::string> extra) {
        std::vector<std::string> args = {ORBITFALL_GAME, user.Path() + "Replays/Latest.ofr", "--user-dir", user.Path(),
                                          "--frame-ms", "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProgram(args, user, "watch");
    }

    std::vector<std::string> LogLines() const {
        std::ifstream in(user.Path() + "log.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    TempFolder user;
};

}  // namespace

TEST_F(WindowedReplay, PictureShowsMinimapStripAndUnitDots) {
    const std::string out = Record("Breit", 2, 4, "", "2");
    const Result r = Watch({"--size", "1024x768", "--screenshot-at", "1", "--screenshot-dir", user.Path(),
                            "--exit-after", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const TRgbaPicture shot = ReadPng(user.Path() + "frame-1.png");
    ASSERT_EQ(shot.Width, 1024);
    ASSERT_EQ(shot.Height, 768);

    // The strip: 1024 x 256 pixels along the bottom edge, right of the minimap.
    for (int y : {0, 100, 255}) EXPECT_EQ(PixelFromBottom(shot, 900, y), Strip) << "strip row " << y;
    EXPECT_NE(PixelFromBottom(shot, 900, 257), Strip);
    EXPECT_NE(PixelFromBottom(shot, 900, 400), Strip);

    // The minimap spans 28..228 in both directions; the 300 x 150 map's fog
    // covers only its middle half in height (78..178): no unit of player 1
    // watches the right end of the map, so the veil is dense there.
    const Rgb plain{70, 70, 70};  // the background at 0.7
    const Rgb veiled{209, 209, 209};
    EXPECT_TRUE(Near(PixelFromBottom(shot, 220, 210), plain, 2)) << "above the map";
    EXPECT_TRUE(Near(PixelFromBottom(shot, 220, 40), plain, 2)) << "below the map";
    EXPECT_TRUE(Near(PixelFromBottom(shot, 220, 128), veiled, 2)) << "over never-seen ground";
    EXPECT_TRUE(Near(PixelFromBottom(shot, 29, 210), plain, 2)) << "inside the left edge";
    // Linear filtering mixes in a little of the transparent window's edge.
    EXPECT_TRUE(Near(PixelFromBottom(shot, 8, 210), Strip, 3)) << "left of the minimap's window";
    EXPECT_TRUE(Near(PixelFromBottom(shot, 250, 210), Strip, 3)) << "right of the minimap's window";

    // A dot in the owner's colour for every unit of player 1 (the local
    // player); none for player 2's, which nobody of player 1 sees.
    const std::vector<Unit> units = UnitsAt(out, 2);
    ASSERT_EQ(units.size(), 400u);
    int own = 0, ownGreen = 0, enemyRed = 0;
    for (const Unit& u : units) {
        const double px = 28 + u.x * 200 / 300, py = 28 + (300 - u.y - 75) * 200 / 300;
        const Rgb c = PixelFromBottom(shot, px, py);
        if (u.owner == 1) {
            ++own;
            ownGreen += c == Rgb{0, 255, 0};
        } else {
            enemyRed += c == Rgb{255, 0, 0};
        }
    }
    // Start units go to random owners among the players.
    EXPECT_GT(own, 150);
    // The white outline of the main view crosses a few dots.
    EXPECT_GE(ownGreen, own - 10);
    EXPECT_EQ(enemyRed, 0);
}

TEST_F(WindowedReplay, MagentaTextAtTheBottomLeftCorner) {
    Record("Breit", 2, 3, "");
    ASSERT_EQ(Watch({"--size", "800x600", "--screenshot-at", "0", "--screenshot-dir", user.Path(), "--exit-after", "1"})
                  .exitCode,
              0);
    const TRgbaPicture shot = ReadPng(user.Path() + "frame-0.png");
    int magenta = 0, magentaElsewhere = 0;
    for (int y = 0; y < shot.Height; ++y)
        for (int x = 0; x < shot.Width; ++x) {
            const Rgb c = PixelAt(shot, x, y);
            if (!(c.r > 200 && c.g < 60 && c.b > 200)) continue;
            if (x < 80 && y >= shot.Height - 30) ++magenta;
            else ++magentaElsewhere;
        }
    EXPECT_GT(magenta, 20);
    EXPECT_EQ(magentaElsewhere, 0);
}

TEST_F(WindowedReplay, PlaysTheRecordedChecksumsFrameByFrameInOrder) {
    // A battle with orders, so that drawing (selection marks, sorting,
    // culling) runs over objects whose state every checksum covers.
    Record("Kreuzung", 4, 150,
           "2 1 selectall\n2 1 move 200 200\n2 2 selectall\n2 2 move 100 200\n"
           "2 3 selectall\n2 3 move 200 100\n2 4 selectall\n2 4 move 100 100\n");
    const Result verify = RunProgram({ORBITFALL_SIM, "verify", user.Path() + "Replays/Latest.ofr", "--user-dir", user.Path()},
                              user, "verify");
    ASSERT_EQ(verify.exitCode, 0) << verify.out;
    ASSERT_NE(verify.out.find("verified 150 frames"), std::string::npos) << verify.out;

    const Result r = Watch({"--exit-after", "160"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out.find("Replay-Fehler"), std::string::npos) << r.out;

    // One "Beginning Frame" per frame, in order, each under the timer's context.
    std::vector<int> frames;
    for (const std::string& line : LogLines()) {
        const auto pos = line.find("Beginning Frame ");
        if (pos == std::string::npos) continue;
        EXPECT_EQ(line.rfind("Status\t4\tTimer\t", 0), 0u) << line;
        frames.push_back(std::stoi(line.substr(pos + 16)));
    }
    ASSERT_EQ(frames.size(), 160u);
    for (int i = 0; i < 160; ++i) EXPECT_EQ(frames[i], i);
}

TEST_F(WindowedReplay, DivergenceStopsTheGameWithReplayFehler) {
    Record("Zweikampf", 2, 40, "2 1 selectall\n2 1 move 150 150\n");
    // The checksum of frame 20 no longer matches the world.
    const std::string replay = user.Path() + "Replays/Latest.ofr";
    std::fstream f(replay, std::ios::in | std::ios::out | std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(f), {}};
    std::size_t pos = 0;
    for (int frame = 0; frame < 20; ++frame) pos += 9 + 23 * static_cast<unsigned char>(bytes[pos + 8]);
    f.seekp(static_cast<std::streamoff>(pos + 4));
    f.put(static_cast<char>(bytes[pos + 4] ^ 0x55));
    f.close();

    const Result r = Watch({"--exit-after", "100"});
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("Replay-Fehler"), std::string::npos) << r.out;
    const auto lines = LogLines();
    int except = 0, lastFrame = -1;
    for (const std::string& line : lines) {
        if (line.rfind("Except\t5\t", 0) == 0 && line.find("Replay-Fehler") != std::string::npos) ++except;
        const auto p = line.find("Beginning Frame ");
        if (p != std::string::npos) lastFrame = std::stoi(line.substr(p + 16));
    }
    EXPECT_EQ(except, 1);
    EXPECT_EQ(lastFrame, 20);  // no frame after the one that failed
}

TEST(GameCli, HelpVersionAndWrongUsage) {
    TempFolder folder;
    const Result help = RunProgram({ORBITFALL_GAME, "--help"}, folder, "help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--screenshot-at"), std::string::npos) << help.out;
    const Result version = RunProgram({ORBITFALL_GAME, "--version"}, folder, "version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_search(version.out, std::regex(R"(^orbitfall [0-9]+\.[0-9]+\.[0-9]+)"))) << version.out;
    const Result wrong = RunProgram({ORBITFALL_GAME, "minimal", "--no-such-option"}, folder, "wrong");
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_NE(wrong.out.find("usage:"), std::string::npos) << wrong.out;
}

TEST(GameCli, MissingReplayIsAnErrorNotAWindow) {
    TempFolder folder;
    const Result r = RunProgram({ORBITFALL_GAME, folder.Path() + "Replays/none.ofr", "--user-dir", folder.Path(),
                          "--exit-after", "1"},
                         folder, "missing");
    EXPECT_EQ(r.exitCode, 1) << r.out;
}
