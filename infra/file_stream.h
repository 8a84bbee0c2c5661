#pragma once
// A binary file held open for the life of the object, with the access rules
// the game needs for its replay files: a file being written is locked so that
// no other copy of the program can record into it or read it half-written;
// a file being read lets others read it too but not write it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orbitfall {

class TFileStream {
public:
    enum class Mode {
        CreateExclusive,  // create or empty, write; nobody else may open it
        ReadShared,       // read; others may read, nobody may write
    };

    // EFCreateError / EFOpenError when the file cannot be opened or is locked.
    TFileStream(const std::string& path, Mode mode);
    ~TFileStream();
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    // Writes all bytes at once, so the file on disk holds them when this
    // returns (a killed program leaves everything written so far).
    void Write(const void* data, std::size_t size);
    // Reads exactly size bytes; EReadError ("Stream read error") when fewer remain.
    void Read(void* data, std::size_t size);

    std::uint64_t Size() const;
    std::uint64_t Position() const { return position_; }
    std::uint64_t Remaining() const { return Size() - position_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    std::uint64_t position_ = 0;
};

}  // namespace orbitfall
