#pragma once
// The players present, sent by the host to each client whenever one joins or
// leaves (and so to every newcomer). Only the lobby reads it: the game and
// the replay never see it.
//
//   offset  size  field
//        0     1  type (ptPlayerList)
//        1     1  Count, players listed: 1..MaxListedPlayers, the host first
//        2     1  You, the index of the receiving client's entry (0xFF: none)
//        3        Count entries, each:
//                   1  name length, 1..MaxListedName
//                   n  name bytes
//                   1  address length, 0..MaxListedAddress
//                   a  address bytes
//
// Names and addresses are printable text (no byte below 0x20 nor 0x7F). A
// payload of another length than its entries give, or with a field out of
// bounds, is malformed. The largest is 3 + 15 x (2 + 32 + 64) = 1473 bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "control/lobby_player.h"

namespace orbitfall {

inline constexpr std::size_t MaxListedPlayers = 15;
inline constexpr std::size_t MaxListedName = 32;
inline constexpr std::size_t MaxListedAddress = 64;
inline constexpr std::uint8_t NoListedReceiver = 0xFF;
inline constexpr std::size_t MaxPlayerListPacketSize = 3 + MaxListedPlayers * (2 + MaxListedName + MaxListedAddress);
static_assert(MaxPlayerListPacketSize == 1473);

// The packet for the client whose entry is receiver (NoListedReceiver: for
// nobody in particular). Names and addresses longer than their bound are cut,
// control bytes dropped; more than MaxListedPlayers players raise ERangeError.
std::vector<std::uint8_t> EncodePlayerList(const std::vector<TLobbyPlayer>& players, std::uint8_t receiver);

// The list a packet carries, You set on the receiver's entry; raises
// Exception("Malformed player list") for anything but a well-formed payload.
std::vector<TLobbyPlayer> DecodePlayerList(const std::uint8_t* payload, std::size_t size);

}  // namespace orbitfall
