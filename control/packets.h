#pragma once
// The packets of the lockstep protocol. Every payload starts with its type
// byte; the adapter adds the length framing.
//
//   type name         direction          length           layout
//      0 ptCommand    client to host     24               type, TCommand (23)
//      1 ptFrameData  host to clients    10 + 23 x Count  type, TFrameHeader (9), Count TCommands
//      2 ptStartGame  host to one client 141              type, TStartInfo (140)
//      3 ptReady      client to host     1                type
//      6 ptPlayerList host to one client 3 to 1473        type, Count, You, Count players (below)
//
// ptPlayerList: the players present, the host first, sent to each client on
// every join and leave (so to every newcomer). Only the lobby reads it; the
// game and the replay never see it. Count is 1..15; You is the index of the
// receiving client's own entry (1..Count-1, or 0xFF for none). Each player
// is a name (length byte 1..32, then its bytes) and an address (length byte
// 0..64, then its bytes), printable text: no byte below 0x20, nor 0x7F.
//
// A payload whose length is not the one its type and Count give is malformed.
#include <cstddef>
#include <cstdint>

#include "control/frame_header.h"
#include "control/start_info.h"

namespace orbitfall {

inline constexpr std::uint8_t ptCommand = 0;
inline constexpr std::uint8_t ptFrameData = 1;
inline constexpr std::uint8_t ptStartGame = 2;
inline constexpr std::uint8_t ptReady = 3;
inline constexpr std::uint8_t ptPlayerList = 6;

inline constexpr std::size_t CommandPacketSize = 1 + sizeof(TCommand);
inline constexpr std::size_t StartPacketSize = 1 + sizeof(TStartInfo);
inline constexpr std::size_t ReadyPacketSize = 1;
inline constexpr std::size_t FrameDataPacketSize(std::size_t count) {
    return 1 + sizeof(TFrameHeader) + count * sizeof(TCommand);
}

inline constexpr std::size_t MaxListedPlayers = 15;
inline constexpr std::size_t MaxListedName = 32;
inline constexpr std::size_t MaxListedAddress = 64;
inline constexpr std::uint8_t NoListedReceiver = 0xFF;
inline constexpr std::size_t MaxPlayerListPacketSize = 3 + MaxListedPlayers * (2 + MaxListedName + MaxListedAddress);

static_assert(CommandPacketSize == 24);
static_assert(MaxPlayerListPacketSize == 1473);
static_assert(StartPacketSize == 141);
static_assert(FrameDataPacketSize(255) == 5875, "the largest frame packet");

}  // namespace orbitfall
