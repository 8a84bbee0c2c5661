#pragma once
// Where the interface lies in the window, for drawing and for the mouse
// alike: interface units, the minimap and mini-scene squares, the strip, the
// main view above it, and the minimap's mapping in both directions. Plain
// arithmetic, no graphics library and no window, so the shell's input
// handlers and the renderer read the same numbers.
//
// Interface units: the client width counts 1024 units, the height the same
// scale, origin bottom-left, y up.
#include <cstdint>
#include <vector>

namespace orbitfall {

inline constexpr double InterfaceUnitsAcross = 1024.0;

struct TInterfacePoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TInterfacePoint&) const = default;
};

struct TMapPoint {
    double X = 0;
    double Y = 0;
    bool operator==(const TMapPoint&) const = default;
};

// A rectangle in interface units.
struct TInterfaceRect {
    int Left, Bottom, Width, Height;
    // Left and bottom edges inside, right and top edges outside.
    bool Contains(TInterfacePoint p) const {
        return Left <= p.X && p.X < Left + Width && Bottom <= p.Y && p.Y < Bottom + Height;
    }
};

inline constexpr TInterfaceRect MinimapRect{28, 28, 200, 200};
inline constexpr TInterfaceRect MinisceneRect{607, 26, 150, 150};
// The strip's picture spans the width and a quarter of it in height; the
// main view starts lower, 180 units above the bottom edge, over the picture's
// transparent top.
inline constexpr int StripPictureUnits = 256;
inline constexpr int StripUnits = 180;

// Pixels per interface unit.
inline double PixelsPerUnit(int clientWidth) { return clientWidth / InterfaceUnitsAcross; }

// Height of the strip below the main view, in pixels (unrounded).
inline double StripHeight(int clientWidth) { return clientWidth * double(StripUnits) / InterfaceUnitsAcross; }

// A rectangle in pixels, origin bottom-left (as viewports are given).
struct TPixelRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TPixelRect&) const = default;
};

// The main view: everything above the strip, rounded so that no pixel row
// is lost between them. Height is at least one even in a window shorter
// than the strip; ViewRows is the unclamped height the view values use.
struct TMainViewport {
    TPixelRect Rect;
    std::int32_t ViewRows = 0;
};
TMainViewport MainViewport(int clientWidth, int clientHeight);
// The mini-scene's square in the strip.
TPixelRect MinisceneViewport(int clientWidth);

// The pixels the minimap's pictures may touch: its square rounded outwards.
TPixelRect MinimapPixels(int clientWidth);

// The strip's pixels split by what lies under them. Below the main view and
// outside the minimap and mini-scene squares, the strip covers only the
// cleared frame, so the finished strip there is the same every frame (the
// still part); above the main view's bottom edge and over the two squares
// it covers what the frame draws (the moving part). Both lists hold disjoint
// rectangles inside the client area, together exactly the strip's rows.
std::vector<TPixelRect> StillStripRects(int clientWidth, int clientHeight);
std::vector<TPixelRect> MovingStripRects(int clientWidth, int clientHeight);
// Rows 0 up to this one (exclusive) hold the strip's picture.
int StripPictureRows(int clientWidth);

// Pixel (x, y) from the top-left of a client area width x height pixels.
TInterfacePoint ToInterfaceUnits(int x, int y, int width, int height);

// A map-to-pixel mapping of the minimap, applied in this order (as a
// graphics library composes transforms): shift by (ShiftX, ShiftY) map
// units, scale by (ScaleX, ScaleY) pixels per map unit (ScaleY negative:
// map y grows downwards), move to (Left, Bottom) pixels.
struct TMinimapMapping {
    double Left = 0;
    double Bottom = 0;
    double ScaleX = 1;
    double ScaleY = 1;
    double ShiftX = 0;
    double ShiftY = 0;
};

// Keeps the map's proportions and centres it along its shorter side (fog,
// view outline, unit dots).
TMinimapMapping ProportionalMinimap(std::int32_t mapWidth, std::int32_t mapHeight, int clientWidth);
// Stretched over the whole square (the background picture only).
TMinimapMapping StretchedMinimap(std::int32_t mapWidth, std::int32_t mapHeight, int clientWidth);

struct TOverlayPoint {
    double X = 0;  // pixels from the left edge
    double Y = 0;  // pixels from the bottom edge
};
TOverlayPoint MapToMinimap(const TMinimapMapping& m, double x, double y);

// The map point a minimap position (interface units) shows on a map of
// mapWidth x mapHeight: the inverse of the proportional mapping.
TMapPoint MinimapToMap(TInterfacePoint p, int mapWidth, int mapHeight);

}  // namespace orbitfall
