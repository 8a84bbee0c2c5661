#pragma once
// The greeting a joining client sends before anything else, and the host's
// refusal. A host admits only copies that run the same program on the same
// unit types; a map a client lacks or holds in another form cannot be
// started while that client is present.
//
//   ptGreeting (4), client to host, 43 + the maps' entries bytes:
//     offset size field
//          0    1 type (4)
//          1    1 VersionLength   0..32
//          2   32 Version         characters, zero after the version
//         34    8 UnitsDigest     uint64, 0: the file could not be read
//         42    1 MapCount
//         43      MapCount entries: NameLength (1..128), Name, Digest (uint64)
//   ptRefusal (5), host to client, 2 + length bytes:
//          0    1 type (5)
//          1    1 Length
//          2    Length characters of the reason, a sentence
//
// All integers little-endian. Digests are 64-bit FNV-1a over the bytes of
// the file the program's own file-name resolution picks (a user file over
// the shipped one). FNV is enough: the digests guard against copies that
// differ by mistake, not against a peer that lies, which could send any
// digest it likes whatever the function.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "control/packet_codec.h"

namespace orbitfall {

inline constexpr std::uint8_t ptGreeting = 4;
inline constexpr std::uint8_t ptRefusal = 5;
inline constexpr std::size_t MaxVersionLength = 32;
inline constexpr std::size_t MaxGreetingMaps = 255;

struct TMapDigest {
    std::string Name;
    std::uint64_t Digest = 0;
};

struct TGreeting {
    std::string Version;
    std::uint64_t UnitsDigest = 0;
    std::vector<TMapDigest> Maps;

    // The digest of the named map, unset when the greeting does not list it.
    std::optional<std::uint64_t> MapDigestOf(const std::string& name) const;
};

// This program's version ("0.1.0").
const std::string& ProgramVersion();
std::uint64_t Fnv1a64(const std::string& bytes);
// The digest of a regular file of at most 64 MiB; unset when it is missing
// or cannot be read.
std::optional<std::uint64_t> FileDigest(const std::string& path);
// The digest of "Units\Units.ofu", and of "maps\NAME.ofm", as the game would
// load them.
std::optional<std::uint64_t> UnitsDigest();
std::optional<std::uint64_t> MapDigest(const std::string& mapName);
// This machine's greeting: the version, the unit types and every map the
// lobby offers (each name once, the first 255).
TGreeting LocalGreeting();

void EncodeGreeting(const TGreeting& greeting, TPacketBytes& out);
TGreeting DecodeGreeting(const std::uint8_t* payload, std::size_t size);
// The reason is cut to 255 characters.
void EncodeRefusal(const std::string& reason, TPacketBytes& out);
// Characters below 32 and 127 become '?': a reason is shown to people.
std::string DecodeRefusal(const std::uint8_t* payload, std::size_t size);

// Why the host refuses a joining copy, as a sentence naming what differs;
// empty when the copy may join.
std::string GreetingMismatch(const TGreeting& host, const TGreeting& joining);

// Why the map cannot be started with this player present: "Player 2 does
// not have the map Weite." or "... holds another form of the map Weite.";
// empty when its copy is the host's.
std::string MapMismatch(const std::string& player, const std::string& mapName, std::uint64_t hostDigest,
                        const TGreeting& joining);

// Printable ASCII for a message to people; anything else becomes '?'.
std::string Printable(const std::string& text);

}  // namespace orbitfall
