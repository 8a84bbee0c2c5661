#include "control/packet_codec.h"

#include <cstring>
#include <string>

#include "infra/errors.h"

namespace orbitfall {

namespace {

void Expect(const std::uint8_t* payload, std::size_t size, std::uint8_t type, std::size_t length) {
    if (size != length || payload[0] != type) throw Exception("Malformed packet");
}

bool Printable(std::uint8_t c) { return c >= 0x20 && c != 0x7F; }

std::string Field(const std::string& text, std::size_t bound) {
    std::string out;
    for (char c : text)
        if (Printable(static_cast<std::uint8_t>(c)) && out.size() < bound) out += c;
    return out;
}

// Reads the payload front to back; every read checks what is left.
class TListReader {
public:
    TListReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() {
        if (at_ >= size_) Fail();
        return data_[at_++];
    }
    std::string Text(std::size_t length) {
        if (length > size_ - at_) Fail();
        std::string text(reinterpret_cast<const char*>(data_ + at_), length);
        for (char c : text)
            if (!Printable(static_cast<std::uint8_t>(c))) Fail();
        at_ += length;
        return text;
    }
    bool AtEnd() const { return at_ == size_; }
    [[noreturn]] static void Fail() { throw Exception("Malformed packet"); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

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

void EncodePlayerList(const std::vector<TLobbyPlayer>& players, std::uint8_t receiver, TPacketBytes& out) {
    if (players.empty() || players.size() > MaxListedPlayers)
        throw ERangeError(std::string("Players listed: ").append(std::to_string(players.size())));
    out.assign({ptPlayerList, static_cast<std::uint8_t>(players.size()), receiver});
    for (const TLobbyPlayer& player : players) {
        std::string name = Field(player.Name, MaxListedName);
        // A name is never empty: the list would not say who is there.
        if (name.empty()) name.push_back('?');
        const std::string address = Field(player.Address, MaxListedAddress);
        out.push_back(static_cast<std::uint8_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
        out.push_back(static_cast<std::uint8_t>(address.size()));
        out.insert(out.end(), address.begin(), address.end());
    }
}

std::vector<TLobbyPlayer> DecodePlayerList(const std::uint8_t* payload, std::size_t size) {
    TListReader reader(payload, size);
    if (reader.Byte() != ptPlayerList) TListReader::Fail();
    const std::size_t count = reader.Byte();
    const std::uint8_t receiver = reader.Byte();
    if (count == 0 || count > MaxListedPlayers) TListReader::Fail();
    // The host is entry 0 and never receives its own list.
    if (receiver != NoListedReceiver && (receiver == 0 || receiver >= count)) TListReader::Fail();
    std::vector<TLobbyPlayer> players(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t nameLength = reader.Byte();
        if (nameLength == 0 || nameLength > MaxListedName) TListReader::Fail();
        players[i].Name = reader.Text(nameLength);
        const std::size_t addressLength = reader.Byte();
        if (addressLength > MaxListedAddress) TListReader::Fail();
        players[i].Address = reader.Text(addressLength);
        players[i].You = i == receiver;
    }
    if (!reader.AtEnd()) TListReader::Fail();
    return players;
}

}  // namespace orbitfall
