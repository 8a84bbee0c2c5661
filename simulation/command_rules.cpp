#include "simulation/command_rules.h"

#include <cmath>

namespace orbitfall {

bool CommandHasEffect(std::uint8_t kind) {
    return kind == ckSelectRect || kind == ckSelectAll || kind == ckMove;
}

TCommandVerdict JudgeCommand(const TCommand& command, std::uint8_t playerCount) {
    if (command.Player > playerCount) return TCommandVerdict::Refused;
    switch (command.Kind) {
        case ckEmpty:
            return TCommandVerdict::Accept;
        case ckSelectRect:
            // The box search takes a 16-bit player mask.
            return command.Player <= 15 ? TCommandVerdict::Accept : TCommandVerdict::Refused;
        case ckSelectAll:
            return TCommandVerdict::Accept;
        case ckMove:
            // A target that is not a number would turn every ordered unit's
            // position into one; the word before it is a count, never negative.
            return command.IntAt(0) >= 0 && !std::isnan(command.FloatAt(1)) && !std::isnan(command.FloatAt(2))
                       ? TCommandVerdict::Accept
                       : TCommandVerdict::Refused;
        default:
            return TCommandVerdict::NoEffect;
    }
}

}  // namespace orbitfall
