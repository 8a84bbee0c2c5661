#include "simulation/unit_catalogue_cache.h"

#include <gtest/gtest.h>

#include <string>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/random.h"
#include "tests/simulation/test_world.h"

namespace orbitfall {
namespace {

using testing::MapText;
using testing::TestDataDirs;

// One armed type; Radius="1" and Radius="3" give files of the same size.
std::string ArmedUnits(const char* radius, const char* shotClass = "Targeting") {
    return std::string(R"(<Units><Unit Name="Gun" Radius=")") + radius +
           R"(" SightRange="3"><Engine Speed="2" Acc="1" DeAcc="1" RotSpeed="90"/>)"
           R"(<Weapon Range="5" CoolDown="3" Freedom="10"><Shot class=")" +
           shotClass + R"(" Speed="1"><ArmorDamage Damage="4"/></Shot></Weapon></Unit></Units>)";
}

TEST(UnitCatalogueCache, GamesShareTheParsedFileButEachOwnsItsCatalogue) {
    TestDataDirs data(ArmedUnits("1"));
    data.WriteMap("m", MapText(40, 40));
    TUnitCatalogueCache cache;
    SetRandomState(1);
    TGame first("m", 2, 1, &cache);
    // A running game writes to its catalogue (every shot resets this value).
    TShotDesc& shot = first.UnitTypes.at(0)->Weapons.at(0).Shots.at(0);
    ASSERT_EQ(shot.Damage.Armor.Damage, 4.0f);
    shot.Damage.Armor.Damage = 1.0f;

    SetRandomState(1);
    TGame second("m", 2, 1, &cache);
    EXPECT_NE(second.UnitTypes.at(0).get(), first.UnitTypes.at(0).get());
    EXPECT_EQ(second.UnitTypes.at(0)->Weapons.at(0).Shots.at(0).Damage.Armor.Damage, 4.0f);

    // Rewritten at once, same size: only the bytes can tell it changed.
    data.WriteUnits(ArmedUnits("3"));
    TGame third("m", 2, 1, &cache);
    EXPECT_EQ(third.UnitTypes.at(0)->Radius, 3.0f);
}

TEST(UnitCatalogueCache, AFileThatFailsIsNeverServedFromTheCache) {
    TestDataDirs data(ArmedUnits("1"));
    TUnitCatalogueCache cache;
    const std::string path = ResolveFileName("Units\\Units.ofu");
    ASSERT_EQ(cache.Load(path).size(), 1u);

    data.WriteUnits(ArmedUnits("1", "Bogus"));
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            cache.Load(path);
            ADD_FAILURE() << "a catalogue from a file that does not parse, attempt " << attempt;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Unknown Shotclass: bogus");
        }
    }
    // Back to the first bytes after a failure: parsed again, not lost.
    data.WriteUnits(ArmedUnits("1"));
    EXPECT_EQ(cache.Load(path).at(0)->Radius, 1.0f);
}

}  // namespace
}  // namespace orbitfall
