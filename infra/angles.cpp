#include "infra/angles.h"

#include <cmath>
#include <sleef.h>

namespace orbitfall {

double DetSin(double x) { return Sleef_cinz_sind1_u10purec(x); }
double DetCos(double x) { return Sleef_cinz_cosd1_u10purec(x); }
double DetArcTan2(double y, double x) { return Sleef_cinz_atan2d1_u10purec(y, x); }

double AngleBetween(double x1, double y1, double x2, double y2) {
    return DetArcTan2(y2 - y1, x2 - x1);
}

double NormalizeAngle(double a) {
    constexpr double twoPi = 2 * Pi;
    const double turns = a / twoPi;
    a = (turns - std::trunc(turns)) * twoPi;  // keeps the sign: (-2 pi, 2 pi)
    if (a < 0) a += twoPi;
    if (a > Pi) a -= twoPi;
    return a;
}

double PolarX(double angle, double length) { return DetCos(angle) * length; }
double PolarY(double angle, double length) { return DetSin(angle) * length; }

double TurnTowards(double current, double target, double maxStep) {
    const double d = NormalizeAngle(target - current);
    // Neither result is normalised: callers store the heading as it comes.
    if (std::fabs(d) <= maxStep) return target;
    return d >= 0 ? current + maxStep : current - maxStep;
}

}  // namespace orbitfall
