#include "control/packet_codec.h"

#include <cstring>

#include "infra/errors.h"

namespace orbitfall {

namespace {

void Expect(const std::uint8_t* payload, std::size_t size, std::uint8_t type, std::size_t length) {
    if (size != length || payload[0] != type) throw Exception("Malformed packet");
}

}  // namespace

void EncodeCommand(const TCommand& command, TPacketBytes& out) {
    out.resize(CommandPacketSize);
    out[0] = ptCommand;
    std::memcpy(out.data() + 1, &command, sizeof command);
}

void EncodeFrame(const TFrameHeader& header, const std::vector<TCommand>& commands, TPacketBytes& out) {
    if (commands.size() != header.Count) throw Exception("Malformed packet");
    out.resize(FrameDataPacketSize(commands.size()));
    out[0] = ptFrameData;
    std::memcpy(out.data() + 1, &header, sizeof header);
    if (!commands.empty())
        std::memcpy(out.data() + 1 + sizeof header, commands.data(), commands.size() * sizeof(TCommand));
}

void EncodeStart(const TStartInfo& info, TPacketBytes& out) {
    out.resize(StartPacketSize);
    out[0] = ptStartGame;
    std::memcpy(out.data() + 1, &info, sizeof info);
}

void EncodeReady(TPacketBytes& out) { out.assign(1, ptReady); }

std::uint8_t PacketType(const std::uint8_t* payload, std::size_t size) {
    if (size == 0) throw Exception("Malformed packet");
    return payload[0];
}

TCommand DecodeCommand(const std::uint8_t* payload, std::size_t size) {
    Expect(payload, size, ptCommand, CommandPacketSize);
    TCommand command;
    std::memcpy(&command, payload + 1, sizeof command);
    return command;
}

TFrameData DecodeFrame(const std::uint8_t* payload, std::size_t size) {
    if (size < FrameDataPacketSize(0)) throw Exception("Malformed packet");
    TFrameData frame;
    std::memcpy(&frame.Header, payload + 1, sizeof frame.Header);
    Expect(payload, size, ptFrameData, FrameDataPacketSize(frame.Header.Count));
    frame.Commands.resize(frame.Header.Count);
    if (!frame.Commands.empty())
        std::memcpy(frame.Commands.data(), payload + 1 + sizeof frame.Header,
                    frame.Commands.size() * sizeof(TCommand));
    return frame;
}

TStartInfo DecodeStart(const std::uint8_t* payload, std::size_t size) {
    Expect(payload, size, ptStartGame, StartPacketSize);
    TStartInfo info;
    std::memcpy(&info, payload + 1, sizeof info);
    return info;
}

void DecodeReady(const std::uint8_t* payload, std::size_t size) { Expect(payload, size, ptReady, ReadyPacketSize); }

}  // namespace orbitfall
