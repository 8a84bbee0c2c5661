#pragma once
// The game's side of the controller seam: FLTK windows and FLTK's loop. The
// sockets are serviced from that loop by a short repeating timeout that
// polls the process's event loop, so socket events, timers and window events
// are all dispatched one at a time on the main thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "control/shell_link.h"
#include "platform/event_loop.h"

namespace orbitfall {

class TMessageBox;
class Tlobbyform;

class TFltkShell : public TShellLink {
public:
    explicit TFltkShell(TMessageBox& messageBox);
    ~TFltkShell() override;

    // What the game window supplies: its creation for a fresh game (it
    // places the start units and starts its frame timer) and its frame
    // interval.
    std::function<void(TGame&)> OnCreateGameWindow;
    std::function<void(int)> OnSetFrameInterval;
    // The lobby's Start: the controller's StartGame.
    std::function<void()> OnStartGame;

    void CreateGameWindow(TGame& game) override;
    void SetFrameInterval(int milliseconds) override;
    void CreateLobby(bool startEnabled) override;
    // Showing the lobby again is what closing the game window does.
    void ShowLobby(bool visible) override;
    void AddLobbyMessage(const std::string& text) override;
    std::string SelectedMap() override;
    TEventLoop& EventLoop() override { return loop_; }
    void ProcessMessages() override;
    bool Terminated() override { return lobbyClosed_; }
    void Sleep(int milliseconds) override;
    std::uint32_t TickCount() override;
    void ShowError(const std::string& message) override;

    // The application's message loop: runs until the lobby, the main window,
    // is closed; returns at once when there is none. An exception that
    // reaches it is the application's: logged under "Except", shown, and the
    // loop goes on.
    void RunMessageLoop();

    Tlobbyform* Lobby() const { return lobby_.get(); }
    bool GameWindowOpen() const { return gameWindowOpen_; }
    // Tear-down: the lobby goes before the event loop.
    void DestroyLobby();

private:
    static void PollSockets(void* self);
    void ApplicationException(const std::string& message);

    TMessageBox& messageBox_;
    TEventLoop loop_;
    std::unique_ptr<Tlobbyform> lobby_;
    bool lobbyClosed_ = false;
    bool gameWindowOpen_ = false;
};

}  // namespace orbitfall
