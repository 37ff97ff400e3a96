// The main loop's frame clock, on the 32-bit millisecond clock: the time a
// frame took (held to 1.5 times the one before and to a quarter second),
// the game step (scaled, at most 0.1 s, 0 while the engine is paused), and
// the millisecond clocks the scene reads.
#pragma once

#include <cstdint>

namespace lumivane {

class FrameClock {
public:
    static constexpr float kGrowthLimit = 1.5f;
    static constexpr float kLongestFrame = 0.25f;
    static constexpr float kShortestRemembered = 0.033333335f;
    static constexpr float kLongestGameStep = 0.1f;

    // A run starts: previous frame 1 s, scale 1, and the next Advance
    // takes its time as the start.
    void Restart();
    void Advance(uint32_t nowMs, bool enginePaused);

    float FrameTime() const { return frameTime_; }
    float PreviousFrameTime() const { return previousFrameTime_; }
    float GameStep() const { return gameStep_; }
    float TimeScale() const { return timeScale_; }
    void SetTimeScale(float scale) { timeScale_ = scale; }

    // Advanced by every frame's time and game step, in whole milliseconds.
    uint32_t RealTimeMs() const { return realTimeMs_; }
    uint32_t FrameTimeClockMs() const { return frameClockMs_; }
    uint32_t GameTimeMs() const { return gameTimeMs_; }
    void ResetGameTime() { gameTimeMs_ = 0; }

private:
    bool restart_ = true;
    uint32_t lastMs_ = 0;
    float frameTime_ = 0.0f;
    float previousFrameTime_ = 1.0f;
    float gameStep_ = 0.0f;
    float timeScale_ = 1.0f;
    uint32_t realTimeMs_ = 0;
    uint32_t frameClockMs_ = 0;
    uint32_t gameTimeMs_ = 0;
};

} // namespace lumivane
