#pragma once
// The keys of a replay window: Space pauses and resumes, + and - (on the main
// block or the keypad) step the playback speed. Everything else goes on to
// the game window's own input (view keys, F12, the mouse); the commands that
// input issues reach a replay's controller, which takes none.
#include <functional>

#include "shell/game/form_input.h"

namespace orbitfall {

class TPlaybackSpeed;

class TReplayInput : public TFormInput {
public:
    // changed: after every change of the speed or the pause.
    TReplayInput(TFormInput& gameInput, TPlaybackSpeed& speed, std::function<void()> changed)
        : gameInput_(gameInput), speed_(speed), changed_(std::move(changed)) {}

    void MouseDown(int button, int x, int y, bool shift, bool ctrl) override {
        gameInput_.MouseDown(button, x, y, shift, ctrl);
    }
    void MouseUp(int button, int x, int y, bool shift, bool ctrl) override {
        gameInput_.MouseUp(button, x, y, shift, ctrl);
    }
    void MouseMove(int x, int y, bool shift, bool leftButtonDown) override {
        gameInput_.MouseMove(x, y, shift, leftButtonDown);
    }
    void Wheel(int dy) override { gameInput_.Wheel(dy); }
    void KeyDown(int key, bool ctrl, bool shift) override;

private:
    TFormInput& gameInput_;
    TPlaybackSpeed& speed_;
    std::function<void()> changed_;
};

}  // namespace orbitfall
