#include "shell/game/replay_mode.h"

#include <exception>

#include "control/replay_controller.h"
#include "shell/game/game_options.h"
#include "shell/game/window_shell.h"

namespace orbitfall {

TFormSettings FormSettingsFor(const TGameOptions& o) {
    TFormSettings s;
    s.ClientWidth = o.ClientWidth;
    s.ClientHeight = o.ClientHeight;
    s.FrameMs = o.FrameMs;
    s.FrameMsFixed = o.FrameMsGiven;
    s.ScreenshotAt.insert(o.ScreenshotAt.begin(), o.ScreenshotAt.end());
    s.ScreenshotDir = o.ScreenshotDir;
    s.ExitAfter = o.ExitAfter;
    s.TimingsFile = o.TimingsFile;
    return s;
}

int RunReplayMode(const TGameOptions& options) {
    TWindowShell shell(FormSettingsFor(options));
    int exitCode = 0;
    {
        TReplayController controller(shell);
        Controller = &controller;
        try {
            // Creates the game and, through the shell, Form1 with its start
            // units and running timer.
            controller.OpenReplay(options.FirstArgument);
            shell.RunWhileWindowOpen();
        } catch (const std::exception& e) {
            shell.ShowError(e.what());
            exitCode = 1;
        }
        if (shell.Failed()) exitCode = 1;
        // The window goes before the game it draws.
        shell.Terminate();
        shell.ReleaseClosedForm();
        Controller = nullptr;
    }
    return exitCode;
}

}  // namespace orbitfall
