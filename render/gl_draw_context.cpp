#include "render/gl_draw_context.h"

#include <GL/gl.h>

#include "render/opengl_setup.h"
#include "render/primitives.h"
#include "render/texture.h"
#include "render/texture_image.h"

namespace orbitfall {

TTexture* SharedTexture(TSharedTexture texture) {
    switch (texture) {
        case TSharedTexture::Selection: return SelectionTexture;
        case TSharedTexture::Nebula: return NebulaTexture;
        case TSharedTexture::Explosion: return ExplosionTexture;
        case TSharedTexture::Moon: return MoonTexture;
        case TSharedTexture::Aura: return AuraTexture;
    }
    return nullptr;
}

TTextureImage* ImageOf(TTexture* texture) { return texture ? &texture->Image() : nullptr; }

void BindImage(TTextureImage* image) {
    if (image) image->Bind(true);
    else glEnable(GL_TEXTURE_2D);
}

void UnbindImage(TTextureImage* image) {
    if (image) image->Unbind(true);
    else glDisable(GL_TEXTURE_2D);
}

const std::array<double, 16>& TGlDrawContext::ViewMatrix() const {
    for (int i = 0; i < 16; ++i) matrix_[i] = view_.ViewMatrix[i];
    return matrix_;
}

void TGlDrawContext::PushMatrix() { glPushMatrix(); }
void TGlDrawContext::PopMatrix() { glPopMatrix(); }
void TGlDrawContext::Translate(double x, double y, double z) { glTranslated(x, y, z); }
void TGlDrawContext::Rotate(double degrees, double x, double y, double z) { glRotated(degrees, x, y, z); }
void TGlDrawContext::Scale(double x, double y, double z) { glScaled(x, y, z); }

void TGlDrawContext::SetColor(float r, float g, float b, float a) { glColor4f(r, g, b, a); }
void TGlDrawContext::SetColorBytes(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    glColor4ub(r, g, b, a);
}

void TGlDrawContext::BindTexture(TSharedTexture texture) {
    if (TTexture* t = SharedTexture(texture)) t->Bind();
    else glEnable(GL_TEXTURE_2D);
}

void TGlDrawContext::UnbindTexture(TSharedTexture texture) {
    if (TTexture* t = SharedTexture(texture)) t->Unbind();
    else glDisable(GL_TEXTURE_2D);
}

void TGlDrawContext::EnableBlending() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void TGlDrawContext::DisableBlending() { glDisable(GL_BLEND); }

void TGlDrawContext::SetTextureTransform(double offsetS, double offsetT, double scaleS, double scaleT) {
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslated(offsetS, offsetT, 0);
    glScaled(scaleS, scaleT, 1);
    glMatrixMode(GL_MODELVIEW);
}

void TGlDrawContext::ResetTextureTransform() {
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void TGlDrawContext::DrawUnitModel() { orbitfall::DrawUnitModel(); }
void TGlDrawContext::DrawShotModel() { orbitfall::DrawShotModel(); }
void TGlDrawContext::DrawSphere() { orbitfall::DrawSphere(); }

namespace {
// The camera-facing shapes are given in eye coordinates.
class TEyeSpace {
public:
    TEyeSpace() {
        glPushMatrix();
        glLoadIdentity();
    }
    ~TEyeSpace() { glPopMatrix(); }
    TEyeSpace(const TEyeSpace&) = delete;
    TEyeSpace& operator=(const TEyeSpace&) = delete;
};
}  // namespace

void TGlDrawContext::DrawBillboard(double x, double y, double z, double halfSize) {
    TEyeSpace eye;
    orbitfall::DrawBillboard(view_.ViewMatrix, static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                             static_cast<float>(halfSize));
}

void TGlDrawContext::DrawShiftedBillboard(double x, double y, double z, double depthShift, double halfSize) {
    TEyeSpace eye;
    orbitfall::DrawShiftedBillboard(view_.ViewMatrix, static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(z), static_cast<float>(depthShift),
                                    static_cast<float>(halfSize));
}

void TGlDrawContext::DrawHalo(double x, double y, double z, double halfSize) {
    TEyeSpace eye;
    orbitfall::DrawHalo(view_.ViewMatrix, static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                        static_cast<float>(halfSize));
}

}  // namespace orbitfall
