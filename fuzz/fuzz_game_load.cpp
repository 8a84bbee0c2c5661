// The unit-type loader and the map loader: the input's first byte picks the
// file the rest of the input replaces (even: the units file, odd: the map),
// the other file is the shipped units file or the fuzzing map. A game is
// created from them, a few units of its types placed and a few frames run. Errors the loaders raise by design
// are expected; anything else is a finding.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_support.h"
#include "infra/errors.h"
#include "infra/random.h"
#include "simulation/game.h"

using namespace orbitfall;

namespace {

std::string shippedUnits;
std::string shippedMap;
// Whether the file holds an earlier input rather than the shipped text: only
// then is the file the input leaves alone written back.
bool unitsReplaced = true;
bool mapReplaced = true;

void Write(const char* file, const std::string& text) {
    fuzz::WriteBytes(fuzz::DataFolder() + file, text.data(), text.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::SetUpProcess();
    shippedUnits = fuzz::ReadText(fuzz::DataFolder() + "Units/Units.ofu");
    shippedMap = fuzz::SmallMapText;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool fuzzMap = data[0] & 1;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    if (fuzzMap) {
        Write("Maps/Fuzz.ofm", input);
        if (unitsReplaced) Write("Units/Units.ofu", shippedUnits);
    } else {
        Write("Units/Units.ofu", input);
        if (mapReplaced) Write("Maps/Fuzz.ofm", shippedMap);
    }
    mapReplaced = fuzzMap;
    unitsReplaced = !fuzzMap;

    SetRandomState(12345);
    std::unique_ptr<TGame> game;
    try {
        game = std::make_unique<TGame>("Fuzz", 2, 1);
        fuzz::StartFewUnits(*game);
        for (int frame = 0; frame < 3; ++frame) {
            game->Move();
            game->Dead();
            ++game->Frame;
        }
        (void)game->Checksum();
    } catch (const Exception&) {
    }
    return 0;
}
