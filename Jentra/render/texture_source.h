// Reading one texture frame from its file the way the engine always has: the
// file name chooses the pixel format (compressed or not, 16 or 32 bits, a
// height map made into a normal map), a JPEG's "_alpha.jpg" companion gives
// it alpha, and every conversion is cached beside its source as a DDS file
// that is read instead while it is not older than the source. All of it
// happens on the CPU; the frame then hands the levels to the device.
#pragma once

#include "platform/image/image.h"

#include <string>

namespace jentra::textures {

// What the file name asks for (case-sensitive tests on the whole name).
struct NameRules {
    bool dds = false;  // loaded as it is; no rule below applies
    bool jpeg = false; // by extension
    bool tga = false;
    bool thirtyTwoBit = false; // "32bit"
    bool noCompress = false;   // "nocomp"
    bool bump = false;         // "_bump", "_Bump" or "_BUMP": a height map
    bool hasAlpha = false;     // a JPEG's companion exists, a Targa has 32 bits
    platform::image::PixelFormat format = platform::image::PixelFormat::Unknown;
};

// The rules for a texture name; looks for the companion and reads a Targa's
// header to learn about alpha.
NameRules RulesFor(const std::string& name);

// The file of a texture name: below "modules\" of the working folder, any
// letter case; an absolute name stays as it is.
std::string TexturePath(const std::string& name);

// Where a new file of that name goes: its folders below "modules\"
// resolved in any letter case, the file name as written; "" when a folder
// is missing.
std::string TexturePathForWriting(const std::string& name);

// What the device takes.
struct TextureLimits {
    // The largest side of a texture (the device's capabilities).
    int maxSide = platform::image::kMaxImageSide;
};

struct LoadedFrame {
    platform::image::TextureImage image; // one face; all levels when asked
    bool hasAlpha = false;
    bool fromCache = false;    // the cached conversion was read
    bool cacheWritten = false; // a new conversion was cached
    // Said of a picture read smaller than its file says (image.h), for the
    // log; empty when it was read as it is.
    std::string note;
    // Where a refusal of this picture is remembered (texture_refusal.h):
    // set as soon as the name is known, so that a step after loading (the
    // device) can remember its own refusal there too.
    std::string refusalName;
};

// Loads one frame: a DDS as it is; otherwise the cached conversion while it
// is not older than the source, else the source converted (and cached).
// Pictures are stretched to powers of two. `mips`: every level down to
// 1 x 1, else one. No picture, nor its texture, has more pixels than
// platform::image::kMaxImagePixels: a larger JPEG is read at a smaller
// scale (said in `note`), any other larger picture refused.
// A picture whose texture would be larger than `limits` allow is refused
// from its header, before its pixels take memory. Running out of memory
// at any step is a refusal like any other ("not enough memory for ...",
// image_error.h); such a refusal is remembered beside the source, and
// while that holds later loads refuse the picture without reading it.
bool LoadFrameImage(const std::string& name, bool mips, LoadedFrame& out,
                    std::string* error = nullptr, const TextureLimits& limits = {});

// A picture as texture levels: stretched to powers of two (shrunk where
// those would be more than the pixel bound, resize.h), its mip chain
// made (or only the top), every level converted to `format`.
bool MakeTextureLevels(platform::image::Image picture, platform::image::PixelFormat format,
                       bool mips, platform::image::TextureImage& out, std::string* error = nullptr);

// A height map level made into a normal map in place. 32-bit levels: height
// = red / 255 x 5; the pixel becomes alpha = its old red, red, green, blue =
// 127 x n + 128 of the normal normalise(h - right, h - below, 1). R5G6B5
// levels: height = green / 63 x 5, the normal's bytes cut to 5, 6 and 5
// bits. Other formats stay as they are. The last column and row use their
// own height for the missing neighbour.
void HeightToNormalLevel(platform::image::Image& level);

} // namespace jentra::textures
