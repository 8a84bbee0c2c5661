#include "infra/errors.h"

#include <cerrno>
#include <cstring>

namespace orbitfall {

EListError::EListError(long long index)
    : Exception("List index out of bounds (" + std::to_string(index) + ")") {}

// errno is read at construction, which the callers do right after the failing call.
EFOpenError::EFOpenError(const std::string& path)
    : EFileError("Cannot open file \"" + path + "\". " + std::strerror(errno)) {}

EFCreateError::EFCreateError(const std::string& path)
    : EFileError("Cannot create file \"" + path + "\". " + std::strerror(errno)) {}

}  // namespace orbitfall
