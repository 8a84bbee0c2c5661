// orbitfall-sim: the game without windows. Plays scripted games, records and
// verifies replays; its output is a contract that tests and tools rely on.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "infra/data_folders_help.h"
#include "infra/file_system.h"
#include "infra/process_units.h"
#include "shell/sim/sim_commands.h"
#include "shell/sim/sim_options.h"

using namespace orbitfall;

int main(int argc, char** argv) {
    TSimOptions options;
    try {
        options = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& e) {
        std::fprintf(stderr, "orbitfall-sim: %s\n%s", e.what(), SimUsage);
        return 2;
    }
    if (options.Command == "version") {
        std::printf("orbitfall-sim %s\n", ORBITFALL_VERSION);
        return 0;
    }
    if (options.Command == "help") {
        std::string folders;
        try {
            folders = DataFoldersHelp(ExecutableDir());
        } catch (const std::exception& e) {
            folders = std::string("Folders: ") + e.what() + "\n";
        }
        std::printf("%s%s%s%s", SimHelpIntro, SimUsage, SimHelpDetails, folders.c_str());
        return 0;
    }
    // Network games are watched while they run: one line at a time.
    if (options.Command == "host" || options.Command == "join") std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // Comparing two files needs no data folders.
    if (options.Command == "diff") {
        try {
            return DiffDumps(options);
        } catch (const std::exception& e) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s\n", e.what());
            return 2;
        }
    }
    try {
        TInfraUnits units(ExecutableDir(), "", options.UserDir);
        if (options.Command == "run") return RunGame(options);
        if (options.Command == "verify") return VerifyReplay(options);
        if (options.Command == "host") return HostGame(options);
        return JoinGame(options);
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
