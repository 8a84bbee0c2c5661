#include "shell/game/replay_mode.h"

#include <exception>
#include <memory>

#include "control/replay_controller.h"
#include "shell/game/form_input_target.h"
#include "shell/game/game_input.h"
#include "shell/game/game_options.h"
#include "shell/game/replay_input.h"
#include "shell/game/window_shell.h"

namespace orbitfall {

namespace {

// The replay's window with its input: the game window's view keys and mouse,
// and the playback keys.
class TReplayShell : public TWindowShell {
public:
    using TWindowShell::TWindowShell;
    ~TReplayShell() override {
        if (Form()) Form()->SetInput(nullptr);
    }

    void CreateGameWindow(TGame& game) override {
        if (Form()) Form()->SetInput(nullptr);
        TWindowShell::CreateGameWindow(game);
        TForm1& form = *Form();
        target_ = std::make_unique<TFormInputTarget>(form);
        gameInput_ = std::make_unique<TGameInput>(*target_, form.ViewState(), form.Controller(), game);
        input_ = std::make_unique<TReplayInput>(*gameInput_, *form.Playback(), [&form] { form.PlaybackChanged(); });
        form.SetInput(input_.get());
    }

private:
    std::unique_ptr<TInputTarget> target_;
    std::unique_ptr<TGameInput> gameInput_;
    std::unique_ptr<TReplayInput> input_;
};

}  // namespace

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
    TFormSettings settings = FormSettingsFor(options);
    settings.PlaybackControls = true;
    TReplayShell shell(settings);
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
