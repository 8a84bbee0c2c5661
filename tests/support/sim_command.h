#pragma once
// orbitfall-sim run to its end as a script would run it: its exit code and
// everything it printed, standard error included.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace orbitfall::testing {

struct SimResult {
    int exitCode = -1;
    std::string out;
};

inline SimResult Sim(const std::string& args) {
    const std::string command = std::string(ORBITFALL_SIM) + " " + args + " 2>&1";
    SimResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace orbitfall::testing
