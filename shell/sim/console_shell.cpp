#include "shell/sim/console_shell.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "simulation/game.h"

namespace orbitfall {

void TConsoleShell::CreateGameWindow(TGame& game) {
    // What the game window's creation does for the simulation: the start
    // units, drawn from the shared generator at the same point on every machine.
    StartUnits(game);
}

void TConsoleShell::AddLobbyMessage(const std::string& text) {
    std::printf("lobby: %s\n", text.c_str());
    std::fflush(stdout);
}

void TConsoleShell::Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint32_t TConsoleShell::TickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TConsoleShell::ShowError(const std::string& message) {
    lastError_ = message;
    std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace orbitfall
