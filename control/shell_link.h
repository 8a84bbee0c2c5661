#pragma once
// What a controller needs from the program around it. The controllers never
// include a window header: the game implements this with its windows and the
// FLTK loop, the headless runner with a console loop.
#include <cstdint>
#include <string>
#include <vector>

#include "control/lobby_player.h"
#include "simulation/unit_catalogue_cache.h"

namespace orbitfall {

class TEventLoop;
class TGame;

class TShellLink {
public:
    virtual ~TShellLink() = default;

    // The game window for a freshly created game: places the start units
    // (StartUnits) and starts the frame timer.
    virtual void CreateGameWindow(TGame& game) = 0;
    virtual void SetFrameInterval(int milliseconds) = 0;

    // The lobby: its message list and its Start button.
    virtual void CreateLobby(bool startEnabled) = 0;
    virtual void ShowLobby(bool visible) = 0;
    virtual void AddLobbyMessage(const std::string& text) = 0;
    // The message added last has come again, count times in all (2 or
    // more): show it as that one line with its count instead of a new line.
    virtual void RepeatLobbyMessage(const std::string& text, int count) = 0;
    // The players present, the host first; given anew on every join and
    // leave. A shell without a list of players ignores it.
    virtual void SetLobbyPlayers(const std::vector<TLobbyPlayer>& players) { (void)players; }

    // The map chosen in the lobby (the host's start record names it).
    virtual std::string SelectedMap() = 0;

    // The process's event loop, for the sockets.
    virtual TEventLoop& EventLoop() = 0;
    // One turn of the event loop: whatever events are pending are dispatched.
    virtual void ProcessMessages() = 0;
    // The program is ending: waits that process messages give up.
    virtual bool Terminated() = 0;
    virtual void Sleep(int milliseconds) = 0;
    virtual std::uint32_t TickCount() = 0;

    // An error that stopped the game, shown to the user.
    virtual void ShowError(const std::string& message) = 0;

    // Kept for every game the program makes, whichever controller makes it.
    TUnitCatalogueCache UnitCatalogues;
};

}  // namespace orbitfall
