#pragma once
// Real windows under an X server for the tests: a private Xvfb when the run
// has no display, and xdotool to act as a person would (find a program's
// window by its process and title, raise it, click, type, press keys).
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace orbitfall::testing {

// Runs a command to its end; its standard output, trimmed.
inline std::string RunCommand(const std::vector<std::string>& args) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    if (rc == 0) waitpid(pid, nullptr, 0);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

// A private Xvfb for the whole test program when DISPLAY is not set.
class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const char* display = getenv("DISPLAY");
        if (display && *display) return;
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        // No reset when the last client leaves: a connection arriving during
        // one is dropped, and the tests start programs one after another.
        std::vector<std::string> args{"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp", "-noreset"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        std::string number;
        char c;
        while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
        close(pipeFds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        setenv("DISPLAY", (":" + number).c_str(), 1);
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = -1;
};

inline std::string Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return RunCommand(args);
}

// The visible window of process pid whose title matches the regular
// expression; empty when there is none within the timeout.
inline std::string FindWindow(int pid, const std::string& title,
                              std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        std::string found =
            Xdotool({"search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name", title});
        if (!found.empty()) return found.substr(0, found.find('\n'));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return {};
}

inline bool WindowGone(int pid, const std::string& title,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (Xdotool({"search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name", title}).empty())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

// A click at (x, y) inside the window, after raising it above the others.
inline void ClickAt(const std::string& window, int x, int y, int button = 1) {
    Xdotool({"windowraise", window});
    Xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y), "click", std::to_string(button)});
}

// Replaces the text of the input field at (x, y): click into it, select all,
// type.
inline void TypeInto(const std::string& window, int x, int y, const std::string& text) {
    ClickAt(window, x, y);
    Xdotool({"windowfocus", "--sync", window});
    Xdotool({"key", "--clearmodifiers", "ctrl+a", "BackSpace"});
    if (!text.empty()) Xdotool({"type", "--delay", "5", text});
}

// FLTK offers a key that no widget takes to the window under the mouse: the
// pointer goes into the window first, as a person's would be.
inline void PressKey(const std::string& window, const std::string& key) {
    Xdotool({"windowraise", window});
    Xdotool({"mousemove", "--window", window, "3", "3"});
    Xdotool({"windowfocus", "--sync", window});
    Xdotool({"key", "--clearmodifiers", key});
}

}  // namespace orbitfall::testing
