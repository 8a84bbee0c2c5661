#include "shell/game/input_math.h"

namespace orbitfall {

int TiltAfterWheelDown(int tilt) { return tilt < 50 ? tilt + 10 : 60; }
int TiltAfterWheelUp(int tilt) { return tilt > 10 ? tilt - 10 : 0; }
int DistanceAfterHome(int distance) { return distance > 5 ? distance - 1 : distance; }
int DistanceAfterEnd(int distance) { return distance < 30 ? distance + 1 : distance; }

}  // namespace orbitfall
