#pragma once
// Games on the shipped data folder (Game/Data: the real unit types and maps)
// with a temporary user folder, and the frame as the frame loop runs it.
#include <memory>
#include <string>

#include "infra/data_dirs.h"
#include "infra/random.h"
#include "simulation/command.h"
#include "simulation/game.h"
#include "tests/support/temp_folder.h"

namespace orbitfall::testing {

class ShippedData {
public:
    ShippedData() { SetDataDirs(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/", user_.Path()); }
    ~ShippedData() { ClearDataDirs(); }

private:
    TempFolder user_;
};

// A started game: seeded, created and given its start units.
inline std::unique_ptr<TGame> StartedGame(const std::string& map, std::uint8_t players,
                                          std::uint32_t seed) {
    SetRandomState(seed);
    auto game = std::make_unique<TGame>(map, players, 1);
    StartUnits(*game);
    return game;
}

inline TCommand Command(std::uint8_t kind, std::uint8_t player, std::int32_t frame) {
    TCommand c;
    c.Kind = kind;
    c.Player = player;
    c.Frame = frame;
    return c;
}

}  // namespace orbitfall::testing
