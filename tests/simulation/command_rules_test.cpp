// The rulebook's verdicts, kind by kind: what the game executes with effect,
// what it executes to no effect (a host never spends a frame slot on it) and
// what would stop the game.
#include "simulation/command_rules.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orbitfall;

namespace {

TCommand Make(std::uint8_t kind, std::uint8_t player) {
    TCommand c;
    c.Kind = kind;
    c.Player = player;
    return c;
}

TEST(CommandRules, VerdictsByKindPlayerAndPayload) {
    TCommand negative = Make(ckMove, 1);
    negative.SetInt(0, -1);
    TCommand nanTarget = Make(ckMove, 1);
    nanTarget.SetFloat(2, std::nanf(""));
    struct TCase {
        const char* name;
        TCommand command;
        std::uint8_t players;
        TCommandVerdict verdict;
    };
    const TCase cases[] = {
        {"empty", Make(ckEmpty, 2), 2, TCommandVerdict::Accept},
        {"select all", Make(ckSelectAll, 2), 2, TCommandVerdict::Accept},
        {"select all, player beyond the list", Make(ckSelectAll, 3), 2, TCommandVerdict::Refused},
        {"neutral player", Make(ckSelectAll, 0), 2, TCommandVerdict::Accept},
        {"rectangle of player 15", Make(ckSelectRect, 15), 15, TCommandVerdict::Accept},
        {"rectangle of player 16", Make(ckSelectRect, 16), 20, TCommandVerdict::Refused},
        {"move", Make(ckMove, 1), 2, TCommandVerdict::Accept},
        {"move, negative word", negative, 2, TCommandVerdict::Refused},
        {"move to no number", nanTarget, 2, TCommandVerdict::Refused},
        {"kind 2", Make(2, 1), 2, TCommandVerdict::NoEffect},
        {"kind 9", Make(9, 1), 2, TCommandVerdict::NoEffect},
        {"kind 255", Make(255, 1), 2, TCommandVerdict::NoEffect},
        {"kind 9, player beyond the list", Make(9, 3), 2, TCommandVerdict::Refused},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JudgeCommand(c.command, c.players), c.verdict);
    }
}

}  // namespace
