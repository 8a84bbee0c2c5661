#pragma once
// The drawing interface of the game objects, carried out with GL in the view
// of the last camera set-up.
#include "render/camera.h"
#include "simulation/draw_interface.h"

namespace orbitfall {

class TTexture;

// The shared texture behind a kind (the globals set by InitOpenGL; nullptr
// while none is loaded).
TTexture* SharedTexture(TSharedTexture texture);
class TTextureImage;
// The picture of a shared texture, nullptr while none is loaded.
TTextureImage* ImageOf(TTexture* texture);
// Bind with enabling / unbind with disabling; a picture not loaded leaves
// only 2D texturing switched.
void BindImage(TTextureImage* image);
void UnbindImage(TTextureImage* image);

class TGlDrawContext : public TDrawContext {
public:
    // Reads the view's values at each call: build it once, set up cameras as
    // the frame goes.
    explicit TGlDrawContext(const TViewValues& view) : view_(view) {}

    const TViewRect& ViewRect() const override { return view_.ViewRect; }
    const std::array<double, 16>& ViewMatrix() const override;

    void PushMatrix() override;
    void PopMatrix() override;
    void Translate(double x, double y, double z) override;
    void Rotate(double degrees, double x, double y, double z) override;
    void Scale(double x, double y, double z) override;

    void SetColor(float r, float g, float b, float a) override;
    void SetColorBytes(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) override;
    void BindTexture(TSharedTexture texture) override;
    void UnbindTexture(TSharedTexture texture) override;
    void EnableBlending() override;
    void DisableBlending() override;
    void SetTextureTransform(double offsetS, double offsetT, double scaleS, double scaleT) override;
    void ResetTextureTransform() override;

    void DrawUnitModel() override;
    void DrawShotModel() override;
    void DrawSphere() override;
    void DrawBillboard(double x, double y, double z, double halfSize) override;
    void DrawShiftedBillboard(double x, double y, double z, double depthShift, double halfSize) override;
    void DrawHalo(double x, double y, double z, double halfSize) override;

private:
    const TViewValues& view_;
    mutable std::array<double, 16> matrix_{};
};

}  // namespace orbitfall
