#pragma once
// The command record: the unit of network transfer and of the replay file.
//
//   offset size field    type
//        0    1 Kind     uint8   ck* below
//        1    1 Flags    uint8   bit 0 cfAddToSelection
//        2    1 Player   uint8   issuing player
//        3    4 Frame    int32   issuing machine's frame
//        7   16 Payload  p0..p3, four 32-bit words
//
// Packed, 23 bytes, little-endian, no padding. Payload words are read and
// written through memcpy: p0..p3 are unaligned and, by kind, integers or
// singles. ckSelectRect: p0..p3 = x1, y1, x2, y2 (singles). ckMove: p0 an
// integer that must not be negative, p1, p2 = target x, y (singles).
#include <bit>
#include <cstdint>
#include <cstring>

namespace orbitfall {

static_assert(std::endian::native == std::endian::little,
              "the command record is stored in host order, which must be little-endian");

inline constexpr std::uint8_t ckEmpty = 0;
inline constexpr std::uint8_t ckSelectRect = 1;
inline constexpr std::uint8_t ckSelectAll = 3;
inline constexpr std::uint8_t ckMove = 4;

inline constexpr std::uint8_t cfAddToSelection = 1;

#pragma pack(push, 1)
struct TCommand {
    std::uint8_t Kind = 0;
    std::uint8_t Flags = 0;
    std::uint8_t Player = 0;
    std::int32_t Frame = 0;
    std::uint8_t Payload[16] = {};

    std::int32_t IntAt(int word) const {
        std::int32_t v;
        std::memcpy(&v, Payload + 4 * word, 4);
        return v;
    }
    float FloatAt(int word) const {
        float v;
        std::memcpy(&v, Payload + 4 * word, 4);
        return v;
    }
    void SetInt(int word, std::int32_t v) { std::memcpy(Payload + 4 * word, &v, 4); }
    void SetFloat(int word, float v) { std::memcpy(Payload + 4 * word, &v, 4); }
};
#pragma pack(pop)

static_assert(sizeof(TCommand) == 23, "TCommand is 23 packed bytes");

}  // namespace orbitfall
