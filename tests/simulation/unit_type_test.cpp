#include "simulation/unit_type.h"

#include <gtest/gtest.h>

#include <string>

#include "infra/angles.h"
#include "infra/errors.h"
#include "infra/xml_parser.h"

namespace orbitfall {
namespace {

const char* const kEngine = R"(<Engine Speed="0.5" Acc="0.05" DeAcc="0.02" RotSpeed="90"/>)";

TUnitTypeList LoadText(const std::string& xml) {
    TECXMLParser doc;
    doc.LoadFromString(xml);
    return LoadUnitTypes(doc.Root());
}

// One unit element inside a root; the descriptor comes back by value.
TUnitTypeDescriptor LoadOne(const std::string& unitXml) {
    TUnitTypeList types = LoadText("<Units>" + unitXml + "</Units>");
    EXPECT_EQ(types.size(), 1u);
    return *types.at(0);
}

std::string UnitWith(const std::string& unitAttrs, const std::string& body) {
    return "<Unit " + unitAttrs + ">" + body + "</Unit>";
}

std::string PlainUnit(const std::string& body) {
    return UnitWith(R"(Name="A" Radius="0.5" SightRange="10")", body);
}

std::string WeaponWith(const std::string& attrs, const std::string& shots = "") {
    return "<Weapon " + attrs + ">" + shots + "</Weapon>";
}

std::string ShotWith(const std::string& attrs, const std::string& body = "") {
    return "<Shot " + attrs + ">" + body + "</Shot>";
}

template <class E>
std::string MessageOf(const std::string& unitXml) {
    try {
        LoadOne(unitXml);
    } catch (const E& e) {
        return e.what();
    }
    return "<no exception>";
}

TEST(UnitTypeCatalogue, ReadsEveryFieldInFileOrder) {
    const TUnitTypeDescriptor t = LoadOne(UnitWith(
        R"(Name="Falke Zwei" Radius="0.75" SightRange="9.5" Energy="12.5" MaxEnergy="40" Detector="1")",
        R"(<Build Time="3" Ore="4" Crystal="5" Crew="6" Officiers="7"/>)"
        R"(<Engine Speed="0.5" Acc="0.05" DeAcc="0.02" RotSpeed="180"/>)" +
            WeaponWith(R"(Range="5" CoolDown="10" WhileFlying="1" Freedom="0")",
                       ShotWith(R"(Speed="1.25" Delay="3" Graphic="Shots\a.img" class="laser")",
                                R"(<ArmorDamage Damage="2" Power="3" SplashDamage="4" SplashPower="5" SplashRadius="6"/>)"
                                R"(<ShieldDamage Damage="7" Power="8" SplashDamage="9" SplashPower="10" SplashRadius="11"/>)"))));
    EXPECT_EQ(t.Name, "Falke Zwei");
    EXPECT_FLOAT_EQ(t.Radius, 0.75f);
    EXPECT_FLOAT_EQ(t.SightRange, 9.5f);
    EXPECT_FLOAT_EQ(t.Energy, 12.5f);
    EXPECT_EQ(t.MaxEnergy, 40);
    EXPECT_TRUE(t.Detector);
    EXPECT_EQ(t.BuildTime, 3);
    EXPECT_EQ(t.BuildOre, 4);
    EXPECT_EQ(t.BuildCrystal, 5);
    EXPECT_EQ(t.BuildCrew, 6);
    EXPECT_EQ(t.BuildOfficiers, 7);
    EXPECT_FLOAT_EQ(t.MaxSpeed, 0.5f);
    EXPECT_FLOAT_EQ(t.Acc, 0.05f);
    EXPECT_FLOAT_EQ(t.DeAcc, 0.02f);
    EXPECT_EQ(t.RotSpeed, static_cast<float>(Pi));
    EXPECT_EQ(t.BankLimit, 0.0f);
    ASSERT_EQ(t.Weapons.size(), 1u);
    const TWeaponDesc& w = t.Weapons[0];
    EXPECT_EQ(w.Range, 5.0f);
    EXPECT_EQ(w.CoolDown, 10);
    EXPECT_TRUE(w.WhileFlying);
    EXPECT_EQ(w.Freedom, static_cast<float>(Pi / 180));
    ASSERT_EQ(w.Shots.size(), 1u);
    const TShotDesc& s = w.Shots[0];
    EXPECT_EQ(s.Speed, 1.25);
    EXPECT_EQ(s.Delay, 3);
    EXPECT_EQ(s.Graphic, "Shots\\a.img");
    EXPECT_EQ(s.ShotClass, scLaser);
    const float armor[] = {s.Damage.Armor.Damage, s.Damage.Armor.Power, s.Damage.Armor.SplashDamage,
                           s.Damage.Armor.SplashPower, s.Damage.Armor.SplashRadius};
    const float shield[] = {s.Damage.Shield.Damage, s.Damage.Shield.Power, s.Damage.Shield.SplashDamage,
                            s.Damage.Shield.SplashPower, s.Damage.Shield.SplashRadius};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(armor[i], static_cast<float>(2 + i)) << i;
        EXPECT_EQ(shield[i], static_cast<float>(7 + i)) << i;
    }
}

TEST(UnitTypeCatalogue, EmptyRootGivesEmptyCatalogue) {
    EXPECT_TRUE(LoadText("<Units></Units>").empty());
}

TEST(UnitTypeCatalogue, OneDescriptorPerChildInOrderWhateverItsName) {
    const TUnitTypeList types = LoadText(
        std::string("<Units>") + R"(<Ship Name="a" Radius="1" SightRange="2">)" + kEngine + "</Ship>" +
        R"(<Thing Name="b" Radius="3" SightRange="4">)" + kEngine + "</Thing>" +
        R"(<Unit Name="c" Radius="5" SightRange="6">)" + kEngine + "</Unit></Units>");
    ASSERT_EQ(types.size(), 3u);
    EXPECT_EQ(types[0]->Name, "a");
    EXPECT_EQ(types[1]->Name, "b");
    EXPECT_EQ(types[2]->Name, "c");
    EXPECT_EQ(types[2]->Radius, 5.0f);
}

TEST(UnitTypeCatalogue, DetectorIsTrueOnlyForExactlyOne) {
    const struct {
        const char* attr;
        bool expected;
    } cases[] = {{R"(Detector="1")", true},   {R"(Detector="true")", false}, {R"(Detector="yes")", false},
                 {R"(Detector="01")", false}, {R"(Detector="0")", false},    {"", false}};
    for (const auto& c : cases) {
        const auto t = LoadOne(UnitWith(std::string(R"(Radius="1" SightRange="1" )") + c.attr, kEngine));
        EXPECT_EQ(t.Detector, c.expected) << c.attr;
    }
}

TEST(UnitTypeCatalogue, DegreeValuesAreStoredInRadians) {
    const struct {
        const char* attrs;
        float rot;
        float freedom;
    } cases[] = {
        {R"(RotSpeed="180" Freedom="179")", static_cast<float>(Pi), static_cast<float>(Pi)},
        {R"(RotSpeed="90" Freedom="0")", static_cast<float>(Pi / 2), static_cast<float>(Pi / 180)},
        {R"(RotSpeed="-45" Freedom="-1")", static_cast<float>(-Pi / 4), 0.0f},
    };
    for (const auto& c : cases) {
        const std::string a = c.attrs;
        const std::string rot = a.substr(0, a.find(' '));
        const std::string freedom = a.substr(a.find(' ') + 1);
        const auto t = LoadOne(PlainUnit(R"(<Engine Speed="1" Acc="1" DeAcc="1" )" + rot + "/>" +
                                         WeaponWith(R"(Range="1" CoolDown="1" )" + freedom)));
        EXPECT_FLOAT_EQ(t.RotSpeed, c.rot) << a;
        ASSERT_EQ(t.Weapons.size(), 1u);
        EXPECT_FLOAT_EQ(t.Weapons[0].Freedom, c.freedom) << a;
    }
}

TEST(UnitTypeCatalogue, OptionalValuesDefaultToZero) {
    const auto t = LoadOne(UnitWith(R"(Radius="1" SightRange="1" Energy="viel" MaxEnergy="1.5")",
                                    std::string(R"(<Build Time="x" Ore=""/>)") + kEngine +
                                        WeaponWith(R"(Range="1" CoolDown="1" Freedom="1")",
                                                   ShotWith(R"(Delay="zwei" Speed="schnell" class="targeting")"))));
    EXPECT_EQ(t.Name, "");
    EXPECT_EQ(t.Energy, 0.0f);
    EXPECT_EQ(t.MaxEnergy, 0);
    EXPECT_EQ(t.BuildTime, 0);
    EXPECT_EQ(t.BuildOre, 0);
    EXPECT_EQ(t.BuildOfficiers, 0);
    ASSERT_EQ(t.Weapons.at(0).Shots.size(), 1u);
    const TShotDesc& s = t.Weapons[0].Shots[0];
    EXPECT_EQ(s.Delay, 0);
    EXPECT_EQ(s.Speed, 0.0);
    EXPECT_EQ(s.Graphic, "");
    EXPECT_EQ(s.Damage.Armor.Damage, 0.0f);
    EXPECT_EQ(s.Damage.Shield.SplashRadius, 0.0f);
}

TEST(UnitTypeCatalogue, RequiredNumbersRaiseConversionErrors) {
    const struct {
        std::string xml;
        const char* message;
    } cases[] = {
        {UnitWith(R"(SightRange="1")", kEngine), "'' ist kein gültiger Gleitkommawert"},
        {UnitWith(R"(Radius="1,5" SightRange="1")", kEngine), "'1,5' ist kein gültiger Gleitkommawert"},
        {UnitWith(R"(Radius="1")", kEngine), "'' ist kein gültiger Gleitkommawert"},
        // Radius comes before the engine: its error wins.
        {UnitWith(R"(Radius="r" SightRange="1")", ""), "'r' ist kein gültiger Gleitkommawert"},
        {PlainUnit(""), "'' ist kein gültiger Gleitkommawert"},
        {PlainUnit(R"(<Engine Speed="1" Acc="1" DeAcc="1" RotSpeed="fast"/>)"),
         "'fast' ist kein gültiger Gleitkommawert"},
        {PlainUnit(std::string(kEngine) + WeaponWith(R"(Range="5.5" CoolDown="1" Freedom="1")")),
         "'5.5' ist kein gültiger Integerwert"},
        {PlainUnit(std::string(kEngine) + WeaponWith(R"(Range="5" Freedom="1")")),
         "'' ist kein gültiger Integerwert"},
        {PlainUnit(std::string(kEngine) + WeaponWith(R"(Range="5" CoolDown="1")")),
         "'' ist kein gültiger Gleitkommawert"},
    };
    for (const auto& c : cases) EXPECT_EQ(MessageOf<EConvertError>(c.xml), c.message) << c.xml;
}

TEST(UnitTypeCatalogue, EngineLookupIsCaseInsensitive) {
    const auto t = LoadOne(PlainUnit(R"(<ENGINE Speed="2" Acc="1" DeAcc="1" RotSpeed="0"/>)"));
    EXPECT_EQ(t.MaxSpeed, 2.0f);
}

TEST(UnitTypeCatalogue, CoolDownAndDelayMustFitAByte) {
    const struct {
        const char* coolDown;
        const char* delay;
        bool ok;
    } cases[] = {{"0", "0", true},     {"255", "255", true}, {"256", "0", false},
                 {"-1", "0", false},   {"0", "256", false},  {"0", "-1", false}};
    for (const auto& c : cases) {
        const std::string xml = PlainUnit(
            std::string(kEngine) +
            WeaponWith(std::string(R"(Range="1" Freedom="0" CoolDown=")") + c.coolDown + "\"",
                       ShotWith(std::string(R"(class="laser" Delay=")") + c.delay + "\"")));
        if (c.ok) {
            const auto t = LoadOne(xml);
            EXPECT_EQ(t.Weapons.at(0).CoolDown, std::stoi(c.coolDown));
            EXPECT_EQ(t.Weapons.at(0).Shots.at(0).Delay, std::stoi(c.delay));
        } else {
            EXPECT_THROW(LoadOne(xml), ERangeError) << c.coolDown << " " << c.delay;
        }
    }
}

TEST(UnitTypeCatalogue, ShotClassNamesIgnoreCase) {
    const struct {
        const char* name;
        int value;
    } cases[] = {{"targeting", 0}, {"StaticTargeting", 1}, {"Laser", 2}, {"HITPLACE", 3}, {"statichitplace", 4}};
    for (const auto& c : cases) {
        const auto t = LoadOne(PlainUnit(
            std::string(kEngine) +
            WeaponWith(R"(Range="1" CoolDown="1" Freedom="0")", ShotWith(std::string("class=\"") + c.name + "\""))));
        EXPECT_EQ(t.Weapons.at(0).Shots.at(0).ShotClass, c.value) << c.name;
    }
}

TEST(UnitTypeCatalogue, UnknownShotClassNamesTheLowerCasedValue) {
    const auto withClass = [](const std::string& attr) {
        return PlainUnit(std::string(kEngine) + WeaponWith(R"(Range="1" CoolDown="1" Freedom="0")", ShotWith(attr)));
    };
    EXPECT_EQ(MessageOf<Exception>(withClass(R"(class="Beam")")), "Unknown Shotclass: beam");
    EXPECT_EQ(MessageOf<Exception>(withClass(R"(Speed="1")")), "Unknown Shotclass: ");
}

TEST(UnitTypeCatalogue, WeaponsAndShotsAreFoundByLowerCasedNameInFileOrder) {
    const auto t = LoadOne(PlainUnit(
        std::string(kEngine) +
        WeaponWith(R"(Range="1" CoolDown="1" Freedom="0")",
                   ShotWith(R"(class="laser" Graphic="first")") + R"(<Shots class="bogus"/>)" +
                       ShotWith(R"(class="laser" Graphic="second")") + R"(<SHOT class="laser" Graphic="third"/>)") +
        R"(<weapons Range="x"/>)" + R"(<WEAPON Range="2" CoolDown="2" Freedom="0"/>)" + R"(<Turret Range="x"/>)" +
        R"(<Weapon Range="3" CoolDown="3" Freedom="0"/>)"));
    ASSERT_EQ(t.Weapons.size(), 3u);
    EXPECT_EQ(t.Weapons[0].Range, 1.0f);
    EXPECT_EQ(t.Weapons[1].Range, 2.0f);
    EXPECT_EQ(t.Weapons[2].Range, 3.0f);
    ASSERT_EQ(t.Weapons[0].Shots.size(), 3u);
    EXPECT_EQ(t.Weapons[0].Shots[0].Graphic, "first");
    EXPECT_EQ(t.Weapons[0].Shots[1].Graphic, "second");
    EXPECT_EQ(t.Weapons[0].Shots[2].Graphic, "third");
    EXPECT_TRUE(t.Weapons[1].Shots.empty());
}

TEST(UnitTypeCatalogue, AnErrorInALaterTypeStopsTheWholeLoad) {
    EXPECT_THROW(LoadText(std::string("<Units>") + PlainUnit(kEngine) + R"(<Unit Radius="1"/></Units>)"),
                 EConvertError);
}

// The shipped file must give start ships that move, arrive and fight.
TEST(UnitTypeCatalogue, ShippedFileHasAUsableStartShip) {
    TECXMLParser doc;
    doc.LoadFromFile(std::string(ORBITFALL_SOURCE_DIR) + "/Game/Data/Units/Units.ofu");
    const TUnitTypeList types = LoadUnitTypes(doc.Root());
    ASSERT_GE(types.size(), 3u);
    const TUnitTypeDescriptor& start = *types[0];
    EXPECT_GT(start.Radius, 0.0f);
    EXPECT_GT(start.SightRange, start.Radius);
    EXPECT_GT(start.MaxSpeed, 0.0f);
    EXPECT_GT(start.Acc, 0.0f);
    EXPECT_GT(start.DeAcc, 0.0f);
    ASSERT_FALSE(start.Weapons.empty());
    EXPECT_GT(start.Weapons[0].Range, 0.0f);
    EXPECT_LT(start.Weapons[0].Range, start.SightRange);
    EXPECT_FALSE(start.Weapons[0].Shots.empty());
}

}  // namespace
}  // namespace orbitfall
