#include "control/packet_buffer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "control/network_adapter.h"

namespace orbitfall {
namespace {

// A receive that copies from a prepared byte string, at most `limit` bytes.
TPacketBuffer::TReceive From(const std::vector<std::uint8_t>& bytes, std::size_t limit = SIZE_MAX) {
    return [bytes, limit](std::uint8_t* to, std::size_t count) {
        std::size_t n = std::min({count, bytes.size(), limit});
        std::memcpy(to, bytes.data(), n);
        return n;
    };
}

void Feed(TPacketBuffer& buffer, const std::vector<std::uint8_t>& bytes) {
    buffer.Append(bytes.size(), From(bytes));
}

std::vector<std::vector<std::uint8_t>> TakeAll(TPacketBuffer& buffer) {
    std::vector<std::vector<std::uint8_t>> packets;
    while (auto packet = buffer.FrontPacket()) {
        packets.emplace_back(packet->begin(), packet->end());
        buffer.PopPacket();
    }
    return packets;
}

TEST(PacketBuffer, SeveralPacketsInOneAppendComeOutInOrder) {
    TPacketBuffer buffer;
    Feed(buffer, {2, 0, 'a', 'b', 0, 0, 1, 0, 'c', 3});  // "ab", "", "c", start of a 4th
    auto packets = TakeAll(buffer);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0], (std::vector<std::uint8_t>{'a', 'b'}));
    EXPECT_TRUE(packets[1].empty());
    EXPECT_EQ(packets[2], (std::vector<std::uint8_t>{'c'}));
    EXPECT_EQ(buffer.Size(), 1u);  // the partial length stays at the front
}

TEST(PacketBuffer, PacketSplitOverAppendsIsCompleteOnlyAfterItsLastByte) {
    TPacketBuffer buffer;
    const std::vector<std::uint8_t> frame{3, 0, 'x', 'y', 'z'};
    for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
        Feed(buffer, {frame[i]});
        EXPECT_FALSE(buffer.FrontPacket()) << "after byte " << i;
    }
    Feed(buffer, {frame.back()});
    auto packets = TakeAll(buffer);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], (std::vector<std::uint8_t>{'x', 'y', 'z'}));
    EXPECT_EQ(buffer.Size(), 0u);
}

TEST(PacketBuffer, LargestLengthIsAccepted) {
    TPacketBuffer buffer;
    std::vector<std::uint8_t> payload(65535);
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> frame{0xFF, 0xFF};
    frame.insert(frame.end(), payload.begin(), payload.end());
    Feed(buffer, std::vector<std::uint8_t>(frame.begin(), frame.end() - 1));
    EXPECT_FALSE(buffer.FrontPacket());
    Feed(buffer, {frame.back()});
    auto packets = TakeAll(buffer);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], payload);
}

TEST(PacketBuffer, ShortReadRaisesLesefehlerAndKeepsOnlyWhatArrived) {
    TPacketBuffer buffer;
    Feed(buffer, {4, 0, 'a'});
    try {
        buffer.Append(5, From({'b', 'c', 'd', 2, 0}, 2));  // announced 5, got 2
        FAIL() << "no exception";
    } catch (const ETcpAdapterError& e) {
        EXPECT_STREQ(e.what(), "Lesefehler");
    }
    EXPECT_EQ(buffer.Size(), 5u);
    EXPECT_FALSE(buffer.FrontPacket());
    // The rest of the stream follows on and the packet completes as sent.
    Feed(buffer, {'d', 2, 0});
    auto packets = TakeAll(buffer);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], (std::vector<std::uint8_t>{'a', 'b', 'c', 'd'}));
}

TEST(PacketBuffer, PoppingAnIncompletePacketIsARangeError) {
    TPacketBuffer buffer;
    Feed(buffer, {9, 0, 1});
    EXPECT_THROW(buffer.PopPacket(), ERangeError);
    EXPECT_EQ(buffer.Size(), 3u);
}

// Every packet taken moved the rest of the buffer to its front: a read of
// many small packets cost the square of its size.
TEST(PacketBuffer, QuadraticReceiveBufferMovedTheRestForEveryPacket) {
    TPacketBuffer buffer;
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 1000; ++i) bytes.insert(bytes.end(), {1, 0, static_cast<std::uint8_t>(i)});
    bytes.push_back(1);  // the first byte of a length
    Feed(buffer, bytes);
    const std::uint8_t* first = buffer.FrontPacket()->data();
    for (int i = 0; i < 1000; ++i) {
        auto packet = buffer.FrontPacket();
        ASSERT_TRUE(packet);
        // Taken where it arrived: nothing was moved for the packets before it.
        ASSERT_EQ(packet->data(), first + 3 * i);
        ASSERT_EQ((*packet)[0], static_cast<std::uint8_t>(i));
        buffer.PopPacket();
    }
    EXPECT_EQ(buffer.Size(), 1u);
    // The next read drops what was consumed, once, and the stream goes on.
    Feed(buffer, {0, 'z'});
    auto packets = TakeAll(buffer);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], std::vector<std::uint8_t>{'z'});
    EXPECT_EQ(buffer.Size(), 0u);
}

TEST(PointerStream, ReadsWithinItsBufferOnly) {
    const std::uint8_t data[] = {1, 2, 3, 4, 5};
    TPointerStream stream;
    stream.SetPointer(data, sizeof data);
    std::uint8_t out[3] = {};
    stream.Read(out, 3);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(stream.Remaining(), 2u);
    EXPECT_THROW(stream.Read(out, 3), EReadError);
    EXPECT_EQ(stream.Position(), 3u);  // a refused read consumes nothing
    stream.Seek(5);
    EXPECT_EQ(stream.Remaining(), 0u);
    EXPECT_THROW(stream.Seek(6), ERangeError);
    EXPECT_THROW(stream.Write(out, 1), EWriteError);
    stream.SetPointer(data + 4, 1);
    EXPECT_EQ(stream.Position(), 0u);
    stream.Read(out, 1);
    EXPECT_EQ(out[0], 5);
}

}  // namespace
}  // namespace orbitfall
