#include "shell/sim/object_dump.h"

#include <string>

#include "simulation/game.h"
#include "simulation/unit.h"

namespace orbitfall {

void DumpObjects(const TGame& game, std::FILE* out) {
    const TSpriteEngine& engine = *game.Engine;
    for (int i = 0; i < engine.ChildCount(); ++i) {
        const TSprite& sprite = engine.GetChild(i);
        const auto* object = dynamic_cast<const TGameObject*>(&sprite);
        const auto* identified = dynamic_cast<const TIdentifiedObject*>(&sprite);
        const auto* unit = dynamic_cast<const Tunit*>(&sprite);
        const std::string id = identified ? std::to_string(identified->Id) : "-";
        char hp[32] = "-";
        if (unit) std::snprintf(hp, sizeof hp, "%.9g", unit->HitPoints);
        std::fprintf(out, "obj %s %s %d %.9g %.9g %s\n", sprite.ClassName().c_str(), id.c_str(),
                     object ? object->Owner : 0, sprite.X, sprite.Y, hp);
    }
}

void DumpSelections(const TGame& game, std::FILE* out) {
    for (int p = 1; p <= game.PlayerCount; ++p) {
        std::fprintf(out, "sel %d", p);
        for (std::int32_t id : game.Players[static_cast<std::size_t>(p)]->Selection) std::fprintf(out, " %d", id);
        std::fputc('\n', out);
    }
}

}  // namespace orbitfall
