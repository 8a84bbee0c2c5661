#pragma once
// The exception family of the program. Every failure is an exception carrying a
// message text; the texts are part of the game's behaviour (some are shown to
// players, some are compared by tests), so they are passed through verbatim.
#include <stdexcept>
#include <string>

namespace orbitfall {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// An index, a narrowing or a field value outside its allowed range.
class ERangeError : public Exception {
public:
    ERangeError() : Exception("Range check error") {}
    explicit ERangeError(const std::string& message) : Exception(message) {}
};

// An integer operation whose exact result does not fit its type.
class EIntOverflow : public Exception {
public:
    EIntOverflow() : Exception("Integer overflow") {}
};

// Index errors of the ordered lists (XML children, sorted tables).
class EListError : public Exception {
public:
    explicit EListError(long long index);
};

// Text that is not the number a field requires.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Malformed input the XML reader could not take in its windowed pass.
class EParserError : public Exception {
public:
    using Exception::Exception;
};

// A file that could not be opened, created, read or written.
class EFileError : public Exception {
public:
    using Exception::Exception;
};

class EFOpenError : public EFileError {
public:
    explicit EFOpenError(const std::string& path);
};

class EFCreateError : public EFileError {
public:
    explicit EFCreateError(const std::string& path);
};

// A stream that ended before the bytes asked for, or refused them.
class EReadError : public EFileError {
public:
    EReadError() : EFileError("Stream read error") {}
};

class EWriteError : public EFileError {
public:
    EWriteError() : EFileError("Stream write error") {}
};

// Picture data that no decoder can take, or whose header contradicts itself.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Raised only by the sprite tree.
class ESpriteError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace orbitfall
