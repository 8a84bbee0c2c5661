// orbitfall watching replays recorded by orbitfall-sim, in a window on the
// test display: the pictures it writes, the frames it plays, what it logs.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/png_file.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_pictures.h"
#include "tests/support/x_display.h"

using namespace orbitfall;
using orbitfall::testing::ChildProcess;
using orbitfall::testing::TempFolder;
using namespace std::chrono_literals;

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

std::string CaptionOf(const std::string& window) { return orbitfall::testing::Xdotool({"getwindowname", window}); }

// The caption once it matches (searched anywhere in it); empty on a timeout.
std::string WaitForCaption(const std::string& window, const std::string& pattern,
                           std::chrono::milliseconds timeout = 5s) {
    const std::regex re(pattern);
    for (auto end = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < end;) {
        const std::string caption = CaptionOf(window);
        if (std::regex_search(caption, re)) return caption;
        std::this_thread::sleep_for(20ms);
    }
    return {};
}

int CaptionFrame(const std::string& caption) {
    std::smatch m;
    return std::regex_search(caption, m, std::regex(" Frame:([0-9]+) ")) ? std::stoi(m[1]) : -1;
}

// The Frame values of a --timings file: one line per frame drawn.
std::vector<int> DrawnFrames(const std::string& path) {
    std::ifstream in(path);
    std::vector<int> frames;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) frames.push_back(std::stoi(line));
    return frames;
}

double SecondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
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

    // The replay in a window that the test then works with xdotool.
    std::unique_ptr<ChildProcess> Open(std::vector<std::string> extra) {
        std::vector<std::string> args = {ORBITFALL_GAME, user.Path() + "Replays/Latest.ofr", "--user-dir", user.Path()};
        args.insert(args.end(), extra.begin(), extra.end());
        return std::make_unique<ChildProcess>(args, user.Path() + "watch.out");
    }

    Result Verify() const {
        return RunProgram({ORBITFALL_SIM, "verify", user.Path() + "Replays/Latest.ofr", "--user-dir", user.Path()},
                          user, "verify");
    }

    // The Frame values of the "Beginning Frame" lines, in log order.
    std::vector<int> FramesBegun() const {
        std::vector<int> frames;
        for (const std::string& line : LogLines()) {
            const auto pos = line.find("Beginning Frame ");
            if (pos != std::string::npos) frames.push_back(std::stoi(line.substr(pos + 16)));
        }
        return frames;
    }

    void CorruptChecksumOf(int frame);
    // One "Except" line with "Replay-Fehler"; the failed frame was the last begun.
    void ExpectStoppedAt(int frame);

    static void ExpectMagentaTextOnlyAtTheBottomLeft(const TRgbaPicture& shot) {
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
    ExpectMagentaTextOnlyAtTheBottomLeft(ReadPng(user.Path() + "frame-0.png"));
}

TEST_F(WindowedReplay, F12SavesWhatThePlayingWindowShowsIntoTheUserScreenshots) {
    using orbitfall::testing::FindWindow;
    using orbitfall::testing::PressKey;
    Record("Breit", 2, 600, "");
    auto game = Open({"--size", "800x600", "--frame-ms", "20", "--exit-after", "1000"});
    const std::string w = FindWindow(game->Pid(), "^Move:");
    ASSERT_FALSE(w.empty()) << game->Output();
    ASSERT_FALSE(WaitForCaption(w, " Frame:[1-9][0-9] ").empty()) << CaptionOf(w);
    const std::time_t before = std::time(nullptr);
    PressKey(w, "F12");
    std::string path;
    const std::regex saved("^Status\t1\t[^\t]*\tScreenshot saved to (.*)$");
    for (auto end = std::chrono::steady_clock::now() + 5s; path.empty() && std::chrono::steady_clock::now() < end;) {
        for (const std::string& line : LogLines()) {
            std::smatch m;
            if (std::regex_match(line, m, saved)) path = m[1];
        }
        std::this_thread::sleep_for(20ms);
    }
    const std::time_t after = std::time(nullptr);
    ASSERT_FALSE(path.empty()) << "no log line for the screenshot";
    orbitfall::testing::RunCommand({X_CLOSE, w});  // the close box
    EXPECT_EQ(game->Wait(10s), 0) << game->Output();

    // The one file in <user>/Screenshots, named by the local date and time of the key press.
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(user.Path() + "Screenshots")) files.push_back(e.path().string());
    ASSERT_EQ(files, std::vector<std::string>{path});
    const std::string name = std::filesystem::path(path).filename().string();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(name, m, std::regex(R"(([0-9]{4})-([0-9]{2})-([0-9]{2})_([0-9]{2})-([0-9]{2})-([0-9]{2})\.png)")))
        << name;
    std::tm local{};
    local.tm_year = std::stoi(m[1]) - 1900;
    local.tm_mon = std::stoi(m[2]) - 1;
    local.tm_mday = std::stoi(m[3]);
    local.tm_hour = std::stoi(m[4]);
    local.tm_min = std::stoi(m[5]);
    local.tm_sec = std::stoi(m[6]);
    local.tm_isdst = -1;
    const std::time_t stamp = std::mktime(&local);
    EXPECT_GE(stamp, before) << name;
    EXPECT_LE(stamp, after) << name;

    // The client area as drawn: the interface strip along the bottom (200
    // pixels of 600 at this width) under the main view, the text at the bottom left.
    const TRgbaPicture shot = ReadPng(path);
    ASSERT_EQ(shot.Width, 800);
    ASSERT_EQ(shot.Height, 600);
    for (int y : {0, 100, 199}) EXPECT_EQ(PixelFromBottom(shot, 700, y), Strip) << "strip row " << y;
    EXPECT_NE(PixelFromBottom(shot, 700, 300), Strip);
    ExpectMagentaTextOnlyAtTheBottomLeft(shot);
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

TEST_F(WindowedReplay, PlaybackKeysChangeSpeedAndPauseWhileEveryRecordedFramePlaysOnceInOrder) {
    using orbitfall::testing::FindWindow;
    using orbitfall::testing::PressKey;
    constexpr int Recorded = 2500, ExitAfter = Recorded + 20;
    Record("Kreuzung", 4, Recorded,
           "2 1 selectall\n2 1 move 200 200\n2 2 selectall\n2 2 move 100 200\n"
           "2 3 selectall\n2 3 move 200 100\n2 4 selectall\n2 4 move 100 100\n");
    const Result verify = Verify();
    ASSERT_EQ(verify.exitCode, 0) << verify.out;
    ASSERT_NE(verify.out.find("verified 2500 frames"), std::string::npos) << verify.out;

    // 1x is one frame per 20 ms here.
    const std::string timings = user.Path() + "timings.txt";
    auto game = Open({"--frame-ms", "20", "--exit-after", std::to_string(ExitAfter), "--timings", timings});
    const std::string w = FindWindow(game->Pid(), "^Move:");
    ASSERT_FALSE(w.empty()) << game->Output();
    EXPECT_FALSE(WaitForCaption(w, "^Move:[0-9]+ms Render:[0-9]+ms .* Frame:[0-9]+ Speed:1x$").empty()) << CaptionOf(w);

    // Down to a quarter: one frame per 80 ms.
    PressKey(w, "minus");
    EXPECT_FALSE(WaitForCaption(w, " Speed:1/2x$").empty()) << CaptionOf(w);
    PressKey(w, "KP_Subtract");
    ASSERT_FALSE(WaitForCaption(w, " Speed:1/4x$").empty()) << CaptionOf(w);
    std::size_t before = FramesBegun().size();
    auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(1s);
    std::size_t played = FramesBegun().size() - before;
    EXPECT_LE(played, SecondsSince(start) * 1000 / 80 + 2);
    EXPECT_GE(played, 3u);

    // Space pauses: the caption says so, and no frame runs however long it lasts.
    PressKey(w, "space");
    const std::string paused = WaitForCaption(w, " Speed:1/4x Paused$");
    ASSERT_FALSE(paused.empty()) << CaptionOf(w);
    before = FramesBegun().size();
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(FramesBegun().size(), before);
    EXPECT_EQ(CaptionOf(w), paused);
    EXPECT_EQ(CaptionFrame(paused), FramesBegun().back()) << "the caption shows the last frame played";
    PressKey(w, "space");
    EXPECT_FALSE(WaitForCaption(w, " Speed:1/4x$").empty()) << CaptionOf(w);
    EXPECT_GT(CaptionFrame(WaitForCaption(w, " Frame:" + std::to_string(CaptionFrame(paused) + 2) + " ")),
              CaptionFrame(paused));

    // Up to 16x with both "+" keys, each step shown at once, then max.
    for (const auto& [key, text] : std::vector<std::pair<std::string, std::string>>{
             {"plus", "1/2x"}, {"KP_Add", "1x"}, {"plus", "2x"}, {"KP_Add", "4x"}, {"plus", "8x"}, {"KP_Add", "16x"}}) {
        PressKey(w, key);
        EXPECT_FALSE(WaitForCaption(w, " Speed:" + text + "$").empty()) << key << " " << CaptionOf(w);
    }
    // A dozen pictures at 16x, however slow this machine draws them.
    const std::size_t before16 = DrawnFrames(timings).size();
    for (auto end = std::chrono::steady_clock::now() + 30s;
         DrawnFrames(timings).size() < before16 + 12 && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(20ms);
    const std::size_t at16 = FramesBegun().size();
    PressKey(w, "plus");
    ASSERT_FALSE(WaitForCaption(w, " Speed:max$").empty()) << CaptionOf(w);
    ASSERT_LT(at16, static_cast<std::size_t>(Recorded) - 300) << "the replay was nearly over before max";
    const std::size_t pictures = DrawnFrames(timings).size();
    before = FramesBegun().size();
    start = std::chrono::steady_clock::now();
    // Half a second, or longer until a few pictures have come on a slow machine.
    std::this_thread::sleep_for(500ms);
    for (auto end = start + 30s;
         DrawnFrames(timings).size() < pictures + 3 && std::chrono::steady_clock::now() < end;)
        std::this_thread::sleep_for(20ms);
    const double seconds = SecondsSince(start);
    const std::size_t drawnAtMax = DrawnFrames(timings).size() - pictures;
    const std::size_t playedAtMax = FramesBegun().size() - before;
    EXPECT_LE(drawnAtMax, seconds * 60 + 2);
    EXPECT_GE(drawnAtMax, 3u);
    EXPECT_GT(playedAtMax, drawnAtMax * 16) << "max draws fewer of the frames it plays than 16x";
    std::printf("max: %zu frames, %zu pictures in %.2f s\n", playedAtMax, drawnAtMax, seconds);

    // Max plays to the end of the replay and the frames after it, then --exit-after closes.
    EXPECT_EQ(game->Wait(30s), 0) << game->Output();
    EXPECT_EQ(game->Output().find("Replay-Fehler"), std::string::npos) << game->Output();
    // Every frame once and in order, each compared with the recorded checksum
    // that verify compared its own with.
    const std::vector<int> frames = FramesBegun();
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(ExitAfter));
    for (int i = 0; i < ExitAfter; ++i) ASSERT_EQ(frames[i], i);

    // Pictures: every frame at 1x and below, every 16th at 16x, rarer at max.
    const std::vector<int> drawn = DrawnFrames(timings);
    int run16 = 0, longest16 = 0, ones = 0, beyond16 = 0;
    for (std::size_t i = 1; i < drawn.size(); ++i) {
        const int gap = drawn[i] - drawn[i - 1];
        ASSERT_GT(gap, 0) << i;
        run16 = gap == 16 ? run16 + 1 : 0;
        longest16 = std::max(longest16, run16);
        ones += gap == 1;
        beyond16 += gap > 16;
    }
    EXPECT_GE(longest16, 10);
    EXPECT_GE(ones, 10);
    EXPECT_GT(beyond16, 0);
}

TEST_F(WindowedReplay, DivergenceStopsTheGameWithReplayFehler) {
    Record("Zweikampf", 2, 40, "2 1 selectall\n2 1 move 150 150\n");
    CorruptChecksumOf(20);
    const Result r = Watch({"--exit-after", "100"});
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("Replay-Fehler"), std::string::npos) << r.out;
    ExpectStoppedAt(20);
    // The window keeps the world of that frame, as verification does.
    EXPECT_NE(r.out.find("World of frame 20 written to " + user.Path() + "Desync/frame-20_"), std::string::npos)
        << r.out;
    int dumps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(user.Path() + "Desync"))
        dumps += entry.path().filename().string().rfind("frame-20_", 0) == 0;
    EXPECT_EQ(dumps, 1);
}

TEST_F(WindowedReplay, DivergenceAtMaxSpeedStopsTheGameWithReplayFehlerAllTheSame) {
    using orbitfall::testing::FindWindow;
    using orbitfall::testing::PressKey;
    Record("Kreuzung", 4, 2000, "2 1 selectall\n2 1 move 200 200\n2 2 selectall\n2 2 move 100 200\n");
    CorruptChecksumOf(1800);
    auto game = Open({"--frame-ms", "20", "--exit-after", "3000"});
    const std::string w = FindWindow(game->Pid(), "^Move:");
    ASSERT_FALSE(w.empty()) << game->Output();
    for (int i = 0; i < 5; ++i) PressKey(w, i % 2 ? "plus" : "KP_Add");
    const std::string atMax = WaitForCaption(w, " Speed:max$");
    ASSERT_FALSE(atMax.empty()) << CaptionOf(w);
    ASSERT_LT(CaptionFrame(atMax), 1700) << "the bad frame must come at max speed";
    EXPECT_EQ(game->Wait(30s), 1) << game->Output();
    EXPECT_NE(game->Output().find("Replay-Fehler"), std::string::npos) << game->Output();
    ExpectStoppedAt(1800);
}

void WindowedReplay::CorruptChecksumOf(int frame) {
    // The checksum in that frame's header no longer matches the world.
    const std::string replay = user.Path() + "Replays/Latest.ofr";
    std::fstream f(replay, std::ios::in | std::ios::out | std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(f), {}};
    std::size_t pos = 0;
    for (int i = 0; i < frame; ++i) pos += 9 + 23 * static_cast<unsigned char>(bytes[pos + 8]);
    ASSERT_LT(pos + 4, bytes.size());
    f.seekp(static_cast<std::streamoff>(pos + 4));
    f.put(static_cast<char>(bytes[pos + 4] ^ 0x55));
}

void WindowedReplay::ExpectStoppedAt(int frame) {
    const auto lines = LogLines();
    int except = 0, lastFrame = -1;
    for (const std::string& line : lines) {
        if (line.rfind("Except\t5\t", 0) == 0 && line.find("Replay-Fehler") != std::string::npos) ++except;
        const auto p = line.find("Beginning Frame ");
        if (p != std::string::npos) lastFrame = std::stoi(line.substr(p + 16));
    }
    EXPECT_EQ(except, 1);
    EXPECT_EQ(lastFrame, frame);  // no frame after the one that failed
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
