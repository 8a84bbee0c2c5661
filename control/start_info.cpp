#include "control/start_info.h"

#include <algorithm>
#include <cstring>

#include "infra/errors.h"
#include "infra/file_system.h"

namespace orbitfall {

std::string TStartInfo::MapName() const {
    return std::string(MapNameChars, std::min<std::size_t>(MapNameLength, sizeof MapNameChars));
}

void TStartInfo::SetMapName(const std::string& name) {
    const std::size_t n = std::min(name.size(), sizeof MapNameChars);
    std::memset(MapNameChars, 0, sizeof MapNameChars);
    std::memcpy(MapNameChars, name.data(), n);
    MapNameLength = static_cast<std::uint8_t>(n);
}

std::string StartFileFor(const std::string& replayPath) {
    const std::size_t slash = replayPath.find_last_of("/\\");
    const std::size_t dot = replayPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return replayPath + ".ofs";
    return replayPath.substr(0, dot) + ".ofs";
}

void WriteStartFile(const std::string& path, const TStartInfo& info) {
    WriteWholeFile(path, std::string(reinterpret_cast<const char*>(&info), sizeof info));
}

TStartInfo ReadStartFile(const std::string& path) {
    // Only a regular file, and only one byte past a record: anything longer
    // is refused by its size alone.
    std::uint64_t size = 0;
    const std::string bytes = ReadFileUpTo(path, sizeof(TStartInfo) + 1, &size);
    auto fault = [&path](const std::string& what) {
        return Exception("Start record \"" + path + "\": " + what);
    };
    if (size != sizeof(TStartInfo) || bytes.size() != sizeof(TStartInfo))
        throw fault("size is " + std::to_string(std::max<std::uint64_t>(size, bytes.size())) + " bytes, not " +
                    std::to_string(sizeof(TStartInfo)));
    TStartInfo info;
    std::memcpy(&info, bytes.data(), sizeof info);
    if (const std::string what = StartInfoFault(info); !what.empty()) throw fault(what);
    return info;
}

std::string StartInfoFault(const TStartInfo& info) {
    if (info.MapNameLength > 128)
        return "map name length " + std::to_string(info.MapNameLength) + " is above 128";
    // The name becomes a file name and is written back into this machine's
    // start record: a NUL would cut the one and smuggle bytes into the other.
    if (std::memchr(info.MapNameChars, '\0', info.MapNameLength) != nullptr) return "map name holds a NUL byte";
    if (info.PlayerCount == 0 || info.PlayerCount > 15)
        return "player count " + std::to_string(info.PlayerCount) + " is not 1 to 15";
    if (info.PlayerNumber == 0) return "local player 0 is the neutral player";
    if (info.PlayerNumber > info.PlayerCount)
        return "local player " + std::to_string(info.PlayerNumber) + " is above the player count " +
               std::to_string(info.PlayerCount);
    return {};
}

}  // namespace orbitfall
