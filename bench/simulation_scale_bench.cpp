// How the step scales with the number of ships, and the cost of the
// checksum and of freeing dead objects in a crowded game.
//
// BM_ScaledBattle/1 is the default start (4 x 200 ships, 300 x 300);
// BM_ScaledBattle/3 and /10 have three and ten times the ships (4 x 2,000 at
// 10) on three and ten times the area, placed and ordered the same way. The
// "per_ship" counter is the step's time per ship: the cell grid and the
// incremental sight stamps should keep it flat.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "bench/fleet_orders.h"
#include "infra/data_dirs.h"
#include "infra/event_log.h"
#include "infra/random.h"
#include "simulation/command.h"
#include "simulation/controlled_unit.h"
#include "simulation/game.h"

namespace {

using namespace orbitfall;
namespace fs = std::filesystem;

// A data folder with the shipped unit types and one generated map.
class BenchData {
public:
    BenchData(int width, int nebulae) {
        std::string root = (fs::temp_directory_path() / "orbitfall-scale-XXXXXX").string();
        if (mkdtemp(root.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = root;
        fs::create_directories(root_ / "Data" / "Units");
        fs::create_directories(root_ / "Data" / "Maps");
        fs::copy_file(fs::path(ORBITFALL_SOURCE_DIR) / "Game/Data/Units/Units.ofu",
                      root_ / "Data" / "Units" / "Units.ofu");
        std::ostringstream map;
        map << "<Map><Informations><Width>" << width << "</Width><Height>" << width
            << "</Height></Informations><Objects>";
        SetRandomState(99);
        for (int i = 0; i < nebulae; ++i)
            map << "<Nebula Radius=\"12\" X=\"" << RandomInt(width) << "\" Y=\"" << RandomInt(width) << "\"/>";
        map << "</Objects></Map>";
        std::ofstream(root_ / "Data" / "Maps" / "Scaled.ofm") << map.str();
        SetDataDirs((root_ / "Data").string(), (root_ / "User").string());
        OpenEventLog();
    }
    ~BenchData() {
        CloseEventLog();
        ClearDataDirs();
        fs::remove_all(root_);
    }

private:
    fs::path root_;
};

// The default start's placement and orders, stretched by sqrt(scale) in
// both directions so the density of ships stays the same.
std::unique_ptr<TGame> ScaledBattle(int scale, int& ships) {
    const double stretch = std::sqrt(static_cast<double>(scale));
    SetRandomState(31337);
    auto game = std::make_unique<TGame>("Scaled", 4, 1);
    TUnitTypeDescriptor* type = game->UnitTypes.at(0).get();
    ships = 800 * scale;
    for (int i = 0; i < ships; ++i) {
        const auto owner = static_cast<std::uint8_t>(RandomInt(4) + 1);
        TControlledUnit& unit = NewGameObject<TControlledUnit>(*game, owner, type);
        const int r1 = RandomInt(60), r2 = RandomInt(60), r3 = RandomInt(60), r4 = RandomInt(60);
        unit.X = static_cast<float>((r1 + r2 + ((owner - 1) % 2) * 150) * stretch);
        unit.Y = static_cast<float>((r3 + r4 + ((owner - 1) / 2) * 150) * stretch);
    }
    bench::OrderFleetsAcross(*game, stretch);
    return game;
}

constexpr int kSteps = 200;

void BM_ScaledBattle(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    BenchData data(static_cast<int>(std::lround(300 * std::sqrt(static_cast<double>(scale)))), 6 * scale);
    int ships = 0;
    auto game = ScaledBattle(scale, ships);
    for (auto _ : state) {
        if (game->Frame >= kSteps) {
            state.PauseTiming();
            game = ScaledBattle(scale, ships);
            state.ResumeTiming();
        }
        game->Move();
        game->Dead();
        ++game->Frame;
    }
    state.counters["per_ship"] = benchmark::Counter(
        static_cast<double>(ships), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScaledBattle)->Arg(1)->Arg(3)->Arg(10)->Unit(benchmark::kMicrosecond)->Iterations(kSteps)->Repetitions(5);

// 10,000 units spread over a 1000 x 1000 map.
std::unique_ptr<TGame> Crowd() {
    SetRandomState(5);
    auto game = std::make_unique<TGame>("Scaled", 4, 1);
    TUnitTypeDescriptor* type = game->UnitTypes.at(0).get();
    while (game->Engine->ChildCount() < 10000) {
        TControlledUnit& unit =
            NewGameObject<TControlledUnit>(*game, static_cast<std::uint8_t>(RandomInt(4) + 1), type);
        unit.X = static_cast<float>(RandomInt(1000));
        unit.Y = static_cast<float>(RandomInt(1000));
    }
    game->Move();  // every unit linked into its cell and stamped, as in play
    return game;
}

void BM_Checksum10000(benchmark::State& state) {
    BenchData data(1000, 0);
    auto game = Crowd();
    for (auto _ : state) benchmark::DoNotOptimize(game->Checksum());
}
BENCHMARK(BM_Checksum10000)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_Dead10000(benchmark::State& state) {
    BenchData data(1000, 0);
    for (auto _ : state) {
        state.PauseTiming();
        auto game = Crowd();
        for (int i = 0; i < game->Engine->ChildCount(); ++i) game->Engine->GetChild(i).MarkDead();
        state.ResumeTiming();
        game->Dead();
        state.PauseTiming();
        game.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Dead10000)->Unit(benchmark::kMicrosecond)->Iterations(5)->Repetitions(5);

}  // namespace
