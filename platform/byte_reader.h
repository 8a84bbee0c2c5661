#pragma once
// Little-endian reads from a byte buffer that never step outside it: a read
// past the end raises EReadError ("Stream read error"), as a short file does.
#include <cstddef>
#include <cstdint>

#include "infra/errors.h"

namespace orbitfall {

class TByteReader {
public:
    TByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t Size() const { return size_; }
    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }

    void Seek(std::uint64_t position) {
        if (position > size_) throw EReadError();
        pos_ = static_cast<std::size_t>(position);
    }
    void Skip(std::uint64_t count) {
        if (count > Remaining()) throw EReadError();
        pos_ += static_cast<std::size_t>(count);
    }
    // The next count bytes, which stay valid as long as the buffer does.
    const std::uint8_t* Take(std::uint64_t count) {
        if (count > Remaining()) throw EReadError();
        const std::uint8_t* at = data_ + pos_;
        pos_ += static_cast<std::size_t>(count);
        return at;
    }
    std::uint8_t U8() { return *Take(1); }
    std::uint16_t U16() {
        const std::uint8_t* b = Take(2);
        return static_cast<std::uint16_t>(b[0] | b[1] << 8);
    }
    std::uint32_t U32() {
        const std::uint8_t* b = Take(4);
        return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
               std::uint32_t(b[3]) << 24;
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace orbitfall
