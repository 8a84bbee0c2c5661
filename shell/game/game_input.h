#pragma once
// The game window's mouse and keyboard: local view changes at once, game
// commands only through the controller's IssueCommand.
#include <functional>
#include <optional>

#include "shell/game/form_input.h"
#include "shell/game/input_math.h"

namespace orbitfall {

class TController;
struct TCommand;
class TGame;
struct TViewState;

// What the input reads and changes around it; the game window supplies it.
class TInputTarget {
public:
    virtual ~TInputTarget() = default;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;
    // The map point under a pixel, once the main camera has been set up.
    virtual std::optional<TMapPoint> ScreenToMap(int x, int y) const = 0;
    virtual void SetFullscreen(int width, int height, int bits, int refresh) = 0;
    // Back from full screen to the window's former place and size.
    virtual void LeaveFullscreen() = 0;
    virtual bool IsFullscreen() const = 0;
    // F12: a picture of the next frame into the user's Screenshots folder.
    virtual void RequestScreenshot() {}
};

class TGameInput : public TFormInput {
public:
    TGameInput(TInputTarget& target, TViewState& view, TController& controller, TGame& game)
        : target_(target), view_(view), controller_(controller), game_(game) {}

    void MouseDown(int button, int x, int y, bool shift, bool ctrl) override;
    void MouseUp(int button, int x, int y, bool shift, bool ctrl) override;
    void MouseMove(int x, int y, bool shift, bool leftButtonDown) override;
    void Wheel(int dy) override;
    void KeyDown(int key, bool ctrl, bool shift) override;

    // Told of every command right after it was handed to the controller.
    std::function<void(const TCommand&)> OnIssue;

private:
    void Issue(TCommand command);
    // Before the first frame there is no camera: the press uses (0, 0) and
    // the selection end keeps its value.
    TMapPoint MapPointOr(int x, int y, TMapPoint fallback) const;

    TInputTarget& target_;
    TViewState& view_;
    TController& controller_;
    TGame& game_;
};

}  // namespace orbitfall
