// The datagrams of finding games: any bytes read as an answer or a query.
// What is accepted must be within its bounds, show no control character or
// invalid UTF-8, and encode back to an answer that reads the same; the round
// that collects answers must keep its own bounds whatever arrives.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "control/discovery_datagram.h"
#include "control/discovery_round.h"

using namespace orbitfall;

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "discovery: %s\n", what);
    std::abort();
}

void CheckText(const std::string& text) {
    if (text.size() > DiscoveryMaxText) Fail("text longer than its bound");
    if (CleanDiscoveryText(text) != text) Fail("text not clean");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto token = DecodeDiscoveryQuery(data, size)) {
        if (size != DiscoveryQuerySize) Fail("query of the wrong size accepted");
        if (EncodeDiscoveryQuery(*token) != std::vector<std::uint8_t>(data, data + size)) Fail("query round trip");
    }
    if (const auto answer = DecodeDiscoveryAnswer(data, size)) {
        if (size < DiscoveryMinAnswerSize || size > DiscoveryMaxAnswerSize) Fail("answer size out of bounds");
        if (answer->Port < 1 || answer->Port > 65535) Fail("port out of range");
        if (answer->Players < 1 || answer->Players > DiscoveryMaxPlayers) Fail("players out of range");
        if (answer->Name.empty()) Fail("empty name accepted");
        CheckText(answer->Name);
        CheckText(answer->Map);
        const std::string label = DiscoveryLabel(*answer);
        if (CleanDiscoveryText(label) != label) Fail("label not clean");
        // Cleaning never lengthens a text, so what was read survives another trip.
        const auto again = DecodeDiscoveryAnswer(EncodeDiscoveryAnswer(*answer).data(),
                                                 EncodeDiscoveryAnswer(*answer).size());
        if (!again || again->Name != answer->Name || again->Map != answer->Map || again->Port != answer->Port ||
            again->Players != answer->Players || again->StartViews != answer->StartViews)
            Fail("answer round trip");
    }
    // The same bytes split into datagrams at every 0xFF byte, offered to a round.
    TDiscoveryRound round;
    round.Begin(size >= 9 ? static_cast<std::uint32_t>(data[5] | data[6] << 8 | data[7] << 16 |
                                                       static_cast<std::uint32_t>(data[8]) << 24)
                          : 0);
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i)
        if (i == size || data[i] == 0xFF) {
            round.Offer(std::to_string(i % 3), data + start, i - start);
            start = i + 1;
        }
    if (round.Games().size() > TDiscoveryRound::MaxGames) Fail("round past its bound");
    return 0;
}
