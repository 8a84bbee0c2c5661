#pragma once
// Finding games on the local network: a query datagram that a player's copy
// sends (broadcast, or to loopback only) to the game port over UDP, and the
// answer a hosting copy still in its lobby sends back to the query's source.
//
// Layout (all integers little-endian, texts UTF-8 without terminator):
//
//   query, exactly 9 bytes:
//     0  4  magic "OFDQ"
//     4  1  version (1)
//     5  4  round token: echoed by the answer, so that answers to an
//           earlier round (a late datagram) are told apart
//
//   answer, 15 to 141 bytes:
//     0  4  magic "OFDA"
//     4  1  version (1)
//     5  4  round token of the query answered
//     9  2  TCP port of the game (1..65535)
//    11  1  players present (host included, 1..15)
//    12  1  start views of the lobby's map (0..255; 255: unknown)
//    13  1  length N of the machine name (1..63)
//    14  N  machine name
//  14+N  1  length M of the map name (0..63)
//  15+N  M  map name
//
// A datagram that differs in magic or version, is shorter or longer than its
// fields, or breaks a bound is not ours and is ignored as a whole. Texts are
// cleaned when read (invalid UTF-8 and control characters become '?'), since
// what arrives is shown in a list and printed on a line.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbitfall {

inline constexpr std::size_t DiscoveryQuerySize = 9;
inline constexpr std::size_t DiscoveryMaxText = 63;
inline constexpr std::size_t DiscoveryMinAnswerSize = 15;
inline constexpr std::size_t DiscoveryMaxAnswerSize = 15 + 2 * DiscoveryMaxText;
inline constexpr std::uint8_t DiscoveryVersion = 1;
inline constexpr std::uint8_t DiscoveryStartsUnknown = 255;
inline constexpr int DiscoveryMaxPlayers = 15;
static_assert(DiscoveryMaxAnswerSize == 141);

struct TDiscoveryAnswer {
    std::uint32_t Token = 0;
    int Port = 0;
    int Players = 0;
    int StartViews = -1;  // -1: unknown
    std::string Name;     // machine name, UTF-8
    std::string Map;      // map chosen in the host's lobby, UTF-8 (may be empty)
};

std::vector<std::uint8_t> EncodeDiscoveryQuery(std::uint32_t token);
// The token of a well-formed query; nothing for anything else.
std::optional<std::uint32_t> DecodeDiscoveryQuery(const std::uint8_t* data, std::size_t size);

// Texts longer than the bound are cut at a character boundary; players and
// start views are clamped to their ranges; the port must be 1..65535 and the
// name not empty (std::invalid_argument otherwise: a caller's fault).
std::vector<std::uint8_t> EncodeDiscoveryAnswer(const TDiscoveryAnswer& answer);
// The answer with its texts cleaned; nothing when the datagram is not a
// well-formed answer.
std::optional<TDiscoveryAnswer> DecodeDiscoveryAnswer(const std::uint8_t* data, std::size_t size);

// Invalid UTF-8 bytes and control characters (C0, DEL, C1) each become '?'.
std::string CleanDiscoveryText(const std::string& text);
// At most maxBytes of text, not splitting a UTF-8 sequence.
std::string CutUtf8(const std::string& text, std::size_t maxBytes);

// The list entry: "name  map  players/starts" ("?" for unknown start views,
// the map left out when the host has none).
std::string DiscoveryLabel(const TDiscoveryAnswer& answer);
// What the Host field takes to join it: the address, with ":port" when the
// port is not the default one (an IPv6 address in brackets then).
std::string DiscoveryHostText(const std::string& address, int port, int defaultPort);

}  // namespace orbitfall
