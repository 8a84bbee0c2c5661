#pragma once
// What the game objects need from a renderer. The walks and each object's
// drawing decisions (what to draw, where, in which colour, whether at all)
// belong to the simulation; the primitives behind this interface belong to
// the renderer, and tests record them instead.
#include <array>
#include <cstdint>

namespace orbitfall {

// The map rectangle enclosing what the current view shows.
struct TViewRect {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
};

// The textures shared by all objects of a kind.
enum class TSharedTexture : std::uint8_t {
    Selection,
    Nebula,
    Explosion,
    Moon,
    Aura,
};

class TDrawContext {
public:
    virtual ~TDrawContext() = default;

    // View values published by the last camera set-up of this view.
    virtual const TViewRect& ViewRect() const = 0;
    // Model-view matrix of the camera, in GL's column order.
    virtual const std::array<double, 16>& ViewMatrix() const = 0;

    // Model-view transform of the opaque models, around the camera's.
    virtual void PushMatrix() = 0;
    virtual void PopMatrix() = 0;
    virtual void Translate(double x, double y, double z) = 0;
    virtual void Rotate(double degrees, double x, double y, double z) = 0;
    virtual void Scale(double x, double y, double z) = 0;

    virtual void SetColor(float r, float g, float b, float a) = 0;
    virtual void SetColorBytes(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) = 0;
    // Binding switches 2D texturing on, unbinding switches it off.
    virtual void BindTexture(TSharedTexture texture) = 0;
    virtual void UnbindTexture(TSharedTexture texture) = 0;
    // Source alpha, one minus source alpha.
    virtual void EnableBlending() = 0;
    virtual void DisableBlending() = 0;
    // Texture coordinates become (s * scaleS + offsetS, t * scaleT + offsetT).
    virtual void SetTextureTransform(double offsetS, double offsetT, double scaleS, double scaleT) = 0;
    virtual void ResetTextureTransform() = 0;

    // Models drawn in the current transform.
    virtual void DrawUnitModel() = 0;
    virtual void DrawShotModel() = 0;
    virtual void DrawSphere() = 0;
    // Camera-facing squares at a map point (x, y, z); independent of the
    // current transform.
    virtual void DrawBillboard(double x, double y, double z, double halfSize) = 0;
    virtual void DrawShiftedBillboard(double x, double y, double z, double depthShift,
                                      double halfSize) = 0;
    virtual void DrawHalo(double x, double y, double z, double halfSize) = 0;
};

// Eye-space z of a map point under the view matrix: the depth key of the
// translucent pass (larger is nearer the eye).
inline double ViewDepth(const TDrawContext& context, double x, double y, double z) {
    const auto& m = context.ViewMatrix();
    return m[2] * x + m[6] * y + m[10] * z + m[14];
}

}  // namespace orbitfall
