#pragma once
// A child process for the multi-process tests: output (stdout and stderr) to
// a file that can be read while it grows, memory read from /proc, bounded
// waits, and a kill for the fault tests. Killed if still running at
// destruction.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace orbitfall::testing {

struct TMemory {
    long PeakKb = -1;      // VmHWM: the most resident memory so far
    long ResidentKb = -1;  // VmRSS: resident now
};

class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& args, std::string outputFile) : output_(std::move(outputFile)) {
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
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { Kill(); }

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
    int Pid() const { return static_cast<int>(pid_); }

    // Exit code, or -1 when it did not end within the timeout (it is killed
    // then) or ended by a signal.
    int Wait(std::chrono::milliseconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (!Poll()) {
            if (std::chrono::steady_clock::now() > end) {
                Kill();
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return exitCode_;
    }

    void Kill() {
        if (finished_) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        finished_ = true;
        exitCode_ = -1;
    }

    std::string Output() const {
        std::ifstream in(output_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
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

    // Waits until the output holds text (or the timeout passes).
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds timeout) const {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            if (Output().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
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

}  // namespace orbitfall::testing
