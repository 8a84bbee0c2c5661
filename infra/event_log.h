#pragma once
// The event log "log.txt" in the user folder: one line per call, fields
// category TAB level TAB context TAB text, each line ending in CR LF. The first
// write of a run replaces the previous run's file; after every call the file
// on disk holds every line written so far, except repeats (below).
//
// Bounds, so that no peer and no long run can fill a disk through the log:
// - A line that repeats one of the recent distinct lines (same category,
//   level and text; the context may differ) is counted. Its first four
//   occurrences are written as usual; after that only the 8th, 16th, 32nd...
//   with " (N times)" after the text, and the total of a repeated line when
//   it leaves the recent lines or when the log closes.
// - log.txt holds at most the size limit (8 MiB unless set); a line that
//   would pass it moves the file to "log.old.txt" (replacing that one) and
//   starts log.txt afresh, so the two files together hold at most twice the
//   limit and the newest lines are always in log.txt. A line longer than
//   64 KiB is cut to that, saying so.
// - Lines that wait for a disk that cannot be written are kept up to 1 MiB;
//   later ones are counted and the count is written once the disk takes
//   lines again.
// A failure to write never raises: it is reported once, through the failure
// reporter, until a write succeeds again.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace orbitfall {

// The activity the program is in; copied into every line written. Assigning
// a plain text is cheap; the per-sprite context of the move walk is set as a
// prefix plus a name source so that the name is built only when a line is
// actually written.
class TLogContext {
public:
    using NameSource = std::string (*)(const void* object);

    TLogContext& operator=(std::string text);
    TLogContext& operator=(const char* text);
    void SetDeferred(const char* prefix, NameSource source, const void* object);
    // An object named by SetDeferred calls this before it goes away: the text
    // is fixed now, so that a later line never asks a freed object for its name.
    void Detach(const void* object);

    std::string Value() const;
    bool operator==(const std::string& text) const { return Value() == text; }

private:
    std::string text_;
    const char* prefix_ = nullptr;
    NameSource source_ = nullptr;
    const void* object_ = nullptr;
};

extern TLogContext LogContext;

// Appends one line. Never raises for a file that cannot be written: the line
// is kept and written by the next successful call.
void Log(const std::string& category, std::uint8_t level, const std::string& text);

inline constexpr std::uint64_t DefaultEventLogSizeLimit = 8u << 20;
inline constexpr std::size_t EventLogPendingLimit = 1u << 20;
inline constexpr std::size_t EventLogMaxLineBytes = 64u << 10;
void SetEventLogSizeLimit(std::uint64_t bytes);

// Told once when the log cannot be written (the message names the file and
// the reason); again only after a write has succeeded in between. The
// default prints to standard error; nullptr restores it.
void SetLogFailureReporter(std::function<void(const std::string& message)> reporter);

// Start-up: the log goes to UserDir() + "log.txt"; nothing is written yet.
void OpenEventLog();
// Tear-down: writes what is still pending and closes the file.
void CloseEventLog();

// Lines written in this run (tests and diagnostics).
std::uint64_t LogLineCount();

}  // namespace orbitfall
