#pragma once
// The windowed program's side of the controller seam: the game window Form1
// on the FLTK loop, with the process's socket loop serviced from it. The
// lobby calls do nothing here; network mode extends this class with them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "control/shell_link.h"
#include "platform/event_loop.h"
#include "shell/game/game_window.h"

namespace orbitfall {

class TController;
class TFormInput;

class TWindowShell : public TShellLink {
public:
    explicit TWindowShell(TFormSettings settings);
    ~TWindowShell() override;

    // The controller the game windows run their frames on (set before a game starts).
    TController* FrameController = nullptr;
    // Given to every game window this shell creates.
    TFormInput* Input = nullptr;
    // The application's error box; tests replace it. Tool runs (ExitAfter set)
    // print the message instead, close the window and end with exit 1.
    std::function<void(const std::string&)> ErrorBox;

    void CreateGameWindow(TGame& game) override;
    void SetFrameInterval(int milliseconds) override;
    void CreateLobby(bool) override {}
    void ShowLobby(bool) override {}
    void AddLobbyMessage(const std::string&) override {}
    void RepeatLobbyMessage(const std::string&, int) override {}
    std::string SelectedMap() override { return ""; }
    TEventLoop& EventLoop() override { return loop_; }
    void ProcessMessages() override;
    bool Terminated() override { return terminated_; }
    void Sleep(int milliseconds) override;
    std::uint32_t TickCount() override;
    void ShowError(const std::string& message) override;

    TForm1* Form() const { return form_.get(); }
    // Frees a closed game window, but never while its frame runs (a frame
    // waiting for data runs the loop and may see the window close).
    void ReleaseClosedForm();
    // Runs the loop until the game window has closed; an exception that
    // reaches the loop goes to the window's handler. Then frees the window.
    void RunWhileWindowOpen();
    // Ends the run: waits give up, the window closes.
    void Terminate();
    bool Failed() const { return failed_; }

private:
    void RunLoopTurn(double seconds);
    TFormSettings settings_;
    TEventLoop loop_;
    std::unique_ptr<TForm1> form_;
    bool terminated_ = false;
    bool failed_ = false;
};

}  // namespace orbitfall
