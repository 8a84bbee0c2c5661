#pragma once
// How fast a replay is watched: the steps 1/4x, 1/2x, 1x, 2x, 4x, 8x, 16x and
// "max", and a pause. 1x is one recorded frame per frame-timer event. Slower
// steps lengthen the timer's interval; faster ones play several frames per
// event and draw only the last; max plays frames for as long as the next
// picture is not due and switches the timer to its shortest interval. Speed
// never changes which frames run: every recorded frame is played once, in
// order, whatever the step.
#include <cstdint>
#include <string>

namespace orbitfall {

class TPlaybackSpeed {
public:
    static constexpr int StepCount = 8;
    static constexpr int NormalStep = 2;
    static constexpr int MaxStep = StepCount - 1;
    // A picture is due at most this often at max speed (60 a second).
    static constexpr std::int64_t MinPictureIntervalUs = 16667;
    // Frames played undrawn between two pictures at max, at least: one more
    // than at 16x.
    static constexpr int MinUndrawnFramesAtMax = 16;

    int Step() const { return step_; }
    bool Paused() const { return paused_; }
    bool IsMax() const { return step_ == MaxStep; }

    // One step up or down; the ends stay where they are.
    void Faster();
    void Slower();
    void TogglePause() { paused_ = !paused_; }

    // "1/4x", "1/2x", "1x", "2x", ... "16x", "max".
    std::string Text() const;

    // The frame timer's interval for a base interval (--frame-ms): 2 and 4
    // times the base below 1x; 1 ms at max, so that the next event follows as
    // soon as the event loop has handled input; the base otherwise (paused
    // too: the events then only wait for Space).
    int IntervalMs(int baseMs) const;
    // Frames a timer event plays: 0 paused, 1 up to 1x, else the factor; at
    // max the one drawn frame, after as many undrawn ones as PictureDue lets.
    int FramesPerEvent() const;

    // Max speed: whether the next frame is to be drawn, given the frames
    // played undrawn since the last picture, the time since that picture was
    // finished and how long it took. Pictures start at least
    // MinPictureIntervalUs apart, drawing takes at most a quarter of the time
    // when it is slow, and more frames pass between two pictures than at
    // 16x, so that max never plays fewer frames than 16x would, even
    // where frames cost more than pictures.
    static bool PictureDue(int undrawnFrames, std::int64_t sinceLastPictureUs, std::int64_t lastRenderUs);

private:
    int step_ = NormalStep;
    bool paused_ = false;
};

}  // namespace orbitfall
