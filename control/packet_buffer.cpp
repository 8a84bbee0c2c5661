#include "control/packet_buffer.h"

#include <algorithm>

#include "control/network_adapter.h"
#include "infra/checked.h"

namespace orbitfall {

void TPacketBuffer::Append(std::size_t count, const TReceive& receive) {
    if (start_ > 0) {
        data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    const std::size_t before = data_.size();
    data_.resize(CheckedAdd(before, count));
    const std::size_t got = receive(data_.data() + before, count);
    if (got != count) {
        data_.resize(before + std::min(got, count));
        throw ETcpAdapterError("Lesefehler");
    }
}

std::size_t TPacketBuffer::FrontLength() const {
    return static_cast<std::size_t>(data_[start_]) | (static_cast<std::size_t>(data_[start_ + 1]) << 8);
}

std::optional<std::span<const std::uint8_t>> TPacketBuffer::FrontPacket() const {
    if (Size() < 2) return std::nullopt;
    const std::size_t length = FrontLength();
    if (Size() < length + 2) return std::nullopt;
    return std::span<const std::uint8_t>(data_.data() + start_ + 2, length);
}

void TPacketBuffer::PopPacket() {
    if (!FrontPacket()) throw ERangeError();
    start_ += FrontLength() + 2;
}

}  // namespace orbitfall
