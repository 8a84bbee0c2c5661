#include "render/bmp_font.h"

#include <GL/gl.h>

#include <vector>

#include "infra/data_dirs.h"
#include "infra/file_stream.h"
#include "render/font_metrics.h"

namespace orbitfall {

TBmpFont::TBmpFont(const std::string& name) { LoadFont(name); }

void TBmpFont::LoadFont(const std::string& name) {
    glyphs_ = {};
    lineHeight_ = 0;
    const std::string base = "Graphics\\Fonts\\" + name;
    image_.LoadFromFile(ResolveFileName(base + ".img"));
    // White everywhere, the glyph shapes in the alpha.
    image_.FillWithColor(255, 255, 255, 255);
    image_.AddAlphaFromFile(ResolveFileName(base + ".img"));
    image_.Upload(true);

    TFileStream metricsFile(ResolveFileName(base + ".bmf"), TFileStream::Mode::ReadShared);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(metricsFile.Size()));
    if (!bytes.empty()) metricsFile.Read(bytes.data(), bytes.size());
    const TFontMetrics metrics = ParseFontMetrics(bytes.data(), bytes.size(), image_.Width(), image_.Height());
    glyphs_ = metrics.Glyphs;
    lineHeight_ = metrics.LineHeight;
}

void TBmpFont::DrawString(std::int32_t x, std::int32_t y, const std::string& text) {
    const std::vector<TGlyphQuad> quads = LayoutString(glyphs_, lineHeight_, x, y, text);
    // Blending and the bound font texture stay on for the caller.
    glEnable(GL_BLEND);
    image_.Bind(true);
    glBegin(GL_QUADS);
    for (const TGlyphQuad& q : quads) {
        glTexCoord2f(q.U0, q.V0);
        glVertex3d(q.Left, q.Top, 0);
        glTexCoord2f(q.U0, q.V1);
        glVertex3d(q.Left, q.Bottom, 0);
        glTexCoord2f(q.U1, q.V1);
        glVertex3d(q.Right, q.Bottom, 0);
        glTexCoord2f(q.U1, q.V0);
        glVertex3d(q.Right, q.Top, 0);
    }
    glEnd();
}

const std::array<TGlyph, 256>& TBmpFont::Glyphs() const { return glyphs_; }
std::uint16_t TBmpFont::LineHeight() const { return lineHeight_; }

}  // namespace orbitfall
