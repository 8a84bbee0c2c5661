// Creation of a game from the units file and a map file, and the start units.
#include "simulation/game.h"

#include <algorithm>
#include <cstdio>

#include "infra/checked.h"
#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/numeric.h"
#include "infra/random.h"
#include "infra/text_format.h"
#include "infra/xml_item.h"
#include "infra/xml_parser.h"
#include "simulation/controlled_unit.h"
#include "simulation/crystal_moon.h"
#include "simulation/map_units.h"
#include "simulation/nebula.h"
#include "simulation/unit_catalogue_cache.h"

namespace orbitfall {

namespace {

constexpr std::uint8_t MaxPlayers = 15;
// Every player keeps two counters per map unit: a map file naming an
// unbounded size would exhaust memory (gigabytes at 20000 x 20000) before
// anything else could refuse it. Eight times the largest shipped map.
constexpr std::int32_t MaxMapSize = 4096;

struct TColor {
    std::uint8_t R, G, B;
};

TColor PlayerColor(int index) {
    switch (index) {
        case 1: return {0, 255, 0};
        case 2: return {255, 0, 0};
        case 3: return {0, 0, 255};
        case 4: return {255, 255, 0};
        default: return {0, 0, 0};
    }
}

float SingleAttribute(const TXMLItem& item, const char* name) {
    return static_cast<float>(StrToFloat(item.Attributes().Value(name)));
}

// What a map can hold: positions within the largest map and as much again on
// every side, radii up to the largest map. Anything beyond would reach the
// conversions to whole map units (cells, sight, fog) far outside any range.
constexpr double MinPosition = -MaxMapSize;
constexpr double MaxPosition = 2.0 * MaxMapSize;

std::string NumberText(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

void CheckMapValue(const std::string& file, const char* what, double v, double low, double high) {
    if (v >= low && v <= high) return;
    throw Exception("Map \"" + file + "\": " + what + " " + NumberText(v) + " is outside " + NumberText(low) +
                    " to " + NumberText(high));
}

}  // namespace

TGame::TGame(const std::string& mapName, std::uint8_t playerCount, std::uint8_t localIndex,
             TUnitCatalogueCache* catalogues) {
    Frame = 0;
    Engine = std::make_unique<TSpriteEngine>();
    ObjectTable.assign(1, nullptr);
    LocalPlayerIndex = localIndex;
    PlayerCount = playerCount;
    CellSize = 10;
    Players.reserve(static_cast<std::size_t>(playerCount) + 1);
    for (int k = 0; k <= playerCount; ++k) Players.push_back(std::make_unique<TPlayer>(*this));

    TUnitCatalogueCache once;
    UnitTypes = (catalogues != nullptr ? *catalogues : once).Load(ResolveFileName("Units\\Units.ofu"));
    const std::string mapFile = ResolveFileName("maps\\" + mapName + ".ofm");
    TECXMLParser document;
    document.LoadFromFile(mapFile);
    LoadMapFile(document.Root(), mapFile);

    // The fog-of-war texture sized from the map belongs to the renderer, which
    // creates it from Width and Height when it sets up the game's view: the
    // simulation holds no GL state.

    CellCols = Width / 10 + 1;
    CellRows = Height / 10 + 1;
    if (playerCount > MaxPlayers) throw Exception("Mehr als 15 Spieler");
    cellPlayers_.assign(static_cast<std::size_t>(CellCols) * (CellRows + 1), 0);
    for (int k = 0; k <= playerCount; ++k) {
        TPlayer& p = *Players[k];
        p.SizeMaps(CellCols, CellRows, Width, Height);
        const TColor c = PlayerColor(k);
        p.ColorR = c.R;
        p.ColorG = c.G;
        p.ColorB = c.B;
    }
    LocalPlayer = CheckedAt(Players, localIndex).get();
}

TGame::~TGame() {
    // Objects first: registered ones unlink from the players' grids.
    Engine.reset();
}

void TGame::LoadMapFile(TXMLItem& root, const std::string& file) {
    TXMLItem& info = root.ItemNamed("Informations");
    Width = StrToInt(info.ItemNamed("Width").Text());
    Height = StrToInt(info.ItemNamed("Height").Text());
    if (Width < 0 || Height < 0) throw ERangeError();
    if (Width > MaxMapSize || Height > MaxMapSize)
        throw ERangeError("Map size " + std::to_string(Width) + " x " + std::to_string(Height) +
                          " is above " + std::to_string(MaxMapSize) + " x " + std::to_string(MaxMapSize));

    TXMLItem& objects = root.ItemNamed("Objects");
    for (int i = 0; i < objects.Count(); ++i) {
        TXMLItem& element = objects.Items(i);
        const std::string kind = LowerAscii(element.Name());
        if (kind == "nebula") {
            TNebula& nebula = NewGameObject<TNebula>(*this);
            nebula.Radius = SingleAttribute(element, "Radius");
            nebula.X = SingleAttribute(element, "X");
            nebula.Y = SingleAttribute(element, "Y");
            CheckMapValue(file, "nebula Radius", nebula.Radius, 0.0, MaxMapSize);
            CheckMapValue(file, "nebula X", nebula.X, MinPosition, MaxPosition);
            CheckMapValue(file, "nebula Y", nebula.Y, MinPosition, MaxPosition);
            // Red, green, blue in this order: the draws are lockstep state.
            for (float& channel : nebula.BaseColor)
                channel = static_cast<float>(RandomReal() * 0.7 + 0.15);
            nebula.ColorVariation = 0.3f;
        } else if (kind == "start") {
            const std::int32_t player = StrToInt(element.Attributes().Value("Player"));
            if (player < 1 || player > PlayerCount) {
                std::string lines;
                const TXMLAttributes& attributes = element.Attributes();
                for (int a = 0; a < attributes.Count(); ++a) lines += attributes.Line(a) + "\r\n";
                throw Exception("Invalid player for <start> " + lines);
            }
            const double x = static_cast<double>(StrToFloat(element.Attributes().Value("X")));
            const double y = static_cast<double>(StrToFloat(element.Attributes().Value("Y")));
            CheckMapValue(file, "start X", x, MinPosition, MaxPosition);
            CheckMapValue(file, "start Y", y, MinPosition, MaxPosition);
            Players[player]->CameraX = x;
            Players[player]->CameraY = y;
        }
    }
}

const std::vector<std::int32_t>& TGame::DiscHalfWidths(float r) const {
    for (const auto& [range, widths] : discHalfWidths_)
        if (range == r) return widths;
    // Row offset dy holds the widest w <= floor(r) with w*w + dy*dy <= r2,
    // -1 when the row has no spot; r2 = r * r * 1.00001 as a single.
    const float r2 = static_cast<float>(static_cast<double>(r) * r * 1.00001);
    const std::int32_t reach = FloorClamped(r, -1, 1 << 20);
    std::vector<std::int32_t> widths(static_cast<std::size_t>(std::max(reach, 0)) + 1, -1);
    std::int64_t w = reach;
    for (std::int64_t dy = 0; dy <= reach; ++dy) {
        while (w >= 0 && static_cast<double>(w * w + dy * dy) > r2) --w;
        widths[static_cast<std::size_t>(dy)] = static_cast<std::int32_t>(w);
    }
    discHalfWidths_.emplace_back(r, std::move(widths));
    return discHalfWidths_.back().second;
}

TIdentifiedObject* TGame::ObjectById(std::int32_t id) const { return CheckedAt(ObjectTable, id); }

TPlayer& TGame::PlayerAt(std::int32_t index) const { return *CheckedAt(Players, index); }

void StartUnits(TGame& game) {
    TUnitTypeDescriptor* startType = CheckedAt(game.UnitTypes, 0).get();
    const int units = CheckedMul(static_cast<int>(game.PlayerCount), 200);
    const std::int32_t startingPlayers = std::min<std::int32_t>(4, game.PlayerCount);
    for (int i = 0; i < units; ++i) {
        // Draw order per unit: owner, r1, r2, r3, r4.
        const auto owner = static_cast<std::uint8_t>(RandomInt(startingPlayers) + 1);
        TControlledUnit& unit = NewGameObject<TControlledUnit>(game, owner, startType);
        const std::int32_t r1 = RandomInt(60);
        const std::int32_t r2 = RandomInt(60);
        unit.X = static_cast<float>(r1 + r2 + ((owner - 1) % 2) * 150);
        const std::int32_t r3 = RandomInt(60);
        const std::int32_t r4 = RandomInt(60);
        unit.Y = static_cast<float>(r3 + r4 + ((owner - 1) / 2) * 150);
    }
    TCrystalMoon& first = NewGameObject<TCrystalMoon>(game);
    first.X = 5;
    first.Y = 10;
    TCrystalMoon& second = NewGameObject<TCrystalMoon>(game);
    second.X = 10;
    second.Y = 5;
}

}  // namespace orbitfall
