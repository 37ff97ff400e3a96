// The display's block of the scene-state file, with the defaults of a display
// and camera that have just been set up.
#include "desktop/scene/world/display_block.h"

#include <bit>
#include <cmath>

#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr float kQuarterPi = 0.7853982f;
constexpr float kDefaultAspect = 4.0f / 3.0f;
constexpr float kDefaultSceneRadius = 500.0f;
constexpr int kSwayWord = 9;

bool ReadQuat(platform::BinaryReader& file, Quat& q) {
    return file.ReadF32(q.x) && file.ReadF32(q.y) && file.ReadF32(q.z) && file.ReadF32(q.w);
}

void WriteQuat(platform::BinaryWriter& file, const Quat& q) {
    file.WriteF32(q.x);
    file.WriteF32(q.y);
    file.WriteF32(q.z);
    file.WriteF32(q.w);
}

// The view looking down at 45 degrees towards the origin from the scene's
// edge, where the camera starts.
CameraView HomeView(float verticalFov) {
    const float c = std::cos(kQuarterPi);
    const float h = kDefaultSceneRadius * c * (c / std::tan(verticalFov / 2.0f) + c);
    CameraView home;
    home.position = {0.0f, h, h};
    home.direction = {0.0f, -c, -c};
    home.up = {0.0f, c, -c};
    home.right = {-1.0f, 0.0f, 0.0f};
    return home;
}

} // namespace

CameraBlock::CameraBlock() {
    horizontalFov = kQuarterPi;
    verticalFov = 2.0f * std::atan(std::tan(kQuarterPi / 2.0f) / kDefaultAspect);
    framingFactor = ((1.0f / std::tan(verticalFov / 2.0f) + 1.0f) / std::sqrt(2.0f)) * 750.0f;
    const CameraView home = HomeView(verticalFov);
    views[0] = home; // current: reset to home
    views[2] = home;
    interaction[kSwayWord] = std::bit_cast<uint32_t>(1.0f);
}

void CameraBlock::Save(platform::BinaryWriter& file) const {
    file.WriteF32(horizontalFov);
    file.WriteF32(verticalFov);
    file.WriteF32(framingFactor);
    for (const CameraView& view : views)
        view.Save(file);
    file.WriteU32(reserved);
    for (const CameraView& view : transition)
        view.Save(file);
    file.WriteU32(clockSelector);
    file.WriteF32(duration);
    file.WriteF32(progress);
    file.WriteU32(moving);
    file.WriteU32(interpolation);
    WriteVec3(file, endVelocity);
    WriteQuat(file, endTurn);
    WriteQuat(file, frameTurn);
    WriteQuat(file, previousOrientation);
    file.WriteU32(lookAt);
    file.WriteF32(arrivalSpeed);
    file.WriteI32(sequenceTrigger);
    file.WriteI32(sequenceStep);
    file.WriteU32(stepStart);
    file.WriteU32(sequenceClock);
    WriteVec3(file, targetCentre);
    WriteVec3(file, previousCentre);
    file.WriteF32(targetRadius);
    WriteVec3(file, velocity);
    file.WriteU32(coast);
    file.WriteU32(coastStart);
    WriteVec3(file, coastVelocity);
    for (uint32_t word : interaction)
        file.WriteU32(word);
}

bool CameraBlock::Load(platform::BinaryReader& file, uint32_t version) {
    CameraBlock read = *this;
    bool ok = file.ReadF32(read.horizontalFov) && file.ReadF32(read.verticalFov) &&
              file.ReadF32(read.framingFactor);
    for (CameraView& view : read.views)
        ok = ok && view.Load(file, version);
    ok = ok && file.ReadU32(read.reserved);
    for (CameraView& view : read.transition)
        ok = ok && view.Load(file, version);
    ok = ok && file.ReadU32(read.clockSelector) && file.ReadF32(read.duration) &&
         file.ReadF32(read.progress) && file.ReadU32(read.moving) &&
         file.ReadU32(read.interpolation) && ReadVec3(file, read.endVelocity) &&
         ReadQuat(file, read.endTurn) && ReadQuat(file, read.frameTurn) &&
         ReadQuat(file, read.previousOrientation) && file.ReadU32(read.lookAt) &&
         file.ReadF32(read.arrivalSpeed) && file.ReadI32(read.sequenceTrigger) &&
         file.ReadI32(read.sequenceStep) && file.ReadU32(read.stepStart) &&
         file.ReadU32(read.sequenceClock) && ReadVec3(file, read.targetCentre) &&
         ReadVec3(file, read.previousCentre) && file.ReadF32(read.targetRadius) &&
         ReadVec3(file, read.velocity) && file.ReadU32(read.coast) &&
         file.ReadU32(read.coastStart) && ReadVec3(file, read.coastVelocity);
    for (uint32_t& word : read.interaction)
        ok = ok && file.ReadU32(word);
    if (!ok) return false;
    *this = std::move(read);
    return true;
}

void SetFadeSwitch(ModeWords& modes, int mode, int refresh) {
    const int32_t on = ApplySwitchMode(modes[kModeFadeInWord], mode);
    modes[kModeFadeInWord] = on;
    if (refresh == 0) modes[kModeFadeAmountWord] = std::bit_cast<int32_t>(on ? 1.0f : 0.0f);
}

void SetDisplayFlags(ModeWords& modes, int value) {
    if (value == 0)
        modes[kModeFurtherSwitch] = 1;
    else
        modes[kModeBumpSwitch] = value == 1 || modes[kModeBumpSwitch] > 0 ? 0 : 1;
}

DisplayBlock::DisplayBlock() {
    // A display starts with its HUD shown, faded in fully, and the switches
    // that start on.
    for (int word : {kModeHudVisible, kModeHudRequested, kModeFurtherSwitch, 8, kModeFadeInWord,
                     kModeBumpSwitch, 14, 15})
        modes[size_t(word)] = 1;
    modes[kModeFadeAmountWord] = std::bit_cast<int32_t>(1.0f);
}

void DisplayBlock::Save(platform::BinaryWriter& file) const {
    SaveDisplayPart(file);
    camera.Save(file);
}

bool DisplayBlock::Load(platform::BinaryReader& file, uint32_t version) {
    DisplayBlock read = *this;
    if (!read.LoadDisplayPart(file, version) || !read.camera.Load(file, version)) return false;
    *this = std::move(read);
    return true;
}

void DisplayBlock::SaveDisplayPart(platform::BinaryWriter& file) const {
    for (int32_t word : modes)
        file.WriteI32(word);
    for (int i = 0; i < kSavedTextSlots; ++i) {
        file.WriteU32(textPresent[size_t(i)] ? 1 : 0);
        if (!textPresent[size_t(i)]) continue;
        std::string buffer = texts[size_t(i)];
        buffer.resize(kSavedTextBytes, '\0');
        file.WriteBytes(buffer.data(), buffer.size());
    }
    for (uint32_t word : spare)
        file.WriteU32(word);
}

bool DisplayBlock::LoadDisplayPart(platform::BinaryReader& file, uint32_t version) {
    std::array<int32_t, kModeWordCount> readModes{};
    std::array<bool, kSavedTextSlots> readPresent{};
    std::array<std::string, kSavedTextSlots> readTexts;
    std::array<uint32_t, 2> readSpare = spare;
    bool ok = true;
    for (int32_t& word : readModes)
        ok = ok && file.ReadI32(word);
    if (version >= kFirstSavedTextVersion) {
        for (int i = 0; i < kSavedTextSlots && ok; ++i) {
            uint32_t present = 0;
            ok = file.ReadU32(present);
            readPresent[size_t(i)] = present != 0;
            if (ok && present) ok = file.ReadString(readTexts[size_t(i)], kSavedTextBytes);
        }
        for (uint32_t& word : readSpare)
            ok = ok && file.ReadU32(word);
    }
    if (!ok) return false;
    modes = readModes;
    textPresent = readPresent;
    texts = std::move(readTexts);
    spare = readSpare;
    return true;
}

} // namespace lumivane
