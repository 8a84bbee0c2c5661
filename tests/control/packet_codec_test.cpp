// Every lockstep packet is written and read by one codec: what it writes it
// reads back unchanged, at the offsets the wire format fixes, and it refuses
// a payload of any other length.
#include "control/packet_codec.h"

#include <gtest/gtest.h>

#include <cstring>

#include "infra/errors.h"

using namespace orbitfall;

namespace {

TCommand SampleCommand(std::uint8_t kind, std::int32_t frame) {
    TCommand c;
    c.Kind = kind;
    c.Flags = cfAddToSelection;
    c.Player = 3;
    c.Frame = frame;
    c.SetInt(0, 7);
    c.SetFloat(1, 12.5f);
    c.SetFloat(2, -3.25f);
    c.SetInt(3, -1);
    return c;
}

bool SameCommand(const TCommand& a, const TCommand& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(PacketCodec, CommandRoundTripsWithItsFrameAtTheWireOffset) {
    const TCommand c = SampleCommand(ckMove, 0x01020304);
    TPacketBytes bytes;
    EncodeCommand(c, bytes);
    ASSERT_EQ(bytes.size(), 24u);
    EXPECT_EQ(bytes[0], ptCommand);
    EXPECT_EQ(bytes[1], ckMove);
    EXPECT_EQ(bytes[3], 3);  // Player
    EXPECT_EQ(bytes[4], 0x04);  // Frame, little-endian, unaligned
    EXPECT_EQ(bytes[7], 0x01);
    EXPECT_EQ(PacketType(bytes.data(), bytes.size()), ptCommand);
    EXPECT_TRUE(SameCommand(DecodeCommand(bytes.data(), bytes.size()), c));
}

TEST(PacketCodec, FrameRoundTripsForEveryCountUpToTheLargest) {
    for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{255}}) {
        SCOPED_TRACE(count);
        TFrameHeader header;
        header.Frame = 812;
        header.Checksum = 0xDEADBEEF;
        header.Count = static_cast<std::uint8_t>(count);
        std::vector<TCommand> commands;
        for (std::size_t i = 0; i < count; ++i) commands.push_back(SampleCommand(ckSelectAll, static_cast<int>(i)));
        TPacketBytes bytes;
        EncodeFrame(header, commands, bytes);
        ASSERT_EQ(bytes.size(), 10 + 23 * count);
        EXPECT_EQ(bytes[0], ptFrameData);
        EXPECT_EQ(bytes[9], count);  // Count, last byte of the header
        const TFrameData back = DecodeFrame(bytes.data(), bytes.size());
        EXPECT_EQ(back.Header.Frame, 812);
        EXPECT_EQ(back.Header.Checksum, 0xDEADBEEFu);
        ASSERT_EQ(back.Commands.size(), count);
        for (std::size_t i = 0; i < count; ++i) EXPECT_TRUE(SameCommand(back.Commands[i], commands[i]));
    }
}

TEST(PacketCodec, FrameWhoseCountDisagreesWithItsCommandsIsNotWritten) {
    TFrameHeader header;
    header.Count = 2;
    TPacketBytes bytes;
    EXPECT_THROW(EncodeFrame(header, {SampleCommand(ckMove, 1)}, bytes), Exception);
}

TEST(PacketCodec, StartAndReadyRoundTrip) {
    TStartInfo info;
    info.SetMapName("Kreuzung");
    info.RandomSeed = -5;
    info.PlayerNumber = 4;
    info.PlayerCount = 4;
    TPacketBytes bytes;
    EncodeStart(info, bytes);
    ASSERT_EQ(bytes.size(), 141u);
    EXPECT_EQ(bytes[0], ptStartGame);
    EXPECT_EQ(bytes[1 + 137], 4);  // PlayerCount
    const TStartInfo back = DecodeStart(bytes.data(), bytes.size());
    EXPECT_EQ(std::memcmp(&back, &info, sizeof info), 0);

    EncodeReady(bytes);
    ASSERT_EQ(bytes, TPacketBytes{ptReady});
    EXPECT_NO_THROW(DecodeReady(bytes.data(), bytes.size()));
}

// A payload cut short or padded at any length is refused before anything of
// it is used.
TEST(PacketCodec, EveryOtherLengthIsMalformed) {
    TPacketBytes command, frame, start;
    EncodeCommand(SampleCommand(ckMove, 1), command);
    TFrameHeader header;
    header.Count = 1;
    EncodeFrame(header, {SampleCommand(ckMove, 1)}, frame);
    EncodeStart(TStartInfo{}, start);
    for (std::size_t n = 0; n < command.size() + 3; ++n) {
        if (n == command.size()) continue;
        TPacketBytes cut = command;
        cut.resize(n);
        EXPECT_THROW(DecodeCommand(cut.data(), cut.size()), Exception) << n;
    }
    for (std::size_t n = 0; n < frame.size() + 3; ++n) {
        if (n == frame.size()) continue;
        TPacketBytes cut = frame;
        cut.resize(n);
        EXPECT_THROW(DecodeFrame(cut.data(), cut.size()), Exception) << n;
    }
    for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{140}, std::size_t{142}}) {
        TPacketBytes cut = start;
        cut.resize(n);
        EXPECT_THROW(DecodeStart(cut.data(), cut.size()), Exception) << n;
    }
    const TPacketBytes readyTwice{ptReady, ptReady};
    EXPECT_THROW(DecodeReady(readyTwice.data(), readyTwice.size()), Exception);
    EXPECT_THROW(PacketType(nullptr, 0), Exception);
    // A decoder never takes another type's packet of the right length.
    TPacketBytes wrongType = command;
    wrongType[0] = ptReady;
    EXPECT_THROW(DecodeCommand(wrongType.data(), wrongType.size()), Exception);
}

}  // namespace
