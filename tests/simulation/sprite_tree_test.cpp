#include "simulation/sprite.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "infra/errors.h"
#include "infra/event_log.h"
#include "tests/simulation/recording_draw_context.h"

namespace orbitfall {
namespace {

using testing::RecordingDrawContext;

// A sprite that writes its moves, draws and destruction into a shared log.
class TProbe : public TSprite {
public:
    TProbe(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
    ~TProbe() override { log_.push_back("free " + name_); }

    std::function<void(TProbe&)> OnMove;
    bool Shown = true;
    bool Translucent = false;
    float Depth = 0;

    void DoMove() override {
        log_.push_back("move " + name_);
        if (OnMove) OnMove(*this);
    }
    void DoDraw() override { log_.push_back("draw " + name_); }
    void DoAlphaDraw() override { log_.push_back("alpha " + name_); }
    bool InDrawArea() override { return Shown; }
    bool NeedsAlphaDraw() override { return Translucent; }
    float GetAlphaZPos() override { return Depth; }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

class TPlainSprite : public TSprite {};

class SpriteTreeTest : public ::testing::Test {
protected:
    TProbe& Add(TSprite& parent, const std::string& name) {
        return static_cast<TProbe&>(parent.AddChild(std::make_unique<TProbe>(log, name)));
    }
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }

    std::vector<std::string> log;
    TSpriteEngine engine;
    RecordingDrawContext dc;
};

using Lines = std::vector<std::string>;

TEST_F(SpriteTreeTest, MoveWalksDepthFirstInChildOrderAndSkipsSpritesAttachedDuringTheWalk) {
    TProbe& a = Add(engine, "a");
    Add(a, "a1");
    Add(engine, "b");
    a.OnMove = [&](TProbe& self) {
        Add(engine, "late");
        self.OnMove = nullptr;
    };
    engine.Move();
    EXPECT_EQ(Take(), (Lines{"move a", "move a1", "move b"}));
    engine.Move();
    EXPECT_EQ(Take(), (Lines{"move a", "move a1", "move b", "move late"}));
    EXPECT_EQ(engine.SpriteCount, 4);
}

TEST_F(SpriteTreeTest, ASpriteThatDoesNotMoveKeepsItsSubtreeStill) {
    TProbe& a = Add(engine, "a");
    Add(a, "a1");
    Add(engine, "b");
    a.Moving = false;
    engine.Move();
    EXPECT_EQ(Take(), (Lines{"move b"}));
}

TEST_F(SpriteTreeTest, MoveNamesTheSpriteInTheLogContext) {
    Add(engine, "a");
    engine.Move();
    EXPECT_EQ(LogContext.Value(), "Moveing Unknown:TProbe");
}

TEST_F(SpriteTreeTest, MarkDeadTwiceQueuesOnceAndDeadFreesInReverseMarkingOrder) {
    TProbe& a = Add(engine, "a");
    TProbe& b = Add(engine, "b");
    TProbe& c = Add(engine, "c");
    b.MarkDead();
    a.MarkDead();
    b.MarkDead();
    c.Die();
    EXPECT_TRUE(b.IsDead);
    ASSERT_EQ(engine.DeadList.size(), 3u);
    engine.Dead();
    EXPECT_EQ(Take(), (Lines{"free c", "free a", "free b"}));
    EXPECT_TRUE(engine.DeadList.empty());
    EXPECT_EQ(engine.ChildCount(), 0);
    EXPECT_EQ(engine.SpriteCount, 0);
    EXPECT_FALSE(engine.Children) << "the lists go with the last child";
}

TEST_F(SpriteTreeTest, AChildFreedWithItsParentLeavesTheDeadList) {
    TProbe& a = Add(engine, "a");
    TProbe& a1 = Add(a, "a1");
    Add(a1, "a11");
    Add(engine, "b");
    a1.MarkDead();
    a.MarkDead();
    engine.Dead();
    EXPECT_EQ(Take(), (Lines{"free a11", "free a1", "free a"}));
    EXPECT_TRUE(engine.DeadList.empty());
    EXPECT_EQ(engine.SpriteCount, 1);
}

TEST_F(SpriteTreeTest, DestroyingTheEngineFreesTheLastChildFirst) {
    {
        TSpriteEngine local;
        TProbe& a = static_cast<TProbe&>(local.AddChild(std::make_unique<TProbe>(log, "a")));
        local.AddChild(std::make_unique<TProbe>(log, "b"));
        a.AddChild(std::make_unique<TProbe>(log, "a1"));
        a.MarkDead();
    }
    EXPECT_EQ(Take(), (Lines{"free b", "free a1", "free a"}));
}

TEST_F(SpriteTreeTest, DrawTreePlacesChildrenWithNegativeZBelowTheirParent) {
    TProbe& p = Add(engine, "p");
    Add(p, "below1").Z = -1;
    Add(p, "above").Z = 0;
    Add(p, "below2").Z = -1;
    TProbe& q = Add(engine, "q");
    Add(q, "q1");
    engine.Draw(dc);
    EXPECT_EQ(Take(), (Lines{"draw below1", "draw p", "draw above", "draw below2", "draw q", "draw q1"}));
    EXPECT_EQ(engine.DrawnCount, 6);
}

TEST_F(SpriteTreeTest, AnInvisibleOrCulledSpriteIsNeitherDrawnCountedNorQueued) {
    TProbe& hidden = Add(engine, "hidden");
    Add(hidden, "hidden1");
    hidden.Visible = false;
    TProbe& culled = Add(engine, "culled");
    culled.Shown = false;
    culled.Translucent = true;
    Add(culled, "culled1");
    engine.Draw(dc);
    EXPECT_EQ(Take(), (Lines{"draw culled1"}));
    EXPECT_EQ(engine.DrawnCount, 1);
    EXPECT_TRUE(engine.AlphaList.empty());
}

TEST_F(SpriteTreeTest, AlphaDrawGoesBackToFrontAndEmptiesTheQueue) {
    const float depths[] = {-5, -20, 3, -7};
    for (int i = 0; i < 4; ++i) {
        TProbe& s = Add(engine, "s" + std::to_string(i));
        s.Translucent = true;
        s.Depth = depths[i];
    }
    Add(engine, "opaque");
    engine.Draw(dc);
    EXPECT_EQ(engine.AlphaList.size(), 4u);
    Take();
    engine.AlphaDraw(dc);
    EXPECT_EQ(Take(), (Lines{"alpha s1", "alpha s3", "alpha s0", "alpha s2"}));
    EXPECT_TRUE(engine.AlphaList.empty());
    EXPECT_EQ(static_cast<TProbe&>(engine.GetChild(1)).AlphaZ, -20);
}

TEST_F(SpriteTreeTest, DrawWithoutTheAlphaPassOfThePreviousViewRaisesAndDrawsNothing) {
    Add(engine, "t").Translucent = true;
    engine.Draw(dc);
    Take();
    try {
        engine.Draw(dc);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "AlphaDraw necessary but not executed");
    }
    EXPECT_TRUE(Take().empty());
}

TEST_F(SpriteTreeTest, EmptyTreeDrawsNothing) {
    engine.Draw(dc);
    engine.AlphaDraw(dc);
    EXPECT_EQ(engine.DrawnCount, 0);
    EXPECT_TRUE(dc.Calls.empty());
}

TEST_F(SpriteTreeTest, GetChildOfASpriteWithoutChildrenIsASpriteError) {
    TProbe& a = Add(engine, "a");
    try {
        a.GetChild(3);
        FAIL() << "no error";
    } catch (const ESpriteError& e) {
        EXPECT_EQ(e.Message(), "ListIndexError at 3");
    }
    Add(a, "a1");
    EXPECT_THROW(a.GetChild(1), EListError);
    EXPECT_THROW(a.GetChild(-1), EListError);
}

TEST_F(SpriteTreeTest, UnimplementedDrawingOperationsNameTheClass) {
    TSprite& plain = engine.AddChild(std::make_unique<TPlainSprite>());
    try {
        engine.Draw(dc);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "TPlainSprite.InDrawArea() not implemented");
    }
    try {
        plain.GetAlphaZPos();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "TPlainSprite.GetAlphaZPos not implemented");
    }
    EXPECT_EQ(plain.GetName(), "Unknown:TPlainSprite");
}

}  // namespace
}  // namespace orbitfall
