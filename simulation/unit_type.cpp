#include "simulation/unit_type.h"

#include "infra/checked.h"
#include "infra/errors.h"
#include "infra/numeric.h"
#include "infra/text_format.h"
#include "infra/xml_item.h"

namespace orbitfall {

namespace {

// The degree conversions are done in extended precision and rounded once on
// storing, so every machine stores the same single.
constexpr long double PiExtended = 3.14159265358979323846264338327950288L;

std::string Attr(const TXMLItem& item, const char* name) { return item.Attributes().Value(name); }

float RequiredSingle(const TXMLItem& item, const char* name) {
    return static_cast<float>(StrToFloat(Attr(item, name)));
}

float SingleOrZero(const TXMLItem& item, const char* name) {
    return static_cast<float>(StrToFloatDef(Attr(item, name), 0));
}

std::int32_t IntOrZero(const TXMLItem& item, const char* name) {
    return StrToIntDef(Attr(item, name), 0);
}

bool Flag(const TXMLItem& item, const char* name) { return Attr(item, name) == "1"; }

void ReadDamageValues(const TXMLItem& item, TDamageValues& v) {
    v.Damage = SingleOrZero(item, "Damage");
    v.Power = SingleOrZero(item, "Power");
    v.SplashDamage = SingleOrZero(item, "SplashDamage");
    v.SplashPower = SingleOrZero(item, "SplashPower");
    v.SplashRadius = SingleOrZero(item, "SplashRadius");
}

std::uint8_t ShotClassFromText(const std::string& text) {
    const std::string lower = LowerAscii(text);
    if (lower == "targeting") return scTargeting;
    if (lower == "statictargeting") return scStaticTargeting;
    if (lower == "laser") return scLaser;
    if (lower == "hitplace") return scHitPlace;
    if (lower == "statichitplace") return scStaticHitPlace;
    throw Exception("Unknown Shotclass: " + lower);
}

void ReadShot(TXMLItem& item, TShotDesc& shot) {
    ReadDamageValues(item.ItemNamed("ArmorDamage"), shot.Damage.Armor);
    ReadDamageValues(item.ItemNamed("ShieldDamage"), shot.Damage.Shield);
    shot.Speed = static_cast<double>(StrToFloatDef(Attr(item, "Speed"), 0));
    shot.Delay = CheckedRange<std::uint8_t>(IntOrZero(item, "Delay"), 0, 255);
    shot.Graphic = Attr(item, "Graphic");
    shot.ShotClass = ShotClassFromText(Attr(item, "class"));
}

void ReadWeapon(TXMLItem& item, TWeaponDesc& weapon) {
    weapon.Range = static_cast<float>(StrToInt(Attr(item, "Range")));
    weapon.CoolDown = CheckedRange<std::uint8_t>(StrToInt(Attr(item, "CoolDown")), 0, 255);
    weapon.WhileFlying = Flag(item, "WhileFlying");
    weapon.Freedom =
        static_cast<float>((StrToFloat(Attr(item, "Freedom")) + 1) / 180 * PiExtended);
    for (int i = 0; i < item.Count(); ++i) {
        TXMLItem& child = item.Items(i);
        if (LowerAscii(child.Name()) != "shot") continue;
        ReadShot(child, weapon.Shots.emplace_back());
    }
}

}  // namespace

TUnitTypeDescriptor::TUnitTypeDescriptor(TXMLItem& element) {
    Name = Attr(element, "Name");
    Radius = RequiredSingle(element, "Radius");
    SightRange = RequiredSingle(element, "SightRange");
    Energy = SingleOrZero(element, "Energy");
    MaxEnergy = IntOrZero(element, "MaxEnergy");
    Detector = Flag(element, "Detector");

    const TXMLItem& build = element.ItemNamed("Build");
    BuildTime = IntOrZero(build, "Time");
    BuildOre = IntOrZero(build, "Ore");
    BuildCrystal = IntOrZero(build, "Crystal");
    BuildCrew = IntOrZero(build, "Crew");
    BuildOfficiers = IntOrZero(build, "Officiers");

    const TXMLItem& engine = element.ItemNamed("Engine");
    MaxSpeed = RequiredSingle(engine, "Speed");
    Acc = RequiredSingle(engine, "Acc");
    DeAcc = RequiredSingle(engine, "DeAcc");
    RotSpeed = static_cast<float>(StrToFloat(Attr(engine, "RotSpeed")) / 180 * PiExtended);

    // The lookups above may have appended empty Build/Engine children; they
    // are not weapons, so walking the children afterwards is unaffected.
    for (int i = 0; i < element.Count(); ++i) {
        TXMLItem& child = element.Items(i);
        if (LowerAscii(child.Name()) != "weapon") continue;
        ReadWeapon(child, Weapons.emplace_back());
    }
}

TUnitTypeList LoadUnitTypes(TXMLItem& root) {
    TUnitTypeList types;
    for (int i = 0; i < root.Count(); ++i)
        types.push_back(std::make_unique<TUnitTypeDescriptor>(root.Items(i)));
    return types;
}

}  // namespace orbitfall
