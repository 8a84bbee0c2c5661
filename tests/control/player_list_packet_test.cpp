// The players-present packet of the codec: what the lobby of a client reads.
#include <gtest/gtest.h>

#include "control/packet_codec.h"
#include "infra/errors.h"

using namespace orbitfall;

namespace {

const std::vector<TLobbyPlayer> ThreePlayers{
    {"Host", "ada-pc:7000", false}, {"Player 1", "192.168.1.7", false}, {"Player 2", "::1", false}};

TPacketBytes Encoded(const std::vector<TLobbyPlayer>& players, std::uint8_t receiver) {
    TPacketBytes out{1, 2, 3};  // a reused buffer: what it held goes
    EncodePlayerList(players, receiver, out);
    return out;
}

std::vector<TLobbyPlayer> Decoded(const std::vector<std::uint8_t>& packet) {
    return DecodePlayerList(packet.data(), packet.size());
}

bool Rejected(const std::vector<std::uint8_t>& packet) {
    try {
        Decoded(packet);
        return false;
    } catch (const Exception& e) {
        return std::string(e.what()) == "Malformed packet";
    }
}

}  // namespace

TEST(PlayerListPacket, RoundTripMarksTheReceiversOwnEntry) {
    const auto packet = Encoded(ThreePlayers, 2);
    EXPECT_EQ(packet[0], ptPlayerList);
    EXPECT_EQ(packet.size(), 3u + (1 + 4 + 1 + 11) + (1 + 8 + 1 + 11) + (1 + 8 + 1 + 3));
    std::vector<TLobbyPlayer> expected = ThreePlayers;
    expected[2].You = true;
    EXPECT_EQ(Decoded(packet), expected);

    expected[2].You = false;
    EXPECT_EQ(Decoded(Encoded(ThreePlayers, NoListedReceiver)), expected);
    // A client whose address the host does not know is listed without one.
    const auto bare = Decoded(Encoded({{"Host", "h", false}, {"Player 1", "", false}}, 1));
    EXPECT_EQ(bare[1].Address, "");
    EXPECT_TRUE(bare[1].You);
}

TEST(PlayerListPacket, EncodingCutsLongFieldsAndDropsControlBytes) {
    const std::vector<TLobbyPlayer> odd{{std::string(50, 'n'), std::string(100, 'a')},
                                        {"Pla\r\nyer\x1B", "1.2.3.4\t"},
                                        {"\x01\x02", "x"}};
    const auto players = Decoded(Encoded(odd, NoListedReceiver));
    EXPECT_EQ(players[0].Name, std::string(MaxListedName, 'n'));
    EXPECT_EQ(players[0].Address, std::string(MaxListedAddress, 'a'));
    EXPECT_EQ(players[1].Name, "Player");
    EXPECT_EQ(players[1].Address, "1.2.3.4");
    EXPECT_EQ(players[2].Name, "?") << "a name that is only control bytes still names somebody";

    std::vector<TLobbyPlayer> full(MaxListedPlayers, {std::string(MaxListedName, 'n'), std::string(MaxListedAddress, 'a')});
    EXPECT_EQ(Encoded(full, 14).size(), MaxPlayerListPacketSize);
    full.push_back({"one too many", ""});
    EXPECT_THROW(Encoded(full, 1), ERangeError);
    EXPECT_THROW(Encoded({}, NoListedReceiver), ERangeError);
}

TEST(PlayerListPacket, EveryTruncationAndEveryExtraByteIsRejected) {
    const auto packet = Encoded(ThreePlayers, 1);
    for (std::size_t size = 0; size < packet.size(); ++size)
        EXPECT_TRUE(Rejected({packet.begin(), packet.begin() + static_cast<std::ptrdiff_t>(size)})) << size;
    auto longer = packet;
    longer.push_back('x');
    EXPECT_TRUE(Rejected(longer));
}

TEST(PlayerListPacket, FieldsOutOfBoundsAreRejected) {
    const auto good = Encoded({{"Host", "h"}, {"Player 1", "a"}}, 1);
    ASSERT_FALSE(Rejected(good));
    struct Case {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
    };
    // Layout of good: type, count, you, 4 "Host" 1 "h", 8 "Player 1" 1 "a".
    const Case cases[] = {
        {"another type", 0, ptReady},
        {"no players", 1, 0},
        {"more players than a game holds", 1, 16},
        {"the host as receiver", 2, 0},
        {"a receiver beyond the list", 2, 2},
        {"an empty name", 3, 0},
        {"a name longer than its bound", 3, MaxListedName + 1},
        {"a control byte in a name", 4, '\n'},
        {"DEL in a name", 5, 0x7F},
        {"a control byte in an address", 9, 0x00},
        {"an address longer than its bound", 8, MaxListedAddress + 1},
    };
    for (const Case& c : cases) {
        auto bad = good;
        bad[c.offset] = c.value;
        EXPECT_TRUE(Rejected(bad)) << c.what;
    }
    // Bytes above 0x7F are text in the data files' encoding, not controls.
    auto latin = good;
    latin[4] = 0xDC;
    EXPECT_EQ(Decoded(latin)[0].Name, "\xDCost");
}

TEST(PlayerListPacket, TheLineOfTheConsoleAndTheLogNamesEveryone) {
    std::vector<TLobbyPlayer> players = ThreePlayers;
    players[1].You = true;
    players[2].Address = "";
    EXPECT_EQ(LobbyPlayersText(players), "3: Host at ada-pc:7000, Player 1 at 192.168.1.7 (you), Player 2");
    EXPECT_EQ(LobbyPlayersText({{"Host", "h\r\nx", true}}), "1: Host at h x (you)");
}
