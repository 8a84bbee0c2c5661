#pragma once
// The unit-type catalogue: one descriptor per child of the units file's root
// element, in file order. The game owns the descriptors; units refer to them.
// The catalogue is read-only for the game except for the armour damage of the
// first shot of the first weapon, which every shot fired resets to 1.0.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orbitfall {

class TXMLItem;

struct TDamageValues {
    float Damage = 0;
    float Power = 0;
    float SplashDamage = 0;
    float SplashPower = 0;
    float SplashRadius = 0;
};

// Copied whole into every shot.
struct TDamageDesc {
    TDamageValues Armor;
    TDamageValues Shield;
};
static_assert(sizeof(TDamageValues) == 20, "TDamageValues is five singles");
static_assert(sizeof(TDamageDesc) == 40, "TDamageDesc is armour then shield, 40 bytes");

enum TShotClass : std::uint8_t {
    scTargeting = 0,
    scStaticTargeting = 1,
    scLaser = 2,
    scHitPlace = 3,
    scStaticHitPlace = 4,
};

struct TShotDesc {
    TDamageDesc Damage;
    double Speed = 0;
    std::uint8_t Delay = 0;
    std::string Graphic;
    std::uint8_t ShotClass = scTargeting;
};

struct TWeaponDesc {
    float Range = 0;
    std::uint8_t CoolDown = 0;
    bool WhileFlying = false;
    float Freedom = 0;  // radians
    std::vector<TShotDesc> Shots;
};

class TUnitTypeDescriptor {
public:
    // An empty type (all zero, no weapons), for code that builds types itself.
    TUnitTypeDescriptor() = default;
    // Reads one unit-type element. Non-const because looking up a child by
    // name appends an empty one when it is absent.
    explicit TUnitTypeDescriptor(TXMLItem& element);

    std::string Name;
    float Radius = 0;
    float SightRange = 0;
    float Energy = 0;
    std::int32_t MaxEnergy = 0;
    bool Detector = false;
    std::int32_t BuildTime = 0;
    std::int32_t BuildOre = 0;
    std::int32_t BuildCrystal = 0;
    std::int32_t BuildCrew = 0;
    std::int32_t BuildOfficiers = 0;
    float MaxSpeed = 0;
    float Acc = 0;
    float DeAcc = 0;
    float RotSpeed = 0;  // radians
    float BankLimit = 0;
    std::vector<TWeaponDesc> Weapons;
};

using TUnitTypeList = std::vector<std::unique_ptr<TUnitTypeDescriptor>>;

// One descriptor per child of root, whatever the child's name, in order.
TUnitTypeList LoadUnitTypes(TXMLItem& root);

}  // namespace orbitfall
