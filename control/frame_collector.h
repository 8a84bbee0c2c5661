#pragma once
// The frame a host is collecting: commands join it in arrival order until the
// host closes it at its next frame. One byte counts a frame's commands, so
// the 256th command of a frame is dropped (and logged).
#include "control/frame_header.h"

namespace orbitfall {

class TFrameCollector {
public:
    // Appends the command; false (and a "Too many Commands" log line) when
    // the frame is full. Empty commands never join a frame.
    bool Add(const TCommand& command);

    // Hands out the collected frame with its checksum and starts the next
    // one (frame number + 1, no commands).
    TFrameData Close(std::uint32_t checksum);

    std::int32_t FrameNumber() const { return current_.Header.Frame; }

private:
    TFrameData current_;
};

}  // namespace orbitfall
