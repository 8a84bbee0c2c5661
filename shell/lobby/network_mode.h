#pragma once
// Network play as the player starts it: the server selection until a network
// controller could be created, then the lobby as the application's main
// window until it is closed.
namespace orbitfall {

struct TGameOptions;
class TMessageBox;
class TFltkShell;

// Returns the process's exit code. messageBox, when given, replaces the
// FLTK error box.
int RunNetworkMode(const TGameOptions& options);
int RunNetworkMode(const TGameOptions& options, TMessageBox& messageBox);

}  // namespace orbitfall
