#include "render/fog.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "render/fog_filter.h"
#include "render/opengl_setup.h"
#include "render/texture_image.h"
#include "simulation/player.h"

namespace orbitfall {

std::int32_t FogSize(std::int32_t n) {
    std::int32_t size = 1;
    while (size < n) size *= 2;
    return size;
}

TFogOfWar::TFogOfWar(std::int32_t mapWidth, std::int32_t mapHeight)
    : MapWidth(mapWidth), MapHeight(mapHeight), FogWidth(FogSize(mapWidth)), FogHeight(FogSize(mapHeight)) {
    FogTexture = std::make_unique<TTextureImage>(FogWidth, FogHeight, TPixelFormat::Alpha8);
    FogTexture->KeepPixels = true;
    FogRows.reserve(static_cast<std::size_t>(mapHeight));
    for (std::int32_t y = 0; y < mapHeight; ++y) FogRows.push_back(FogTexture->Row(y));
}

TFogOfWar::~TFogOfWar() = default;

std::unique_ptr<TFogOfWar> CreateFogTexture(std::int32_t mapWidth, std::int32_t mapHeight) {
    return std::make_unique<TFogOfWar>(mapWidth, mapHeight);
}

void WriteFog(TFogOfWar& fog, const std::uint16_t* sight, std::int32_t stride) {
    for (std::int32_t y = 0; y < fog.MapHeight; ++y) {
        const std::uint16_t* counters = sight + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint8_t* row = fog.FogRows[y];
        std::uint8_t differs = 0;
        for (std::int32_t x = 0; x < fog.MapWidth; ++x) {
            const std::uint8_t b = FogByte(counters[x]);
            differs |= static_cast<std::uint8_t>(row[x] ^ b);
            row[x] = b;
        }
        if (differs) {
            if (!fog.Changed || fog.ChangedFrom >= fog.ChangedTo) {
                fog.ChangedFrom = y;
                fog.ChangedTo = y + 1;
            } else {
                fog.ChangedFrom = std::min(fog.ChangedFrom, y);
                fog.ChangedTo = std::max(fog.ChangedTo, y + 1);
            }
            fog.Changed = true;
        }
    }
}

void UpdateFogTexture(TFogOfWar& fog, const TPlayer& localPlayer, const TViewRect& lastMainView) {
    if (!(lastMainView.Right > 0 && lastMainView.Bottom > 0)) return;
    WriteFog(fog, localPlayer.SightRow(0), localPlayer.MapCols());
    if (!fog.Changed) return;
    fog.Changed = false;
    const std::int32_t from = fog.ChangedFrom, to = fog.ChangedTo;
    fog.ChangedFrom = fog.ChangedTo = 0;
    if (fog.UploadedContext == ContextGeneration() && from < to && fog.FogTexture->UpdateRows(from, to - from))
        return;
    fog.FogTexture->Upload(true);
    fog.UploadedContext = ContextGeneration();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
}

namespace {

// Switches the bound texture's min filter to plain linear for one draw when
// the view magnifies it everywhere, and puts the old filter back after: the
// same texture object serves views that shrink it (the minimap, the
// mini-scene). A magnified texture is sampled with its mag filter (linear)
// whatever the min filter is, so the pixels stay the same.
class TMagnifiedFilter {
public:
    explicit TMagnifiedFilter(bool magnified) : active_(magnified) {
        if (!active_) return;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &previous_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    // Called with the same texture bound on the active unit.
    void Restore() {
        if (active_) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, previous_);
        active_ = false;
    }

private:
    bool active_;
    GLint previous_ = GL_LINEAR_MIPMAP_LINEAR;
};

}  // namespace

void DrawFogOverlay(TFogOfWar& fog, const TViewRect& v, TTextureImage* pattern, double groundStep) {
    const auto x0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(std::floor(v.Left - 0.5)));
    const auto y0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(std::floor(v.Top - 0.5)));
    const auto w = std::min<std::int32_t>(fog.MapWidth, static_cast<std::int32_t>(std::ceil(v.Right))) - x0;
    const auto h = std::min<std::int32_t>(fog.MapHeight, static_cast<std::int32_t>(std::ceil(v.Bottom))) - y0;

    fog.FogTexture->Bind(true);
    // One fog texel per map unit.
    TMagnifiedFilter fogFilter(fog.FogTexture->TextureObject() != 0 && MagnifiedEverywhere(groundStep, 1.0));
    glColor4f(1, 1, 1, 0.75f);
    glEnable(GL_BLEND);
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    std::optional<TMagnifiedFilter> patternFilter;
    if (pattern) {
        pattern->Bind(true);
        pattern->SetWrap(GL_REPEAT, GL_REPEAT, GL_REPEAT);
        // The picture repeats every 10 map units.
        const double texelsPerUnit = std::max(pattern->Width(), pattern->Height()) / 10.0;
        patternFilter.emplace(pattern->TextureObject() != 0 && MagnifiedEverywhere(groundStep, texelsPerUnit));
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const float fw = static_cast<float>(fog.FogWidth), fh = static_cast<float>(fog.FogHeight);
    auto corner = [&](std::int32_t x, std::int32_t y) {
        glMultiTexCoord2f(GL_TEXTURE0, x / fw, y / fh);
        glMultiTexCoord2f(GL_TEXTURE1, 0.1f * x, 0.1f * y);
        glVertex3f(static_cast<float>(x), static_cast<float>(y), 0.01f);
    };
    glBegin(GL_QUADS);
    corner(x0, y0);
    corner(x0, y0 + h);
    corner(x0 + w, y0 + h);
    corner(x0 + w, y0);
    glEnd();

    if (patternFilter) patternFilter->Restore();
    if (pattern) pattern->Unbind(true);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    fogFilter.Restore();
    fog.FogTexture->Unbind(true);
    glDisable(GL_BLEND);
}

}  // namespace orbitfall
