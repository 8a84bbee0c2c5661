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
