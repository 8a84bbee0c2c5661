#include <chrono>
#include <cstdio>

#include "control/frame_loop.h"
#include "control/replay_controller.h"
#include "shell/sim/console_shell.h"
#include "shell/sim/sim_commands.h"

namespace orbitfall {

int VerifyReplay(const TSimOptions& o) {
    TConsoleShell shell;
    TReplayController controller(shell);
    Controller = &controller;
    controller.OpenReplay(o.Replay);

    TFrameLoop loop;
    const auto start = std::chrono::steady_clock::now();
    while (!controller.AtEnd) {
        if (!loop.DoTimer(controller)) {
            std::printf("%s in frame %lld\n", shell.LastError().c_str(),
                        static_cast<long long>(controller.FramesPlayed()));
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
