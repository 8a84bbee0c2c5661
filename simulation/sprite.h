#pragma once
// The scene tree on which the whole game world hangs. A sprite owns its
// children; finished sprites are only marked (MarkDead) during the walks and
// destroyed together by the engine's Dead, so no walk ever sees a sprite
// disappear under it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orbitfall {

class TSpriteEngine;
class TDrawContext;
class Tunit;

class TSprite {
public:
    // A free-standing sprite; it joins a tree through AddChild.
    TSprite();
    virtual ~TSprite();
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    TSpriteEngine* Engine = nullptr;  // nil for the engine itself
    TSprite* Parent = nullptr;
    // Both lists are absent while the sprite has no children: leaves carry none.
    std::unique_ptr<std::vector<std::unique_ptr<TSprite>>> Children;
    std::unique_ptr<std::vector<TSprite*>> DrawList;
    bool Moving = false;
    bool Visible = false;
    bool IsDead = false;
    float Z = 0;
    float Angle = 0;
    float Speed = 0;
    float AlphaZ = 0;
    // The position opens the sprite's second cache line, where the
    // registered objects keep their owner, radius and cell links: an area
    // query testing a candidate reads one line of it, not two (see
    // TRegisteredObject).
    alignas(8) float X = 0;
    float Y = 0;

    virtual void DoDraw() {}
    virtual void DoAlphaDraw() {}
    virtual void DoMove() {}
    virtual bool InDrawArea();
    virtual void Die() { MarkDead(); }
    virtual float GetAlphaZPos();
    virtual bool NeedsAlphaDraw() { return false; }
    virtual std::string GetName() const;
    // The sprite as a unit, or nil: the step, the shots and the checksum
    // ask this of every object each frame, and a virtual call answers in a
    // fraction of a dynamic_cast's time.
    virtual Tunit* AsUnit() { return nullptr; }
    const Tunit* AsUnit() const { return const_cast<TSprite*>(this)->AsUnit(); }

    // The class name without namespace, e.g. "TControlledUnit".
    std::string ClassName() const;

    int ChildCount() const { return Children ? static_cast<int>(Children->size()) : 0; }
    TSprite& GetChild(int index) const;

    // Takes ownership of sprite and attaches it as the last child; sets its
    // Parent and Engine and counts it in the engine's SpriteCount.
    TSprite& AddChild(std::unique_ptr<TSprite> sprite);
    // Detaches sprite (a child of this one) and hands ownership back.
    std::unique_ptr<TSprite> RemoveChild(TSprite& sprite);
    // Destroys all children, the last one first.
    void FreeChildren();
    // Destroys this sprite and its subtree. For an attached sprite the parent
    // gives up ownership; a root is destroyed by whoever owns it.
    void Destroy();

    void MarkDead();
    void Move();
    void DrawTree();

    void MoveBy(double distance, double angle);
    void MoveForward(double distance);
    void RotateTowards(double target, double maxStep);
    double AngleTo(double x, double y) const;
    double AngleToSprite(const TSprite& other) const;
};

class TSpriteEngine : public TSprite {
public:
    TSpriteEngine() = default;
    ~TSpriteEngine() override;

    std::int32_t SpriteCount = 0;
    std::vector<TSprite*> DeadList;
    std::vector<TSprite*> AlphaList;
    std::int32_t DrawnCount = 0;

    // The opaque and the translucent pass of one view. The context is the
    // view's drawing target; objects reach it through DrawContext() while
    // the pass runs.
    void Draw(TDrawContext& context);
    void AlphaDraw(TDrawContext& context);
    void Dead();

    // The context of the pass in progress; raises when no pass is running.
    TDrawContext& DrawContext() const;

private:
    friend class TSprite;
    class PassScope;
    void ForgetDead(TSprite* sprite);
    TDrawContext* drawContext_ = nullptr;
    bool deadListGone_ = false;
};

}  // namespace orbitfall
