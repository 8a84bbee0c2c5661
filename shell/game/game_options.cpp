#include "shell/game/game_options.h"

#include <charconv>
#include <stdexcept>

namespace orbitfall {

const char* const GameUsage =
    "usage: orbitfall [REPLAY | DETAIL] [--port P] [--user-dir DIR]\n"
    "  REPLAY      a replay file in a folder named Replays: plays it back\n"
    "  DETAIL      minimal, low, normal, high or maximal: network game\n"
    "  --port P    host on port P, and join hosts on P unless the host text\n"
    "              says \"name:port\" (default 6112)\n"
    "  --user-dir  the folder for the log, replays, screenshots and hosts\n";

TGameOptions ParseGameOptions(const std::vector<std::string>& args) {
    TGameOptions o;
    bool first = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            o.Help = true;
        } else if (a == "--port") {
            const std::string& text = value();
            int port = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
            if (error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535)
                throw std::invalid_argument("--port: '" + text + "' is not a port from 0 to 65535");
            o.Port = port;
        } else if (a == "--user-dir") {
            o.UserDir = value();
        } else if (first && !a.starts_with("--")) {
            o.FirstArgument = a;
            first = false;
        } else {
            throw std::invalid_argument("unexpected argument '" + a + "'");
        }
    }
    return o;
}

}  // namespace orbitfall
