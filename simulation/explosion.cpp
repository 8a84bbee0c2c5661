#include "simulation/explosion.h"

#include "simulation/draw_interface.h"

namespace orbitfall {

namespace {
// The animation texture is a grid of 8 columns by 2 rows; 7 columns are used.
constexpr std::int32_t UsedColumns = 7;
constexpr double CellWidth = 1.0 / 8;
constexpr double CellHeight = 1.0 / 2;
}  // namespace

TExplosion::TExplosion(TGame& game, float x, float y, float radius) : TGameObject(game, 0) {
    X = x;
    Y = y;
    Radius = radius;
}

void TExplosion::Init() { FrameIndex = 0; }

void TExplosion::DoMove() {
    ++FrameIndex;
    if (FrameIndex > FrameCount - 1) MarkDead();
}

void TExplosion::DoAlphaDraw() {
    TDrawContext& dc = Engine->DrawContext();
    dc.BindTexture(TSharedTexture::Explosion);
    dc.EnableBlending();
    dc.SetColor(1, 1, 1, 1);
    dc.SetTextureTransform((FrameIndex % UsedColumns) * CellWidth, (FrameIndex / UsedColumns) * CellHeight,
                           CellWidth, CellHeight);
    dc.DrawBillboard(X, Y, Z, Radius);
    dc.ResetTextureTransform();
}

}  // namespace orbitfall
