#pragma once
// Command-line options of orbitfall-sim.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/option_values.h"

namespace orbitfall {

struct TSimOptions {
    std::string Command;  // "run", "verify", "host", "join", "diff", "help" or "version"
    std::string Map;
    int Players = 0;
    int Local = 1;
    std::optional<std::uint32_t> Seed;
    std::int32_t Frames = -1;
    std::string Script;
    bool Record = false;
    std::vector<std::int32_t> DumpAt;
    std::string UserDir;
    std::string Replay;
    // host and join
    int Clients = -1;
    int FrameMs = 50;
    int Port = 6112;
    std::string Host;
    // Test options of join: the client's wait for frame data, and a nudge of
    // its world after the given frame (to prove that divergence is caught).
    int WaitMs = 30000;
    // host and join: a closing "stats" line (frames per second, Lag, bytes).
    bool Stats = false;
    std::int32_t NudgeAt = -1;
    // diff: the two dump files and the frame to compare (the first dump of
    // each file when absent).
    std::vector<std::string> DiffFiles;
    std::optional<std::int32_t> DiffFrame;
};

TSimOptions ParseSimOptions(const std::vector<std::string>& args);
extern const char* const SimUsage;
// --help: the intro, SimUsage, the details, then the folders.
extern const char* const SimHelpIntro;
extern const char* const SimHelpDetails;

}  // namespace orbitfall
