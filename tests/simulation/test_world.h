#pragma once
// Data folders written by the test and small games built on them, for the
// tests of the sprite tree, the step, the cell grid, the sight maps and the
// set-up.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/random.h"
#include "simulation/controlled_unit.h"
#include "simulation/game.h"
#include "tests/support/temp_folder.h"

namespace orbitfall::testing {

// Type 0 "Mover": radius 1, sight 3, fast engine, no weapon (never fires).
// Type 1 "Scout": radius 0.5, sight 3, slow engine, no weapon.
// Type 2 "Blind": radius 0.5, sight 0, no weapon.
inline const char* const kWorldUnits = R"(<?xml version="1.0" encoding="ISO8859-1" ?>
<Units>
  <Unit Name="Mover" Radius="1" SightRange="3">
    <Engine Speed="2" Acc="1" DeAcc="1" RotSpeed="90"/>
  </Unit>
  <Unit Name="Scout" Radius="0.5" SightRange="3">
    <Engine Speed="0.5" Acc="0.05" DeAcc="0.02" RotSpeed="90"/>
  </Unit>
  <Unit Name="Blind" Radius="0.5" SightRange="0">
    <Engine Speed="0.5" Acc="0.05" DeAcc="0.02" RotSpeed="90"/>
  </Unit>
</Units>
)";

inline std::string MapText(int width, int height, const std::string& objects = "") {
    return "<?xml version=\"1.0\" encoding=\"ISO8859-1\" ?>\n<Map>\n  <Informations><Width>" +
           std::to_string(width) + "</Width><Height>" + std::to_string(height) +
           "</Height></Informations>\n  <Objects>" + objects + "</Objects>\n</Map>\n";
}

// A data folder and a user folder under a fresh temporary folder, in use
// while the object lives.
class TestDataDirs {
public:
    explicit TestDataDirs(const std::string& units = kWorldUnits) {
        folder_.MakeDir("Data/Maps");
        folder_.MakeDir("User");
        WriteUnits(units);
        SetDataDirs(folder_.Path() + "Data/", folder_.Path() + "User/");
    }
    ~TestDataDirs() { ClearDataDirs(); }

    void WriteUnits(const std::string& text) const { folder_.WriteFile("Data/Units/Units.ofu", text); }
    void WriteMap(const std::string& name, const std::string& text) const {
        folder_.WriteFile("Data/Maps/" + name + ".ofm", text);
    }

private:
    TempFolder folder_;
};

class WorldTest : public ::testing::Test {
protected:
    // A game of playerCount players (local player 1) on an empty map.
    void MakeGame(int width = 100, int height = 100, std::uint8_t playerCount = 2) {
        game.reset();
        data.WriteMap("world", MapText(width, height));
        SetRandomState(12345);
        game = std::make_unique<TGame>("world", playerCount, 1);
    }

    void TearDown() override { game.reset(); }

    TControlledUnit& AddUnit(std::uint8_t owner, float x, float y, int type = 0) {
        auto& u = NewGameObject<TControlledUnit>(*game, owner, game->UnitTypes.at(type).get());
        u.X = x;
        u.Y = y;
        return u;
    }

    void Step() {
        game->Move();
        game->Dead();
        ++game->Frame;
    }

    TestDataDirs data;
    std::unique_ptr<TGame> game;
};

}  // namespace orbitfall::testing
