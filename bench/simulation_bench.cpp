// One game step of the default start: four players with 200 ships each on
// the 300 x 300 map, every fleet ordered across the map, event log on.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench/fleet_orders.h"
#include "infra/data_dirs.h"
#include "infra/event_log.h"
#include "infra/random.h"
#include "simulation/command.h"
#include "simulation/game.h"

namespace {

using namespace orbitfall;

constexpr int kStepsPerGame = 300;

std::unique_ptr<TGame> NewOrderedGame() {
    SetRandomState(31337);
    auto game = std::make_unique<TGame>("Kreuzung", 4, 1);
    StartUnits(*game);
    bench::OrderFleetsAcross(*game);
    return game;
}

void BM_GameStep(benchmark::State& state) {
    std::string user = (std::filesystem::temp_directory_path() / "orbitfall-bench-XXXXXX").string();
    if (mkdtemp(user.data()) == nullptr) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/", user + "/");
    OpenEventLog();
    auto game = NewOrderedGame();
    for (auto _ : state) {
        if (game->Frame >= kStepsPerGame) {
            state.PauseTiming();
            game = NewOrderedGame();
            state.ResumeTiming();
        }
        game->Move();
        game->Dead();
        ++game->Frame;
    }
    game.reset();
    CloseEventLog();
    ClearDataDirs();
    std::filesystem::remove_all(user);
}
BENCHMARK(BM_GameStep)->Unit(benchmark::kMicrosecond)->Iterations(kStepsPerGame)->Repetitions(7);

}  // namespace
