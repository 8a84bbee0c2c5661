#include "shell/sim/sim_options.h"

#include <charconv>


namespace orbitfall {
namespace {

// Seconds with an optional fraction ("0.5"), from 0.1 to 60.
double SecondsOption(const std::string& option, const std::string& text) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || !(value >= 0.1 && value <= 60))
        throw EUsageError(option + ": '" + text + "' is not a number of seconds from 0.1 to 60");
    return value;
}

}  // namespace

const char* const SimUsage =
    "usage:\n"
    "  orbitfall-sim run --map NAME --players N [--local L] [--seed S] --frames F\n"
    "                    [--script FILE] [--record] [--dump-at F1,F2,...] [--user-dir DIR]\n"
    "  orbitfall-sim verify REPLAY [--dump-at F1,F2,...] [--user-dir DIR]\n"
    "  orbitfall-sim host --clients K --map NAME --frames F [--frame-ms MS] [--seed S]\n"
    "                     [--script FILE] [--port P] [--user-dir DIR] [--stats]\n"
    "  orbitfall-sim join HOST [--port P] [--frames F] [--script FILE] [--user-dir DIR]\n"
    "                     [--wait-ms MS] [--nudge-at F] [--stats]\n"
    "  orbitfall-sim find [--port P] [--seconds S] [--stats]\n"
    "  orbitfall-sim diff DUMP1 DUMP2 [--frame F]\n"
    "  orbitfall-sim --help | --version\n";

const char* const SimHelpIntro =
    "orbitfall-sim: Orbitfall without windows. Plays games from scripts, records\n"
    "and verifies replays, hosts and joins lockstep games over TCP. Its output\n"
    "lines are a contract that tests and tools rely on.\n\n";

const char* const SimHelpDetails =
    "\nCommands:\n"
    "  run     a game on this machine: \"seed S\", then \"frame F checksum HHHHHHHH\"\n"
    "          per frame (the checksum a host puts into that frame's header)\n"
    "  verify  plays a replay with every checksum compared:\n"
    "          \"verified N frames in T ms (R frames/s)\" or \"Replay-Fehler in frame N\"\n"
    "  host    hosts a lockstep game over TCP and waits for K clients\n"
    "  join    joins the game hosted on HOST\n"
    "  find    asks the local network for games waiting in their lobby (UDP on the\n"
    "          game port; only 127.0.0.1 when ORBITFALL_DISCOVERY=loopback) and\n"
    "          prints one line per answer: \"game ADDRESS PORT NAME MAP PLAYERS\n"
    "          STARTS\" (blanks in NAME and MAP as \"_\", \"-\" for no map, \"?\"\n"
    "          for unknown start views)\n"
    "  diff    compares two world dumps (a Desync/ file of the user folder, or\n"
    "          saved output of --dump-at) and names the first object and field\n"
    "          where they differ, e.g. \"frame 812: object 17 TControlledUnit of\n"
    "          player 2: X 120.5 / 120.25\", one line each for the objects, the\n"
    "          players, the game and the unit types; or \"frame F: the worlds are\n"
    "          equal\" (exit 0; 1 when they differ)\n"
    "\nOptions:\n"
    "  --map NAME        the map (shipped: Kreuzung, Zweikampf, Weite; or a user map)\n"
    "  --players N       players of a run game, at least the map's start views\n"
    "  --local L         the local player number of a run game (default 1)\n"
    "  --seed S          the shared generator's 32-bit state (default: from the clock)\n"
    "  --frames F        frames to play\n"
    "  --script FILE     commands, one per line: \"frame player command args\" for\n"
    "                    run, \"frame command args\" for host and join; commands:\n"
    "                    select x1 y1 x2 y2, selectadd x1 y1 x2 y2, selectall,\n"
    "                    move x y, raw kind flags hex32\n"
    "  --record          writes Replays/Latest.ofr and the start record\n"
    "                    Replays/Latest.ofs into the user folder\n"
    "  --dump-at F1,...  after those frames' checksum lines, one line per object:\n"
    "                    \"obj CLASS ID OWNER X Y HP\", then per player its selected\n"
    "                    ids: \"sel PLAYER ID ...\", then the whole world as\n"
    "                    \"game\", \"player\", \"type\" and \"object\" lines of\n"
    "                    KEY=VALUE fields (verify prints the checksum lines of\n"
    "                    those frames only)\n"
    "  --frame F         diff: the dumps of frame F (default: each file's first)\n"
    "  --user-dir DIR    the user folder to use instead of the one found below\n"
    "  --clients K       the clients a host waits for\n"
    "  --frame-ms MS     the host's frame time (default 50)\n"
    "  --port P          TCP port (default 6112; host --port 0 picks a free port and\n"
    "                    prints \"port N\")\n"
    "  --seconds S       how long find collects answers (default 1, 0.1 to 60)\n"
    "  --wait-ms MS      how long a client waits for the host's next frame\n"
    "                    (default 30000)\n"
    "  --nudge-at F      test aid: changes the client's world after frame F, to\n"
    "                    show that a diverging world is caught\n"
    "  --stats           ends with frames per second, Lag and bytes on the wire;\n"
    "                    find: bytes of the query and the answers (UDP payload),\n"
    "                    datagrams read and milliseconds from the query to the\n"
    "                    first game listed (-1: none)\n"
    "  --help            this text; --version: the program's version\n"
    "\nExit codes: 0 done, 1 an error of the game (its message is printed),\n"
    "2 wrong usage. diff: 0 equal worlds, 1 different worlds, 2 wrong usage or\n"
    "a file that cannot be read or holds no world dump.\n\n";

TSimOptions ParseSimOptions(const std::vector<std::string>& args) {
    if (args.empty()) throw EUsageError("no command given");
    TSimOptions o;
    o.Command = args[0];
    if (o.Command == "--help" || o.Command == "-h") o.Command = "help";
    if (o.Command == "--version") o.Command = "version";
    if ((o.Command == "help" || o.Command == "version") && args.size() == 1) return o;
    if (o.Command == "help" || o.Command == "version")
        throw EUsageError("unexpected argument '" + args[1] + "'");
    if (o.Command != "run" && o.Command != "verify" && o.Command != "host" && o.Command != "join" &&
        o.Command != "find" && o.Command != "diff")
        throw EUsageError("unknown command '" + o.Command + "'");

    const bool run = o.Command == "run", host = o.Command == "host", join = o.Command == "join";
    const bool find = o.Command == "find";
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw EUsageError(a + " needs a value");
            return args[++i];
        };
        // Where an option is expected, --help asks for the help of the command.
        if (a == "--help" || a == "-h") {
            o.Command = "help";
            return o;
        }
        if (o.Command == "diff" && a == "--frame") o.DiffFrame = OptionNumber<std::int32_t>(a, value(), 0, INT32_MAX);
        else if (o.Command == "diff" && o.DiffFiles.size() < 2 && !a.starts_with("--")) o.DiffFiles.push_back(a);
        else if (host && a == "--port") o.Port = OptionNumber<int>(a, value(), 0, 65535);
        else if (find && a == "--port") o.Port = OptionNumber<int>(a, value(), 1, 65535);
        else if (find && a == "--seconds") o.Seconds = SecondsOption(a, value());
        else if (find && a == "--stats") o.Stats = true;
        else if (join && a == "--port") o.Port = OptionNumber<int>(a, value(), 1, 65535);
        else if ((host || join) && a == "--script") o.Script = value();
        else if ((host || join) && a == "--frames") o.Frames = OptionNumber<std::int32_t>(a, value(), 0, INT32_MAX);
        else if ((host || join) && a == "--stats") o.Stats = true;
        else if (host && a == "--clients") o.Clients = OptionNumber<int>(a, value(), 0, 254);
        else if (host && a == "--map") o.Map = value();
        else if (host && a == "--frame-ms") o.FrameMs = OptionNumber<int>(a, value(), 1, 10000);
        else if (host && a == "--seed") o.Seed = OptionNumber<std::uint32_t>(a, value(), 0, 4294967295LL);
        else if (join && a == "--wait-ms") o.WaitMs = OptionNumber<int>(a, value(), 1, 3600000);
        else if (join && a == "--nudge-at") o.NudgeAt = OptionNumber<std::int32_t>(a, value(), 0, INT32_MAX);
        else if (join && o.Host.empty() && !a.starts_with("--")) o.Host = a;
        else if (run && a == "--map") o.Map = value();
        else if (o.Command == "run" && a == "--players") o.Players = OptionNumber<int>(a, value(), 1, 255);
        else if (o.Command == "run" && a == "--local") o.Local = OptionNumber<int>(a, value(), 1, 255);
        else if (o.Command == "run" && a == "--seed") o.Seed = OptionNumber<std::uint32_t>(a, value(), 0, 4294967295LL);
        else if (o.Command == "run" && a == "--frames") o.Frames = OptionNumber<std::int32_t>(a, value(), 0, INT32_MAX);
        else if (o.Command == "run" && a == "--script") o.Script = value();
        else if (o.Command == "run" && a == "--record") o.Record = true;
        else if ((run || o.Command == "verify") && a == "--dump-at") o.DumpAt = OptionNumberList(a, value(), 0, INT32_MAX);
        else if (a == "--user-dir") o.UserDir = value();
        else if (o.Command == "verify" && o.Replay.empty() && !a.starts_with("--")) o.Replay = a;
        else throw EUsageError("unexpected argument '" + a + "'");
    }

    if (run) {
        if (o.Map.empty()) throw EUsageError("run needs --map");
        if (o.Players == 0) throw EUsageError("run needs --players");
        if (o.Frames < 0) throw EUsageError("run needs --frames");
    } else if (host) {
        if (o.Clients < 0) throw EUsageError("host needs --clients");
        if (o.Map.empty()) throw EUsageError("host needs --map");
        if (o.Frames < 0) throw EUsageError("host needs --frames");
    } else if (join) {
        if (o.Host.empty()) throw EUsageError("join needs the host's name or address");
    } else if (find) {
    } else if (o.Command == "diff") {
        if (o.DiffFiles.size() != 2) throw EUsageError("diff needs two dump files");
    } else if (o.Replay.empty()) {
        throw EUsageError("verify needs a replay file");
    }
    return o;
}

}  // namespace orbitfall
