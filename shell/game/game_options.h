#pragma once
// Command-line options of orbitfall. The first argument keeps its meaning (a
// replay to watch, or a detail word); the options for tools and tests follow.
#include <cstdint>
#include <string>
#include <vector>

#include "shell/option_values.h"

namespace orbitfall {

struct TGameOptions {
    // The first argument unless it is an option, else empty: a replay path or
    // a detail word (the settings read it as such).
    std::string FirstArgument;
    bool ReplayMode = false;
    std::string UserDir;            // --user-dir: replaces the user folder
    int ClientWidth = 696;          // --size WxH: the game window's client area
    int ClientHeight = 480;
    int FrameMs = 50;               // --frame-ms: the frame timer's interval
    bool FrameMsGiven = false;
    std::vector<std::int32_t> ScreenshotAt;  // --screenshot-at: Frame values
    std::string ScreenshotDir = ".";         // --screenshot-dir
    std::int64_t ExitAfter = -1;    // --exit-after: frames, then close and exit 0
    int Port = 6112;                // --port: network mode; 0 lets the system pick
    std::string OrderTrace;         // --order-trace FILE: when move orders are given and executed
    std::string TimingsFile;        // --timings: one line per frame, for measurements
    bool Help = false;
    bool Version = false;
};

// Replay mode: the lower-cased argument contains "\replays\"; separators are
// converted first, so "/replays/" selects it too.
bool IsReplayArgument(const std::string& firstArgument);

// EUsageError for an unknown option or a bad value.
TGameOptions ParseGameOptions(const std::vector<std::string>& args);

extern const char* const GameUsage;
// Usage, options and the folders the program uses.
std::string GameHelp();
std::string GameVersion();

}  // namespace orbitfall
