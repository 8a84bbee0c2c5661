// Found by fuzzing the map loader: a map file naming a size such as
// 20000 x 20000 made game creation allocate gigabytes of sight counters and
// run the process out of memory. Sizes above the limit are now refused with
// a range error before anything is sized.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "infra/errors.h"
#include "infra/random.h"
#include "simulation/game.h"
#include "tests/simulation/test_world.h"

namespace orbitfall {
namespace {

using testing::MapText;
using testing::TestDataDirs;

TEST(MapSizeLimit, HugeMapIsRefusedWithoutRunningOutOfMemory) {
    TestDataDirs data;
    struct Case {
        int width, height;
    } cases[] = {{20000, 20000}, {70000, 300}, {300, 2147483647}, {4097, 4096}};
    for (const auto& c : cases) {
        data.WriteMap("huge", MapText(c.width, c.height));
        SetRandomState(1);
        try {
            TGame game("huge", 2, 1);
            ADD_FAILURE() << c.width << " x " << c.height << " was accepted";
        } catch (const ERangeError& e) {
            EXPECT_EQ(e.Message(), "Map size " + std::to_string(c.width) + " x " + std::to_string(c.height) +
                                       " is above 4096 x 4096");
        }
    }
}

TEST(MapSizeLimit, LargestAllowedMapLoads) {
    TestDataDirs data;
    data.WriteMap("edge", MapText(4096, 1));
    SetRandomState(1);
    TGame game("edge", 1, 1);
    EXPECT_EQ(game.Width, 4096);
    EXPECT_EQ(game.PlayerAt(1).MapCols(), 4097);
}

}  // namespace
}  // namespace orbitfall
