#pragma once
// Angle arithmetic shared by sprites and units. Radians, 0 along +X, growing
// toward +Y; canonical angles lie in (-pi, pi].
//
// Trigonometry goes through SLEEF's deterministic scalar functions: glibc picks
// FMA or non-FMA code by processor and differs in the last bit on some inputs,
// which would make machines of one game drift apart.
namespace orbitfall {

inline constexpr double Pi = 3.1415926535897932384626433832795;

double DetSin(double x);
double DetCos(double x);
double DetArcTan2(double y, double x);

double AngleBetween(double x1, double y1, double x2, double y2);
double NormalizeAngle(double a);
double PolarX(double angle, double length);
double PolarY(double angle, double length);
double TurnTowards(double current, double target, double maxStep);

}  // namespace orbitfall
