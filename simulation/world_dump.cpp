#include "simulation/world_dump.h"

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "infra/random.h"
#include "simulation/controlled_unit.h"
#include "simulation/crystal_moon.h"
#include "simulation/explosion.h"
#include "simulation/game.h"
#include "simulation/nebula.h"
#include "simulation/shot.h"

namespace orbitfall {

namespace {

// A number as printf's "%.Ng" (or "%lld") writes it, without printf: the
// standard's to_chars is specified to give the same text, and a dump prints
// thousands of numbers.
class TNumberText {
public:
    TNumberText(double v, int precision) {
        end_ = std::to_chars(text_, text_ + sizeof text_, v, std::chars_format::general, precision).ptr;
    }
    explicit TNumberText(long long v) { end_ = std::to_chars(text_, text_ + sizeof text_, v).ptr; }
    operator std::string_view() const { return {text_, static_cast<std::size_t>(end_ - text_)}; }

private:
    char text_[40];
    char* end_;
};

// One line of KEY=VALUE fields after a head such as "object 17 TControlledUnit",
// written straight onto the end of the dump: a desync writes the dump of the
// whole world, and in the sanitizer builds every string put together on the
// way (a key, a line, a line's growth) is an allocation with a stack trace.
class TDumpLine {
public:
    TDumpLine(std::string& out, std::string_view head) : out_(out) { out_ += head; }

    // Put before every key from here on ("Weapon0.Shot1" + ".Speed").
    TDumpLine& Prefix(std::string_view prefix) {
        prefix_ = prefix;
        return *this;
    }
    TDumpLine& Single(std::string_view key, float v) { return Text(key, TNumberText(static_cast<double>(v), 9)); }
    TDumpLine& Double(std::string_view key, double v) { return Text(key, TNumberText(v, 17)); }
    TDumpLine& Int(std::string_view key, long long v) { return Text(key, TNumberText(v)); }
    TDumpLine& Bool(std::string_view key, bool v) { return Text(key, v ? "1" : "0"); }
    TDumpLine& Text(std::string_view key, std::string_view v) {
        out_ += ' ';
        out_ += prefix_;
        out_ += key;
        out_ += '=';
        out_ += v;
        return *this;
    }
    void Done() { out_ += '\n'; }

private:
    std::string& out_;
    std::string_view prefix_;
};

std::string IdOf(const TRegisteredObject* o) { return o ? std::to_string(o->Id) : "-"; }

// The prefix given is put back when the damage's fields are written.
void AddDamage(TDumpLine& line, std::string_view prefix, const TDamageDesc& d) {
    for (const auto& [part, v] : {std::pair{".Armor.", &d.Armor}, std::pair{".Shield.", &d.Shield}}) {
        std::string p;
        p.reserve(prefix.size() + 8);
        p.append(prefix).append(part);
        line.Prefix(p)
            .Single("Damage", v->Damage)
            .Single("Power", v->Power)
            .Single("SplashDamage", v->SplashDamage)
            .Single("SplashPower", v->SplashPower)
            .Single("SplashRadius", v->SplashRadius);
    }
    line.Prefix(prefix);
}

// FNV-1a over counters, low byte first, and how many are not zero, carried
// on from h and lit. Four counters a turn, copied out at once, and a count
// without a comparison: this loop runs for every spot of every map of every
// dump, and the sanitizer builds check and trace each access and comparison.
// Four zero counters are eight zero bytes, and a zero byte only multiplies h
// by the prime: they multiply it by the prime's eighth power (mod 2^32) at
// once. Most of a map is ground nobody sees.
constexpr std::uint32_t FnvPrime = 16777619u;
constexpr std::uint32_t FnvPrimeToTheEighth = [] {
    std::uint32_t p = 1;
    for (int k = 0; k < 8; ++k) p *= FnvPrime;
    return p;
}();

void DigestCounters(const std::uint16_t* v, std::size_t n, std::uint32_t& h, long long& lit) {
    std::uint64_t nonzero = 0;
    auto one = [&](std::uint32_t c) {
        nonzero += (c + 0xFFFFu) >> 16;  // 1 for every c from 1 to 0xFFFF
        h = (h ^ (c & 0xFFu)) * FnvPrime;
        h = (h ^ (c >> 8)) * FnvPrime;
    };
    std::size_t i = 0;
    for (; n - i >= 4; i += 4) {
        std::uint16_t four[4];
        std::memcpy(four, v + i, sizeof four);
        if ((four[0] | four[1] | four[2] | four[3]) == 0) {
            h *= FnvPrimeToTheEighth;
            continue;
        }
        one(four[0]);
        one(four[1]);
        one(four[2]);
        one(four[3]);
    }
    for (; i < n; ++i) one(v[i]);
    lit += static_cast<long long>(nonzero);
}

// A digest of a counter map, row by row. The maps are too large to list; a
// difference in them shows as a difference here.
struct TMapDigest {
    char Text[48];
};
TMapDigest MapDigest(const TPlayer& p, bool detector) {
    std::uint32_t h = 2166136261u;
    long long lit = 0;
    for (std::int32_t y = 0; y < p.MapRows(); ++y)
        DigestCounters(detector ? p.DetectorRow(y) : p.SightRow(y), static_cast<std::size_t>(p.MapCols()), h, lit);
    TMapDigest digest;
    std::snprintf(digest.Text, sizeof digest.Text, "%08x/%lld", h, lit);
    return digest;
}

void GameLine(std::string& out, const TGame& game) {
    TDumpLine line(out, "game");
    line.Int("Frame", game.Frame)
        .Int("Width", game.Width)
        .Int("Height", game.Height)
        .Int("CellSize", game.CellSize)
        .Int("CellCols", game.CellCols)
        .Int("CellRows", game.CellRows)
        .Int("PlayerCount", game.PlayerCount)
        .Int("ObjectTable", static_cast<long long>(game.ObjectTable.size()))
        .Int("SpriteCount", game.Engine->SpriteCount)
        .Int("Children", game.Engine->ChildCount())
        .Int("UnitTypes", static_cast<long long>(game.UnitTypes.size()))
        .Int("Random", RandomState())
        .Done();
}

void PlayerLine(std::string& out, const TGame& game, std::size_t index) {
    const TPlayer& p = *game.Players[index];
    std::string selection;
    for (std::int32_t id : p.Selection) {
        if (!selection.empty()) selection += ',';
        selection += std::to_string(id);
    }
    out += "player ";
    TDumpLine line(out, std::to_string(index));
    line.Text("Selection", selection)
        .Double("EventX", p.EventX)
        .Double("EventY", p.EventY)
        .Int("EventTime", p.EventTime)
        .Int("EventPriority", p.EventPriority)
        .Int("ColorR", p.ColorR)
        .Int("ColorG", p.ColorG)
        .Int("ColorB", p.ColorB)
        .Int("GridCols", p.GridCols())
        .Int("GridRows", p.GridRows())
        .Int("MapCols", p.MapCols())
        .Int("MapRows", p.MapRows())
        .Text("SightMap", MapDigest(p, false).Text)
        .Text("DetectorMap", MapDigest(p, true).Text)
        .Done();
}

void TypeLine(std::string& out, const TUnitTypeDescriptor& t, std::size_t index) {
    out += "type ";
    TDumpLine line(out, std::to_string(index));
    line.Text("Name", EscapeDumpValue(t.Name))
        .Single("Radius", t.Radius)
        .Single("SightRange", t.SightRange)
        .Single("Energy", t.Energy)
        .Int("MaxEnergy", t.MaxEnergy)
        .Bool("Detector", t.Detector)
        .Int("BuildTime", t.BuildTime)
        .Int("BuildOre", t.BuildOre)
        .Int("BuildCrystal", t.BuildCrystal)
        .Int("BuildCrew", t.BuildCrew)
        .Int("BuildOfficiers", t.BuildOfficiers)
        .Single("MaxSpeed", t.MaxSpeed)
        .Single("Acc", t.Acc)
        .Single("DeAcc", t.DeAcc)
        .Single("RotSpeed", t.RotSpeed)
        .Single("BankLimit", t.BankLimit)
        .Int("Weapons", static_cast<long long>(t.Weapons.size()));
    for (std::size_t w = 0; w < t.Weapons.size(); ++w) {
        const TWeaponDesc& weapon = t.Weapons[w];
        const std::string wp = "Weapon" + std::to_string(w) + ".";
        line.Prefix(wp)
            .Single("Range", weapon.Range)
            .Text("CoolDown", std::to_string(weapon.CoolDown))
            .Text("WhileFlying", weapon.WhileFlying ? "1" : "0")
            .Single("Freedom", weapon.Freedom)
            .Text("Shots", std::to_string(weapon.Shots.size()));
        for (std::size_t s = 0; s < weapon.Shots.size(); ++s) {
            const TShotDesc& shot = weapon.Shots[s];
            const std::string sp = wp + "Shot" + std::to_string(s);
            AddDamage(line, sp, shot.Damage);
            line.Text(".Speed", TNumberText(shot.Speed, 17))
                .Text(".Delay", std::to_string(shot.Delay))
                .Text(".Graphic", EscapeDumpValue(shot.Graphic))
                .Text(".ShotClass", std::to_string(shot.ShotClass))
                .Prefix(wp);
        }
        line.Prefix({});
    }
    line.Done();
}

// The catalogue entry a unit points at, by its place in the game's list.
std::string TypeIndex(const TGame& game, const TUnitTypeDescriptor* type) {
    for (std::size_t i = 0; i < game.UnitTypes.size(); ++i)
        if (game.UnitTypes[i].get() == type) return std::to_string(i);
    return "-";
}

void ObjectLine(std::string& out, const TGame& game, const TSprite& s, int child) {
    const auto* object = dynamic_cast<const TGameObject*>(&s);
    const auto* identified = dynamic_cast<const TIdentifiedObject*>(&s);
    out += "object ";
    out += identified ? std::to_string(identified->Id) : std::string("-");
    out += ' ';
    TDumpLine line(out, s.ClassName());
    line.Int("Child", child)
        .Single("X", s.X)
        .Single("Y", s.Y)
        .Single("Z", s.Z)
        .Single("Angle", s.Angle)
        .Single("Speed", s.Speed)
        .Bool("Moving", s.Moving)
        .Bool("Visible", s.Visible)
        .Bool("IsDead", s.IsDead)
        .Int("Children", s.ChildCount());
    if (object) line.Int("Owner", object->Owner).Single("Radius", object->Radius);
    if (identified) {
        const bool inTable = identified->Id >= 0 &&
                             static_cast<std::size_t>(identified->Id) < game.ObjectTable.size() &&
                             game.ObjectTable[static_cast<std::size_t>(identified->Id)] == identified;
        line.Bool("InTable", inTable);
    }
    if (const auto* r = dynamic_cast<const TRegisteredObject*>(&s)) {
        line.Int("CellX", r->CellX)
            .Int("CellY", r->CellY)
            .Bool("Linked", r->Linked)
            .Text("NextInCell", IdOf(r->NextInCell))
            .Text("PrevInCell", IdOf(r->PrevInCell));
    }
    if (const auto* u = dynamic_cast<const Tunit*>(&s)) {
        line.Single("HitPoints", u->HitPoints)
            .Bool("Alive", u->Alive)
            .Int("DeathDelay", u->DeathDelay)
            .Single("SightRange", u->SightRange)
            .Bool("Detector", u->Detector)
            .Single("StampRange", u->StampRange)
            .Int("StampX", u->StampX)
            .Int("StampY", u->StampY)
            .Bool("StampDetector", u->StampDetector)
            .Int("StampOwner", u->StampOwner);
    }
    if (const auto* c = dynamic_cast<const TControlledUnit*>(&s)) {
        line.Bool("Ordered", c->Ordered)
            .Double("TargetX", c->TargetX)
            .Double("TargetY", c->TargetY)
            .Int("Cooldown", c->Cooldown)
            .Text("UnitType", TypeIndex(game, c->UnitType))
            .Single("Bank", c->Bank);
    }
    if (const auto* shot = dynamic_cast<const TShot*>(&s)) {
        line.Int("TargetId", shot->TargetId);
        AddDamage(line, "DamageInfo", shot->DamageInfo);
        line.Prefix({});
    }
    if (const auto* n = dynamic_cast<const TNebula*>(&s)) {
        static const char* const rgb[] = {"R", "G", "B"};
        for (std::size_t c = 0; c < 3; ++c) line.Single(std::string("Color") + rgb[c], n->Color[c]);
        for (std::size_t c = 0; c < 3; ++c) line.Single(std::string("TargetColor") + rgb[c], n->TargetColor[c]);
        line.Single("DriftX", n->DriftX)
            .Single("DriftY", n->DriftY)
            .Single("DriftTargetX", n->DriftTargetX)
            .Single("DriftTargetY", n->DriftTargetY)
            .Int("ColorSteps", n->ColorSteps)
            .Int("DriftSteps", n->DriftSteps);
        for (std::size_t c = 0; c < 3; ++c) line.Single(std::string("BaseColor") + rgb[c], n->BaseColor[c]);
        line.Single("ColorVariation", n->ColorVariation);
    }
    if (const auto* e = dynamic_cast<const TExplosion*>(&s)) line.Int("FrameIndex", e->FrameIndex);
    line.Done();
}

void AppendShortDump(std::string& out, const TGame& game) {
    const TSpriteEngine& engine = *game.Engine;
    for (int i = 0; i < engine.ChildCount(); ++i) {
        const TSprite& sprite = engine.GetChild(i);
        const auto* object = dynamic_cast<const TGameObject*>(&sprite);
        const auto* identified = dynamic_cast<const TIdentifiedObject*>(&sprite);
        const auto* unit = dynamic_cast<const Tunit*>(&sprite);
        out += "obj ";
        out += sprite.ClassName();
        out += ' ';
        if (identified) {
            out += TNumberText(identified->Id);
        } else {
            out += '-';
        }
        out += ' ';
        out += TNumberText(object ? object->Owner : 0);
        out += ' ';
        out += TNumberText(static_cast<double>(sprite.X), 9);
        out += ' ';
        out += TNumberText(static_cast<double>(sprite.Y), 9);
        out += ' ';
        if (unit) {
            out += TNumberText(static_cast<double>(unit->HitPoints), 9);
        } else {
            out += '-';
        }
        out += '\n';
    }
    for (int p = 1; p <= game.PlayerCount; ++p) {
        out += "sel " + std::to_string(p);
        for (std::int32_t id : game.Players[static_cast<std::size_t>(p)]->Selection) {
            out += ' ';
            out += std::to_string(id);
        }
        out += '\n';
    }
}

void AppendFullDump(std::string& out, const TGame& game) {
    GameLine(out, game);
    for (std::size_t p = 0; p < game.Players.size(); ++p) PlayerLine(out, game, p);
    for (std::size_t t = 0; t < game.UnitTypes.size(); ++t) TypeLine(out, *game.UnitTypes[t], t);
    const TSpriteEngine& engine = *game.Engine;
    for (int i = 0; i < engine.ChildCount(); ++i) ObjectLine(out, game, engine.GetChild(i), i);
}

// Room for the whole text at once; a guess a little over the usual line
// lengths (an object line is 300 to 500 characters, a type line about 800).
std::size_t DumpSizeGuess(const TGame& game) {
    return 256 + 600 * static_cast<std::size_t>(game.Engine->ChildCount()) + 256 * game.Players.size() +
           1024 * game.UnitTypes.size();
}

}  // namespace

std::string ShortDumpText(const TGame& game) {
    std::string out;
    AppendShortDump(out, game);
    return out;
}

std::string FullDumpText(const TGame& game) {
    std::string out;
    out.reserve(DumpSizeGuess(game));
    AppendFullDump(out, game);
    return out;
}

std::string WorldDumpText(const TGame& game) {
    std::string out;
    out.reserve(DumpSizeGuess(game));
    AppendShortDump(out, game);
    AppendFullDump(out, game);
    return out;
}

std::string FrameLine(std::int32_t frame, std::uint32_t checksum) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "frame %d checksum %08x\n", frame, checksum);
    return buf;
}

std::string EscapeDumpValue(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c <= ' ' || c == '%' || c == '=' || c == ',' || c == 0x7F) {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string UnescapeDumpValue(const std::string& text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace orbitfall
