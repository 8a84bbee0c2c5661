#include "shell/game/input_math.h"

#include <algorithm>
#include <cmath>

namespace orbitfall {

TInterfacePoint ToInterfaceUnits(int x, int y, int width, int height) {
    // A window that has no width yet has no interface; everything maps to 0.
    if (width <= 0) return {};
    const double scale = 1024.0 / width;
    return {static_cast<int>(std::lround(x * scale)), static_cast<int>(std::lround((height - y) * scale))};
}

TMapPoint MinimapToMap(TInterfacePoint p, int mapWidth, int mapHeight) {
    const double m = std::max(mapWidth, mapHeight);
    const double x = m * (p.X - 28) / 200.0 - std::max(0, mapHeight - mapWidth) * 0.5;
    const double y = m * (1.0 - (p.Y - 28) / 200.0) - std::max(0, mapWidth - mapHeight) * 0.5;
    return {x, y};
}

int TiltAfterWheelDown(int tilt) { return tilt < 50 ? tilt + 10 : 60; }
int TiltAfterWheelUp(int tilt) { return tilt > 10 ? tilt - 10 : 0; }
int DistanceAfterHome(int distance) { return distance > 5 ? distance - 1 : distance; }
int DistanceAfterEnd(int distance) { return distance < 30 ? distance + 1 : distance; }

}  // namespace orbitfall
