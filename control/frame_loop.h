#pragma once
// The one frame procedure of the program. The game window runs it with its
// drawing and caption; the headless runner without. Order of a frame: camera
// scrolling, "Beginning Frame", the controller's commands, the game's move
// and dead removal, drawing, timings, Frame + 1. An exception stops the
// frames for good: it is logged under "Except", shown, and the frame flag
// stays set so that no later timer event runs a frame.
#include <cstdint>

namespace orbitfall {

class TController;

// The window's part of a frame; every hook is optional.
class TFrameView {
public:
    virtual ~TFrameView() = default;
    virtual void ScrollCamera() {}
    virtual void Render() {}
    virtual void ShowTimings(std::uint32_t /*moveMs*/, std::uint32_t /*renderMs*/) {}
    // The frame timer is to stop (an error ended the game).
    virtual void StopTimer() {}
};

class TFrameLoop {
public:
    // One timer event. Returns true when a frame ran to its end; false when
    // one is already running (a wait inside it processes events), when an
    // earlier error stopped the frames, when the frame gave way
    // (EFrameAbandoned: nothing is shown, frames go on), or when this one
    // raised (the error has then been logged and shown through the
    // controller's shell). draw false: the frame runs without its picture
    // (no camera scrolling, drawing or timings), for a replay watched faster
    // than one picture per frame; everything else is the same.
    bool DoTimer(TController& controller, TFrameView* view = nullptr, bool draw = true);

    bool InFrame() const { return inFrame_; }
    bool Stopped() const { return stopped_; }

private:
    void RunFrame(TController& controller, TFrameView* view, bool draw);
    bool inFrame_ = false;
    bool stopped_ = false;
};

}  // namespace orbitfall
