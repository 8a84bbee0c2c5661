// The datagrams of finding games on the network: what goes out is read back
// the same, and whatever else arrives is dropped or cleaned, never trusted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/discovery_datagram.h"
#include "control/discovery_round.h"
#include "control/lobby_beacon.h"

using namespace orbitfall;

namespace {

TDiscoveryAnswer Sample() {
    TDiscoveryAnswer a;
    a.Token = 0xA1B2C3D4;
    a.Port = 6112;
    a.Players = 2;
    a.StartViews = 4;
    a.Name = "ada-pc";
    a.Map = "Kreuzung";
    return a;
}

std::optional<TDiscoveryAnswer> Decode(const std::vector<std::uint8_t>& bytes) {
    return DecodeDiscoveryAnswer(bytes.data(), bytes.size());
}

}  // namespace

TEST(DiscoveryDatagram, QueryIsNineBytesAndRoundTrips) {
    const auto query = EncodeDiscoveryQuery(0x01020304);
    ASSERT_EQ(query.size(), DiscoveryQuerySize);
    EXPECT_EQ(std::string(query.begin(), query.begin() + 4), "OFDQ");
    EXPECT_EQ(query[5], 0x04);  // little-endian token
    EXPECT_EQ(DecodeDiscoveryQuery(query.data(), query.size()), 0x01020304u);
    // Every shorter or longer datagram, another version, another magic: not a query.
    for (std::size_t n = 0; n < query.size(); ++n) EXPECT_FALSE(DecodeDiscoveryQuery(query.data(), n)) << n;
    auto longer = query;
    longer.push_back(0);
    EXPECT_FALSE(DecodeDiscoveryQuery(longer.data(), longer.size()));
    auto version = query;
    version[4] = 2;
    EXPECT_FALSE(DecodeDiscoveryQuery(version.data(), version.size()));
    auto answerMagic = query;
    answerMagic[3] = 'A';
    EXPECT_FALSE(DecodeDiscoveryQuery(answerMagic.data(), answerMagic.size()));
    EXPECT_FALSE(DecodeDiscoveryQuery(nullptr, 9));
}

TEST(DiscoveryDatagram, AnswerRoundTripsWithItsLayout) {
    const auto bytes = EncodeDiscoveryAnswer(Sample());
    ASSERT_EQ(bytes.size(), 15u + 6 + 8);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "OFDA");
    EXPECT_EQ(bytes[9] | bytes[10] << 8, 6112);
    EXPECT_EQ(bytes[13], 6);
    const auto back = Decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Token, 0xA1B2C3D4u);
    EXPECT_EQ(back->Port, 6112);
    EXPECT_EQ(back->Players, 2);
    EXPECT_EQ(back->StartViews, 4);
    EXPECT_EQ(back->Name, "ada-pc");
    EXPECT_EQ(back->Map, "Kreuzung");
    EXPECT_EQ(DiscoveryLabel(*back), "ada-pc  Kreuzung  2/4");
}

TEST(DiscoveryDatagram, EveryTruncationAndAnyTrailingByteIsRejected) {
    const auto bytes = EncodeDiscoveryAnswer(Sample());
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(DecodeDiscoveryAnswer(bytes.data(), n)) << "cut at " << n;
    auto longer = bytes;
    longer.push_back('x');
    EXPECT_FALSE(Decode(longer));
}

TEST(DiscoveryDatagram, OversizedAndOutOfBoundFieldsAreRejected) {
    std::vector<std::uint8_t> huge(65536, 'A');
    EXPECT_FALSE(Decode(huge));
    std::copy_n(EncodeDiscoveryAnswer(Sample()).begin(), 15, huge.begin());
    EXPECT_FALSE(Decode(huge));

    auto bad = [](auto change) {
        auto bytes = EncodeDiscoveryAnswer(Sample());
        change(bytes);
        return Decode(bytes).has_value();
    };
    EXPECT_FALSE(bad([](auto& b) { b[4] = 9; }));                 // version
    EXPECT_FALSE(bad([](auto& b) { b[9] = b[10] = 0; }));         // port 0
    EXPECT_FALSE(bad([](auto& b) { b[11] = 0; }));                // nobody there
    EXPECT_FALSE(bad([](auto& b) { b[11] = 16; }));               // more than the game takes
    EXPECT_FALSE(bad([](auto& b) { b[13] = 0; }));                // no name
    EXPECT_FALSE(bad([](auto& b) { b[13] = 7; }));                // name length past its bytes
    EXPECT_FALSE(bad([](auto& b) { b[13 + 1 + 6] = 9; }));        // map length past the end
    EXPECT_FALSE(bad([](auto& b) { b[13 + 1 + 6] = 7; }));        // map length short of the end
    EXPECT_TRUE(bad([](auto& b) { b[12] = 255; }));               // unknown start views are fine
}

TEST(DiscoveryDatagram, LongestAnswerFitsItsBoundAndTextsAreCutAtCharacters) {
    TDiscoveryAnswer a = Sample();
    a.Name = std::string(62, 'n') + "\xC3\xA4";  // the two-byte letter straddles byte 63
    a.Map = std::string(200, 'm');
    const auto bytes = EncodeDiscoveryAnswer(a);
    EXPECT_LE(bytes.size(), DiscoveryMaxAnswerSize);
    const auto back = Decode(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Name, std::string(62, 'n'));
    EXPECT_EQ(back->Map, std::string(63, 'm'));
    a.Name = std::string(63, 'n');
    const auto full = EncodeDiscoveryAnswer(a);
    EXPECT_EQ(full.size(), DiscoveryMaxAnswerSize);
    EXPECT_TRUE(Decode(full));

    TDiscoveryAnswer noName = Sample();
    noName.Name = "";
    EXPECT_THROW(EncodeDiscoveryAnswer(noName), std::invalid_argument);
    noName = Sample();
    noName.Port = 70000;
    EXPECT_THROW(EncodeDiscoveryAnswer(noName), std::invalid_argument);
}

TEST(DiscoveryDatagram, ControlBytesAndInvalidUtf8AreCleanedOnTheWayIn) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"pc\x01\x1b[2Jx", "pc??[2Jx"},
        {"a\x7f" "b", "a?b"},
        {"\xC2\x85line", "?line"},          // C1 control NEL
        {"caf\xC3\xA9", "caf\xC3\xA9"},     // é stays
        {"\xFF\xFEok", "??ok"},
        {"\xC0\xAF", "??"},                 // overlong '/'
        {"\xED\xA0\x80", "???"},            // surrogate
        {"cut\xE2\x82", "cut??"},           // truncated sequence
        {"\xF0\x9F\x9A\x80", "\xF0\x9F\x9A\x80"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CleanDiscoveryText(c.in), c.out) << c.in;
        // Straight off the wire, with the cleaning the encoder does not do.
        auto bytes = EncodeDiscoveryAnswer(Sample());
        std::vector<std::uint8_t> raw(bytes.begin(), bytes.begin() + 13);
        raw.push_back(static_cast<std::uint8_t>(c.in.size()));
        raw.insert(raw.end(), c.in.begin(), c.in.end());
        raw.push_back(0);
        const auto back = Decode(raw);
        ASSERT_TRUE(back) << c.in;
        EXPECT_EQ(back->Name, c.out);
        EXPECT_TRUE(back->Map.empty());
        EXPECT_EQ(DiscoveryLabel(*back), c.out + "  2/4");
    }
}

TEST(DiscoveryDatagram, HostTextCarriesThePortOnlyWhenItIsNotTheDefault) {
    EXPECT_EQ(DiscoveryHostText("10.1.2.3", 6112, 6112), "10.1.2.3");
    EXPECT_EQ(DiscoveryHostText("10.1.2.3", 7000, 6112), "10.1.2.3:7000");
    EXPECT_EQ(DiscoveryHostText("fe80::1", 7000, 6112), "[fe80::1]:7000");
    TDiscoveryAnswer unknown = Sample();
    unknown.StartViews = -1;
    EXPECT_EQ(DiscoveryLabel(unknown), "ada-pc  Kreuzung  2/?");
}

TEST(LobbyBeacon, AnswersQueriesOnlyWhileTheLobbyIsOpen) {
    const auto query = EncodeDiscoveryQuery(77);
    const TLobbyState lobby{3, "Weite", 6};
    const auto answer = TLobbyBeacon::Answer(query.data(), query.size(), 6200, "bob\x07pc", lobby);
    const auto back = Decode(answer);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Token, 77u);
    EXPECT_EQ(back->Port, 6200);
    EXPECT_EQ(DiscoveryLabel(*back), "bob?pc  Weite  3/6");
    // A game that has started stays silent; so does anything that is no query.
    EXPECT_TRUE(TLobbyBeacon::Answer(query.data(), query.size(), 6200, "bob", std::nullopt).empty());
    EXPECT_TRUE(TLobbyBeacon::Answer(answer.data(), answer.size(), 6200, "bob", lobby).empty());
    EXPECT_TRUE(TLobbyBeacon::Answer(query.data(), 8, 6200, "bob", lobby).empty());
    // A machine without a name still answers with something to show.
    EXPECT_EQ(Decode(TLobbyBeacon::Answer(query.data(), query.size(), 6200, "", lobby))->Name, "?");
}

TEST(DiscoveryRound, ListsEachAnsweringHostOnceInOrderOfArrival) {
    TDiscoveryRound round;
    round.Begin(5);
    TDiscoveryAnswer a = Sample();
    a.Token = 5;
    auto bytes = EncodeDiscoveryAnswer(a);
    EXPECT_TRUE(round.Offer("10.0.0.2", bytes.data(), bytes.size()));
    EXPECT_FALSE(round.Offer("10.0.0.2", bytes.data(), bytes.size()));  // the same again
    a.Players = 3;
    bytes = EncodeDiscoveryAnswer(a);
    EXPECT_TRUE(round.Offer("10.0.0.2", bytes.data(), bytes.size()));  // changed: replaced
    a.Port = 7000;
    bytes = EncodeDiscoveryAnswer(a);
    EXPECT_TRUE(round.Offer("10.0.0.2", bytes.data(), bytes.size()));  // another game there
    ASSERT_EQ(round.Games().size(), 2u);
    EXPECT_EQ(round.Games()[0].Answer.Players, 3);
    EXPECT_EQ(round.Games()[1].Answer.Port, 7000);

    // Late answers to an earlier round and garbage do not count.
    a.Token = 4;
    bytes = EncodeDiscoveryAnswer(a);
    EXPECT_FALSE(round.Offer("10.0.0.3", bytes.data(), bytes.size()));
    EXPECT_FALSE(round.Offer("10.0.0.3", nullptr, 0));
    EXPECT_EQ(round.Games().size(), 2u);
    round.Begin(6);
    EXPECT_TRUE(round.Games().empty());
    EXPECT_EQ(round.Datagrams(), 0u);
}

TEST(DiscoveryRound, AFloodStaysWithinItsBounds) {
    TDiscoveryRound round;
    round.Begin(1);
    TDiscoveryAnswer a = Sample();
    a.Token = 1;
    // A thousand answers from one address: one entry.
    for (int i = 0; i < 1000; ++i) {
        a.Players = 1 + i % 15;
        const auto bytes = EncodeDiscoveryAnswer(a);
        round.Offer("10.0.0.9", bytes.data(), bytes.size());
    }
    EXPECT_EQ(round.Games().size(), 1u);
    // Many ports: no more than MaxGames entries; past MaxDatagrams nothing is read.
    round.Begin(1);
    for (int i = 0; i < 5000; ++i) {
        a.Port = 1000 + i;
        const auto bytes = EncodeDiscoveryAnswer(a);
        round.Offer("10.0.0.9", bytes.data(), bytes.size());
    }
    EXPECT_EQ(round.Games().size(), TDiscoveryRound::MaxGames);
    EXPECT_TRUE(round.Saturated());
    EXPECT_EQ(round.Datagrams(), TDiscoveryRound::MaxDatagrams);
}
