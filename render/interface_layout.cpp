#include "render/interface_layout.h"

#include <algorithm>
#include <cmath>

namespace orbitfall {

TMainViewport MainViewport(int clientWidth, int clientHeight) {
    const double k = StripHeight(clientWidth);
    // The view's bottom row is rounded up and its height down: the strip's
    // fractional top row belongs to the strip.
    const std::int32_t rows = clientHeight - static_cast<std::int32_t>(std::floor(k));
    return {{0, static_cast<int>(std::ceil(k)), clientWidth, std::max(1, rows)}, rows};
}

TPixelRect MinisceneViewport(int clientWidth) {
    const TInterfaceRect& r = MinisceneRect;
    const int side = static_cast<int>(std::ceil(clientWidth * double(r.Width) / InterfaceUnitsAcross));
    return {static_cast<int>(std::floor(clientWidth * double(r.Left) / InterfaceUnitsAcross)),
            static_cast<int>(std::floor(clientWidth * double(r.Bottom) / InterfaceUnitsAcross)), side, side};
}

TPixelRect MinimapPixels(int clientWidth) {
    const double u = PixelsPerUnit(clientWidth);
    const TInterfaceRect& r = MinimapRect;
    const int left = static_cast<int>(std::floor(r.Left * u)), bottom = static_cast<int>(std::floor(r.Bottom * u));
    return {left, bottom, static_cast<int>(std::ceil((r.Left + r.Width) * u)) - left,
            static_cast<int>(std::ceil((r.Bottom + r.Height) * u)) - bottom};
}

int StripPictureRows(int clientWidth) {
    return static_cast<int>(std::ceil(clientWidth * double(StripPictureUnits) / InterfaceUnitsAcross));
}

namespace {

// r clipped to columns [0, width) and rows [bottom, top); empty ones dropped.
void AddClipped(std::vector<TPixelRect>& out, TPixelRect r, int width, int bottom, int top) {
    const int x0 = std::max(r.X, 0), x1 = std::min(r.X + r.Width, width);
    const int y0 = std::max(r.Y, bottom), y1 = std::min(r.Y + r.Height, top);
    if (x0 < x1 && y0 < y1) out.push_back({x0, y0, x1 - x0, y1 - y0});
}

// The squares the frame draws into below the main view, left to right.
std::vector<TPixelRect> Holes(int clientWidth, int rows) {
    std::vector<TPixelRect> holes;
    AddClipped(holes, MinimapPixels(clientWidth), clientWidth, 0, rows);
    AddClipped(holes, MinisceneViewport(clientWidth), clientWidth, 0, rows);
    std::sort(holes.begin(), holes.end(), [](const TPixelRect& a, const TPixelRect& b) { return a.X < b.X; });
    // Overlapping squares (a window a few pixels wide) become one.
    std::vector<TPixelRect> merged;
    for (const TPixelRect& h : holes) {
        if (!merged.empty() && h.X < merged.back().X + merged.back().Width) {
            TPixelRect& m = merged.back();
            const int x1 = std::max(m.X + m.Width, h.X + h.Width), y1 = std::max(m.Y + m.Height, h.Y + h.Height);
            m.Y = std::min(m.Y, h.Y);
            m.Width = x1 - m.X;
            m.Height = y1 - m.Y;
        } else {
            merged.push_back(h);
        }
    }
    return merged;
}

// Rows below the main view that the strip's picture covers.
int StillRows(int clientWidth, int clientHeight) {
    const int viewBottom = MainViewport(clientWidth, clientHeight).Rect.Y;
    return std::max(0, std::min({viewBottom, StripPictureRows(clientWidth), clientHeight}));
}

}  // namespace

std::vector<TPixelRect> StillStripRects(int clientWidth, int clientHeight) {
    std::vector<TPixelRect> still;
    const int rows = StillRows(clientWidth, clientHeight);
    if (clientWidth <= 0 || rows <= 0) return still;
    int x = 0;
    for (const TPixelRect& h : Holes(clientWidth, rows)) {
        AddClipped(still, {x, 0, h.X - x, rows}, clientWidth, 0, rows);
        AddClipped(still, {h.X, 0, h.Width, h.Y}, clientWidth, 0, rows);
        AddClipped(still, {h.X, h.Y + h.Height, h.Width, rows - h.Y - h.Height}, clientWidth, 0, rows);
        x = h.X + h.Width;
    }
    AddClipped(still, {x, 0, clientWidth - x, rows}, clientWidth, 0, rows);
    return still;
}

std::vector<TPixelRect> MovingStripRects(int clientWidth, int clientHeight) {
    std::vector<TPixelRect> moving;
    if (clientWidth <= 0 || clientHeight <= 0) return moving;
    const int rows = StillRows(clientWidth, clientHeight);
    for (const TPixelRect& h : Holes(clientWidth, rows)) moving.push_back(h);
    const int top = std::min(StripPictureRows(clientWidth), clientHeight);
    AddClipped(moving, {0, rows, clientWidth, top - rows}, clientWidth, rows, top);
    return moving;
}

TInterfacePoint ToInterfaceUnits(int x, int y, int width, int height) {
    // A window that has no width yet has no interface; everything maps to 0.
    if (width <= 0) return {};
    const double scale = InterfaceUnitsAcross / width;
    return {static_cast<int>(std::lround(x * scale)), static_cast<int>(std::lround((height - y) * scale))};
}

TMinimapMapping ProportionalMinimap(std::int32_t w, std::int32_t h, int clientWidth) {
    const double u = PixelsPerUnit(clientWidth);
    const double m = std::max(w, h);
    const TInterfaceRect& r = MinimapRect;
    return {r.Left * u,        r.Bottom * u, r.Width * u / m, -r.Height * u / m, std::max(0, h - w) * 0.5,
            -m + std::max(0, w - h) * 0.5};
}

TMinimapMapping StretchedMinimap(std::int32_t w, std::int32_t h, int clientWidth) {
    const double u = PixelsPerUnit(clientWidth);
    const TInterfaceRect& r = MinimapRect;
    return {r.Left * u, r.Bottom * u, r.Width * u / w, -r.Height * u / h, 0, -double(h)};
}

TOverlayPoint MapToMinimap(const TMinimapMapping& m, double x, double y) {
    return {m.Left + m.ScaleX * (x + m.ShiftX), m.Bottom + m.ScaleY * (y + m.ShiftY)};
}

TMapPoint MinimapToMap(TInterfacePoint p, int mapWidth, int mapHeight) {
    // Written out rather than inverting the mapping's factors: the units are
    // whole numbers, and this order keeps whole map coordinates whole.
    const TInterfaceRect& r = MinimapRect;
    const double m = std::max(mapWidth, mapHeight);
    const double x = m * (p.X - r.Left) / double(r.Width) - std::max(0, mapHeight - mapWidth) * 0.5;
    const double y = m * (1.0 - (p.Y - r.Bottom) / double(r.Height)) - std::max(0, mapWidth - mapHeight) * 0.5;
    return {x, y};
}

}  // namespace orbitfall
