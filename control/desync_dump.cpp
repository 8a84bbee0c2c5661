#include "control/desync_dump.h"

#include <cstdio>
#include <ctime>
#include <exception>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/new_file.h"
#include "simulation/game.h"
#include "simulation/world_dump.h"

namespace orbitfall {

std::string WriteDesyncDump(const TGame& game, const std::string& message, std::uint32_t expected) {
    const std::uint32_t own = game.Checksum();
    char head[160];
    std::snprintf(head, sizeof head, "# %s at frame %d: checksum here %08x, expected %08x, local player %d\n",
                  message.c_str(), game.Frame, own, expected, game.LocalPlayerIndex);
    const std::string text = head + FrameLine(game.Frame, own) + WorldDumpText(game);

    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    return WriteNewFile(UserDir() + "Desync", "frame-" + std::to_string(game.Frame) + "_" + stamp, ".txt", text);
}

void RaiseDesync(const std::string& message, const TGame& game, std::uint32_t expected) {
    const std::string frame = std::to_string(game.Frame);
    std::string note;
    try {
        note = "World of frame " + frame + " written to " + WriteDesyncDump(game, message, expected);
    } catch (const std::exception& e) {
        // The desync is the error to report; a dump that cannot be written
        // only loses its explanation.
        note = "World of frame " + frame + " not written: " + e.what();
    }
    try {
        Log("Desync", 5, note);
    } catch (const std::exception&) {
        // A log that cannot be written must not hide the desync either.
    }
    throw Exception(message + "\n" + note);
}

}  // namespace orbitfall
