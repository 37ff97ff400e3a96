// The display's block of the scene-state file: its 16 mode words, the texts
// of slots 1..4, two spare words and the camera controller's block (its
// transition state and ten views). The scene engine keeps it whole while no
// display is installed, so files read and written again stay the same; the
// display and camera write the same layout from their own state.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/camera_view.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

// Mode words, in their saved order (floats are stored as their bits).
inline constexpr int kModeHudVisible = 0;
inline constexpr int kModeHudRequested = 1;
inline constexpr int kModeCinematic = 2;
inline constexpr int kModeFurtherSwitch = 7; // kept and saved; nothing draws by it
inline constexpr int kModeLetterbox = 9;
inline constexpr int kModeLetterboxAmount = 10;
inline constexpr int kModeFadeInWord = 11; // off, the scene fades to black
inline constexpr int kModeFadeAmountWord = 12;
inline constexpr int kModeBumpSwitch = 13; // the bump passes may run
inline constexpr int kModeWordCount = 16;
inline constexpr int kSavedTextSlots = 4;
inline constexpr size_t kSavedTextBytes = 1024;
// From this file version the block holds the slot texts.
inline constexpr uint32_t kFirstSavedTextVersion = 100;

// A switch given a mode: 0 off, 1 on, any other value the opposite of now.
inline int32_t ApplySwitchMode(int32_t current, int mode) {
    if (mode == 0 || mode == 1) return mode;
    return current > 0 ? 0 : 1;
}

using ModeWords = std::array<int32_t, kModeWordCount>;
// The fade switch given a mode; with `refresh` 0 the fade amount follows
// at once, else the frames ramp it.
void SetFadeSwitch(ModeWords& modes, int mode, int refresh);
// Value 0 sets the further switch; 1 clears the bump switch, any other
// value toggles it.
void SetDisplayFlags(ModeWords& modes, int value);

struct CameraBlock {
    static constexpr int kViewCount = 5;

    CameraBlock(); // a camera at its set-up, 4:3, at home

    float horizontalFov;
    float verticalFov;
    float framingFactor;
    // Current, previous, home, remembered, spare.
    std::array<CameraView, kViewCount> views;
    uint32_t reserved = 0;
    // Pre-point, start, goal, post-point, sequence origin.
    std::array<CameraView, kViewCount> transition;
    uint32_t clockSelector = 0;
    float duration = 0.0f;
    float progress = 0.0f;
    uint32_t moving = 0;
    uint32_t interpolation = 0;
    Vec3 endVelocity;
    Quat endTurn;
    Quat frameTurn;
    Quat previousOrientation;
    uint32_t lookAt = 0;
    float arrivalSpeed = 0.0f;
    int32_t sequenceTrigger = -1;
    int32_t sequenceStep = 0;
    uint32_t stepStart = 0;
    uint32_t sequenceClock = 0;
    Vec3 targetCentre;
    Vec3 previousCentre;
    float targetRadius = 0.0f;
    Vec3 velocity;
    uint32_t coast = 0;
    uint32_t coastStart = 0;
    Vec3 coastVelocity;
    // Input-held time ... sway amount, as stored (floats by their bits).
    std::array<uint32_t, 10> interaction{};

    void Save(platform::BinaryWriter& file) const;
    bool Load(platform::BinaryReader& file, uint32_t version);
};

struct DisplayBlock {
    DisplayBlock(); // a display after its construction

    ModeWords modes{};
    // Slots 1..4: whether "text%i" exists and its text buffer.
    std::array<bool, kSavedTextSlots> textPresent{};
    std::array<std::string, kSavedTextSlots> texts;
    std::array<uint32_t, 2> spare{};
    CameraBlock camera;

    void Save(platform::BinaryWriter& file) const;
    // False when the block is cut short; the block is then as it was.
    bool Load(platform::BinaryReader& file, uint32_t version);

    // The block without its camera part, for a display whose camera writes
    // its own.
    void SaveDisplayPart(platform::BinaryWriter& file) const;
    bool LoadDisplayPart(platform::BinaryReader& file, uint32_t version);
};

} // namespace lumivane
