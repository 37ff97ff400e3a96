// Procedural pictures for the data builder's texture steps: value noise,
// colour mixing, painting a picture from a shading function, and writing
// it as JPEG or Targa.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include "platform/image/image.h"

namespace databuilder::paint {

struct Colour {
    float r, g, b;
};

// Smooth value noise on an integer lattice that wraps at `period` (so the
// picture tiles); the same seed always gives the same picture.
float Noise(float x, float y, uint32_t seed, int period);
// Several octaves of noise over a tile of `cells` lattice cells, 0..1.
float Fractal(float u, float v, uint32_t seed, int cells, int octaves = 5);
Colour Mix(Colour a, Colour b, float t);
uint8_t Byte(float v);

// A picture from a function of (u, v) in 0..1 giving colour and alpha.
platform::image::Image Paint(int width, int height, platform::image::PixelFormat format,
                             const std::function<Colour(float, float, float&)>& shade);

// Write the picture; false after a line on stderr.
bool WriteJpeg(const std::filesystem::path& file, const platform::image::Image& image);
bool WriteTga(const std::filesystem::path& file, const platform::image::Image& image);
bool Fail(const std::filesystem::path& file, const std::string& error);

} // namespace databuilder::paint
