// orbitfall: the game. Network play through the server selection and the
// lobby; a replay path as first argument plays it back.
#include <clocale>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include <FL/Fl.H>

#include "infra/file_system.h"
#include "infra/process_units.h"
#include "shell/game/game_options.h"
#include "shell/lobby/network_mode.h"

using namespace orbitfall;

int main(int argc, char** argv) {
    TGameOptions options;
    try {
        options = ParseGameOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orbitfall: %s\n%s", e.what(), GameUsage);
        return 2;
    }
    if (options.Help) {
        std::fputs(GameUsage, stdout);
        return 0;
    }
    try {
        TInfraUnits units(ExecutableDir(), options.FirstArgument, options.UserDir);
        // "." as decimal separator whatever the user's locale.
        std::setlocale(LC_NUMERIC, "C");
        Fl::scheme("gtk+");
        return RunNetworkMode(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
