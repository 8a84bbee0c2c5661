// The adapter's packet framing fed in chunks of sizes the input chooses: a
// chunk is one size byte n and then up to n stream bytes; a chunk cut short
// by the end of the input is a receive that delivers fewer bytes than it
// announced. The packets taken off must be exactly those a straight parse of
// the delivered stream gives, in order, whatever the chunking.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "control/network_adapter.h"
#include "control/packet_buffer.h"
#include "fuzz/fuzz_support.h"

using namespace orbitfall;

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "framing: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TPacketBuffer buffer;
    std::vector<std::uint8_t> stream;
    std::vector<std::vector<std::uint8_t>> received;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t announced = data[at++];
        const std::size_t delivered = std::min(announced, size - at);
        const std::uint8_t* chunk = data + at;
        at += delivered;
        const std::size_t before = buffer.Size();
        bool failed = false;
        try {
            buffer.Append(announced, [&](std::uint8_t* to, std::size_t count) {
                if (count != announced) Fail("asked for another count than announced");
                if (delivered > 0) std::memcpy(to, chunk, delivered);
                return delivered;
            });
        } catch (const ETcpAdapterError& e) {
            if (std::strcmp(e.what(), "Lesefehler") != 0) Fail("unexpected adapter error");
            failed = true;
        }
        if (failed != (delivered < announced)) Fail("short receive not reported, or a full one reported");
        if (buffer.Size() != before + delivered) Fail("buffer does not hold exactly the delivered bytes");
        stream.insert(stream.end(), chunk, chunk + delivered);
        while (auto packet = buffer.FrontPacket()) {
            received.emplace_back(packet->begin(), packet->end());
            buffer.PopPacket();
        }
    }

    const auto expected = fuzz::SplitPackets(stream.data(), stream.size());
    if (expected.size() != received.size()) Fail("packet count differs");
    std::size_t consumed = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].size() != received[i].size() ||
            (!received[i].empty() && std::memcmp(expected[i].data(), received[i].data(), received[i].size()) != 0))
            Fail("packet contents differ");
        consumed += 2 + expected[i].size();
    }
    if (buffer.Size() != stream.size() - consumed) Fail("left-over bytes differ");
    return 0;
}
