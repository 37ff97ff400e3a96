// The frame clock.
#include "desktop/app/frame_clock.h"

#include <algorithm>

namespace lumivane {

void FrameClock::Restart() {
    restart_ = true;
    previousFrameTime_ = 1.0f;
    timeScale_ = 1.0f;
}

void FrameClock::Advance(uint32_t nowMs, bool enginePaused) {
    if (restart_) {
        lastMs_ = nowMs;
        restart_ = false;
    }
    // Unsigned difference: right across the 49.7-day wrap of the clock.
    float frame = float(nowMs - lastMs_) * 0.001f;
    frame = std::min(frame, kGrowthLimit * previousFrameTime_);
    frame = std::min(frame, kLongestFrame);
    frameTime_ = frame;
    previousFrameTime_ = std::max(frame, kShortestRemembered);
    gameStep_ = enginePaused ? 0.0f : std::min(timeScale_ * frame, kLongestGameStep);
    lastMs_ = nowMs;
    const uint32_t frameMs = uint32_t(frame * 1000.0f);
    realTimeMs_ += frameMs;
    frameClockMs_ += frameMs;
    gameTimeMs_ += uint32_t(gameStep_ * 1000.0f);
}

} // namespace lumivane
