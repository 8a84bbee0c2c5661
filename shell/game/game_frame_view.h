#pragma once
// The game window's part of the one frame procedure: camera scrolling by the
// held arrow keys, the drawing (with screenshots for tools), the caption.
#include <cstdint>
#include <optional>
#include <string>

#include "control/frame_loop.h"
#include "control/playback_speed.h"

namespace orbitfall {

class TForm1;

// Right and Left, Up and Down each move the camera by one unit; opposite
// keys held together cancel out.
void ScrollCameraByKeys(double& cameraX, double& cameraY);

// "Move:M ms Render:R ms " + the graphics error text, + " Lag:L" on a client.
std::string FrameCaption(std::uint32_t moveMs, std::uint32_t renderMs, const std::string& glErrorText,
                         std::optional<std::int32_t> lag);

// What a replay window adds to the caption: " Frame:F Speed:S", then
// " Paused" and " End of replay" when they apply.
std::string PlaybackCaption(std::int32_t frame, const TPlaybackSpeed& speed, bool replayEnded);

class TGameFrameView : public TFrameView {
public:
    explicit TGameFrameView(TForm1& form) : form_(form) {}
    void ScrollCamera() override;
    void Render() override;
    void ShowTimings(std::uint32_t moveMs, std::uint32_t renderMs) override;
    void StopTimer() override;

private:
    TForm1& form_;
};

}  // namespace orbitfall
