#pragma once
// Encoding and decoding of the lockstep packets (layouts in packets.h). Every
// packet of the protocol is built and read here and nowhere else. A decoder
// checks the whole payload length before it reads anything and raises
// Exception("Malformed packet") when it is not the one the type gives.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "control/frame_header.h"
#include "control/packets.h"
#include "control/start_info.h"

namespace orbitfall {

using TPacketBytes = std::vector<std::uint8_t>;

// Each writes one whole payload into out, replacing what it held (a reused
// buffer keeps its memory).
void EncodeCommand(const TCommand& command, TPacketBytes& out);
void EncodeFrame(const TFrameHeader& header, const std::vector<TCommand>& commands, TPacketBytes& out);
void EncodeStart(const TStartInfo& info, TPacketBytes& out);
void EncodeReady(TPacketBytes& out);

// The type byte; a malformed packet when the payload is empty.
std::uint8_t PacketType(const std::uint8_t* payload, std::size_t size);
TCommand DecodeCommand(const std::uint8_t* payload, std::size_t size);
// Header.Count and the command list agree.
TFrameData DecodeFrame(const std::uint8_t* payload, std::size_t size);
// Only the length: the record's values are judged by StartInfoFault.
TStartInfo DecodeStart(const std::uint8_t* payload, std::size_t size);
void DecodeReady(const std::uint8_t* payload, std::size_t size);

}  // namespace orbitfall
