#pragma once
// The one rulebook of what a command may be. The game consults it before it
// executes a command, the host before it takes a client's command into a
// frame and relays it, and a client before it sends one: all three must
// agree, or one machine would stop a game the others play on.
#include <cstdint>

#include "simulation/command.h"

namespace orbitfall {

enum class TCommandVerdict : std::uint8_t {
    Accept,    // the game executes it
    NoEffect,  // the game executes it and nothing changes (kind 2, 5..255)
    Refused,   // executing it would stop the game with a range error
};

// Whether a kind changes anything when executed.
bool CommandHasEffect(std::uint8_t kind);

// The verdict on a command for a game of playerCount players (the player
// list holds 0..playerCount). An empty command carries only its frame and is
// accepted.
TCommandVerdict JudgeCommand(const TCommand& command, std::uint8_t playerCount);

}  // namespace orbitfall
