// The installed game window: a replay recorded by the installed orbitfall-sim
// into the XDG folder, played back by the installed orbitfall under X.
// Built only where this build has the game, so that it fails (never skips)
// when the installed game does not work.
#include <filesystem>
#include <fstream>

#include "tests/install/installed_tree.h"

using namespace orbitfall::testing;
namespace fs = std::filesystem;

namespace {

class InstalledGame : public InstalledTree {
protected:
    std::string Game() const { return prefix + "games/orbitfall"; }

    // Under the display the test runs with, else under a private Xvfb.
    std::vector<std::string> UnderX(std::vector<std::string> args) const {
        const char* display = getenv("DISPLAY");
        if (display != nullptr && *display != '\0') return args;
        args.insert(args.begin(), {"/usr/bin/env", "xvfb-run", "-a", "-s", "-screen 0 1280x1024x24"});
        return args;
    }
};

TEST_F(InstalledGame, AnswersHelpAndVersion) {
    const RunResult version = RunWith({Game(), "--version"}, tmp.Path() + "home", std::nullopt);
    EXPECT_EQ(version.exitCode, 0) << version.output;
    EXPECT_NE(version.output.find(ORBITFALL_VERSION), std::string::npos) << version.output;
    const RunResult help = RunWith({Game(), "--help"}, tmp.Path() + "home", std::nullopt);
    EXPECT_EQ(help.exitCode, 0) << help.output;
    EXPECT_NE(help.output.find("--exit-after"), std::string::npos) << help.output;
    const RunResult wrong = RunWith({Game(), "--no-such-option"}, tmp.Path() + "home", std::nullopt);
    EXPECT_EQ(wrong.exitCode, 2) << wrong.output;
}

TEST_F(InstalledGame, PlaysAReplayFromTheXdgFolderInItsWindow) {
    const std::string home = tmp.Path() + "home";
    const std::string xdg = tmp.Path() + "xdg";
    const std::string user = xdg + "/orbitfall/";
    const RunResult record = RunWith(
        {Sim(), "run", "--map", "Zweikampf", "--players", "2", "--seed", "5", "--frames", "40", "--record"}, home,
        xdg);
    ASSERT_EQ(record.exitCode, 0) << record.output;
    const std::string replay = user + "Replays/Latest.ofr";
    ASSERT_TRUE(fs::is_regular_file(replay));
    fs::remove(user + "log.txt");

    const std::string shots = tmp.Path() + "shots";
    fs::create_directories(shots);
    const RunResult play = RunWith(UnderX({Game(), replay, "--size", "640x480", "--screenshot-at", "10",
                                           "--screenshot-dir", shots, "--exit-after", "30"}),
                                   home, xdg);
    ASSERT_EQ(play.exitCode, 0) << play.output;
    EXPECT_TRUE(fs::is_regular_file(user + "log.txt")) << "the game logs into the XDG folder";
    int pictures = 0;
    for (const auto& entry : fs::directory_iterator(shots)) {
        if (entry.path().extension() != ".png") continue;
        ++pictures;
        EXPECT_EQ(ReadFile(entry.path().string()).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    }
    EXPECT_EQ(pictures, 1);
    EXPECT_FALSE(fs::exists(home)) << "HOME is not used when XDG_DATA_HOME is";
}

}  // namespace
