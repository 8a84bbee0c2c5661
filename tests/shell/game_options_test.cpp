// orbitfall's command line: the first argument's two meanings and the options
// for tools and tests.
#include <gtest/gtest.h>

#include "shell/game/game_options.h"

using namespace orbitfall;

TEST(GameOptions, ReplayModeFromTheFirstArgument) {
    struct Case {
        const char* argument;
        bool replay;
    };
    for (const Case& c : {Case{"C:\\Spiel\\Replays\\Latest.ofr", true}, Case{"/home/a/UserFiles/replays/x.ofr", true},
                          Case{"/home/a/REPLAYS/x.ofr", true}, Case{"..\\Game\\UserFiles\\rEpLaYs\\Latest.ofr", true},
                          // A relative path that starts with the folder has no separator before it.
                          Case{"replays\\Latest.ofr", false}, Case{"replays/Latest.ofr", false},
                          Case{"/home/a/myreplays/x.ofr", false}, Case{"minimal", false}, Case{"", false}})
        EXPECT_EQ(IsReplayArgument(c.argument), c.replay) << c.argument;
}

TEST(GameOptions, FirstArgumentKeepsItsLetters) {
    const TGameOptions o = ParseGameOptions({"/Home/A/Replays/Latest.OFR", "--size", "1024x768"});
    EXPECT_TRUE(o.ReplayMode);
    EXPECT_EQ(o.FirstArgument, "/Home/A/Replays/Latest.OFR");
    EXPECT_EQ(o.ClientWidth, 1024);
    EXPECT_EQ(o.ClientHeight, 768);
}

TEST(GameOptions, DefaultsAreTheDesignValues) {
    const TGameOptions o = ParseGameOptions({});
    EXPECT_FALSE(o.ReplayMode);
    EXPECT_EQ(o.FirstArgument, "");
    EXPECT_EQ(o.ClientWidth, 696);
    EXPECT_EQ(o.ClientHeight, 480);
    EXPECT_EQ(o.FrameMs, 50);
    EXPECT_FALSE(o.FrameMsGiven);
    EXPECT_EQ(o.ExitAfter, -1);
    EXPECT_EQ(o.Port, 6112);
    EXPECT_TRUE(o.ScreenshotAt.empty());
}

TEST(GameOptions, ToolOptionsAfterADetailWord) {
    const TGameOptions o = ParseGameOptions({"minimal", "--user-dir", "/tmp/u", "--frame-ms", "1", "--screenshot-at",
                                             "0,300,12", "--screenshot-dir", "/tmp/shots", "--exit-after", "301",
                                             "--port", "7000"});
    EXPECT_EQ(o.FirstArgument, "minimal");
    EXPECT_FALSE(o.ReplayMode);
    EXPECT_EQ(o.UserDir, "/tmp/u");
    EXPECT_EQ(o.FrameMs, 1);
    EXPECT_TRUE(o.FrameMsGiven);
    EXPECT_EQ(o.ScreenshotAt, (std::vector<std::int32_t>{0, 300, 12}));
    EXPECT_EQ(o.ScreenshotDir, "/tmp/shots");
    EXPECT_EQ(o.ExitAfter, 301);
    EXPECT_EQ(o.Port, 7000);
}

TEST(GameOptions, PortZeroLetsTheSystemPickAndTheOrderTraceIsNamed) {
    const TGameOptions o = ParseGameOptions({"--port", "0", "--order-trace", "/tmp/trace"});
    EXPECT_EQ(o.Port, 0);
    EXPECT_EQ(o.OrderTrace, "/tmp/trace");
    EXPECT_THROW(ParseGameOptions({"--port", "-1"}), EUsageError);
}

TEST(GameOptions, OptionsWithoutAFirstArgument) {
    const TGameOptions o = ParseGameOptions({"--help"});
    EXPECT_TRUE(o.Help);
    EXPECT_EQ(o.FirstArgument, "");
    EXPECT_TRUE(ParseGameOptions({"--version"}).Version);
}

TEST(GameOptions, WrongUsageIsRefused) {
    const std::vector<std::vector<std::string>> cases = {
        {"x", "--bogus"},          {"x", "--size"},          {"x", "--size", "1024"},  {"x", "--size", "10x768"},
        {"x", "--size", "1024x"},  {"x", "--frame-ms", "0"}, {"x", "--frame-ms", "5ms"}, {"x", "--screenshot-at", "1,,2"},
        {"x", "--screenshot-at", "-1"}, {"x", "--exit-after", "many"}, {"x", "--port", "70000"}, {"x", "extra"},
    };
    for (const auto& args : cases) EXPECT_THROW(ParseGameOptions(args), EUsageError) << args[1];
}

TEST(GameOptions, HelpNamesEveryOptionAndTheFolders) {
    const std::string help = GameHelp();
    for (const char* option : {"--user-dir", "--size", "--frame-ms", "--screenshot-at", "--screenshot-dir",
                               "--exit-after", "--port", "--help", "--version", "UserFiles", "Data/", "log.txt", "Space",
                               "16x", "F12"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}
