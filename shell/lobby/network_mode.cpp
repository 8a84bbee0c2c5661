#include "shell/lobby/network_mode.h"

#include <FL/fl_ask.H>

namespace orbitfall {

int RunNetworkMode(const TGameOptions&) {
    fl_alert("%s", "network play is not available in this build");
    return 1;
}

}  // namespace orbitfall
