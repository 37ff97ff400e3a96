// Converting one installed compressed file (".tex", JPEG-2000) into what
// the display reads: a model texture becomes a DDS with its mip chain, a
// load screen becomes a bitmap. The source is deleted only once its output
// is completely written; a file that cannot be converted stays in place.
#pragma once

#include "platform/image/image.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace lumivane {

class ImageCodecTable;

// Textures whose names carry one of these marks are height maps that become
// normal maps.
bool IsBumpTextureName(std::string_view fileName);

// Levels of a cache DDS: every halving down to the one whose smaller side is
// 8 (a picture with a side below 8 keeps one level).
int CacheMipCount(int width, int height);

// The DDS of a decoded texture. Sides are stretched up to powers of two
// first. A 32-bit source (with alpha) gives DXT3; a 24-bit one DXT1, or
// for a bump texture an R5G6B5 normal map from the red channel with
// amplitude 10, each level computed from the same level of the chain.
platform::image::TextureImage MakeCacheTexture(const platform::image::Image& source, bool bump);

// An R5G6B5 normal map of a 32-bit BGRA picture's red channel as heights
// (red / 255 x amplitude).
platform::image::Image NormalMapFromRed(const platform::image::Image& bgra, float amplitude);

// "Models\Textures\x.tex": decoded as JP2, written as "x.tga" through the
// Targa codec, read back, made into "x.dds"; then "x.tex" and "x.tga" are
// deleted. False (with the reason) leaves "x.tex" where it was; *refused
// is set when the source itself does not decode (so converting it again
// cannot help), and not when it could not be read or an output written.
bool ConvertTexture(const ImageCodecTable& codecs, const std::filesystem::path& texFile,
                    std::string* error = nullptr, bool* refused = nullptr);

// "LoadScreens\x.tex": decoded as JP2, written as the bitmap "x.bmp"; then
// "x.tex" is deleted.
bool ConvertLoadScreen(const ImageCodecTable& codecs, const std::filesystem::path& texFile,
                       std::string* error = nullptr, bool* refused = nullptr);

} // namespace lumivane
