#pragma once
// The arithmetic of the game window's input, free of any window: interface
// units, the interface's hit rectangles, the minimap's map mapping and the
// limits of the view values the mouse wheel and the keys change.
namespace orbitfall {

// A position in interface units: the client width counts 1024 units, the
// height the same scale, origin bottom-left, y up.
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

struct TInterfaceRect {
    int Left, Bottom, Width, Height;
    // Left and bottom edges inside, right and top edges outside.
    bool Contains(TInterfacePoint p) const {
        return Left <= p.X && p.X < Left + Width && Bottom <= p.Y && p.Y < Bottom + Height;
    }
};

inline constexpr TInterfaceRect MinimapRect{28, 28, 200, 200};
inline constexpr TInterfaceRect MinisceneRect{607, 26, 150, 150};

// Pixel (x, y) from the top-left of a client area width x height pixels.
TInterfacePoint ToInterfaceUnits(int x, int y, int width, int height);

// The map point a minimap position shows on a map of mapWidth x mapHeight:
// the map is centred along its shorter side, map y grows downwards.
TMapPoint MinimapToMap(TInterfacePoint p, int mapWidth, int mapHeight);

// Wheel towards the user tilts down by 10 degrees, away tilts up; 0..60.
int TiltAfterWheelDown(int tilt);
int TiltAfterWheelUp(int tilt);
// Home brings the camera closer, End moves it away; 5..30.
int DistanceAfterHome(int distance);
int DistanceAfterEnd(int distance);

}  // namespace orbitfall
