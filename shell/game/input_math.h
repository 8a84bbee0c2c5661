#pragma once
// The arithmetic of the game window's input, free of any window: the limits
// of the view values the mouse wheel and the keys change. Where the interface
// lies (units, hit rectangles, the minimap's mapping) is the interface
// layout's, shared with drawing.
#include "render/interface_layout.h"

namespace orbitfall {

// Wheel towards the user tilts down by 10 degrees, away tilts up; 0..60.
int TiltAfterWheelDown(int tilt);
int TiltAfterWheelUp(int tilt);
// Home brings the camera closer, End moves it away; 5..30.
int DistanceAfterHome(int distance);
int DistanceAfterEnd(int distance);

}  // namespace orbitfall
