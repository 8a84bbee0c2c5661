#pragma once
// The frame a host is collecting: commands join it in arrival order until the
// host closes it at its next frame. One byte counts a frame's commands, so a
// frame holds at most 255. When more arrive, the slots are shared out fairly
// among the players that sent commands: nobody gets more than an equal share
// while others have commands waiting, and a share nobody needs goes to the
// others. Within the frame the commands keep their arrival order. What does
// not fit is dropped (one "Too many Commands" log line per frame).
#include <array>
#include <cstdint>

#include "control/frame_header.h"

namespace orbitfall {

class TFrameCollector {
public:
    inline static constexpr std::size_t MaxCommands = 255;

    // Appends the command; false when it cannot be part of the frame: an
    // empty command never is, and a player's commands beyond 255 in one frame
    // are dropped at once.
    bool Add(const TCommand& command);

    // Hands out the collected frame with its checksum and starts the next
    // one (frame number + 1, no commands).
    TFrameData Close(std::uint32_t checksum);

    std::int32_t FrameNumber() const { return current_.Header.Frame; }

private:
    void LogOverflowOnce();
    TFrameData current_;
    std::array<std::uint16_t, 256> perPlayer_{};  // commands held, by Player
    bool overflowLogged_ = false;
};

}  // namespace orbitfall
