#pragma once
// Network play: the server selection, the lobby and the games started from it.
namespace orbitfall {

struct TGameOptions;

// Runs until the program ends; the process's exit code.
int RunNetworkMode(const TGameOptions& options);

}  // namespace orbitfall
