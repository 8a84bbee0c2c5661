#pragma once
// The lockstep soak: one host and three clients on loopback play a long game
// of random but valid commands on the four-start map, watched while they run
// (frames reached, resident memory), then compared: checksums, replays, replay
// verification, and how many ships the fight left.
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace orbitfall::soak {

using testing::ChildProcess;
using testing::TMemory;

struct TSoakOptions {
    std::string Sim;      // the orbitfall-sim executable
    std::string WorkDir;  // an empty folder, ending in '/'
    std::uint32_t Seed = 20260101;
    std::int32_t Frames = 3000;
    int FrameMs = 2;
    std::vector<std::int32_t> MemoryAt;  // frames at which memory is read
    std::chrono::seconds Timeout{240};  // for the game, and as much again for the checks after it
};

struct TMemorySample {
    int Process = 0;          // 0 the host, 1..3 the clients
    std::int32_t Wanted = 0;  // the frame asked for
    std::int32_t Seen = 0;    // the frame its output had reached when read
    TMemory Memory;
};

struct TSoakResult {
    std::vector<int> ExitCodes;                               // host, clients
    std::vector<std::string> Outputs;
    std::vector<std::map<std::int32_t, std::string>> Checksums;  // frame -> checksum, per process
    std::vector<std::string> Replays;                          // the bytes of each Latest.ofr
    std::vector<int> VerifyCodes;
    std::vector<std::string> VerifyOutputs;
    std::vector<TMemorySample> Memory;
    // The host's game played again by `run` from its replay: its checksums
    // must be the host's; it counts the ships at the first and last frame.
    bool ReplayedChecksumsMatch = false;
    int ShipsAtStart = 0;
    int ShipsAtEnd = 0;
    std::map<int, int> ShipsAtEndByPlayer;
    double Seconds = 0;
};

// Throws std::runtime_error when the game cannot even be set up (no port, a
// client that never joins); everything after that is reported in the result.
TSoakResult RunSoak(const TSoakOptions& options);

// "frame f checksum h" lines of an output.
std::map<std::int32_t, std::string> FrameChecksums(const std::string& output);

}  // namespace orbitfall::soak
