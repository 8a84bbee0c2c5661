#include "shell/sim/console_shell.h"

#include <cstdio>
#include <thread>

#include "simulation/game.h"

namespace orbitfall {

using Clock = std::chrono::steady_clock;

void TConsoleShell::CreateGameWindow(TGame& game) {
    // What the game window's creation does for the simulation: the start
    // units, drawn from the shared generator at the same point on every
    // machine; then the frame timer starts.
    StartUnits(game);
    timerRunning_ = true;
    nextTick_ = Clock::now() + std::chrono::milliseconds(frameInterval_);
}

TConsoleShell::~TConsoleShell() { FlushRepeat(); }

void TConsoleShell::AddLobbyMessage(const std::string& text) {
    FlushRepeat();
    std::printf("lobby: %s\n", text.c_str());
    std::fflush(stdout);
}

void TConsoleShell::RepeatLobbyMessage(const std::string& text, int count) {
    repeatedText_ = text;
    repeatCount_ = count;
    repeatWritten_ = (count & (count - 1)) == 0;
    if (repeatWritten_) {
        std::printf("lobby: %s (%d times)\n", text.c_str(), count);
        std::fflush(stdout);
    }
}

void TConsoleShell::FlushRepeat() {
    if (repeatWritten_) return;
    repeatWritten_ = true;
    std::printf("lobby: %s (%d times)\n", repeatedText_.c_str(), repeatCount_);
    std::fflush(stdout);
}

void TConsoleShell::ProcessMessages() {
    loop_.Poll();
    FireTimerIfDue();
}

void TConsoleShell::RunFor(std::chrono::milliseconds timeout) {
    if (timerRunning_) {
        const auto untilTick =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextTick_ - Clock::now());
        timeout = std::max(std::chrono::milliseconds(0), std::min(timeout, untilTick));
    }
    loop_.RunFor(timeout);
    FireTimerIfDue();
}

void TConsoleShell::FireTimerIfDue() {
    if (!timerRunning_ || !OnFrameTimer) return;
    const auto now = Clock::now();
    if (now < nextTick_) return;
    // One event per due time, no catch-up bursts: a late frame moves the
    // cadence instead of piling up timer events.
    nextTick_ += std::chrono::milliseconds(frameInterval_);
    if (nextTick_ < now) nextTick_ = now + std::chrono::milliseconds(frameInterval_);
    OnFrameTimer();
}

void TConsoleShell::Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint32_t TConsoleShell::TickCount() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(Clock::now().time_since_epoch()).count());
}

void TConsoleShell::ShowError(const std::string& message) {
    lastError_ = message;
    // Output already printed goes first: with both streams in one file the
    // error must not land inside a line of a world dump.
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace orbitfall
