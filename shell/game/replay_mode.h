#pragma once
// Watching a replay in a window: the game is created as the recording machine
// created it (from the start record beside the replay), the game window
// plays one recorded frame per frame, and closing it ends the program.
namespace orbitfall {

struct TGameOptions;
struct TFormSettings;

TFormSettings FormSettingsFor(const TGameOptions& options);

// The process's exit code: 0 when the window was closed (or --exit-after
// reached), 1 when the replay could not be opened or, in a tool run, an
// error stopped it.
int RunReplayMode(const TGameOptions& options);

}  // namespace orbitfall
