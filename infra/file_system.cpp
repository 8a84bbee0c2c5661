#include "infra/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

#include "infra/errors.h"
#include "infra/text_format.h"

namespace orbitfall {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) close(fd_);
    }
    int get() const { return fd_; }
    // Closing can report a late write error; the caller must see it.
    int Close() {
        int result = close(fd_);
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Entries of folder that equal name ignoring letter case, sorted so that the
// choice between several such entries does not depend on reading order. The
// entries are read into a buffer on the stack: opendir allocates a 32 KB
// block for every folder, and each lookup of a data file scans two or three
// folders (the user folder first, where it is missing).
std::vector<std::string> CaseVariants(const std::string& folder, const std::string& name) {
    std::vector<std::string> found;
    Fd dir(open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return found;
    alignas(struct dirent64) char buffer[4096];
    for (;;) {
        const ssize_t n = getdents64(dir.get(), buffer, sizeof buffer);
        if (n <= 0) break;  // the end, or an error: what was read stands, as with readdir
        for (ssize_t at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
            at += entry->d_reclen;
            if (SameTextIgnoringCase(entry->d_name, name)) found.emplace_back(entry->d_name);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool WildcardMatch(const std::string& text, const std::string& pattern) {
    std::size_t t = 0, p = 0;
    std::size_t starP = std::string::npos, starT = 0;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(text[t]))) {
            ++t;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::string ToNativeSeparators(const std::string& path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

namespace {

// What the search learnt of the path it returns, so that a caller asking
// whether it is a file need not ask the file system again: each lookup of a
// data file first misses in the user folder, and under the sanitizers every
// call into the system costs more than the search's own work.
struct TLookup {
    bool Missing = false;  // some component exists in no letter case
    bool Stated = false;   // St holds the returned path's status
    struct stat St {};
};

std::string FindExistingCase(const std::string& path, TLookup& lookup) {
    std::string native = ToNativeSeparators(path);
    struct stat& st = lookup.St;
    // The common case: the name is spelled as on disk.
    if (native.empty()) return native;
    if (stat(native.c_str(), &st) == 0) {
        lookup.Stated = true;
        return native;
    }

    // The longest prefix that exists as spelled, as a folder, is searched from
    // the end: the folders a name is built on (DataDir, UserDir) nearly always exist.
    std::size_t pos = native.front() == '/' ? 1 : 0;
    for (std::size_t slash = native.rfind('/'); slash != std::string::npos && slash > 0;
         slash = native.rfind('/', slash - 1)) {
        if (stat(native.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            pos = slash + 1;
            break;
        }
    }
    std::string result = native.substr(0, pos);
    bool missing = false;
    bool knownMissing = true;  // the first component after the prefix does not exist as spelled
    while (pos <= native.size()) {
        std::size_t slash = native.find('/', pos);
        bool last = slash == std::string::npos;
        std::string component = native.substr(pos, last ? std::string::npos : slash - pos);
        pos = last ? native.size() + 1 : slash + 1;

        if (missing || component.empty() || component == "." || component == "..") {
            result += component;
        } else if (!knownMissing && stat((result + component).c_str(), &st) == 0 &&
                   (last || S_ISDIR(st.st_mode))) {
            result += component;
            lookup.Stated = last;
        } else {
            knownMissing = false;
            std::vector<std::string> variants = CaseVariants(result, component);
            std::string chosen;
            for (const std::string& v : variants) {
                // A folder on the way must be a folder; prefer one that is.
                if (last || IsDirectory(result + v)) {
                    chosen = v;
                    break;
                }
            }
            if (chosen.empty() && !variants.empty()) chosen = variants.front();
            if (chosen.empty()) {
                missing = true;
                chosen = component;
            }
            result += chosen;
        }
        if (!last) result += '/';
    }
    lookup.Missing = missing;
    return result;
}

}  // namespace

std::string FindExistingCase(const std::string& path) {
    TLookup ignored;
    return FindExistingCase(path, ignored);
}

std::optional<std::string> ExistingFile(const std::string& path) {
    TLookup lookup;
    std::string found = FindExistingCase(path, lookup);
    if (lookup.Missing) return std::nullopt;
    if (!lookup.Stated && stat(found.c_str(), &lookup.St) != 0) return std::nullopt;
    if (S_ISREG(lookup.St.st_mode)) return found;
    return std::nullopt;
}

bool FileExists(const std::string& path) { return ExistingFile(path).has_value(); }

bool DirectoryExists(const std::string& path) { return IsDirectory(FindExistingCase(path)); }

bool CreateDir(const std::string& path) { return mkdir(FindExistingCase(path).c_str(), 0777) == 0; }

std::string ReadWholeFile(const std::string& path) {
    std::string native = FindExistingCase(path);
    Fd fd(open(native.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0) throw EFOpenError(native);
    if (fstat(fd.get(), &st) != 0) throw EFOpenError(native);
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        throw EFOpenError(native);
    }
    std::string contents;
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EFOpenError(native);
        }
        if (n == 0) break;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    return contents;
}

std::string ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::uint64_t* fileSize) {
    std::string native = FindExistingCase(path);
    // Non-blocking, so that a FIFO does not wait for a writer here.
    Fd fd(open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) throw EFOpenError(native);
    struct stat st {};
    if (fstat(fd.get(), &st) != 0) throw EFOpenError(native);
    if (!S_ISREG(st.st_mode)) throw EFileError("\"" + native + "\" is not a regular file");
    if (fileSize != nullptr) *fileSize = static_cast<std::uint64_t>(st.st_size);
    std::string contents(std::min<std::uint64_t>(maxBytes, static_cast<std::uint64_t>(st.st_size)), '\0');
    std::size_t done = 0;
    // The file may grow while it is read; the bound holds all the same.
    for (;;) {
        if (done == contents.size()) {
            if (contents.size() >= maxBytes) break;
            contents.resize(std::min<std::size_t>(maxBytes, contents.size() + 4096));
        }
        const ssize_t n = read(fd.get(), contents.data() + done, contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EFOpenError(native);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    contents.resize(done);
    return contents;
}

int OpenForWriting(const std::string& nativePath, int flags, unsigned mode) {
    const int base = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
    const int fd = open(nativePath.c_str(), base | flags, static_cast<mode_t>(mode));
    if (fd >= 0 || errno != ELOOP) return fd;
    struct stat st {};
    if (lstat(nativePath.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        errno = ELOOP;
        return -1;
    }
    if (unlink(nativePath.c_str()) != 0) return -1;
    // Exclusive: a link put back in between is not followed either.
    return open(nativePath.c_str(), base | O_EXCL | flags, static_cast<mode_t>(mode));
}

void WriteWholeFile(const std::string& path, const std::string& contents) {
    std::string native = FindExistingCase(path);
    Fd fd(OpenForWriting(native, O_TRUNC));
    if (fd.get() < 0) throw EFCreateError(native);
    std::size_t done = 0;
    while (done < contents.size()) {
        ssize_t n = write(fd.get(), contents.data() + done, contents.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EFCreateError(native);
        }
        done += static_cast<std::size_t>(n);
    }
    if (fd.Close() != 0) throw EFCreateError(native);
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    std::string native = FindExistingCase(folder);
    if (!native.empty() && native.back() != '/') native += '/';
    DirHandle dir(opendir(native.empty() ? "." : native.c_str()));
    if (!dir) return names;
    while (dirent* entry = readdir(dir.get())) {
        std::string name = entry->d_name;
        if (!WildcardMatch(name, pattern)) continue;
        struct stat st {};
        if (stat((native + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ExecutableDir() {
    std::string buffer(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
        throw Exception("Cannot determine the program folder");
    buffer.resize(static_cast<std::size_t>(n));
    return buffer.substr(0, buffer.rfind('/') + 1);
}

}  // namespace orbitfall
