// ResolveFileName for the kinds of names the program asks for: a shipped data
// file, an ".img" name found by extension substitution, a name spelled in
// another case than on disk, and a name that exists nowhere.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "infra/data_dirs.h"

namespace {

using namespace orbitfall;

class Folders {
public:
    Folders() {
        root_ = (std::filesystem::temp_directory_path() / "orbitfall-bench-XXXXXX").string();
        if (mkdtemp(root_.data()) == nullptr) root_.clear();
        for (const char* file : {"Data/Units/Units.ofu", "Data/Graphics/Ship.png", "Data/Maps/Nebula.ofm"}) {
            std::filesystem::path path = root_ + "/" + file;
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path) << "x";
        }
        SetDataDirs(root_ + "/Data", root_ + "/User");
    }
    ~Folders() {
        ClearDataDirs();
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    bool Ok() const { return !root_.empty(); }

private:
    std::string root_;
};

void Resolve(benchmark::State& state, const char* name) {
    static Folders folders;
    if (!folders.Ok()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(ResolveFileName(name));
}

void BM_ResolveDataFile(benchmark::State& state) { Resolve(state, "Units\\Units.ofu"); }
void BM_ResolveImgSubstitute(benchmark::State& state) { Resolve(state, "Graphics\\Ship.img"); }
void BM_ResolveOtherCase(benchmark::State& state) { Resolve(state, "maps\\nebula.ofm"); }
void BM_ResolveMissing(benchmark::State& state) { Resolve(state, "Maps\\Nothing.ofm"); }

BENCHMARK(BM_ResolveDataFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResolveImgSubstitute)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResolveOtherCase)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ResolveMissing)->Unit(benchmark::kMicrosecond);

}  // namespace
