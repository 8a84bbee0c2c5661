#pragma once
// A nebula of the map: a translucent cloud that fades between colours near
// its base colour and drifts around its fixed position. Its movement draws on
// the shared generator, so it belongs to the lockstep state although it
// affects nothing else.
#include <array>
#include <cstdint>

#include "simulation/game_object.h"

namespace orbitfall {

class TNebula : public TGameObject {
public:
    // Owner 0. The map loader sets Radius, X, Y, BaseColor and ColorVariation.
    explicit TNebula(TGame& game);

    std::array<float, 3> Color{};  // red, green, blue
    std::array<float, 3> TargetColor{};
    float DriftX = 0;
    float DriftY = 0;
    float DriftTargetX = 0;
    float DriftTargetY = 0;
    std::int32_t ColorSteps = 0;
    std::int32_t DriftSteps = 0;
    std::array<float, 3> BaseColor{};
    float ColorVariation = 0.3f;

    void DoAlphaDraw() override;
    void DoMove() override;
    float GetAlphaZPos() override;
    bool NeedsAlphaDraw() override { return true; }
    bool IsVisibleFor(std::uint8_t player) override;
};

}  // namespace orbitfall
