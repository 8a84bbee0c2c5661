#include "tests/soak/soak_game.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/soak/replay_records.h"
#include "tests/soak/soak_script.h"

namespace orbitfall::soak {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* Map = "Kreuzung";
constexpr int MapSize = 300;
constexpr int Clients = 3;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

int LastFrame(const std::vector<std::string>& lines, int previous) {
    static const std::regex frame(R"(frame ([0-9]+) checksum .*)");
    for (const auto& line : lines) {
        std::smatch m;
        if (std::regex_match(line, m, frame)) previous = std::stoi(m[1]);
    }
    return previous;
}

// Runs until every process has ended or the deadline passes (then kills
// them), reading memory when a process's output reaches a wanted frame.
void Watch(std::vector<std::unique_ptr<ChildProcess>>& processes, const TSoakOptions& o,
           Clock::time_point deadline, std::vector<TMemorySample>& samples) {
    std::vector<int> reached(processes.size(), -1);
    std::vector<std::size_t> nextWanted(processes.size(), 0);
    for (;;) {
        bool running = false;
        for (std::size_t i = 0; i < processes.size(); ++i) {
            ChildProcess& p = *processes[i];
            const bool ended = p.Poll();
            reached[i] = LastFrame(p.NewLines(), reached[i]);
            while (!ended && nextWanted[i] < o.MemoryAt.size() && reached[i] >= o.MemoryAt[nextWanted[i]]) {
                samples.push_back({static_cast<int>(i), o.MemoryAt[nextWanted[i]], reached[i], p.Memory()});
                ++nextWanted[i];
            }
            running = running || !ended;
        }
        if (!running) return;
        if (Clock::now() > deadline) {
            for (auto& p : processes) p->Kill();
            return;
        }
        std::this_thread::sleep_for(5ms);
    }
}

}  // namespace

std::map<std::int32_t, std::string> FrameChecksums(const std::string& output) {
    std::map<std::int32_t, std::string> frames;
    static const std::regex line(R"(frame ([0-9]+) checksum ([0-9a-f]{8}))");
    std::istringstream in(output);
    for (std::string s; std::getline(in, s);) {
        std::smatch m;
        if (std::regex_match(s, m, line)) frames[std::stoi(m[1])] = m[2];
    }
    return frames;
}

TSoakResult RunSoak(const TSoakOptions& o) {
    const auto start = Clock::now();
    const auto deadline = start + o.Timeout;
    const std::vector<std::string> scripts = MakeSoakScripts(o.Seed, o.Frames, Clients + 1, MapSize);
    std::vector<std::string> dirs;
    for (int i = 0; i <= Clients; ++i) {
        dirs.push_back(o.WorkDir + (i == 0 ? "host/" : "client" + std::to_string(i) + "/"));
        std::filesystem::create_directories(dirs.back());
        WriteFile(dirs.back() + "script.txt", scripts[static_cast<std::size_t>(i)]);
    }

    std::vector<std::unique_ptr<ChildProcess>> processes;
    const std::string frames = std::to_string(o.Frames);
    processes.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{o.Sim, "host", "--port", "0", "--clients", std::to_string(Clients), "--map", Map,
                                 "--frames", frames, "--frame-ms", std::to_string(o.FrameMs), "--seed",
                                 std::to_string(o.Seed), "--script", dirs[0] + "script.txt", "--user-dir", dirs[0]},
        dirs[0] + "out.txt"));
    ChildProcess& host = *processes[0];
    auto waitForHost = [&](const std::regex& pattern, int count) {
        std::smatch m;
        for (auto end = Clock::now() + 20s; Clock::now() < end; std::this_thread::sleep_for(10ms)) {
            const std::string out = host.Output();
            auto begin = std::sregex_iterator(out.begin(), out.end(), pattern);
            if (std::distance(begin, std::sregex_iterator()) >= count) return out;
            if (host.Poll()) break;
        }
        throw std::runtime_error("host did not get ready:\n" + host.Output());
    };
    std::smatch m;
    const std::string first = waitForHost(std::regex(R"(port [0-9]+\n)"), 1);
    std::regex_search(first, m, std::regex(R"(port ([0-9]+)\n)"));
    const std::string port = m[1];
    // One at a time, so client i plays as player i + 1 and runs script i.
    for (int i = 1; i <= Clients; ++i) {
        processes.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{o.Sim, "join", "127.0.0.1", "--port", port, "--frames", frames, "--script",
                                     dirs[static_cast<std::size_t>(i)] + "script.txt", "--user-dir",
                                     dirs[static_cast<std::size_t>(i)]},
            dirs[static_cast<std::size_t>(i)] + "out.txt"));
        waitForHost(std::regex("lobby: A player joined the game\n"), i);
    }

    TSoakResult r;
    Watch(processes, o, deadline, r.Memory);
    r.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The checks after the game have a time of their own: five replays of
    // the whole game under a sanitizer on a busy machine took longer than
    // what the game had left over.
    const auto checksDeadline = Clock::now() + o.Timeout;
    for (std::size_t i = 0; i < processes.size(); ++i) {
        r.ExitCodes.push_back(processes[i]->ExitCode());
        r.Outputs.push_back(processes[i]->Output());
        r.Checksums.push_back(FrameChecksums(r.Outputs.back()));
        const std::string replay = dirs[i] + "Replays/Latest.ofr";
        r.Replays.push_back(ReadFile(replay));
        ChildProcess verify({o.Sim, "verify", replay, "--user-dir", dirs[i]}, dirs[i] + "verify.txt");
        while (!verify.Poll() && Clock::now() < checksDeadline) std::this_thread::sleep_for(10ms);
        verify.Kill();
        r.VerifyCodes.push_back(verify.ExitCode());
        r.VerifyOutputs.push_back(verify.Output());
    }

    // The host's game once more, from its replay, with the ships listed at
    // the first and the last frame.
    const std::string replayed = o.WorkDir + "replayed/";
    std::filesystem::create_directories(replayed);
    std::vector<TReplayFrame> recorded;
    try {
        recorded = ParseReplay(r.Replays[0]);
    } catch (const std::runtime_error&) {
        return r;
    }
    if (recorded.empty()) return r;
    WriteFile(replayed + "script.txt", RunScript(recorded));
    const std::string last = std::to_string(recorded.size() - 1);
    ChildProcess run({o.Sim, "run", "--map", Map, "--players", std::to_string(Clients + 1), "--seed",
                        std::to_string(o.Seed), "--frames", std::to_string(recorded.size()), "--script",
                        replayed + "script.txt", "--dump-at", "0," + last, "--user-dir", replayed},
                       replayed + "out.txt");
    while (!run.Poll() && Clock::now() < checksDeadline) std::this_thread::sleep_for(10ms);
    run.Kill();
    const std::string out = run.Output();
    r.ReplayedChecksumsMatch = run.ExitCode() == 0 && FrameChecksums(out) == r.Checksums[0];
    std::istringstream lines(out);
    std::string frame;
    static const std::regex ship(R"(obj TControlledUnit [0-9]+ ([0-9]+) .*)");
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("frame ", 0) == 0) frame = line.substr(6, line.find(' ', 6) - 6);
        std::smatch s;
        if (!std::regex_match(line, s, ship)) continue;
        if (frame == "0") ++r.ShipsAtStart;
        if (frame == last) {
            ++r.ShipsAtEnd;
            ++r.ShipsAtEndByPlayer[std::stoi(s[1])];
        }
    }
    return r;
}

}  // namespace orbitfall::soak
