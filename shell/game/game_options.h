#pragma once
// Command-line options of orbitfall.
#include <string>
#include <vector>

namespace orbitfall {

struct TGameOptions {
    // The first argument: a replay path or a detail word.
    std::string FirstArgument;
    // Port a hosted game listens on and a joined host is reached on, unless
    // the host text names another ("name:port").
    int Port = 6112;
    std::string UserDir;
    bool Help = false;
};

TGameOptions ParseGameOptions(const std::vector<std::string>& args);
extern const char* const GameUsage;

}  // namespace orbitfall
