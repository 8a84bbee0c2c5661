#pragma once
// What a machine does when its world parts from the one it is compared with
// (a host's frame on a client, a recording on a replay): it keeps its world
// of that frame as a file in the user folder's Desync/ and names the file in
// the log and in the error, so the two machines' worlds can be laid side by
// side (orbitfall-sim diff).
#include <cstdint>
#include <string>

namespace orbitfall {

class TGame;

// Writes game's world, as the frame begins, to UserDir() + "Desync/" in a new
// file named after the frame and the local time ("frame-812_2026-12-09_
// 12-31-02.txt"), and returns its path. The file opens with a '#' line
// holding message and both checksums, then the world dump.
std::string WriteDesyncDump(const TGame& game, const std::string& message, std::uint32_t expected);

// Writes the dump, logs where, and raises an Exception whose first line is
// message exactly and whose second names the file (or why none was written).
[[noreturn]] void RaiseDesync(const std::string& message, const TGame& game, std::uint32_t expected);

}  // namespace orbitfall
