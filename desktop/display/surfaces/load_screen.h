// The load screen's progress bar: six segments stacked in a column at the
// right of the picture, filled from the bottom up, the one in progress
// shown partly bright.
#pragma once

#include "platform/render/device_types.h"

#include <array>

namespace lumivane {

inline constexpr int kProgressSegments = 6;

struct ProgressSegment {
    D3DRECT rect{};
    D3DCOLOR color = 0;
};

struct ProgressBar {
    std::array<ProgressSegment, kProgressSegments> segments{};
    int count = 0; // segments drawn
};

// The segments for a fraction (clamped to 0..1; not a number counts as 0)
// on an output of that size, in output pixels.
ProgressBar LayOutProgress(float fraction, int width, int height);

} // namespace lumivane
