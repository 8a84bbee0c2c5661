#include "control/player_list_packet.h"

#include "control/packets.h"
#include "infra/errors.h"

namespace orbitfall {
namespace {

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
    [[noreturn]] static void Fail() { throw Exception("Malformed player list"); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

std::vector<std::uint8_t> EncodePlayerList(const std::vector<TLobbyPlayer>& players, std::uint8_t receiver) {
    if (players.empty() || players.size() > MaxListedPlayers) throw ERangeError(std::string("Players listed: ").append(std::to_string(players.size())));
    std::vector<std::uint8_t> packet{ptPlayerList, static_cast<std::uint8_t>(players.size()), receiver};
    for (const TLobbyPlayer& player : players) {
        std::string name = Field(player.Name, MaxListedName);
        // A name is never empty: the list would not say who is there.
        if (name.empty()) name = "?";
        const std::string address = Field(player.Address, MaxListedAddress);
        packet.push_back(static_cast<std::uint8_t>(name.size()));
        packet.insert(packet.end(), name.begin(), name.end());
        packet.push_back(static_cast<std::uint8_t>(address.size()));
        packet.insert(packet.end(), address.begin(), address.end());
    }
    return packet;
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
