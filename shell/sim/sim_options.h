#pragma once
// Command-line options of orbitfall-sim.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orbitfall {

// Wrong usage: the runner prints the usage text and exits 2.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TSimOptions {
    std::string Command;  // "run" or "verify"
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
};

TSimOptions ParseSimOptions(const std::vector<std::string>& args);
extern const char* const SimUsage;

}  // namespace orbitfall
