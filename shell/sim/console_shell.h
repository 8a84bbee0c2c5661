#pragma once
// The headless runner's side of the controller seam: no windows; the lobby is
// standard output ("lobby: " lines) and the game window is a frame timer on
// the process's event loop.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "control/shell_link.h"
#include "platform/event_loop.h"

namespace orbitfall {

class TConsoleShell : public TShellLink {
public:
    explicit TConsoleShell(std::string selectedMap = "") : selectedMap_(std::move(selectedMap)) {}
    ~TConsoleShell() override;

    // What one frame timer event runs (the frame procedure).
    std::function<void()> OnFrameTimer;

    void CreateGameWindow(TGame& game) override;
    void SetFrameInterval(int milliseconds) override { frameInterval_ = milliseconds; }
    void CreateLobby(bool) override {}
    void ShowLobby(bool) override {}
    void AddLobbyMessage(const std::string& text) override;
    // Standard output cannot change a line already written: a repeated
    // message is written again with its count when the count reaches a power
    // of two, and with its final count when another message follows or the
    // shell ends, so a flood writes a few lines, not one per repetition.
    void RepeatLobbyMessage(const std::string& text, int count) override;
    // "lobby: players 2: Host at ada-pc, Player 1 at 127.0.0.1 (you)".
    void SetLobbyPlayers(const std::vector<TLobbyPlayer>& players) override;
    std::string SelectedMap() override { return selectedMap_; }
    TEventLoop& EventLoop() override { return loop_; }
    void ProcessMessages() override;
    bool Terminated() override { return terminated_; }
    // The run is over: the frame timer stops and waits give up.
    void Terminate() {
        terminated_ = true;
        timerRunning_ = false;
    }
    void Sleep(int milliseconds) override;
    std::uint32_t TickCount() override;
    void ShowError(const std::string& message) override;

    // Waits up to timeout for events, or less when the frame timer is due
    // sooner, and dispatches them (the frame timer included).
    void RunFor(std::chrono::milliseconds timeout);

    int FrameInterval() const { return frameInterval_; }
    const std::string& LastError() const { return lastError_; }

private:
    void FireTimerIfDue();
    void FlushRepeat();

    TEventLoop loop_;
    std::string selectedMap_;
    int frameInterval_ = 50;
    bool timerRunning_ = false;
    bool terminated_ = false;
    std::chrono::steady_clock::time_point nextTick_;
    std::string lastError_;
    std::string repeatedText_;
    int repeatCount_ = 0;
    bool repeatWritten_ = true;
};

}  // namespace orbitfall
