#pragma once
// One connection's receive buffer: bytes of the TCP stream not yet consumed.
// Framing: each packet is a 2-byte little-endian length L, then L payload
// bytes (0 to 65535). Packets are taken off the front by moving a read
// offset; the consumed bytes are dropped once per read (at the next Append),
// so a read holding many small packets costs their total size, not its
// square, and the buffer only grows to the largest backlog.
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

    // Drops what earlier reads consumed, then grows by count and lets
    // receive fill the new tail. A receive that delivers another count
    // raises ETcpAdapterError "Lesefehler"; the buffer then keeps exactly the
    // bytes that did arrive, so the stream stays in step.
    void Append(std::size_t count, const TReceive& receive);
    // The payload of the front packet once all of it is here.
    std::optional<std::span<const std::uint8_t>> FrontPacket() const;
    // Takes the front packet (which must be complete) off; its bytes stay
    // valid until the next Append.
    void PopPacket();
    // Bytes not consumed yet.
    std::size_t Size() const { return data_.size() - start_; }

private:
    std::size_t FrontLength() const;
    std::vector<std::uint8_t> data_;
    std::size_t start_ = 0;  // first byte not consumed
};

}  // namespace orbitfall
