#pragma once
// A small game for the tests of shots, weapons and map objects: a 50 x 50 map
// without nebulae or starts, and a catalogue of test types, written to a
// temporary data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "infra/data_dirs.h"
#include "simulation/controlled_unit.h"
#include "simulation/game.h"

namespace orbitfall::small_game {

// Catalogue indices of the test types.
enum TTestType : std::size_t {
    ttGunner = 0,       // range 5, cool-down 5
    ttTarget = 1,       // no weapon
    ttShotless = 2,     // a weapon without a shot
    ttRapid = 3,        // cool-down 0; the file says armour damage 7
    ttBig = 4,          // radius 2, no weapon
};

inline const char* const kTestUnits = R"(<?xml version="1.0" encoding="ISO8859-1" ?>
<Units>
  <Unit Name="Gunner" Radius="0.5" SightRange="10">
    <Engine Speed="0.5" Acc="0.05" DeAcc="0.02" RotSpeed="90"/>
    <Weapon Range="5" CoolDown="5" WhileFlying="1" Freedom="30">
      <Shot Speed="1" class="targeting"><ArmorDamage Damage="1" Power="2"/><ShieldDamage Damage="3"/></Shot>
    </Weapon>
  </Unit>
  <Unit Name="Target" Radius="0.5" SightRange="10">
    <Engine Speed="0.5" Acc="0.05" DeAcc="0.02" RotSpeed="90"/>
  </Unit>
  <Unit Name="Shotless" Radius="0.5" SightRange="10">
    <Engine Speed="0.5" Acc="0.05" DeAcc="0.02" RotSpeed="90"/>
    <Weapon Range="5" CoolDown="0" Freedom="30"/>
  </Unit>
  <Unit Name="Rapid" Radius="0.5" SightRange="10">
    <Engine Speed="0.5" Acc="0.05" DeAcc="0.02" RotSpeed="90"/>
    <Weapon Range="5" CoolDown="0" Freedom="30">
      <Shot class="laser"><ArmorDamage Damage="7" Power="4"/><ShieldDamage Damage="5" SplashRadius="2"/></Shot>
    </Weapon>
  </Unit>
  <Unit Name="Big" Radius="2" SightRange="10">
    <Engine Speed="0.5" Acc="0.05" DeAcc="0.02" RotSpeed="90"/>
  </Unit>
</Units>
)";

inline const char* const kTestMap = R"(<?xml version="1.0" encoding="ISO8859-1" ?>
<Map>
  <Informations><Width>50</Width><Height>50</Height></Informations>
  <Objects></Objects>
</Map>
)";

class SmallGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        root_ = fs::temp_directory_path() /
                ("orbitfall-h4-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "Data" / "Units");
        fs::create_directories(root_ / "Data" / "Maps");
        std::ofstream(root_ / "Data" / "Units" / "Units.ofu") << kTestUnits;
        std::ofstream(root_ / "Data" / "Maps" / "small.ofm") << kTestMap;
        SetDataDirs((root_ / "Data").string(), (root_ / "User").string());
        game = std::make_unique<TGame>("small", 3, 1);
    }

    void TearDown() override {
        game.reset();
        ClearDataDirs();
        std::filesystem::remove_all(root_);
    }

    TControlledUnit& AddUnit(std::uint8_t owner, float x, float y, TTestType type) {
        auto& u = NewGameObject<TControlledUnit>(*game, owner, game->UnitTypes.at(type).get());
        u.X = x;
        u.Y = y;
        return u;
    }

    // One frame of the simulation as the frame loop runs it.
    void Step() {
        game->Move();
        game->Dead();
        ++game->Frame;
    }

    template <class T>
    std::vector<T*> ObjectsOf() const {
        std::vector<T*> found;
        for (int i = 0; i < game->Engine->ChildCount(); ++i)
            if (auto* o = dynamic_cast<T*>(&game->Engine->GetChild(i))) found.push_back(o);
        return found;
    }

    std::unique_ptr<TGame> game;

private:
    std::filesystem::path root_;
};

}  // namespace orbitfall::small_game
