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

// A start view at X="1e12" loaded and later reached an unchecked conversion
// to whole map units when the fog was drawn. Positions and radii beyond what
// a map can hold now fail the load, naming the file.
TEST(MapSizeLimit, PositionsBeyondWhatAMapCanHoldAreALoadErrorNamingTheFile) {
    TestDataDirs data;
    struct Case {
        const char* objects;
        const char* fault;
    } cases[] = {
        {"<Start Player=\"1\" X=\"1e12\" Y=\"10\"/>", "start X 1e+12"},
        {"<Start Player=\"1\" X=\"10\" Y=\"-1e12\"/>", "start Y -1e+12"},
        {"<Start Player=\"1\" X=\"8192.5\" Y=\"10\"/>", "start X 8192.5"},
        {"<Nebula Radius=\"5\" X=\"1e12\" Y=\"10\"/>", "nebula X 1e+12"},
        {"<Nebula Radius=\"5\" X=\"10\" Y=\"-5000\"/>", "nebula Y -5000"},
        {"<Nebula Radius=\"1e12\" X=\"10\" Y=\"10\"/>", "nebula Radius 1e+12"},
        {"<Nebula Radius=\"-1\" X=\"10\" Y=\"10\"/>", "nebula Radius -1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.objects);
        data.WriteMap("far", MapText(300, 300, c.objects));
        SetRandomState(1);
        try {
            TGame game("far", 2, 1);
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            const std::string message = e.Message();
            EXPECT_NE(message.find("far.ofm"), std::string::npos) << message;
            EXPECT_NE(message.find(c.fault), std::string::npos) << message;
        }
    }
}

TEST(MapSizeLimit, PositionsAtTheEdgesOfWhatAMapCanHoldLoad) {
    TestDataDirs data;
    data.WriteMap("edges", MapText(300, 300,
                                   "<Nebula Radius=\"4096\" X=\"-4096\" Y=\"8192\"/>"
                                   "<Start Player=\"1\" X=\"8192\" Y=\"-4096\"/>"));
    SetRandomState(1);
    TGame game("edges", 2, 1);
    EXPECT_EQ(game.PlayerAt(1).CameraX, 8192.0);
    EXPECT_EQ(game.PlayerAt(1).CameraY, -4096.0);
}

}  // namespace
}  // namespace orbitfall
