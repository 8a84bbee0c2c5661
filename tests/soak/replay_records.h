#pragma once
// The replay file as the tests see it: frame records (9-byte header, then
// Count commands of 23 bytes), read independently of the program's reader.
#include <cstdint>
#include <string>
#include <vector>

namespace orbitfall::soak {

struct TReplayCommand {
    std::uint8_t Kind = 0, Flags = 0, Player = 0;
    std::int32_t Frame = 0;
    std::string Payload;  // 16 bytes
};

struct TReplayFrame {
    std::int32_t Frame = 0;
    std::uint32_t Checksum = 0;
    std::vector<TReplayCommand> Commands;
};

// Every complete frame record; Throws std::runtime_error on a file that does
// not end on a record boundary.
std::vector<TReplayFrame> ParseReplay(const std::string& bytes);

// The frames as a runner script ("frame player raw kind flags hex"), so
// that `run` replays exactly the recorded commands.
std::string RunScript(const std::vector<TReplayFrame>& frames);

}  // namespace orbitfall::soak
