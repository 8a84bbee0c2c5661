#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "control/frame_loop.h"
#include "control/local_controller.h"
#include "infra/random.h"
#include "shell/sim/console_shell.h"
#include "shell/sim/script.h"
#include "shell/sim/sim_commands.h"
#include "simulation/game.h"
#include "simulation/world_dump.h"

namespace orbitfall {

int RunGame(const TSimOptions& o) {
    std::multimap<std::int32_t, TCommand> byFrame;  // keeps file order within a frame
    if (!o.Script.empty())
        for (const TScriptCommand& c : LoadScript(o.Script, true)) byFrame.emplace(c.Frame, c.Command);

    if (o.Seed) SetRandomState(*o.Seed);
    else Randomize();
    const std::uint32_t seed = RandomState();
    std::printf("seed %u\n", seed);

    TStartInfo info;
    info.SetMapName(o.Map);
    info.RandomSeed = static_cast<std::int32_t>(seed);
    info.PlayerCount = static_cast<std::uint8_t>(o.Players);
    info.PlayerNumber = static_cast<std::uint8_t>(o.Local);

    TConsoleShell shell;
    TLocalController controller(shell);
    Controller = &controller;
    controller.Recording = o.Record;

    const std::set<std::int32_t> dumpAt(o.DumpAt.begin(), o.DumpAt.end());
    controller.OnFrameStart = [&](const TFrameHeader& header) {
        std::printf("frame %d checksum %08x\n", header.Frame, header.Checksum);
        if (dumpAt.count(std::int32_t{header.Frame})) {
            std::fputs(WorldDumpText(controller.RequireGame()).c_str(), stdout);
        }
    };

    controller.StartGame(info);
    TFrameLoop loop;
    int exitCode = 0;
    for (std::int32_t f = 0; f < o.Frames; ++f) {
        auto [first, last] = byFrame.equal_range(f);
        for (auto it = first; it != last; ++it) controller.QueueCommand(it->second);
        if (!loop.DoTimer(controller)) {
            exitCode = 1;
            break;
        }
    }
    std::fflush(stdout);
    Controller = nullptr;
    return exitCode;
}

}  // namespace orbitfall
