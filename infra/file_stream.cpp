#include "infra/file_stream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "infra/errors.h"
#include "infra/file_system.h"

namespace orbitfall {

TFileStream::TFileStream(const std::string& path, Mode mode) : path_(ToNativeSeparators(path)) {
    if (mode == Mode::CreateExclusive) {
        // Lock before emptying: a second recorder must fail without
        // destroying the first one's file.
        // A link at the name is replaced, never written through; the file
        // itself is kept (not renamed over) so that the lock means something.
        fd_ = OpenForWriting(path_, 0, 0644);
        if (fd_ < 0) throw EFCreateError(path_);
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd_, 0) != 0) {
            EFCreateError error(path_);
            ::close(fd_);
            throw error;
        }
    } else {
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) throw EFOpenError(path_);
        if (::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
            EFOpenError error(path_);
            ::close(fd_);
            throw error;
        }
    }
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

void TFileStream::Write(const void* data, std::size_t size) {
    auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EWriteError();
        bytes += n;
        size -= static_cast<std::size_t>(n);
        position_ += static_cast<std::uint64_t>(n);
    }
}

void TFileStream::Read(void* data, std::size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EReadError();
        bytes += n;
        size -= static_cast<std::size_t>(n);
        position_ += static_cast<std::uint64_t>(n);
    }
}

std::uint64_t TFileStream::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) throw EReadError();
    return static_cast<std::uint64_t>(st.st_size);
}

}  // namespace orbitfall
