// Painting pictures in code for the data builder's texture steps: smooth
// value noise and its fractal sum, and a painter that asks a function for
// each pixel's colour.
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <functional>

namespace databuilder {

inline constexpr double kPi = 3.14159265358979323846;

// A hashed lattice value in 0..1.
double LatticeValue(int x, int y, uint32_t seed);
// Smooth value noise in 0..1.
double ValueNoise(double x, double y, uint32_t seed);
// Four octaves of value noise, in 0..1.
double Fractal(double x, double y, uint32_t seed);
// Fractal noise that repeats every `periodX` and `periodY` lattice cells of
// its first octave (each octave repeats in twice as many), so a picture of
// it tiles without seams.
double TiledFractal(double x, double y, int periodX, int periodY, uint32_t seed);

// 0..1 to a byte, rounded and clamped.
uint8_t Byte(double v);

// fn gives red, green, blue and alpha in 0..1 for the pixel's centre in
// 0..1; the format is A8R8G8B8 (alpha kept) or X8R8G8B8.
platform::image::Image Paint(platform::image::PixelFormat format, int width, int height,
                             const std::function<void(double u, double v, double rgba[4])>& fn);

} // namespace databuilder
