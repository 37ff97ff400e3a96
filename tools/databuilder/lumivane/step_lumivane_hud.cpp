// Lumivane's head-up display and command textures under "models\textures\",
// painted in code (32-bit with alpha, chains down to 8 x 8):
//   halo.dds: the 4 x 4 sheet of the unit overlays (tray ring in cells 8, 9,
//     12, 13; health bar frame and fill in 4-5; bay pips in 6 and 7; the
//     crosshair arm in 15);
//   squadnum000.dds .. squadnum009.dds: the squad numbers 0..9;
//   heightbar.dds, beacon.dds (one corner piece), boxcorner.dds, boxfield.dds;
//   the fourteen cursors, the animated ones as numbered sequences.
#include "tools/databuilder/shared/data_step.h"

#include "platform/image/dds.h"
#include "platform/image/mipmap.h"
#include "platform/paths.h"
#include "tools/databuilder/shared/procedural_paint.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using databuilder::Paint;
using platform::image::Image;
using platform::image::PixelFormat;
using platform::image::TextureImage;

using Shader = std::function<double(double u, double v)>; // coverage 0..1

bool Save(const std::filesystem::path& folder, const std::string& name, const Image& top) {
    int levels = 0;
    for (int s = top.width; s >= 8; s /= 2)
        ++levels;
    TextureImage texture;
    std::string error;
    if (!platform::image::BuildTexture(top, PixelFormat::A8R8G8B8, levels, texture, &error) ||
        !platform::image::WriteDdsFile(folder / name, texture, &error)) {
        std::fprintf(stderr, "databuilder: %s cannot be made: %s\n", name.c_str(), error.c_str());
        return false;
    }
    return true;
}

// White where the shader covers, clear elsewhere (the overlays are tinted).
Image Mask(int side, const Shader& shader) {
    return Paint(PixelFormat::A8R8G8B8, side, side, [&](double u, double v, double c[4]) {
        c[0] = c[1] = c[2] = 1.0;
        c[3] = std::clamp(shader(u, v), 0.0, 1.0);
    });
}

double Band(double x, double from, double to) {
    return x >= from && x <= to ? 1.0 : 0.0;
}

double Ring(double u, double v, double radius, double width) {
    const double d = std::hypot(u - 0.5, v - 0.5) * 2.0;
    return std::max(0.0, 1.0 - std::abs(d - radius) / width);
}

// One cell of the halo sheet, in its own 0..1 square.
double HaloCell(int cell, double u, double v) {
    switch (cell) {
    case 8:
    case 9:
    case 12:
    case 13: { // the tray: one ring over the 2 x 2 block
        const double bu = (cell % 4 - 0) * 0.5 + u * 0.5, bv = (cell / 4 - 2) * 0.5 + v * 0.5;
        return Ring(bu, bv, 0.85, 0.12) * 0.9 + Ring(bu, bv, 0.6, 0.05) * 0.5;
    }
    case 4:
    case 5: { // bar: frame on the upper half, fill on the lower
        const double x = (cell - 4) * 0.5 + u * 0.5;
        if (v < 0.5) {
            const double edge = std::min({x, 1.0 - x, v, 0.5 - v}) * 8.0;
            return edge < 0.25 ? 1.0 : 0.25;
        }
        return Band(v, 0.58, 0.92) * Band(x, 0.01, 0.99);
    }
    case 6:
    case 7: { // pips in four rows: row k holds k + 1 (or k + 5) of them
        const int row = std::min(int(v * 4), 3);
        const int count = row + 1;
        const double y = v * 4 - row;
        const int slot = std::min(int(u * 4), 3);
        const double x = u * 4 - slot;
        return slot < count && std::hypot(x - 0.5, y - 0.5) < 0.3 ? 1.0 : 0.0;
    }
    case 15: // a crosshair arm: a wedge pointing in
        return Band(v, 0.5 - (1.0 - u) * 0.35, 0.5 + (1.0 - u) * 0.35) * Band(u, 0.1, 0.95);
    default:
        return 0.0;
    }
}

// Seven segments of a digit in the unit square.
double Digit(int digit, double u, double v) {
    static const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const int on = kSegments[digit];
    const double w = 0.12;
    const double left = 0.25, right = 0.75, top = 0.12, middle = 0.5, bottom = 0.88;
    auto horizontal = [&](double y) {
        return Band(u, left, right) * Band(v, y - w / 2, y + w / 2);
    };
    auto vertical = [&](double x, double y0, double y1) {
        return Band(u, x - w / 2, x + w / 2) * Band(v, y0, y1);
    };
    const double segments[7] = {
        horizontal(top),    vertical(right, top, middle),   vertical(right, middle, bottom),
        horizontal(bottom), vertical(left, middle, bottom), vertical(left, top, middle),
        horizontal(middle)};
    double cover = 0.0;
    for (int s = 0; s < 7; ++s)
        if (on & (1 << s)) cover = std::max(cover, segments[s]);
    return cover;
}

// An arrow with its tip at the top left.
double Arrow(double u, double v) {
    const bool head = u >= 0.05 && v >= 0.05 && u + v <= 0.75 && std::abs(u - v) <= 0.5;
    const bool shaft = std::abs(u - v) < 0.08 && u + v <= 1.5 && u + v > 0.5;
    return head || shaft ? 1.0 : 0.0;
}

// A round sight; `phase` turns its four ticks for animated cursors.
double Sight(double u, double v, double phase) {
    const double angle = std::atan2(v - 0.5, u - 0.5) + phase;
    const double tick = std::abs(std::sin(angle * 2.0)) < 0.3 ? 1.0 : 0.0;
    return std::max(Ring(u, v, 0.7, 0.08), tick * Ring(u, v, 0.9, 0.15));
}

// A triangle pointing along (dx, dy) from the centre.
double Pointer(double u, double v, double dx, double dy) {
    const double along = (u - 0.5) * dx + (v - 0.5) * dy;
    const double across = std::abs((u - 0.5) * -dy + (v - 0.5) * dx);
    return along > -0.3 && along < 0.4 && across < (0.4 - along) * 0.6 ? 1.0 : 0.0;
}

} // namespace

DATABUILDER_STEP(LumivaneHudTextures, "lumivane-hud-textures") {
    const auto folder =
        platform::ResolvePathLeniently(context.runtime / "LumivaneData", "models\\textures");
    if (!folder) return false;
    std::error_code ignored;
    std::filesystem::create_directories(*folder, ignored);
    const std::filesystem::path& f = *folder;
    bool ok = Save(f, "halo.dds", Mask(128, [](double u, double v) {
                       const int column = std::min(int(u * 4), 3), row = std::min(int(v * 4), 3);
                       return HaloCell(row * 4 + column, u * 4 - column, v * 4 - row);
                   }));
    for (int digit = 0; ok && digit < 10; ++digit) {
        char name[32];
        std::snprintf(name, sizeof name, "squadnum%03d.dds", digit);
        ok = Save(f, name, Mask(32, [digit](double u, double v) { return Digit(digit, u, v); }));
    }
    ok = ok &&
         Save(f, "heightbar.dds",
              Mask(32, [](double u, double) { return 1.0 - std::abs(u - 0.5) * 2.0; })) &&
         Save(f, "beacon.dds",
              Mask(32, [](double u, double v) { return Band(std::min(u, v), 0.0, 0.2); })) &&
         Save(f, "boxcorner.dds",
              Mask(32, [](double u, double v) { return Band(std::min(u, v), 0.0, 0.15); })) &&
         Save(f, "boxfield.dds", Mask(32, [](double u, double v) {
                  return 0.15 + 0.1 * std::sin((u + v) * 6.2831853);
              }));
    const struct {
        const char* name;
        Shader shader;
    } stills[] = {
        {"cursor_default.dds", Arrow},
        {"cursor_orbit.dds", [](double u, double v) { return Ring(u, v, 0.7, 0.15); }},
        {"cursor_scrollup.dds", [](double u, double v) { return Pointer(u, v, 0, -1); }},
        {"cursor_scrolldown.dds", [](double u, double v) { return Pointer(u, v, 0, 1); }},
        {"cursor_scrollleft.dds", [](double u, double v) { return Pointer(u, v, -1, 0); }},
        {"cursor_scrollright.dds", [](double u, double v) { return Pointer(u, v, 1, 0); }},
        {"cursor_scrollforward.dds", [](double u, double v) { return Pointer(u, v, 0, -1); }},
        {"cursor_scrollback.dds", [](double u, double v) { return Pointer(u, v, 0, 1); }},
        {"cursor_place.dds", [](double u, double v) { return Ring(u, v, 0.8, 0.1); }},
        {"cursor_placevalid.dds", [](double u, double v) { return Ring(u, v, 0.5, 0.3); }},
        {"cursor_trackball.dds", [](double u, double v) { return Ring(u, v, 0.95, 0.08); }},
    };
    for (const auto& still : stills)
        ok = ok && Save(f, still.name, Mask(32, still.shader));
    // The animated cursors: their frames turn the sight's ticks.
    const struct {
        const char* stem;
        int frames;
    } animated[] = {{"cursor_select", 4}, {"cursor_attack", 2}, {"cursor_wormhole", 3}};
    for (const auto& cursor : animated)
        for (int frame = 0; ok && frame < cursor.frames; ++frame) {
            const double phase = frame * 0.7853982 / cursor.frames;
            ok = Save(f,
                      std::string(cursor.stem) + (frame < 10 ? "00" : "0") + std::to_string(frame) +
                          ".dds",
                      Mask(32, [phase](double u, double v) { return Sight(u, v, phase); }));
        }
    return ok;
}
