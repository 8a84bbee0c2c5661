// The host's frame of commands: arrival order, the 255 slots, and how they
// are shared when more commands arrive than fit.
#include "control/frame_collector.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace orbitfall;

namespace {

TCommand From(std::uint8_t player, std::int32_t serial) {
    TCommand c;
    c.Kind = ckSelectAll;
    c.Player = player;
    c.Frame = serial;  // tells the commands apart
    return c;
}

struct TShareCase {
    const char* name;
    std::map<std::uint8_t, int> sent;  // commands per player, sent interleaved
    std::map<std::uint8_t, int> kept;
};

// One client filled all 255 slots of every frame and crowded out the others.
TEST(FrameCollector, OneClientCrowdingOutTheOthersCommandSlots) {
    const TShareCase cases[] = {
        {"one player alone keeps its first 255", {{2, 300}}, {{2, 255}}},
        {"a flood leaves the others what they sent", {{1, 5}, {2, 1000}, {3, 10}}, {{1, 5}, {2, 240}, {3, 10}}},
        {"equal floods share equally", {{2, 200}, {3, 200}, {4, 200}}, {{2, 85}, {3, 85}, {4, 85}}},
        {"a remainder goes to the lowest numbers", {{2, 300}, {3, 300}}, {{2, 128}, {3, 127}}},
        {"below the limit nothing is dropped", {{1, 100}, {2, 155}}, {{1, 100}, {2, 155}}},
    };
    for (const TShareCase& c : cases) {
        SCOPED_TRACE(c.name);
        TFrameCollector collector;
        std::vector<TCommand> order;
        std::map<std::uint8_t, int> sent;
        for (bool more = true; more;) {
            more = false;
            for (const auto& [player, count] : c.sent) {
                if (sent[player] >= count) continue;
                const TCommand command = From(player, sent[player]++);
                if (collector.Add(command)) order.push_back(command);
                more = true;
            }
        }
        const TFrameData frame = collector.Close(0x1234);
        EXPECT_EQ(frame.Header.Count, frame.Commands.size());
        EXPECT_EQ(frame.Header.Checksum, 0x1234u);
        std::map<std::uint8_t, int> kept;
        std::map<std::uint8_t, std::int32_t> next;
        std::size_t at = 0;
        for (const TCommand& command : frame.Commands) {
            ++kept[command.Player];
            // Each player's first commands, in arrival order among all.
            const std::int32_t serial = command.Frame;  // packed: copied before binding
            EXPECT_EQ(serial, next[command.Player]++);
            while (at < order.size() && (order[at].Player != command.Player || order[at].Frame != command.Frame))
                ++at;
            EXPECT_LT(at, order.size()) << "out of arrival order";
        }
        EXPECT_EQ(kept, c.kept);
        // The next frame starts empty, numbered one higher.
        EXPECT_EQ(collector.Close(0).Header.Count, 0);
    }
}

}  // namespace
