#pragma once
// The event log "log.txt" in the user folder: one line per call, fields
// category TAB level TAB context TAB text, each line ending in CR LF. The first
// write of a run replaces the previous run's file; after every call the file
// on disk holds every line written so far.
#include <cstdint>
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

// Appends one line. A failure to write raises EFCreateError; the line is kept
// and written by the next successful call.
void Log(const std::string& category, std::uint8_t level, const std::string& text);

// Start-up: the log goes to UserDir() + "log.txt"; nothing is written yet.
void OpenEventLog();
// Tear-down: writes what is still pending and closes the file.
void CloseEventLog();

// Lines written in this run (tests and diagnostics).
std::uint64_t LogLineCount();

}  // namespace orbitfall
