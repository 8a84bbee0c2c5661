#include "render/fog.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <optional>

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

std::optional<std::uint8_t> UniformFogAcross(const TFogOfWar& fog, const TTexelBox& box) {
    if (box.Left < 0 || box.Top < 0 || box.Right >= fog.MapWidth || box.Bottom >= fog.MapHeight ||
        box.Left > box.Right || box.Top > box.Bottom)
        return std::nullopt;
    const std::uint8_t value = fog.FogRows[static_cast<std::size_t>(box.Top)][box.Left];
    for (int y = box.Top; y <= box.Bottom; ++y) {
        const std::uint8_t* row = fog.FogRows[static_cast<std::size_t>(y)];
        if (std::any_of(row + box.Left, row + box.Right + 1, [value](std::uint8_t b) { return b != value; }))
            return std::nullopt;
    }
    return value;
}

float FoldedFogAlpha(std::uint8_t value) {
    // The renderer turns a texel byte into a float as byte times the float
    // nearest 1/255, and multiplies the colour by it in single precision:
    // the same two roundings here give the very number it would reach.
    const float texel = static_cast<float>(value) * static_cast<float>(1.0 / 255.0);
    return 0.75f * texel;
}

namespace {

// A run of the view's rows drawn with one choice of min filters; no scissor
// when it is the whole layer.
struct TFogPiece {
    std::optional<TPixelRect> Scissor;
    bool PlainFog = false;
    bool PlainPattern = false;
    // The fog texels this piece's pixels may sample, when the view tells.
    std::optional<TTexelBox> Ground;
};

// A magnified texture is sampled with its mag filter (linear) whatever the
// min filter is, so switching the min filter to plain linear for such a
// piece keeps its pixels; the same texture objects serve views that shrink
// them (the minimap, the mini-scene), so the old filters come back after.
class TMinFilter {
public:
    // Called with the texture bound on the active unit; `texture` 0 is a
    // picture that never reached the driver, left alone.
    explicit TMinFilter(unsigned texture) : texture_(texture) {
        if (texture_ != 0) glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &previous_);
        current_ = previous_;
    }
    // Called with the same texture bound on the active unit.
    void Plain(bool plain) { Set(plain ? GL_LINEAR : previous_); }
    void Restore() { Set(previous_); }

private:
    void Set(GLint filter) {
        if (texture_ == 0 || filter == current_) return;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        current_ = filter;
    }

    unsigned texture_;
    GLint previous_ = GL_LINEAR_MIPMAP_LINEAR;
    GLint current_ = GL_LINEAR_MIPMAP_LINEAR;
};

// The pattern repeats every 10 map units.
double PatternTexelsPerUnit(const TTextureImage& pattern) {
    return std::max(pattern.Width(), pattern.Height()) / 10.0;
}

std::vector<TFogPiece> WholeLayer(double groundStep, const TTextureImage* pattern) {
    return {TFogPiece{std::nullopt, MagnifiedEverywhere(groundStep, 1.0),
                      pattern && MagnifiedEverywhere(groundStep, PatternTexelsPerUnit(*pattern)), std::nullopt}};
}

std::vector<TFogPiece> BandPieces(const TGroundSteps& steps, const TTextureImage* pattern) {
    const TPixelRect& port = steps.Viewport;
    double largest = 0;
    int row = 0;
    for (const TGroundBand& band : steps.Bands) {
        if (band.FirstRow != row || band.EndRow <= band.FirstRow) row = -1;
        if (row >= 0) row = band.EndRow;
        largest = std::max(largest, band.Step);
    }
    if (steps.Bands.empty() || row != port.Height) {
        return WholeLayer(steps.Bands.empty() ? std::numeric_limits<double>::infinity() : largest, pattern);
    }
    const bool columns = pattern && steps.View && steps.View->ClientWidth == port.Width;
    std::vector<TFogPiece> pieces;
    int pieceTop = 0;  // first row of the last piece, when it may grow
    bool grows = false;
    for (const TGroundBand& band : steps.Bands) {
        const TFogPiece choice = WholeLayer(band.Step, pattern).front();
        int half = 0;
        if (columns && !choice.PlainPattern)
            half = MagnifiedHalfWidth(*steps.View, band.FirstRow, band.EndRow, PatternTexelsPerUnit(*pattern));
        if (half > 0) {
            // Sides with the mipmaps, the middle without: three pieces of
            // this band's rows alone.
            const int y = port.Y + port.Height - band.EndRow, rows = band.EndRow - band.FirstRow;
            const int middle = port.Width / 2;
            const int left = middle - half, right = middle + half;
            const bool plainFog = MagnifiedEverywhere(
                LargestGroundStep(*steps.View, band.FirstRow, band.EndRow, left, right), 1.0);
            if (left > 0) pieces.push_back({TPixelRect{port.X, y, left, rows}, choice.PlainFog, false, std::nullopt});
            pieces.push_back({TPixelRect{port.X + left, y, right - left, rows}, plainFog, true, std::nullopt});
            if (right < port.Width) {
                pieces.push_back(
                    {TPixelRect{port.X + right, y, port.Width - right, rows}, choice.PlainFog, false, std::nullopt});
            }
            grows = false;
            continue;
        }
        if (grows && pieces.back().PlainFog == choice.PlainFog &&
            pieces.back().PlainPattern == choice.PlainPattern) {
            TPixelRect& r = *pieces.back().Scissor;
            // Rows grow downwards, window y upwards: the piece reaches lower.
            r.Y = port.Y + port.Height - band.EndRow;
            r.Height = band.EndRow - pieceTop;
            continue;
        }
        pieceTop = band.FirstRow;
        grows = true;
        pieces.push_back(choice);
        pieces.back().Scissor = TPixelRect{port.X, port.Y + port.Height - band.EndRow, port.Width,
                                           band.EndRow - band.FirstRow};
    }
    // One piece needs no scissor: the viewport bounds the layer already.
    if (pieces.size() == 1) pieces.front().Scissor.reset();
    // Where the view's rows are the viewport's, a piece's rows and columns
    // say which ground, and so which fog texels, its pixels show.
    if (steps.View && steps.View->ClientWidth == port.Width && steps.View->ViewHeight == port.Height) {
        for (TFogPiece& piece : pieces) {
            if (!piece.Scissor || !piece.PlainFog) continue;
            const TPixelRect& r = *piece.Scissor;
            const int firstRow = port.Y + port.Height - (r.Y + r.Height);
            const int firstColumn = r.X - port.X;
            piece.Ground =
                FogTexelsUnder(*steps.View, firstRow, firstRow + r.Height, firstColumn, firstColumn + r.Width);
        }
    }
    return pieces;
}

int DrawFogPieces(TFogOfWar& fog, const TViewRect& v, TTextureImage* pattern, const std::vector<TFogPiece>& pieces) {
    const auto x0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(std::floor(v.Left - 0.5)));
    const auto y0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(std::floor(v.Top - 0.5)));
    const auto w = std::min<std::int32_t>(fog.MapWidth, static_cast<std::int32_t>(std::ceil(v.Right))) - x0;
    const auto h = std::min<std::int32_t>(fog.MapHeight, static_cast<std::int32_t>(std::ceil(v.Bottom))) - y0;

    fog.FogTexture->Bind(true);
    // One fog texel per map unit.
    TMinFilter fogFilter(fog.FogTexture->TextureObject());
    // Texels of one value v sample as exactly v/255 wherever a linear
    // filter mixes only them, so the fog texture then multiplies every pixel
    // by the same number: folded into the colour, the pattern alone gives
    // the same pixels at half the sampling. Only pieces sampled without
    // mipmaps qualify (a mipmap level mixes texels far off the quad, the
    // unused ones beyond the map included), and only where every texel the
    // quad (or the piece's ground, when known) reaches holds that value. The
    // quad's corners are texel edges x0, y0 and x0 + w, y0 + h; a linear
    // sample there reads the texels before them too.
    const bool uploaded = fog.FogTexture->TextureObject() != 0 && w > 0 && h > 0;
    const TTexelBox quadTexels{x0 - 1, y0 - 1, x0 + w, y0 + h};
    const std::optional<std::uint8_t> quadValue =
        uploaded ? UniformFogAcross(fog, quadTexels) : std::optional<std::uint8_t>{};
    auto uniform = [&](const TFogPiece& piece) -> std::optional<std::uint8_t> {
        if (!uploaded || !piece.PlainFog) return std::nullopt;
        if (quadValue || !piece.Ground) return quadValue;
        const TTexelBox& g = *piece.Ground;
        return UniformFogAcross(fog, TTexelBox{std::max(g.Left, quadTexels.Left), std::max(g.Top, quadTexels.Top),
                                               std::min(g.Right, quadTexels.Right),
                                               std::min(g.Bottom, quadTexels.Bottom)});
    };
    int withoutFog = 0;
    GLboolean writesDepth = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writesDepth);
    glColor4f(1, 1, 1, 0.75f);
    glEnable(GL_BLEND);
    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    std::optional<TMinFilter> patternFilter;
    if (pattern) {
        pattern->Bind(true);
        pattern->SetWrap(GL_REPEAT, GL_REPEAT, GL_REPEAT);
        patternFilter.emplace(pattern->TextureObject());
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const bool scissored = pieces.size() > 1 || pieces.front().Scissor;
    const GLboolean scissorWasOn = glIsEnabled(GL_SCISSOR_TEST);
    if (scissored) glEnable(GL_SCISSOR_TEST);

    const float fw = static_cast<float>(fog.FogWidth), fh = static_cast<float>(fog.FogHeight);
    auto corner = [&](std::int32_t x, std::int32_t y) {
        glMultiTexCoord2f(GL_TEXTURE0, x / fw, y / fh);
        glMultiTexCoord2f(GL_TEXTURE1, 0.1f * x, 0.1f * y);
        glVertex3f(static_cast<float>(x), static_cast<float>(y), 0.01f);
    };
    for (const TFogPiece& piece : pieces) {
        // Unit 1 is the active one here.
        if (patternFilter) patternFilter->Plain(piece.PlainPattern);
        glActiveTexture(GL_TEXTURE0);
        fogFilter.Plain(piece.PlainFog);
        const std::optional<std::uint8_t> value = uniform(piece);
        if (value == 0 && !writesDepth) {
            // Watched ground only: alpha 0 blends to the pixel already
            // there, and no depth is written, so the piece changes nothing.
            ++withoutFog;
            glActiveTexture(GL_TEXTURE1);
            continue;
        }
        if (value) {
            glDisable(GL_TEXTURE_2D);
            glColor4f(1, 1, 1, FoldedFogAlpha(*value));
            ++withoutFog;
        } else {
            glEnable(GL_TEXTURE_2D);
            glColor4f(1, 1, 1, 0.75f);
        }
        glActiveTexture(GL_TEXTURE1);
        if (piece.Scissor) glScissor(piece.Scissor->X, piece.Scissor->Y, piece.Scissor->Width, piece.Scissor->Height);
        // Every piece draws the very same quad: its pixels get what the
        // whole layer gives them.
        glBegin(GL_QUADS);
        corner(x0, y0);
        corner(x0, y0 + h);
        corner(x0 + w, y0 + h);
        corner(x0 + w, y0);
        glEnd();
    }

    // The colour the layer has always left behind, folded pieces or not.
    glColor4f(1, 1, 1, 0.75f);
    if (scissored && !scissorWasOn) glDisable(GL_SCISSOR_TEST);
    if (patternFilter) patternFilter->Restore();
    if (pattern) pattern->Unbind(true);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    fogFilter.Restore();
    fog.FogTexture->Unbind(true);
    glDisable(GL_BLEND);
    return withoutFog;
}

}  // namespace

int DrawFogOverlay(TFogOfWar& fog, const TViewRect& v, TTextureImage* pattern, double groundStep) {
    return DrawFogPieces(fog, v, pattern, WholeLayer(groundStep, pattern));
}

int DrawFogOverlay(TFogOfWar& fog, const TViewRect& v, TTextureImage* pattern, const TGroundSteps& steps) {
    return DrawFogPieces(fog, v, pattern, BandPieces(steps, pattern));
}

}  // namespace orbitfall
