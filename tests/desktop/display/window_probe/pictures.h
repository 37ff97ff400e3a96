// What the window probes look for in a picture of a window: the scene
// (many colours, mostly not black), how much of it changed between two
// pictures; grabbing and saving pictures.
#pragma once

#include "platform/image/bmp.h"
#include "platform/x11_capture.h"

#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace window_probe {

using Clock = std::chrono::steady_clock;

constexpr int kSceneColours = 64;       // distinct colours (5 bits a channel)
constexpr double kLitShare = 0.5;       // of pixels that are not black
constexpr double kChangedShare = 0.001; // of pixels that change in a second
constexpr double kReplacedShare = 0.5;  // of the load screen's pixels the scene changes

struct Picture {
    std::vector<uint32_t> argb;
    int width = 0, height = 0;
};

inline int DistinctColours(const Picture& p) {
    std::set<uint32_t> colours;
    for (uint32_t c : p.argb)
        colours.insert(c >> 3 & 0x1F1F1F);
    return int(colours.size());
}

inline double LitShare(const Picture& p) {
    size_t lit = 0;
    for (uint32_t c : p.argb)
        if ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF) > 12) ++lit;
    return p.argb.empty() ? 0.0 : double(lit) / double(p.argb.size());
}

inline bool ShowsScene(const Picture& p) {
    return DistinctColours(p) >= kSceneColours && LitShare(p) >= kLitShare;
}

inline double ChangedShare(const Picture& a, const Picture& b) {
    if (a.argb.size() != b.argb.size() || a.argb.empty()) return 1.0;
    size_t changed = 0;
    for (size_t i = 0; i < a.argb.size(); ++i)
        changed += a.argb[i] != b.argb[i];
    return double(changed) / double(a.argb.size());
}

inline bool Grab(uint64_t window, Picture& p) {
    return platform::CaptureX11Window(window, p.argb, p.width, p.height) && !p.argb.empty();
}

inline void Save(const Picture& p, const std::string& path) {
    platform::image::Image image =
        platform::image::MakeImage(platform::image::PixelFormat::X8R8G8B8, p.width, p.height);
    for (size_t i = 0; i < p.argb.size(); ++i)
        for (int b = 0; b < 4; ++b)
            image.pixels[i * 4 + size_t(b)] = uint8_t(p.argb[i] >> (8 * b));
    platform::image::WriteBmpFile(path, image);
}

} // namespace window_probe
