#include <chrono>
#include <cstdio>
#include <set>

#include "control/frame_loop.h"
#include "control/replay_controller.h"
#include "shell/sim/console_shell.h"
#include "shell/sim/sim_commands.h"
#include "simulation/world_dump.h"

namespace orbitfall {

int VerifyReplay(const TSimOptions& o) {
    TConsoleShell shell;
    TReplayController controller(shell);
    Controller = &controller;
    // What the world looked like at chosen frames of a recorded game, as run
    // lists it: the frame's checksum line, then the world in the form a
    // machine writes when its world parts from another's.
    const std::set<std::int32_t> dumpAt(o.DumpAt.begin(), o.DumpAt.end());
    controller.OnFrameStart = [&](const TFrameHeader& header) {
        if (!dumpAt.count(std::int32_t{header.Frame})) return;
        std::fputs((FrameLine(header.Frame, header.Checksum) + WorldDumpText(controller.RequireGame())).c_str(),
                   stdout);
    };
    controller.OpenReplay(o.Replay);

    TFrameLoop loop;
    const auto start = std::chrono::steady_clock::now();
    while (!controller.AtEnd) {
        if (!loop.DoTimer(controller)) {
            // "Replay-Fehler in frame N", then whatever else the error says
            // (where the world of that frame was written).
            const std::string& error = shell.LastError();
            const auto firstLineEnd = error.find('\n');
            std::printf("%s in frame %lld\n%s", error.substr(0, firstLineEnd).c_str(),
                        static_cast<long long>(controller.FramesPlayed()),
                        firstLineEnd == std::string::npos ? "" : (error.substr(firstLineEnd + 1) + "\n").c_str());
            Controller = nullptr;
            return 1;
        }
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const auto frames = controller.FramesPlayed();
    std::printf("verified %lld frames in %.0f ms (%.0f frames/s)\n", static_cast<long long>(frames), ms,
                ms > 0 ? frames * 1000.0 / ms : 0.0);
    Controller = nullptr;
    return 0;
}

}  // namespace orbitfall
