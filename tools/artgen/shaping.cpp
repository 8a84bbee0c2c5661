#include "shaping.h"

#include <cmath>

namespace orbitfall::artgen {

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float Mix(float a, float b, float t) { return a + (b - a) * t; }

Rgba Mix(Rgba a, Rgba b, float t) {
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t), Mix(a.a, b.a, t)};
}

float Smoothstep(float edge0, float edge1, float v) {
    const float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float Bell(float v, float w) {
    const float t = 1.0f - Clamp01((v < 0 ? -v : v) / w);
    return t * t * (3.0f - 2.0f * t);
}

float Glow(float v, float k) { return 1.0f / (1.0f + k * v * v); }

double Sine(double x) {
    constexpr double TwoPi = 6.283185307179586;
    constexpr double HalfPi = 1.5707963267948966;
    x -= TwoPi * std::floor(x / TwoPi + 0.5);  // now in [-pi, pi]
    if (x > HalfPi) x = 2 * HalfPi - x;
    if (x < -HalfPi) x = -2 * HalfPi - x;  // now in [-pi/2, pi/2]
    const double x2 = x * x;
    // Taylor series to x^15: error below 1e-9 on [-pi/2, pi/2].
    double term = x, sum = x;
    for (int n = 1; n <= 7; ++n) {
        term *= -x2 / static_cast<double>((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

double Cosine(double x) { return Sine(x + 1.5707963267948966); }

}  // namespace orbitfall::artgen
