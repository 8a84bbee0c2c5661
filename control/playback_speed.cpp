#include "control/playback_speed.h"

#include <algorithm>

namespace orbitfall {

namespace {
// Frames per event (positive) or timer intervals per frame (negative).
constexpr int StepFactor[TPlaybackSpeed::StepCount - 1] = {-4, -2, 1, 2, 4, 8, 16};
}  // namespace

void TPlaybackSpeed::Faster() { step_ = std::min(step_ + 1, MaxStep); }
void TPlaybackSpeed::Slower() { step_ = std::max(step_ - 1, 0); }

std::string TPlaybackSpeed::Text() const {
    if (IsMax()) return "max";
    const int f = StepFactor[step_];
    return f < 0 ? "1/" + std::to_string(-f) + "x" : std::to_string(f) + "x";
}

int TPlaybackSpeed::IntervalMs(int baseMs) const {
    if (paused_) return baseMs;
    if (IsMax()) return 1;
    const int f = StepFactor[step_];
    return f < 0 ? baseMs * -f : baseMs;
}

int TPlaybackSpeed::FramesPerEvent() const {
    if (paused_) return 0;
    if (IsMax()) return 1;
    return std::max(StepFactor[step_], 1);
}

bool TPlaybackSpeed::PictureDue(int undrawnFrames, std::int64_t sinceLastPictureUs, std::int64_t lastRenderUs) {
    return undrawnFrames >= MinUndrawnFramesAtMax &&
           sinceLastPictureUs >= std::max(MinPictureIntervalUs - lastRenderUs, 3 * lastRenderUs);
}

}  // namespace orbitfall
