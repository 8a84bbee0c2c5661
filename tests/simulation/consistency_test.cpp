// The incremental structures (cell lists, sight counters) against a rebuild
// from scratch at every frame of a long battle: a drift between the two is
// where silent desyncs hide.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "simulation/controlled_unit.h"
#include "simulation/shot.h"
#include "tests/simulation/shipped_game.h"

namespace orbitfall {
namespace {

using testing::Command;

class ConsistencyTest : public ::testing::Test {
protected:
    void SetUp() override {
        game = testing::StartedGame("Kreuzung", 4, 99);
        for (int k = 0; k <= game->PlayerCount; ++k) {
            const TPlayer& p = game->PlayerAt(k);
            everSeen.emplace_back(static_cast<std::size_t>(p.MapCols()) * p.MapRows(), 0);
        }
    }

    std::vector<Tunit*> Units() const {
        std::vector<Tunit*> units;
        for (int i = 0; i < game->Engine->ChildCount(); ++i)
            if (auto* u = dynamic_cast<Tunit*>(&game->Engine->GetChild(i))) units.push_back(u);
        return units;
    }

    // Every cell list is well formed, each object in it says it is linked in
    // that very cell, and the lists together hold every linked unit once;
    // every living unit is linked near its position.
    void CheckCells(int frame) {
        std::size_t linked = 0;
        for (Tunit* u : Units()) {
            linked += u->Linked;
            if (u->Alive && !u->Linked) {
                ADD_FAILURE() << "frame " << frame << ": unit " << u->Id << " not linked";
                return;
            }
            if (u->Alive && (std::abs(u->CellX - static_cast<int>(u->X / 10)) > 1 ||
                             std::abs(u->CellY - static_cast<int>(u->Y / 10)) > 1)) {
                ADD_FAILURE() << "frame " << frame << ": unit " << u->Id << " linked far from its place";
                return;
            }
        }
        std::size_t found = 0;
        std::vector<TPlayerMask> players(static_cast<std::size_t>(game->CellCols) * (game->CellRows + 1));
        for (int k = 0; k <= game->PlayerCount; ++k) {
            const TPlayer& p = game->PlayerAt(k);
            for (int row = 0; row < p.GridRows(); ++row)
                for (int col = 0; col < p.GridCols(); ++col) {
                    if (p.Grid(col, row))
                        players[static_cast<std::size_t>(row) * game->CellCols + col] |=
                            static_cast<TPlayerMask>(1u << k);
                    const TRegisteredObject* prev = nullptr;
                    for (const TRegisteredObject* o = p.Grid(col, row); o; o = o->NextInCell) {
                        if (o->PrevInCell != prev || !o->Linked || o->Owner != k || o->CellX != col ||
                            o->CellY != row || ++found > linked) {
                            ADD_FAILURE() << "frame " << frame << " player " << k << " cell " << col
                                          << "," << row << ": broken list at object " << o->Id;
                            return;
                        }
                        prev = o;
                    }
                }
        }
        EXPECT_EQ(found, linked) << "frame " << frame;
        // The players present per cell, which the queries use to pass over
        // players, against the lists.
        for (int row = 0; row <= game->CellRows; ++row)
            for (int col = 0; col < game->CellCols; ++col)
                if (game->PlayersInCell(col, row) != players[static_cast<std::size_t>(row) * game->CellCols + col]) {
                    ADD_FAILURE() << "frame " << frame << " cell " << col << "," << row << ": players "
                                  << game->PlayersInCell(col, row) << " instead of "
                                  << players[static_cast<std::size_t>(row) * game->CellCols + col];
                    return;
                }
    }

    // Per spot: the number of living units whose current stamp covers it,
    // plus one once the spot was ever covered.
    void CheckSight(int frame) {
        const int w = game->Width, h = game->Height;
        std::vector<std::vector<int>> watchers(game->PlayerCount + 1,
                                               std::vector<int>(static_cast<std::size_t>(w + 1) * (h + 1)));
        for (Tunit* u : Units()) {
            // A unit destroyed in this frame watched from its stamp until then.
            const bool destroyedNow = !u->Alive && u->DeathDelay == 2;
            if (!u->Alive && !destroyedNow) continue;
            ASSERT_EQ(u->StampRange, u->SightRange);
            ASSERT_EQ(u->StampOwner, u->Owner);
            const double r2 = static_cast<double>(u->StampRange) * u->StampRange * 1.00001;
            const int reach = static_cast<int>(u->StampRange) + 1;
            for (int y = std::max(0, u->StampY - reach); y < std::min(h, u->StampY + reach + 1); ++y)
                for (int x = std::max(0, u->StampX - reach); x < std::min(w, u->StampX + reach + 1); ++x) {
                    const double dx = x - u->StampX, dy = y - u->StampY;
                    if (dx * dx + dy * dy > r2) continue;
                    const std::size_t i = static_cast<std::size_t>(y) * (w + 1) + x;
                    if (destroyedNow)
                        everSeen[u->Owner][i] = 1;
                    else
                        ++watchers[u->Owner][i];
                }
        }
        for (int k = 0; k <= game->PlayerCount; ++k) {
            TPlayer& p = game->PlayerAt(k);
            for (int y = 0; y <= h; ++y) {
                const std::uint16_t* sight = p.SightRow(y);
                const std::uint16_t* detector = p.DetectorRow(y);
                for (int x = 0; x <= w; ++x) {
                    const std::size_t i = static_cast<std::size_t>(y) * (w + 1) + x;
                    const int n = watchers[k][i];
                    if (n > 0) everSeen[k][i] = 1;
                    const int expected = n > 0 ? n + 1 : (everSeen[k][i] ? 1 : 0);
                    if (sight[x] != expected || detector[x] != 0) {
                        ADD_FAILURE() << "frame " << frame << " player " << k << " spot " << x << ","
                                      << y << ": " << p.SightMap(x, y) << " instead of " << expected;
                        return;
                    }
                }
            }
        }
    }

    std::unique_ptr<TGame> game;
    std::vector<std::vector<std::uint8_t>> everSeen;
    testing::ShippedData data_;
};

TEST_F(ConsistencyTest, CellListsAndSightCountersMatchARebuildThroughABattle) {
    // Player 1 starts top-left, player 2 top-right: each fleet is sent
    // through the other one; players 3 and 4 stay where they are.
    const std::pair<int, std::vector<std::tuple<int, float, float>>> script[] = {
        {0, {{1, 0, 0}, {2, 0, 0}}},
        {1, {{1, 210, 60}, {2, 60, 60}}},
        {350, {{1, 60, 80}, {2, 200, 40}}},
    };
    int destroyed = 0, shots = 0;
    for (int frame = 0; frame < 600; ++frame) {
        for (const auto& [at, orders] : script) {
            if (at != frame) continue;
            for (const auto& [player, x, y] : orders) {
                if (frame == 0) {
                    game->ExecuteCommand(Command(ckSelectAll, player, frame));
                } else {
                    TCommand c = Command(ckMove, player, frame);
                    c.SetFloat(1, x);
                    c.SetFloat(2, y);
                    game->ExecuteCommand(c);
                }
            }
        }
        game->Move();
        CheckCells(frame);
        if (HasFailure()) return;
        CheckSight(frame);
        if (HasFailure()) return;
        for (int i = 0; i < game->Engine->ChildCount(); ++i) {
            TSprite& s = game->Engine->GetChild(i);
            if (auto* u = dynamic_cast<Tunit*>(&s); u && !u->Alive && u->DeathDelay == 2) ++destroyed;
            if (dynamic_cast<TShot*>(&s)) ++shots;
        }
        game->Dead();
        ++game->Frame;
    }
    EXPECT_GT(shots, 0) << "the fleets never fought";
    EXPECT_GT(destroyed, 0) << "nothing was destroyed";
}

}  // namespace
}  // namespace orbitfall
