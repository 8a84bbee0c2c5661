// What one frame does to the game: commands, the move walk, the removal of
// finished objects, and the checksum the machines compare.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "infra/checked.h"
#include "infra/errors.h"
#include "infra/numeric.h"
#include "simulation/command.h"
#include "simulation/command_rules.h"
#include "simulation/controlled_unit.h"
#include "simulation/game.h"

namespace orbitfall {

namespace {
constexpr std::uint32_t ChecksumSeed = 0x41424344;
constexpr std::uint32_t ChecksumKey = 0xA3B93F7C;
}  // namespace

void TGame::ExecuteCommand(const TCommand& command) {
    // Refused before anything changes, by the same rules a host applies to
    // what its clients send.
    if (JudgeCommand(command, PlayerCount) == TCommandVerdict::Refused) throw ERangeError();
    TPlayer& p = PlayerAt(command.Player);
    switch (command.Kind) {
        case ckSelectRect: {
            const auto bit = CheckedRange<std::uint8_t>(command.Player, 0, 15);
            const auto mask = static_cast<TPlayerMask>(1u << bit);
            if ((command.Flags & cfAddToSelection) == 0) p.Selection.clear();
            // A unit already selected is not listed again: a move applied to
            // it twice is the same move, and repeated adding must not grow
            // the selection without end.
            for (std::int32_t id : p.Selection) Mark(id) = 1;
            TRegisteredObject* cursor = nullptr;
            while (FindNextInBox(cursor, mask, command.FloatAt(0), command.FloatAt(1),
                                 command.FloatAt(2), command.FloatAt(3))) {
                std::uint8_t& listed = Mark(cursor->Id);
                if (listed) continue;
                listed = 1;
                p.Selection.push_back(cursor->Id);
            }
            for (std::int32_t id : p.Selection) Mark(id) = 0;
            break;
        }
        case ckSelectAll: {
            p.Selection.clear();
            // Child order, so every machine lists the same Ids in the same order.
            for (int i = 0; i < Engine->ChildCount(); ++i) {
                auto* unit = dynamic_cast<TControlledUnit*>(&Engine->GetChild(i));
                if (unit && unit->Owner == command.Player) p.Selection.push_back(unit->Id);
            }
            break;
        }
        case ckMove: {
            CheckedNarrow<std::uint32_t>(command.IntAt(0));
            const double x = command.FloatAt(1);
            const double y = command.FloatAt(2);
            for (std::int32_t id : p.Selection) {
                auto* unit = dynamic_cast<TControlledUnit*>(ObjectById(id));
                if (!unit) continue;
                unit->Ordered = true;
                unit->TargetX = x;
                unit->TargetY = y;
            }
            break;
        }
        default:
            break;
    }
}

std::uint8_t& TGame::Mark(std::int32_t id) {
    const auto index = static_cast<std::size_t>(CheckedRange<std::int32_t>(id, 0, INT32_MAX));
    if (index >= selectionMarks_.size()) selectionMarks_.resize(std::max(index + 1, ObjectTable.size()), 0);
    return selectionMarks_[index];
}

bool TGame::AcceptsCommand(const TCommand& command) const {
    return JudgeCommand(command, PlayerCount) != TCommandVerdict::Refused;
}

void TGame::Move() {
    for (auto& player : Players)
        if (player->EventTime > 0) --player->EventTime;
    Engine->Move();
}

void TGame::Dead() { Engine->Dead(); }

std::uint32_t TGame::Checksum() const {
    std::uint32_t h = ChecksumSeed;
    for (int i = 0; i < Engine->ChildCount(); ++i) {
        const TSprite& s = Engine->GetChild(i);
        HashAdd(h, &s.X, 4, ChecksumKey);
        HashAdd(h, &s.Y, 4, ChecksumKey);
        if (const auto* unit = s.AsUnit()) {
            const std::uint32_t owner = unit->Owner;
            HashAdd(h, &owner, 4, ChecksumKey);
            HashAdd(h, &unit->HitPoints, 4, ChecksumKey);
        }
    }
    return h;
}

}  // namespace orbitfall
