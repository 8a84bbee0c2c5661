#include "tests/soak/replay_records.h"

#include <cstring>
#include <stdexcept>

namespace orbitfall::soak {
namespace {

constexpr std::size_t HeaderSize = 9;
constexpr std::size_t CommandSize = 23;

template <class T>
T At(const std::string& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

}  // namespace

std::vector<TReplayFrame> ParseReplay(const std::string& bytes) {
    std::vector<TReplayFrame> frames;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < HeaderSize) throw std::runtime_error("replay ends inside a header");
        TReplayFrame frame;
        frame.Frame = At<std::int32_t>(bytes, pos);
        frame.Checksum = At<std::uint32_t>(bytes, pos + 4);
        const std::size_t count = static_cast<std::uint8_t>(bytes[pos + 8]);
        pos += HeaderSize;
        if (bytes.size() - pos < count * CommandSize) throw std::runtime_error("replay ends inside a frame");
        for (std::size_t i = 0; i < count; ++i, pos += CommandSize) {
            TReplayCommand c;
            c.Kind = static_cast<std::uint8_t>(bytes[pos]);
            c.Flags = static_cast<std::uint8_t>(bytes[pos + 1]);
            c.Player = static_cast<std::uint8_t>(bytes[pos + 2]);
            c.Frame = At<std::int32_t>(bytes, pos + 3);
            c.Payload = bytes.substr(pos + 7, 16);
            frame.Commands.push_back(std::move(c));
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::string RunScript(const std::vector<TReplayFrame>& frames) {
    static const char* const digits = "0123456789abcdef";
    std::string script;
    for (const TReplayFrame& f : frames)
        for (const TReplayCommand& c : f.Commands) {
            std::string hex;
            for (unsigned char b : c.Payload) {
                hex += digits[b >> 4];
                hex += digits[b & 15];
            }
            script += std::to_string(f.Frame) + " " + std::to_string(c.Player) + " raw " + std::to_string(c.Kind) +
                      " " + std::to_string(c.Flags) + " " + hex + "\n";
        }
    return script;
}

}  // namespace orbitfall::soak
