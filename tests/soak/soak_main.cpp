// The full soak: prints the figures, exits 0 only when everything held.
//   soak_runner SIM WORKDIR [FRAMES] [FRAME_MS] [SEED]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/soak/soak_game.h"

using namespace orbitfall::soak;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: soak_runner SIM WORKDIR [FRAMES] [FRAME_MS] [SEED]\n");
        return 2;
    }
    TSoakOptions o;
    o.Sim = argv[1];
    o.WorkDir = std::string(argv[2]) + "/";
    if (argc > 3) o.Frames = std::atoi(argv[3]);
    if (argc > 4) o.FrameMs = std::atoi(argv[4]);
    if (argc > 5) o.Seed = static_cast<std::uint32_t>(std::strtoul(argv[5], nullptr, 10));
    o.Timeout = std::chrono::seconds(60 + o.Frames / 20);
    // The last reading comes 200 frames before the end: the final lines
    // reach the output only as a process exits, when its memory is going.
    for (std::int32_t f : {1000, 5000, 10000, 15000})
        if (f < o.Frames - 200) o.MemoryAt.push_back(f);
    o.MemoryAt.push_back(o.Frames - 200);
    std::filesystem::create_directories(o.WorkDir);

    const TSoakResult r = RunSoak(o);
    bool ok = true;
    auto check = [&ok](bool good, const char* what) {
        std::printf("%-44s %s\n", what, good ? "yes" : "NO");
        ok = ok && good;
    };
    std::printf("soak: seed %u, %d frames at %d ms, 1 host + 3 clients, %.1f s\n", o.Seed, o.Frames, o.FrameMs,
                r.Seconds);
    std::printf("exit codes: host %d, clients %d %d %d\n", r.ExitCodes[0], r.ExitCodes[1], r.ExitCodes[2],
                r.ExitCodes[3]);
    bool sameChecksums = r.Checksums[0].size() == static_cast<std::size_t>(o.Frames);
    bool sameReplays = true, verified = true;
    for (std::size_t i = 1; i < r.Checksums.size(); ++i) sameChecksums = sameChecksums && r.Checksums[i] == r.Checksums[0];
    for (std::size_t i = 0; i < r.Replays.size(); ++i) {
        sameReplays = sameReplays && r.Replays[i] == r.Replays[0];
        verified = verified && r.VerifyCodes[i] == 0 &&
                   r.VerifyOutputs[i].find("verified " + std::to_string(o.Frames) + " frames") != std::string::npos;
    }
    check(r.ExitCodes == std::vector<int>{0, 0, 0, 0}, "all four ran every frame and exited 0");
    check(sameChecksums, "every frame's checksum identical on all four");
    check(sameReplays, "four replays byte-identical");
    check(verified, "four replays verified");
    check(r.ReplayedChecksumsMatch, "host replay re-run gives the host's checksums");
    check(r.ShipsAtStart > 0 && r.ShipsAtEnd * 4 < r.ShipsAtStart, "most ships destroyed");
    std::printf("replay: %zu bytes; ships: %d at frame 0, %d at the last frame (", r.Replays[0].size(),
                r.ShipsAtStart, r.ShipsAtEnd);
    for (const auto& [player, n] : r.ShipsAtEndByPlayer) std::printf(" player %d: %d", player, n);
    std::printf(" )\n");
    std::printf("memory (kB)    wanted  seen     VmHWM   VmRSS\n");
    for (const auto& s : r.Memory)
        std::printf("%-12s %7d %6d %9ld %7ld\n", s.Process == 0 ? "host" : ("client " + std::to_string(s.Process)).c_str(),
                    s.Wanted, s.Seen, s.Memory.PeakKb, s.Memory.ResidentKb);
    std::printf("%s\n", ok ? "soak passed" : "soak FAILED");
    return ok ? 0 : 1;
}
