// CameraView: one viewpoint of the camera controller, a record copied by
// value that owns its list of target units. Trigger actions keep camera
// paths of them and the scene-state file stores them, so the record's file
// form lives here with the scene engine; the camera controller reuses it.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

// From this file version a view record ends with its chase flag.
inline constexpr uint32_t kFirstChaseFlagVersion = 14;

struct CameraView {
    Vec3 position;
    Vec3 direction;
    Vec3 up;
    Vec3 right;
    std::vector<EntityHandle> targets;
    Vec3 offset; // where the camera stands from the centre of its targets
    int32_t chase = 0;

    // Copies every field with a list of its own.
    void Assign(const CameraView& source) { *this = source; }
    void FreeTargets() { targets = {}; }

    // 15 floats, the target count and handles, then the chase flag.
    void Save(platform::BinaryWriter& file) const;
    // The chase flag only above version 13 (older records keep the flag).
    // The count is checked against the bytes left; false (the view as it
    // was) when the record is cut short.
    bool Load(platform::BinaryReader& file, uint32_t version);
};

} // namespace lumivane
