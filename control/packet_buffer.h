#pragma once
// One connection's receive buffer: bytes of the TCP stream not yet consumed.
// Framing: each packet is a 2-byte little-endian length L, then L payload
// bytes (0 to 65535). The front packet is taken off once it is complete and
// the rest moved forward in place, so the buffer only grows to the largest
// backlog.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace orbitfall {

class TPacketBuffer {
public:
    // Copies up to count bytes into the destination, returns how many.
    using TReceive = std::function<std::size_t(std::uint8_t* destination, std::size_t count)>;

    // Grows by count and lets receive fill the new tail. A receive that
    // delivers another count raises ETcpAdapterError "Lesefehler"; the
    // buffer then keeps exactly the bytes that did arrive, so the stream
    // stays in step.
    void Append(std::size_t count, const TReceive& receive);
    // The payload of the front packet once all of it is here.
    std::optional<std::span<const std::uint8_t>> FrontPacket() const;
    // Drops the front packet (which must be complete).
    void PopPacket();
    std::size_t Size() const { return data_.size(); }

private:
    std::size_t FrontLength() const;
    std::vector<std::uint8_t> data_;
};

}  // namespace orbitfall
