// Writes the seed inputs of fuzz_replay: a start record followed by a replay
// recorded with the fuzzing shell's start units, so that every recorded
// checksum matches what the target's replay reader computes and the fuzzer
// starts from replays that play to their end. One per shipped map kind.
//
//   make_replay_seeds OUTPUT_FOLDER
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "control/frame_loop.h"
#include "control/local_controller.h"
#include "control/start_info.h"
#include "fuzz/fuzz_support.h"
#include "infra/random.h"
#include "simulation/game.h"

using namespace orbitfall;

namespace {

struct TSeed {
    const char* file;
    const char* map;
    std::int32_t seed;
    std::uint8_t local;
    std::uint8_t players;
    // The map's middle, where the start units stand: every map the fuzzing
    // data folder holds is shrunk to the fuzzing map's size.
    static constexpr float middle = fuzz::SmallMapSize / 2;
};

TCommand Command(std::uint8_t kind, std::uint8_t flags, std::uint8_t player, std::int32_t frame) {
    TCommand c;
    c.Kind = kind;
    c.Flags = flags;
    c.Player = player;
    c.Frame = frame;
    return c;
}

// Selections around the start units, moves, select-all and an added
// selection, spread over the first frames as a player gives them.
std::vector<TCommand> CommandsOfFrame(std::int32_t frame, float m) {
    std::vector<TCommand> commands;
    auto rect = [&](std::uint8_t flags, std::uint8_t player, float x1, float y1, float x2, float y2) {
        TCommand c = Command(ckSelectRect, flags, player, frame);
        c.SetFloat(0, x1);
        c.SetFloat(1, y1);
        c.SetFloat(2, x2);
        c.SetFloat(3, y2);
        commands.push_back(c);
    };
    auto move = [&](std::uint8_t player, float x, float y) {
        TCommand c = Command(ckMove, 0, player, frame);
        c.SetInt(0, 0);
        c.SetFloat(1, x);
        c.SetFloat(2, y);
        commands.push_back(c);
    };
    switch (frame) {
        case 1: rect(0, 1, m - 5, m - 5, m + 1, m + 5); break;
        case 2: move(1, m + 20, m + 20); break;
        case 3: commands.push_back(Command(ckSelectAll, 0, 2, frame)); break;
        case 4: move(2, m - 10, m - 10); break;
        case 6: rect(cfAddToSelection, 1, m, m - 5, m + 5, m + 5); break;
        case 8: move(1, m, m); break;
        default: break;
    }
    return commands;
}

void WriteSeed(const TSeed& s, const std::filesystem::path& out) {
    fuzz::TFuzzShell shell;
    TLocalController controller(shell);
    Controller = &controller;
    controller.Recording = true;
    SetRandomState(static_cast<std::uint32_t>(s.seed));
    TStartInfo info;
    info.SetMapName(s.map);
    info.RandomSeed = s.seed;
    info.PlayerNumber = s.local;
    info.PlayerCount = s.players;
    controller.StartGame(info);
    TFrameLoop loop;
    for (std::int32_t frame = 0; frame < 12; ++frame) {
        for (const TCommand& c : CommandsOfFrame(frame, s.middle)) controller.QueueCommand(c);
        if (!loop.DoTimer(controller)) {
            std::fprintf(stderr, "%s: frame %d stopped the game (%s)\n", s.file, frame, shell.LastError.c_str());
            std::exit(1);
        }
    }
    Controller = nullptr;
    const std::string replay = fuzz::UserFolder() + "Replays/Latest.ofr";
    std::string bytes = fuzz::ReadText(StartFileFor(replay));
    bytes += fuzz::ReadText(replay);
    fuzz::WriteBytes((out / s.file).string(), bytes.data(), bytes.size());
    std::printf("%s: %zu bytes\n", s.file, bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_replay_seeds OUTPUT_FOLDER\n");
        return 2;
    }
    fuzz::SetUpProcess();
    const TSeed seeds[] = {
        {"zweikampf.replay", "Zweikampf", 4711, 1, 2},
        {"kreuzung.replay", "Kreuzung", 99, 2, 4},
        {"weite.replay", "Weite", 99, 3, 6},
        {"probe.replay", fuzz::SmallMapName, 7, 1, 2},
    };
    for (const TSeed& s : seeds) WriteSeed(s, argv[1]);
    return 0;
}
