#include "infra/event_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <vector>

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

// Recent distinct lines whose repeats are counted. A flood arrives between
// the frames' own lines, so a few dozen suffice; the number bounds the
// memory and the cost of each call.
constexpr std::size_t RecentLines = 64;

std::function<void(const std::string&)>& FailureReporter() {
    static std::function<void(const std::string&)> reporter;
    return reporter;
}

void ReportFailure(const std::string& message) {
    if (FailureReporter()) FailureReporter()(message);
    else std::fprintf(stderr, "%s\n", message.c_str());
}

bool PowerOfTwo(std::uint64_t n) { return (n & (n - 1)) == 0; }

// The first few occurrences of a line are written as they come: a resource
// loaded again or a host joined twice is the program's ordinary course.
constexpr std::uint64_t WrittenOneByOne = 4;

bool WrittenWithItsCount(std::uint64_t n) { return n > WrittenOneByOne && PowerOfTwo(n); }

// The file stays open for the run and every line goes to the operating system
// with its own write(): the file is complete after each call (a killed process
// loses nothing) while a call costs the same on the millionth line as on the
// first.
class EventLogFile {
public:
    ~EventLogFile() { CloseFd(); }

    void Open(std::string path, std::string oldPath) {
        Close();
        path_ = std::move(path);
        oldPath_ = std::move(oldPath);
        open_ = true;
    }

    void Close() {
        if (!open_) return;
        for (TRecent& recent : recent_) QueueTotal(recent);
        recent_.clear();
        // Like the end of a run that never logged: this run's (empty) log
        // replaces the previous run's file.
        Flush();
        CloseFd();
        open_ = false;
        replaced_ = false;
        failing_ = false;
        pending_.clear();
        pendingBytes_ = 0;
        lost_ = 0;
        fileBytes_ = 0;
        lines_ = 0;
    }

    void SetLimit(std::uint64_t bytes) { limit_ = bytes; }

    void Append(const std::string& category, std::uint8_t level, const std::string& text) {
        // Before start-up and after tear-down there is no log file (other units'
        // tests log without one); such lines have nowhere to go.
        if (!open_) return;
        ++lines_;
        std::string key;
        key.reserve(category.size() + text.size() + 6);
        key += category;
        key += '\t';
        key += std::to_string(level);
        key += '\t';
        key.append(text, 0, EventLogMaxLineBytes);
        const std::size_t hash = std::hash<std::string>{}(key);
        auto it = std::find_if(recent_.begin(), recent_.end(),
                               [&](const TRecent& r) { return r.Hash == hash && r.Key == key; });
        if (it != recent_.end()) {
            ++it->Count;
            // Most recent last: a line that keeps coming never leaves.
            std::rotate(it, it + 1, recent_.end());
            TRecent& recent = recent_.back();
            if (recent.Count <= WrittenOneByOne) {
                recent.Written = recent.Count;
                Queue(MakeLine(category, level, text));
            } else {
                if (!WrittenWithItsCount(recent.Count)) return;
                recent.Written = recent.Count;
                Queue(MakeLine(category, level, text + " (" + std::to_string(recent.Count) + " times)"));
            }
        } else {
            if (recent_.size() == RecentLines) {
                QueueTotal(recent_.front());
                recent_.erase(recent_.begin());
            }
            recent_.push_back(TRecent{std::move(key), hash, category, level, text.substr(0, EventLogMaxLineBytes), 1, 1});
            Queue(MakeLine(category, level, text));
        }
        Flush();
    }

    std::uint64_t Lines() const { return lines_; }

private:
    struct TRecent {
        std::string Key;
        std::size_t Hash;
        std::string Category;
        std::uint8_t Level;
        std::string Text;
        std::uint64_t Count;
        std::uint64_t Written;  // the count last written
    };

    static std::string MakeLine(const std::string& category, std::uint8_t level, const std::string& text) {
        const std::string context = LogContext.Value();
        std::string line;
        const std::size_t textBytes = std::min(text.size(), EventLogMaxLineBytes);
        line.reserve(category.size() + context.size() + textBytes + 48);
        line += category;
        line += '\t';
        line += std::to_string(level);
        line += '\t';
        line += context;
        line += '\t';
        line.append(text, 0, textBytes);
        if (textBytes < text.size()) line += " ... (cut from " + std::to_string(text.size()) + " bytes)";
        line += "\r\n";
        return line;
    }

    void QueueTotal(const TRecent& recent) {
        if (recent.Count == recent.Written) return;
        Queue(MakeLine(recent.Category, recent.Level,
                       recent.Text + " (" + std::to_string(recent.Count) + " times)"));
    }

    void Queue(std::string line) {
        // A disk that stays full must not take the memory as well: try it
        // once more before a line is given up.
        if (pendingBytes_ + line.size() > EventLogPendingLimit && failing_) Flush();
        if (pendingBytes_ + line.size() > EventLogPendingLimit) {
            ++lost_;
            return;
        }
        // The lines lost so far are noted where they were lost.
        if (lost_ > 0) QueueLostNote();
        pendingBytes_ += line.size();
        pending_.push_back(std::move(line));
    }

    void QueueLostNote() {
        std::string note =
            MakeLine("Log", 3, std::to_string(lost_) + " lines lost while the log could not be written");
        lost_ = 0;
        pendingBytes_ += note.size();
        pending_.push_back(std::move(note));
    }

    void Fail() {
        const int error = errno;
        CloseFd();
        errno = error;
        if (!failing_) ReportFailure(EFCreateError(path_).Message());
        failing_ = true;
    }

    void CloseFd() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

    bool OpenFile(bool truncate) {
        const std::string native = FindExistingCase(path_);
        fd_ = OpenForWriting(native, O_APPEND | (truncate ? O_TRUNC : 0));
        if (fd_ < 0) return false;
        if (truncate) fileBytes_ = 0;
        else {
            struct stat st {};
            fileBytes_ = fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        }
        replaced_ = true;
        return true;
    }

    // The full log.txt becomes log.old.txt; log.txt starts empty.
    bool Rotate() {
        CloseFd();
        const std::string native = FindExistingCase(path_);
        if (rename(native.c_str(), ToNativeSeparators(oldPath_).c_str()) != 0 && errno != ENOENT) return false;
        return OpenFile(true);
    }

    bool WriteAll(const char* data, std::size_t size, std::size_t& done) {
        while (done < size) {
            const ssize_t n = write(fd_, data + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                if (n == 0) errno = EIO;
                return false;
            }
            done += static_cast<std::size_t>(n);
            fileBytes_ += static_cast<std::uint64_t>(n);
        }
        return true;
    }

    // Writes every pending line it can; what could not be written stays
    // pending for the next call.
    void Flush() {
        if (fd_ < 0 && !OpenFile(!replaced_)) return Fail();
        while (!pending_.empty() || lost_ > 0) {
            if (pending_.empty()) QueueLostNote();
            std::string& line = pending_.front();
            if (fileBytes_ > 0 && fileBytes_ + line.size() > limit_ && !Rotate()) return Fail();
            std::size_t done = 0;
            const bool ok = WriteAll(line.data(), line.size(), done);
            pendingBytes_ -= done;
            if (!ok) {
                line.erase(0, done);
                return Fail();
            }
            pending_.pop_front();
        }
        failing_ = false;
    }

    std::string path_;
    std::string oldPath_;
    bool open_ = false;
    bool replaced_ = false;  // the previous run's file has been replaced
    bool failing_ = false;   // the last write failed; reported already
    int fd_ = -1;
    std::uint64_t fileBytes_ = 0;
    std::uint64_t limit_ = DefaultEventLogSizeLimit;
    std::deque<std::string> pending_;
    std::size_t pendingBytes_ = 0;
    std::uint64_t lost_ = 0;
    std::vector<TRecent> recent_;
    std::uint64_t lines_ = 0;
};

EventLogFile eventLog;

}  // namespace

void Log(const std::string& category, std::uint8_t level, const std::string& text) {
    eventLog.Append(category, level, text);
}

void OpenEventLog() { eventLog.Open(UserDir() + "log.txt", UserDir() + "log.old.txt"); }

void SetEventLogSizeLimit(std::uint64_t bytes) { eventLog.SetLimit(bytes); }

void SetLogFailureReporter(std::function<void(const std::string& message)> reporter) {
    FailureReporter() = std::move(reporter);
}

void CloseEventLog() { eventLog.Close(); }

std::uint64_t LogLineCount() { return eventLog.Lines(); }

}  // namespace orbitfall
