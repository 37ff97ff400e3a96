// A camera director for the data builder's scenes, made of the scene's own
// triggers: in turn it rides with one group of units after another (a
// shot), close enough that they read as ships. It takes a shot only while
// its units are in the thick of things (a unit of a chosen player near
// them: an enemy, for a fight) and on the field (near every one of the
// field's marks), passes over the others, moves on when the units it rides
// with are lost or have left the fight (after a look at where they were)
// or the field, and otherwise after a while. A group may name units that
// do not exist yet (held-back handles of a wave, the hub a kit becomes):
// the director takes it once they are there. When no shot can be taken it
// falls back on groups that only need to live.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"

namespace lumivane {
class Scene;
}

namespace databuilder {

struct DirectorShot {
    const char* name;
    std::vector<lumivane::EntityHandle> units; // ridden with
    // Taken while a unit of `player` is within `within` of one of them (a
    // unit of their own player at 0: while one of them lives).
    int player;
    float within;
    lumivane::Vec3 direction; // how the camera looks at them
    float distance;           // from how far back
};

struct DirectorPlan {
    int32_t firstTriggerId; // the triggers' ids run up from here: 2, then 10 for
                            // each shot and 5 for each fallback
    const char* variable;   // the script variable that holds the last shot taken
    uint32_t startMs;       // the director takes over this long after the start
    uint32_t moveMs;        // the camera's move to a shot
    uint32_t holdMs;        // the longest it stays with a shot, the move included
    uint32_t afterLossMs;   // how long it looks at where a shot's units were lost
    // The field: where a shot's units must be, within `fieldReach` of each
    // of the marks (none: anywhere); they have left it when they are no
    // longer within `fieldLeft` of every mark. Fallbacks may be anywhere.
    std::vector<lumivane::EntityHandle> fieldMarks;
    float fieldReach;
    float fieldLeft;
    // A shot's units have left the fight when no unit of its player is
    // within `within` times this of them.
    float leaveFactor;
    std::vector<DirectorShot> shots;     // in the order they are taken
    std::vector<DirectorShot> fallbacks; // when none of the shots can be
};

// Adds the director's two top-level triggers (the director, which starts
// inactive, and the one that sets it going) and answers how many were
// added: 2.
int AddCameraDirector(lumivane::Scene& scene, const DirectorPlan& plan);

// `direction` turned `yawDegrees` about the vertical (towards +X from +Z
// for a positive angle) and pitched to look `downDegrees` below the
// horizon.
lumivane::Vec3 LookDirection(const lumivane::Vec3& direction, float yawDegrees, float downDegrees);

// The radius of the model library's prototype of that name, 0 when there
// is no such entity.
float PrototypeRadius(const char* prototype);

// How far back the camera stands for a unit of `radius` to span `share`
// of its picture's width.
float DistanceToSpan(float radius, float share);

} // namespace databuilder
