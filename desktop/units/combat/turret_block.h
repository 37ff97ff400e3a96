// TurretBlock: the aiming state of one turret of a multi-turret unit class
// (its yaw, pitch and aim nodes, angles and their ranges, its own reload,
// idle sweep and target), saved whole as 60 bytes. The node words are
// written as 0 and found again by name when a unit is loaded or cloned.
// TurretAngles turns a direction in the unit's frame into the turret's yaw
// and pitch; classes whose turrets are mounted on their sides pass their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"
#include "desktop/units/ship_base/node_pose.h" // AxisAngle and PoseNode, which turrets use

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class Node;

inline constexpr size_t kTurretBlockBytes = 60;

struct TurretBlock {
    Node* yawNode = nullptr;
    Node* pitchNode = nullptr;
    Node* aimNode = nullptr; // null: the unit itself
    float yaw = 0.0f;
    float pitch = 0.0f;
    int32_t nextFireTime = 1;
    int32_t wanderNextTime = 0;
    Vec3 wanderPoint{0.0f, 0.0f, 1.0f};
    EntityHandle target = kNoEntity;
    // A yaw range whose minimum exceeds its maximum wraps through +-pi.
    float yawMax = 0.0f;
    float yawMin = 0.0f;
    float pitchMax = 0.0f;
    float pitchMin = 0.0f;
};

using TurretAngles = void (*)(const Vec3& local, float& yaw, float& pitch);

// Yaw about the unit's up axis and pitch above its horizontal plane.
void StandardTurretAngles(const Vec3& local, float& yaw, float& pitch);

// Whether the yaw lies in the block's range widened by `widen` each way.
bool YawInRange(const TurretBlock& block, float yaw, float widen);

void SaveTurretBlock(platform::BinaryWriter& file, const TurretBlock& block);
// The node pointers are left as they are.
bool LoadTurretBlock(platform::BinaryReader& file, TurretBlock& block);

} // namespace lumivane
