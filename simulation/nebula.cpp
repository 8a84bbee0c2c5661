#include "simulation/nebula.h"

#include "infra/random.h"
#include "simulation/draw_interface.h"

namespace orbitfall {

TNebula::TNebula(TGame& game) : TGameObject(game, 0) {}

// The draws below are lockstep state: their number and order must be the same
// on every machine, so each draw is its own statement (the operands of + are
// not sequenced in C++). Arithmetic is done in double and stored as single.
void TNebula::DoMove() {
    if (ColorSteps <= 0) {
        for (std::size_t c = 0; c < 3; ++c) {
            const double r = RandomReal();
            TargetColor[c] = static_cast<float>(
                r * ColorVariation + (static_cast<double>(BaseColor[c]) - static_cast<double>(ColorVariation) / 2));
        }
        std::int32_t steps = RandomInt(4);
        steps += RandomInt(4);
        ColorSteps = steps + 2;
    }
    for (std::size_t c = 0; c < 3; ++c)
        Color[c] = static_cast<float>(Color[c] + (static_cast<double>(TargetColor[c]) - Color[c]) / ColorSteps);
    --ColorSteps;

    if (DriftSteps <= 0) {
        const double reach = 0.1 * Radius;
        double first = RandomReal();
        DriftTargetX = static_cast<float>((first - 1 + RandomReal()) * reach);
        first = RandomReal();
        DriftTargetY = static_cast<float>((first - 1 + RandomReal()) * reach);
        std::int32_t steps = 12;
        for (int i = 0; i < 4; ++i) steps += RandomInt(12);
        DriftSteps = steps;
    }
    DriftX = static_cast<float>(DriftX + (static_cast<double>(DriftTargetX) - DriftX) / DriftSteps);
    DriftY = static_cast<float>(DriftY + (static_cast<double>(DriftTargetY) - DriftY) / DriftSteps);
    --DriftSteps;
}

float TNebula::GetAlphaZPos() {
    return static_cast<float>(ViewDepth(Engine->DrawContext(), X + static_cast<double>(DriftX),
                                        Y + static_cast<double>(DriftY), Z) +
                              0.5 * Radius);
}

bool TNebula::IsVisibleFor(std::uint8_t player) { return SightHere(player) > 0; }

void TNebula::DoAlphaDraw() {
    TDrawContext& dc = Engine->DrawContext();
    dc.BindTexture(TSharedTexture::Nebula);
    dc.EnableBlending();
    dc.SetColor(Color[0], Color[1], Color[2], 1);
    dc.DrawShiftedBillboard(X + static_cast<double>(DriftX), Y + static_cast<double>(DriftY), Z, 0.5 * Radius,
                            Radius);
    dc.DisableBlending();
    dc.UnbindTexture(TSharedTexture::Nebula);
}

}  // namespace orbitfall
