// Cost of one Log call early in a run and after 100,000 lines: it must not
// grow with the number of lines already written.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "infra/data_dirs.h"
#include "infra/event_log.h"

namespace {

using namespace orbitfall;

void BM_LogLineAfter(benchmark::State& state) {
    std::string folder = (std::filesystem::temp_directory_path() / "orbitfall-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    SetDataDirs(folder + "/Data", folder + "/User");
    OpenEventLog();
    LogContext = "Timer";
    for (std::int64_t i = 0; i < state.range(0); ++i) Log("Status", 4, "Beginning Frame " + std::to_string(i));

    std::int64_t frame = state.range(0);
    for (auto _ : state) Log("Status", 4, "Beginning Frame " + std::to_string(frame++));

    CloseEventLog();
    ClearDataDirs();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
// A fixed iteration count keeps the measured calls close to the line count
// named by the argument.
BENCHMARK(BM_LogLineAfter)->Arg(100)->Arg(100000)->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
