#include "simulation/sprite.h"

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

#include "infra/angles.h"
#include "infra/checked.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/text_format.h"

namespace orbitfall {

namespace {

std::string NameOfSprite(const void* sprite) {
    return static_cast<const TSprite*>(sprite)->GetName();
}

// Searched from the back: the sprites that go are mostly the newest (shots,
// explosions), and the engine's Dead frees the latest marked first.
void EraseOne(std::vector<TSprite*>& list, TSprite* sprite) {
    auto it = std::find(list.rbegin(), list.rend(), sprite);
    if (it != list.rend()) list.erase(std::next(it).base());
}

}  // namespace

TSprite::TSprite() : Moving(true), Visible(true) {}

TSprite::~TSprite() {
    // The move walk leaves the log context naming the last sprite it moved;
    // a sprite going away must not leave the log a pointer to itself.
    LogContext.Detach(this);
    FreeChildren();
}

std::string TSprite::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    auto colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

bool TSprite::InDrawArea() { throw Exception(ClassName() + ".InDrawArea() not implemented"); }

float TSprite::GetAlphaZPos() { throw Exception(ClassName() + ".GetAlphaZPos not implemented"); }

std::string TSprite::GetName() const { return "Unknown:" + ClassName(); }

TSprite& TSprite::GetChild(int index) const {
    if (!Children) throw ESpriteError(Format("ListIndexError at %s", {std::to_string(index)}));
    return *ListAt(*Children, index);
}

TSprite& TSprite::AddChild(std::unique_ptr<TSprite> sprite) {
    TSprite& child = *sprite;
    child.Parent = this;
    // A tree without an engine at its root counts nothing.
    child.Engine = Engine ? Engine : dynamic_cast<TSpriteEngine*>(this);
    if (!Children) {
        Children = std::make_unique<std::vector<std::unique_ptr<TSprite>>>();
        DrawList = std::make_unique<std::vector<TSprite*>>();
    }
    Children->push_back(std::move(sprite));
    DrawList->push_back(&child);
    if (child.Engine) ++child.Engine->SpriteCount;
    return child;
}

std::unique_ptr<TSprite> TSprite::RemoveChild(TSprite& sprite) {
    std::unique_ptr<TSprite> owned;
    if (!Children) return owned;
    auto it = std::find_if(Children->rbegin(), Children->rend(),
                           [&](const std::unique_ptr<TSprite>& c) { return c.get() == &sprite; });
    if (it == Children->rend()) return owned;
    owned = std::move(*it);
    Children->erase(std::next(it).base());
    EraseOne(*DrawList, &sprite);
    if (Children->empty()) {
        Children.reset();
        DrawList.reset();
    }
    if (sprite.Engine) {
        --sprite.Engine->SpriteCount;
        sprite.Engine->ForgetDead(&sprite);
    }
    return owned;
}

void TSprite::FreeChildren() {
    while (ChildCount() > 0) Children->back()->Destroy();
}

void TSprite::Destroy() {
    if (!Parent) {
        // A root: only its subtree can go here; the root itself belongs to
        // its owner.
        FreeChildren();
        return;
    }
    // The subtree goes first, last child first, while this sprite is still
    // attached and whole.
    FreeChildren();
    std::unique_ptr<TSprite> owned = Parent->RemoveChild(*this);
    owned.reset();
}

void TSprite::MarkDead() {
    if (Engine == nullptr || IsDead) return;
    IsDead = true;
    Engine->DeadList.push_back(this);
}

void TSprite::Move() {
    LogContext.SetDeferred("Moveing ", &NameOfSprite, this);
    if (!Moving) return;
    DoMove();
    // Sprites attached during the walk land behind n and move next frame.
    const int n = ChildCount();
    for (int i = 0; i < n; ++i) GetChild(i).Move();
}

void TSprite::DrawTree() {
    bool placed = Engine == nullptr;
    if (!Visible) return;
    auto place = [this] {
        if (!InDrawArea()) return;
        DoDraw();
        if (NeedsAlphaDraw()) Engine->AlphaList.push_back(this);
        ++Engine->DrawnCount;
    };
    if (DrawList) {
        const std::size_t n = DrawList->size();
        for (std::size_t i = 0; i < n; ++i) {
            TSprite* child = (*DrawList)[i];
            if (!placed && child->Z >= 0) {
                place();
                placed = true;
            }
            child->DrawTree();
        }
    }
    if (!placed) place();
}

void TSprite::MoveBy(double distance, double angle) {
    X = static_cast<float>(X + PolarX(angle, distance));
    Y = static_cast<float>(Y + PolarY(angle, distance));
}

void TSprite::MoveForward(double distance) { MoveBy(distance, Angle); }

void TSprite::RotateTowards(double target, double maxStep) {
    Angle = static_cast<float>(TurnTowards(Angle, target, maxStep));
}

double TSprite::AngleTo(double x, double y) const { return AngleBetween(X, Y, x, y); }

double TSprite::AngleToSprite(const TSprite& other) const {
    return AngleBetween(X, Y, other.X, other.Y);
}

TSpriteEngine::~TSpriteEngine() {
    // The dead list goes first so that the sprites destroyed next do not
    // look for themselves in it.
    DeadList.clear();
    deadListGone_ = true;
    AlphaList.clear();
    FreeChildren();
}

void TSpriteEngine::ForgetDead(TSprite* sprite) {
    if (deadListGone_ || !sprite->IsDead) return;
    // Usually the last element: Dead destroys from the back.
    auto it = std::find(DeadList.rbegin(), DeadList.rend(), sprite);
    if (it != DeadList.rend()) DeadList.erase(std::next(it).base());
}

// The context is reachable exactly while a pass runs, also when it raises.
class TSpriteEngine::PassScope {
public:
    PassScope(TSpriteEngine& engine, TDrawContext& context) : engine_(engine) {
        engine_.drawContext_ = &context;
    }
    ~PassScope() { engine_.drawContext_ = nullptr; }
    PassScope(const PassScope&) = delete;
    PassScope& operator=(const PassScope&) = delete;

private:
    TSpriteEngine& engine_;
};

void TSpriteEngine::Draw(TDrawContext& context) {
    DrawnCount = 0;
    if (!AlphaList.empty()) throw Exception("AlphaDraw necessary but not executed");
    PassScope pass(*this, context);
    DrawTree();
}

void TSpriteEngine::AlphaDraw(TDrawContext& context) {
    PassScope pass(*this, context);
    for (TSprite* s : AlphaList) s->AlphaZ = s->GetAlphaZPos();
    std::stable_sort(AlphaList.begin(), AlphaList.end(),
                     [](const TSprite* a, const TSprite* b) { return a->AlphaZ < b->AlphaZ; });
    for (TSprite* s : AlphaList) s->DoAlphaDraw();
    AlphaList.clear();
}

void TSpriteEngine::Dead() {
    while (!DeadList.empty()) DeadList.back()->Destroy();
}

TDrawContext& TSpriteEngine::DrawContext() const {
    if (drawContext_ == nullptr) throw Exception("No drawing pass in progress");
    return *drawContext_;
}

}  // namespace orbitfall
