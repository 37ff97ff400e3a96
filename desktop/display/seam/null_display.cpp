// The null display.
#include "desktop/display/seam/null_display.h"

#include "desktop/display/host_window.h"
#include "platform/clock.h"

namespace lumivane {

namespace {

constexpr uint32_t kFrameMs = 33;

} // namespace

bool NullDisplay::Create(HostWindow& window, int, int) {
    window_ = &window;
    hasDevice_ = window.Exists();
    return hasDevice_;
}

bool NullDisplay::Recreate() {
    hasDevice_ = window_ && window_->Exists();
    return hasDevice_;
}

void NullDisplay::PresentFrame() {
    const uint32_t now = platform::TickCount();
    const uint32_t spent = now - lastFrame_;
    if (spent < kFrameMs) platform::SleepMilliseconds(kFrameMs - spent);
    lastFrame_ = platform::TickCount();
}

} // namespace lumivane
