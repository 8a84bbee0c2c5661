#include "control/frame_collector.h"

#include <algorithm>
#include <utility>

#include "infra/checked.h"
#include "infra/event_log.h"

namespace orbitfall {

namespace {

// Max-min fair shares of the frame's slots: every player gets up to a common
// level, and the slots left below the next level go to the lowest player
// numbers first, so that every host would pick the same commands.
std::array<std::uint16_t, 256> Shares(const std::array<std::uint16_t, 256>& wanted, std::size_t slots) {
    std::array<std::uint16_t, 256> share{};
    std::size_t left = slots;
    for (;;) {
        std::size_t hungry = 0;
        for (std::size_t p = 0; p < wanted.size(); ++p) hungry += share[p] < wanted[p];
        if (hungry == 0 || left == 0) break;
        const std::size_t each = left / hungry;
        if (each == 0) {
            for (std::size_t p = 0; p < wanted.size() && left > 0; ++p)
                if (share[p] < wanted[p]) {
                    ++share[p];
                    --left;
                }
            break;
        }
        for (std::size_t p = 0; p < wanted.size(); ++p) {
            const std::size_t more = std::min<std::size_t>(each, wanted[p] - share[p]);
            share[p] = static_cast<std::uint16_t>(share[p] + more);
            left -= more;
        }
    }
    return share;
}

}  // namespace

void TFrameCollector::LogOverflowOnce() {
    if (overflowLogged_) return;
    overflowLogged_ = true;
    Log("Network", 4, "Too many Commands");
}

bool TFrameCollector::Add(const TCommand& command) {
    if (command.Kind == ckEmpty) return false;
    std::uint16_t& held = perPlayer_[command.Player];
    if (held >= MaxCommands) {
        LogOverflowOnce();
        return false;
    }
    ++held;
    current_.Commands.push_back(command);
    return true;
}

TFrameData TFrameCollector::Close(std::uint32_t checksum) {
    if (current_.Commands.size() > MaxCommands) {
        LogOverflowOnce();
        std::array<std::uint16_t, 256> share = Shares(perPlayer_, MaxCommands);
        std::erase_if(current_.Commands, [&share](const TCommand& c) {
            std::uint16_t& left = share[c.Player];
            if (left == 0) return true;
            --left;
            return false;
        });
    }
    current_.Header.Count = CheckedNarrow<std::uint8_t>(current_.Commands.size());
    current_.Header.Checksum = checksum;
    TFrameData closed = std::move(current_);
    current_ = TFrameData{};
    current_.Header.Frame = CheckedAdd<std::int32_t>(closed.Header.Frame, 1);
    perPlayer_.fill(0);
    overflowLogged_ = false;
    return closed;
}

}  // namespace orbitfall
