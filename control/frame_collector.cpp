#include "control/frame_collector.h"

#include <utility>

#include "infra/checked.h"
#include "infra/event_log.h"

namespace orbitfall {

bool TFrameCollector::Add(const TCommand& command) {
    if (command.Kind == ckEmpty) return false;
    if (current_.Commands.size() >= 255) {
        Log("Network", 4, "Too many Commands");
        return false;
    }
    current_.Commands.push_back(command);
    current_.Header.Count = CheckedNarrow<std::uint8_t>(current_.Commands.size());
    return true;
}

TFrameData TFrameCollector::Close(std::uint32_t checksum) {
    current_.Header.Checksum = checksum;
    TFrameData closed = std::move(current_);
    current_ = TFrameData{};
    current_.Header.Frame = CheckedAdd<std::int32_t>(closed.Header.Frame, 1);
    return closed;
}

}  // namespace orbitfall
