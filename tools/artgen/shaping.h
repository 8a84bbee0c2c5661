#pragma once
// Small shaping functions built from plain arithmetic. std::sqrt is exactly
// rounded by IEEE 754, so it is the one library function the pictures use;
// the sine here is a polynomial of our own for the same reason.
#include "canvas.h"

namespace orbitfall::artgen {

constexpr float Pi = 3.14159265358979f;

float Clamp01(float v);
float Mix(float a, float b, float t);
Rgba Mix(Rgba a, Rgba b, float t);
float Smoothstep(float edge0, float edge1, float v);
// A bell of width w around 0: 1 at 0, 0 from |v| >= w, smooth in between.
float Bell(float v, float w);
// A soft falloff without exp: 1 at 0, about 1/(1 + k v^2) further out.
float Glow(float v, float k);
// Sine and cosine of radians, to about 1e-7 on any argument.
double Sine(double x);
double Cosine(double x);

}  // namespace orbitfall::artgen
