#pragma once
// The benchmarks' battle: each of the four fleets is sent across the map to
// the opposite start square, so that they move, separate and fight.
#include <cstdint>

#include "simulation/command.h"
#include "simulation/game.h"

namespace orbitfall::bench {

// stretch scales the default 300 x 300 targets to a larger map.
inline void OrderFleetsAcross(TGame& game, double stretch = 1.0) {
    const float targets[5][2] = {{0, 0}, {225, 225}, {75, 225}, {225, 75}, {75, 75}};
    for (std::uint8_t p = 1; p <= 4; ++p) {
        TCommand select;
        select.Kind = ckSelectAll;
        select.Player = p;
        game.ExecuteCommand(select);
        TCommand move;
        move.Kind = ckMove;
        move.Player = p;
        move.SetFloat(1, static_cast<float>(targets[p][0] * stretch));
        move.SetFloat(2, static_cast<float>(targets[p][1] * stretch));
        game.ExecuteCommand(move);
    }
}

}  // namespace orbitfall::bench
