#pragma once
// Network play's side of the controller seam: the game windows of the
// windowed program, plus the lobby. The lobby is the application's main
// window: the message loop runs until it is closed, and an exception that
// reaches the loop goes to the game window's handler while one is open, to
// the application's own handler (logged under "Except" and shown, the loop
// goes on) otherwise, never to a window that is gone.
#include <memory>
#include <string>

#include "shell/game/window_shell.h"

namespace orbitfall {

struct TCommand;
class TGameInput;
class TInputTarget;
class TMessageBox;
class Tlobbyform;

class TFltkShell : public TWindowShell {
public:
    TFltkShell(TFormSettings settings, TMessageBox& messageBox);
    ~TFltkShell() override;

    // The lobby's Start: the controller's StartGame.
    std::function<void()> OnStartGame;

    // The game window, with the mouse and keyboard input of network play.
    void CreateGameWindow(TGame& game) override;
    void CreateLobby(bool startEnabled) override;
    // Showing the lobby again is what closing the game window does.
    void ShowLobby(bool visible) override;
    void AddLobbyMessage(const std::string& text) override;
    // The last line becomes "text (count×)".
    void RepeatLobbyMessage(const std::string& text, int count) override;
    void SetLobbyPlayers(const std::vector<TLobbyPlayer>& players) override;
    std::string SelectedMap() override;
    // Also once the game window is closed: a client's frame that waits for
    // data gives up at once instead of reporting an interruption later.
    bool Terminated() override;
    // Errors of a game whose window the player has closed are only logged.
    void ShowError(const std::string& message) override;
    // Every command the input hands to the controller.
    std::function<void(const TCommand&)> OnIssue;

    // The application's message loop: until the lobby is closed; at once when
    // there is none.
    void RunMessageLoop();
    // The application's exception handler.
    void ApplicationException(const std::string& message);

    Tlobbyform* Lobby() const { return lobby_.get(); }
    bool GameWindowOpen() const { return Form() && !Form()->Closed(); }
    // Tear-down: the game window and its input, then the lobby.
    void DestroyWindows();

private:
    TMessageBox& messageBox_;
    std::unique_ptr<Tlobbyform> lobby_;
    std::unique_ptr<TInputTarget> inputTarget_;
    std::unique_ptr<TGameInput> input_;
    bool lobbyClosed_ = false;
};

}  // namespace orbitfall
