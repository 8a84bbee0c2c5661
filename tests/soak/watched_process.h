#pragma once
// A child process watched while it runs: its output is read as it grows and
// its memory is read from /proc. Bounded waits; killed if still running at
// destruction.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace orbitfall::soak {

struct TMemory {
    long PeakKb = -1;      // VmHWM: the most resident memory so far
    long ResidentKb = -1;  // VmRSS: resident now
};

class WatchedProcess {
public:
    WatchedProcess(const std::vector<std::string>& args, std::string outputFile) : output_(std::move(outputFile)) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
    }
    WatchedProcess(const WatchedProcess&) = delete;
    WatchedProcess& operator=(const WatchedProcess&) = delete;
    ~WatchedProcess() {
        if (!finished_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // True once it has ended; ExitCode() is then its exit code (-1: a signal).
    bool Poll() {
        if (finished_) return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
        finished_ = true;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return true;
    }
    int ExitCode() const { return exitCode_; }
    void Kill() {
        if (finished_) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        finished_ = true;
    }

    // Output that arrived since the last call, whole lines only.
    std::vector<std::string> NewLines() {
        std::ifstream in(output_, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(read_));
        std::string chunk{std::istreambuf_iterator<char>(in), {}};
        read_ += chunk.size();
        partial_ += chunk;
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t nl = partial_.find('\n'); nl != std::string::npos; nl = partial_.find('\n', start)) {
            lines.push_back(partial_.substr(start, nl - start));
            start = nl + 1;
        }
        partial_.erase(0, start);
        return lines;
    }

    std::string Output() const {
        std::ifstream in(output_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TMemory Memory() const {
        TMemory m;
        std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("VmHWM:", 0) == 0) m.PeakKb = std::stol(line.substr(6));
            if (line.rfind("VmRSS:", 0) == 0) m.ResidentKb = std::stol(line.substr(6));
        }
        return m;
    }

private:
    std::string output_;
    pid_t pid_ = -1;
    bool finished_ = false;
    int exitCode_ = -1;
    std::size_t read_ = 0;
    std::string partial_;
};

}  // namespace orbitfall::soak
