#include "shell/game/game_options.h"

#include <algorithm>
#include <cctype>

#include "infra/file_system.h"

#ifndef ORBITFALL_VERSION
#define ORBITFALL_VERSION "unknown"
#endif

namespace orbitfall {

const char* const GameUsage =
    "usage: orbitfall [REPLAY | minimal | low | normal | high | maximal] [options]\n"
    "options:\n"
    "  --user-dir DIR          user folder (log, replays, graphics-card report)\n"
    "  --size WxH              client size of the game window in pixels (696x480)\n"
    "  --frame-ms MS           interval of the frame timer (50)\n"
    "  --screenshot-at F1,...  write the picture of the frames whose Frame is F as\n"
    "  --screenshot-dir DIR      DIR/frame-F.png (DIR defaults to the current folder)\n"
    "  --exit-after N          close the window after N frames and exit 0; an error\n"
    "                          then ends the program with exit 1 instead of a box\n"
    "  --port P                TCP port of network play (6112): a hosted game listens\n"
    "                          on P (0: any free port, named in the log), and a host\n"
    "                          text without \":port\" is joined on P; games on the\n"
    "                          local network are asked for (and a hosted game\n"
    "                          answers) on UDP port P\n"
    "  --order-trace FILE      network play: write when each move order was given\n"
    "                          and when each frame began (for measuring command lag)\n"
    "  --timings FILE          per frame drawn: Frame, the caption's Move and Render\n"
    "                          times (ms) and Render in microseconds\n"
    "  --help, --version\n";

bool IsReplayArgument(const std::string& firstArgument) {
    std::string a = ToNativeSeparators(firstArgument);
    std::transform(a.begin(), a.end(), a.begin(), [](unsigned char c) { return std::tolower(c); });
    return a.find("/replays/") != std::string::npos;
}

namespace {

void ParseSize(const std::string& option, const std::string& text, TGameOptions& o) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) throw EUsageError(option + ": '" + text + "' is not WIDTHxHEIGHT");
    o.ClientWidth = OptionNumber<int>(option, text.substr(0, x), 64, 8192);
    o.ClientHeight = OptionNumber<int>(option, text.substr(x + 1), 64, 8192);
}

}  // namespace

TGameOptions ParseGameOptions(const std::vector<std::string>& args) {
    TGameOptions o;
    std::size_t i = 0;
    if (!args.empty() && !args[0].starts_with("--")) {
        o.FirstArgument = args[0];
        o.ReplayMode = IsReplayArgument(args[0]);
        i = 1;
    }
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw EUsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--user-dir") o.UserDir = value();
        else if (a == "--size") ParseSize(a, value(), o);
        else if (a == "--frame-ms") {
            o.FrameMs = OptionNumber<int>(a, value(), 1, 10000);
            o.FrameMsGiven = true;
        } else if (a == "--screenshot-at") o.ScreenshotAt = OptionNumberList(a, value(), 0, INT32_MAX);
        else if (a == "--screenshot-dir") o.ScreenshotDir = value();
        else if (a == "--exit-after") o.ExitAfter = OptionNumber<std::int64_t>(a, value(), 0, INT32_MAX);
        else if (a == "--port") o.Port = OptionNumber<int>(a, value(), 0, 65535);
        else if (a == "--order-trace") o.OrderTrace = value();
        else if (a == "--timings") o.TimingsFile = value();
        else if (a == "--help") o.Help = true;
        else if (a == "--version") o.Version = true;
        else throw EUsageError("unexpected argument '" + a + "'");
    }
    return o;
}

std::string GameVersion() { return std::string("orbitfall ") + ORBITFALL_VERSION + "\n"; }

std::string GameHelp() {
    return std::string(
               "Orbitfall: real-time space strategy for several players on a local network.\n"
               "Without a replay the program opens the server selection: host a game or join one.\n"
               "A first argument containing /replays/ (or \\replays\\, any letter case) plays that\n"
               "replay in a window, from the start record (.ofs) beside it; closing the window ends\n"
               "the program. A detail word chooses what is drawn: minimal (no background, no\n"
               "mini-scene, outlined selection), low (no mini-scene), normal, high, maximal.\n"
               "In a replay window Space pauses and resumes, + and - (also on the keypad) step\n"
               "the speed through 1/4x, 1/2x, 1x, 2x, 4x, 8x, 16x and max; the caption shows\n"
               "the frame and the speed. F12 saves a picture into Screenshots/ in the user folder.\n\n") +
           GameUsage +
           "folders:\n"
           "  Data/ beside the program, else ../Game/Data/: shipped textures, fonts, units,\n"
           "    maps and language table (read only).\n"
           "  UserFiles/ beside the program, else ../Game/UserFiles/ (or --user-dir): files\n"
           "    here override shipped ones of the same name; the program writes log.txt,\n"
           "    GraphicCardInfo.txt and Replays/Latest.ofr with its start record Latest.ofs.\n";
}

}  // namespace orbitfall
