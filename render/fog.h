#pragma once
// The fog of war: one alpha byte per map unit (255 never seen, 127 explored,
// 0 watched now), drawn over the world with a repeating pattern and over the
// minimap as a plain veil.
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "render/fog_filter.h"
#include "render/interface_layout.h"
#include "simulation/draw_interface.h"

namespace orbitfall {

class TPlayer;
class TTextureImage;

struct TFogOfWar {
    TFogOfWar(std::int32_t mapWidth, std::int32_t mapHeight);
    ~TFogOfWar();
    TFogOfWar(const TFogOfWar&) = delete;
    TFogOfWar& operator=(const TFogOfWar&) = delete;

    std::int32_t MapWidth;
    std::int32_t MapHeight;
    // Power-of-two size; only the top-left MapWidth x MapHeight texels are used.
    std::int32_t FogWidth;
    std::int32_t FogHeight;
    std::unique_ptr<TTextureImage> FogTexture;
    std::vector<std::uint8_t*> FogRows;  // FogRows[y] = FogTexture->Row(y)
    // The picture has changed since the last upload (or was never uploaded).
    bool Changed = true;
    // Rows [ChangedFrom, ChangedTo) hold every change since the last upload.
    std::int32_t ChangedFrom = 0;
    std::int32_t ChangedTo = 0;
    // The context the texture object was made in; 0 before the first upload.
    unsigned UploadedContext = 0;
};

// The smallest power of two not below n (n >= 1).
std::int32_t FogSize(std::int32_t n);

// Made with the game's window once the map size is known; no texture object
// exists until the first update. Needs no GL context.
std::unique_ptr<TFogOfWar> CreateFogTexture(std::int32_t mapWidth, std::int32_t mapHeight);

// Rewrites the fog bytes from sight counters stored row by row (row y starts
// at sight + y * stride); the map's Width x Height cells are read. Notes in
// Changed whether any byte is different now.
void WriteFog(TFogOfWar& fog, const std::uint16_t* sight, std::int32_t stride);

// The fog byte of a sight counter.
inline std::uint8_t FogByte(std::uint16_t sight) { return sight == 0 ? 255 : sight == 1 ? 127 : 0; }

// The value every texel of `box` holds, when the box lies on the map and
// its texels are all alike.
std::optional<std::uint8_t> UniformFogAcross(const TFogOfWar& fog, const TTexelBox& box);
// The fog layer's alpha (0.75) times a fog texel of `value` as a
// single-precision renderer computes it.
float FoldedFogAlpha(std::uint8_t value);

// The next update uploads again, the texture object included (a re-created
// context lost the texture).
inline void MarkFogForUpload(TFogOfWar& fog) {
    fog.Changed = true;
    fog.UploadedContext = 0;
}

// Rewrites the fog from the player's sight map and uploads it; nothing before
// the first main camera set-up (lastMainView.Right and .Bottom still 0). A
// frame whose fog equals the uploaded one keeps the texture as it is: the
// picture is the same, and building the mipmaps of the whole texture is the
// most expensive step of the frame's drawing on a software renderer. Where
// the driver derives the mipmaps itself, only the changed rows are sent into
// the texture object made at the first upload in this context; the levels
// come out as a whole upload makes them.
void UpdateFogTexture(TFogOfWar& fog, const TPlayer& localPlayer, const TViewRect& lastMainView);

// The fog layer over the visible map: unit 0 the fog, unit 1 the pattern
// repeated every 10 map units. Leaves 2D texturing off on both units and
// blending off. groundStep bounds the map distance between neighbouring
// pixels of the view (LargestGroundStep); a texture that it shows magnified
// everywhere is drawn without its mipmaps, which gives the same pixels at a
// fraction of a software renderer's cost. Infinity keeps the mipmaps.
// Where such a draw samples texels of a single value only, the fog texture
// is left out and its value folded into the colour (FoldedFogAlpha); a piece
// over watched ground only (alpha 0) is not drawn at all while depth writes
// are off. Returns how many pieces went without the fog texture.
int DrawFogOverlay(TFogOfWar& fog, const TViewRect& view, TTextureImage* pattern,
                    double groundStep = std::numeric_limits<double>::infinity());

// Where the main view lies in the window (its viewport, origin bottom-left)
// and the ground-step bound of each band of its rows (GroundStepBands).
struct TGroundSteps {
    TPixelRect Viewport;
    std::vector<TGroundBand> Bands;
    // The view the bands belong to: with it, a band whose pattern shrinks at
    // its sides gets its middle columns drawn without the pattern's mipmaps
    // (MagnifiedHalfWidth). Its width must be the viewport's.
    const TViewValues* View = nullptr;
};

// The same layer, decided band by band: each run of neighbouring bands in
// which the same textures are magnified everywhere is drawn on its own,
// scissored to its rows, so that the near rows of a tilted view go without
// the mipmaps a far corner needs. The scissor leaves every pixel the value
// the whole layer gives it. Bands that do not cover exactly the viewport's
// rows count as one band with the largest of their steps.
int DrawFogOverlay(TFogOfWar& fog, const TViewRect& view, TTextureImage* pattern, const TGroundSteps& steps);

}  // namespace orbitfall
