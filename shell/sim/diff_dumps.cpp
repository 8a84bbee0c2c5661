#include <cstdio>
#include <fstream>
#include <sstream>

#include "infra/errors.h"
#include "shell/sim/sim_commands.h"
#include "simulation/world_dump_diff.h"

namespace orbitfall {

namespace {

// A dump of a large battle is a few megabytes; anything far beyond is not one.
constexpr std::streamoff MaxDumpFileSize = 512LL * 1024 * 1024;

const TWorldDump* PickDump(const std::vector<TWorldDump>& dumps, const std::optional<std::int32_t>& frame) {
    for (const TWorldDump& d : dumps)
        if (!frame || d.Frame == *frame) return &d;
    return nullptr;
}

std::vector<TWorldDump> ReadDumpFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EFOpenError(path);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > MaxDumpFileSize) throw Exception("\"" + path + "\" is not a world dump (too large)");
    in.seekg(0);
    std::ostringstream text;
    text << in.rdbuf();
    return ReadWorldDumps(text.str());
}

}  // namespace

int DiffDumps(const TSimOptions& o) {
    const TWorldDump* dumps[2] = {};
    std::vector<TWorldDump> read[2];
    for (int i = 0; i < 2; ++i) {
        read[i] = ReadDumpFile(o.DiffFiles[static_cast<std::size_t>(i)]);
        dumps[i] = PickDump(read[i], o.DiffFrame);
        if (!dumps[i]) {
            const std::string what = o.DiffFrame ? "no world dump of frame " + std::to_string(*o.DiffFrame)
                                                  : std::string("no world dump");
            throw Exception("\"" + o.DiffFiles[static_cast<std::size_t>(i)] + "\" holds " + what);
        }
    }
    const std::vector<std::string> differences = CompareWorldDumps(*dumps[0], *dumps[1]);
    for (const std::string& line : differences) std::printf("%s\n", line.c_str());
    if (!differences.empty()) return 1;
    std::printf("frame %d: the worlds are equal", dumps[0]->Frame);
    if (dumps[0]->Checksum != dumps[1]->Checksum)
        std::printf("; only the checksum differs: %s / %s", dumps[0]->Checksum.c_str(), dumps[1]->Checksum.c_str());
    std::printf("\n");
    return 0;
}

}  // namespace orbitfall
