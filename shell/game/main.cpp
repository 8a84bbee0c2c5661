// orbitfall: the game. A replay named by the first argument is watched in a
// window; otherwise network play starts with the server selection.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <clocale>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "infra/file_system.h"
#include "infra/process_units.h"
#include "shell/game/game_options.h"
#include "shell/game/replay_mode.h"
#include "shell/lobby/network_mode.h"

using namespace orbitfall;

int main(int argc, char** argv) {
    // Numbers are written and read with "." whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    TGameOptions options;
    try {
        options = ParseGameOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& e) {
        std::fprintf(stderr, "orbitfall: %s\n%s", e.what(), GameUsage);
        return 2;
    }
    if (options.Help) {
        std::fputs(GameHelp().c_str(), stdout);
        return 0;
    }
    if (options.Version) {
        std::fputs(GameVersion().c_str(), stdout);
        return 0;
    }
    Fl_Window::default_xclass("Orbitfall");
    try {
        // The settings read the first argument itself, as a detail word.
        TInfraUnits units(ExecutableDir(), argc > 1 ? argv[1] : "", options.UserDir);
        return options.ReplayMode ? RunReplayMode(options) : RunNetworkMode(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
