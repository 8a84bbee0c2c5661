#pragma once
#include "shell/sim/sim_options.h"

namespace orbitfall {

// Each returns the process exit code; errors of the game propagate as exceptions.
int RunGame(const TSimOptions& options);
int VerifyReplay(const TSimOptions& options);
int HostGame(const TSimOptions& options);
int JoinGame(const TSimOptions& options);
// 0 when the two dumps' worlds are equal, 1 when they differ.
int DiffDumps(const TSimOptions& options);

}  // namespace orbitfall
