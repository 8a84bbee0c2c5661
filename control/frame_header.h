#pragma once
// The frame header, on the network and in the replay file.
//
//   offset size field     type
//        0    4 Frame     int32   sequence number given by the host, 0 first
//        4    4 Checksum  uint32  host's game checksum before the frame's commands
//        8    1 Count     uint8   commands that follow (0..255)
//
// Packed, 9 bytes, little-endian.
#include <cstdint>
#include <vector>

#include "simulation/command.h"

namespace orbitfall {

#pragma pack(push, 1)
struct TFrameHeader {
    std::int32_t Frame = 0;
    std::uint32_t Checksum = 0;
    std::uint8_t Count = 0;
};
#pragma pack(pop)

static_assert(sizeof(TFrameHeader) == 9, "TFrameHeader is 9 packed bytes");

// One frame: its header and exactly Header.Count commands.
struct TFrameData {
    TFrameHeader Header;
    std::vector<TCommand> Commands;
};

}  // namespace orbitfall
