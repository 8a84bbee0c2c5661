#pragma once
// The game window's mouse and keyboard: local view changes at once, game
// commands only through the controller's IssueCommand.
#include <optional>

#include "shell/game/form_input.h"
#include "shell/game/input_math.h"

namespace orbitfall {

class TController;
class TGame;

// What the input reads and changes around it; the game window supplies it.
class TInputTarget {
public:
    virtual ~TInputTarget() = default;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // The map point under a pixel, once the main camera has been set up.
    virtual std::optional<TMapPoint> ScreenToMap(int x, int y) const = 0;
    virtual void SetFullscreen(int width, int height, int bits, int refresh) = 0;
    // F12: a picture of the next frame into the user's Screenshots folder.
    virtual void RequestScreenshot() {}
    // Replay playback: Space, '+' and '-'. Returns false when not playing back.
    virtual bool PlaybackKey(int /*key*/) { return false; }
};

// The view values the input changes and the renderer reads.
struct TInputView {
    double& CameraTilt;
    double& CameraDistance;
    bool& Selecting;
    TMapPoint& SelectStart;
    TMapPoint& SelectEnd;
};

class TGameInput : public TFormInput {
public:
    TGameInput(TInputTarget& target, TInputView view, TController& controller, TGame& game)
        : target_(target), view_(view), controller_(controller), game_(game) {}

    void MouseDown(int button, int x, int y, bool shift, bool ctrl) override;
    void MouseUp(int button, int x, int y, bool shift, bool ctrl) override;
    void MouseMove(int x, int y, bool shift) override;
    void Wheel(int dy) override;
    void KeyDown(int key, bool ctrl, bool shift) override;

private:
    // Before the first frame there is no camera: the press uses (0, 0) and
    // the selection end keeps its value.
    TMapPoint MapPointOr(int x, int y, TMapPoint fallback) const;

    TInputTarget& target_;
    TInputView view_;
    TController& controller_;
    TGame& game_;
    bool leftDown_ = false;
};

}  // namespace orbitfall
