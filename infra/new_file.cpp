#include "infra/new_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "infra/errors.h"

namespace orbitfall {

namespace {

// Names tried before giving up: far more than one machine writes in a second.
constexpr int MaxAttempts = 1000;

class TFd {
public:
    explicit TFd(int fd) : fd_(fd) {}
    ~TFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string WriteNewFile(const std::string& folder, const std::string& stem, const std::string& extension,
                         const std::string& text) {
    std::string dirPath = folder;
    while (dirPath.size() > 1 && dirPath.back() == '/') dirPath.pop_back();
    if (::mkdir(dirPath.c_str(), 0755) != 0 && errno != EEXIST) throw EFCreateError(dirPath);
    // O_NOFOLLOW on the folder too: a link named like it must not lead the
    // file elsewhere.
    const TFd dir(::open(dirPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dir.Get() < 0) throw EFCreateError(dirPath);

    for (int attempt = 1; attempt <= MaxAttempts; ++attempt) {
        std::string name = stem;
        if (attempt > 1) {
            name += '-';
            name += std::to_string(attempt);
        }
        name += extension;
        const std::string path = dirPath + "/" + name;
        const TFd file(
            ::openat(dir.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
        if (file.Get() < 0) {
            if (errno == EEXIST) continue;
            throw EFCreateError(path);
        }
        if (!WriteAll(file.Get(), text)) {
            const int error = errno;
            ::unlinkat(dir.Get(), name.c_str(), 0);
            errno = error;
            throw EFCreateError(path);
        }
        return path;
    }
    errno = EEXIST;
    throw EFCreateError(dirPath + "/" + stem + extension);
}

}  // namespace orbitfall
