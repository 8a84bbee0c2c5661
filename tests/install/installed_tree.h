#pragma once
// The installed game for the tests: `cmake --install` of this build into a
// temporary DESTDIR, and runs of the installed programs with the environment
// a test gives them (their home and XDG folders in the temporary folder).
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace orbitfall::testing {

struct RunResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// Environment variables set (a value) or removed (nullopt) for the lifetime
// of the object; the previous values come back afterwards.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& changes) {
        for (const auto& [name, value] : changes) {
            const char* old = getenv(name.c_str());
            saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

// Runs a program to its end (at most timeout) and returns what it printed.
inline RunResult RunProgram(const std::vector<std::string>& args, const std::string& outputFile,
                     std::chrono::milliseconds timeout = std::chrono::seconds(120)) {
    ChildProcess child(args, outputFile);
    RunResult r;
    r.exitCode = child.Wait(timeout);
    r.output = child.Output();
    return r;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The "frame f checksum hhhhhhhh" lines of a run.
inline std::size_t ChecksumLines(const std::string& output) {
    const std::regex line(R"(frame [0-9]+ checksum [0-9a-f]{8})");
    std::size_t n = 0;
    std::istringstream in(output);
    for (std::string s; std::getline(in, s);) n += std::regex_match(s, line) ? 1 : 0;
    return n;
}

// Every path below root, relative to it.
inline std::set<std::string> TreeOf(const std::string& root) {
    std::set<std::string> paths;
    if (!std::filesystem::exists(root)) return paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        paths.insert(std::filesystem::relative(entry.path(), root).string());
    return paths;
}

// A temporary folder holding an installation of this build (prefix /usr below
// "stage/") and room for the homes and XDG folders of the runs.
class InstalledTree : public ::testing::Test {
protected:
    void SetUp() override {
        ScopedEnvironment destdir({{"DESTDIR", tmp.Path() + "stage"}});
        const RunResult install =
            RunProgram({ORBITFALL_CMAKE, "--install", ORBITFALL_BUILD_DIR, "--prefix", "/usr"}, tmp.Path() + "install.txt");
        ASSERT_EQ(install.exitCode, 0) << install.output;
        prefix = tmp.Path() + "stage/usr/";
    }

    std::string Sim() const { return prefix + "games/orbitfall-sim"; }

    // A run of an installed program with HOME and XDG_DATA_HOME as given
    // (nullopt: unset).
    RunResult RunWith(const std::vector<std::string>& args, std::optional<std::string> home,
                      std::optional<std::string> xdgDataHome) {
        ScopedEnvironment env({{"HOME", home}, {"XDG_DATA_HOME", xdgDataHome}});
        return RunProgram(args, tmp.Path() + "run-" + std::to_string(++runs_) + ".txt");
    }

    TempFolder tmp;
    std::string prefix;  // ends in '/'

private:
    int runs_ = 0;
};

}  // namespace orbitfall::testing
