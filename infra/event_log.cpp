#include "infra/event_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/file_system.h"

namespace orbitfall {

TLogContext LogContext;

TLogContext& TLogContext::operator=(std::string text) {
    text_ = std::move(text);
    prefix_ = nullptr;
    source_ = nullptr;
    object_ = nullptr;
    return *this;
}

TLogContext& TLogContext::operator=(const char* text) {
    // assign() reuses the buffer: the frame loop sets a context several times a frame.
    text_.assign(text);
    prefix_ = nullptr;
    source_ = nullptr;
    object_ = nullptr;
    return *this;
}

void TLogContext::SetDeferred(const char* prefix, NameSource source, const void* object) {
    prefix_ = prefix;
    source_ = source;
    object_ = object;
}

void TLogContext::Detach(const void* object) {
    if (source_ != nullptr && object_ == object) *this = Value();
}

std::string TLogContext::Value() const {
    if (source_ == nullptr) return text_;
    return std::string(prefix_ != nullptr ? prefix_ : "") + source_(object_);
}

namespace {

// The file stays open for the run and every line goes to the operating system
// with its own write(): the file is complete after each call (a killed process
// loses nothing) while a call costs the same on the millionth line as on the
// first. The previous design rewrote the whole file per line.
class EventLogFile {
public:
    ~EventLogFile() { CloseFd(); }

    void Open(std::string path) {
        Close();
        path_ = std::move(path);
        open_ = true;
    }

    void Close() {
        if (!open_) return;
        try {
            // Like the end of a run that never logged: this run's (empty) log
            // replaces the previous run's file.
            Flush();
        } catch (const EFileError&) {
            // Tear-down has nobody left to tell; the lines were reported by Log.
        }
        CloseFd();
        open_ = false;
        replaced_ = false;
        pending_.clear();
        lines_ = 0;
    }

    void Append(const std::string& category, std::uint8_t level, const std::string& text) {
        // Before start-up and after tear-down there is no log file (other units'
        // tests log without one); such lines have nowhere to go.
        if (!open_) return;
        const std::string context = LogContext.Value();
        pending_.reserve(pending_.size() + category.size() + context.size() + text.size() + 10);
        pending_ += category;
        pending_ += '\t';
        pending_ += std::to_string(level);
        pending_ += '\t';
        pending_ += context;
        pending_ += '\t';
        pending_ += text;
        pending_ += "\r\n";
        ++lines_;
        Flush();
    }

    std::uint64_t Lines() const { return lines_; }

private:
    [[noreturn]] void Fail() {
        int error = errno;
        CloseFd();
        errno = error;
        throw EFCreateError(path_);
    }

    void CloseFd() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    // Writes every pending byte or raises; what could not be written stays
    // pending for the next call.
    void Flush() {
        if (fd_ < 0) {
            const std::string native = FindExistingCase(path_);
            int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | (replaced_ ? 0 : O_TRUNC);
            fd_ = open(native.c_str(), flags, 0666);
            if (fd_ < 0) Fail();
            replaced_ = true;
        }
        std::size_t done = 0;
        while (done < pending_.size()) {
            ssize_t n = write(fd_, pending_.data() + done, pending_.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (n == 0) errno = EIO;
                pending_.erase(0, done);
                Fail();
            }
            done += static_cast<std::size_t>(n);
        }
        pending_.clear();
    }

    std::string path_;
    bool open_ = false;
    bool replaced_ = false;  // the previous run's file has been replaced
    int fd_ = -1;
    std::string pending_;
    std::uint64_t lines_ = 0;
};

EventLogFile eventLog;

}  // namespace

void Log(const std::string& category, std::uint8_t level, const std::string& text) {
    eventLog.Append(category, level, text);
}

void OpenEventLog() { eventLog.Open(UserDir() + "log.txt"); }

void CloseEventLog() { eventLog.Close(); }

std::uint64_t LogLineCount() { return eventLog.Lines(); }

}  // namespace orbitfall
