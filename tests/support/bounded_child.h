#pragma once
// Runs a piece of code in a child process with a memory and a time bound, for
// tests of inputs that made the program read without end or wait forever: a
// fault then fails the test instead of exhausting the machine or hanging the
// suite.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

namespace orbitfall::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
#else
inline constexpr bool kSanitizedBuild = false;
#endif

enum class TChildOutcome { Passed, Failed, Crashed, TimedOut };

inline const char* OutcomeName(TChildOutcome outcome) {
    switch (outcome) {
        case TChildOutcome::Passed: return "passed";
        case TChildOutcome::Failed: return "failed";
        case TChildOutcome::Crashed: return "crashed or ran out of memory";
        case TChildOutcome::TimedOut: return "still running at the time bound";
    }
    return "?";
}

// body answers whether the child's checks held. The child's address space is
// limited to memoryBytes; it is killed after timeout.
inline TChildOutcome RunBoundedChild(const std::function<bool()>& body,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5),
                                     rlim_t memoryBytes = rlim_t{1} << 30) {
    const pid_t pid = fork();
    if (pid == 0) {
        // A sanitizer build reserves far more address space than it uses:
        // there the time bound alone has to do.
        if (!kSanitizedBuild) {
            rlimit limit{memoryBytes, memoryBytes};
            setrlimit(RLIMIT_AS, &limit);
        }
        bool ok = false;
        try {
            ok = body();
        } catch (...) {
            ok = false;
        }
        _exit(ok ? 0 : 1);
    }
    if (pid < 0) return TChildOutcome::Crashed;
    const auto end = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return TChildOutcome::TimedOut;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status) == 0 ? TChildOutcome::Passed : TChildOutcome::Failed;
    return TChildOutcome::Crashed;
}

}  // namespace orbitfall::testing
