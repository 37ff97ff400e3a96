// Posing a model node from its prototype's base matrix.
#include "desktop/units/ship_base/node_pose.h"

#include <cmath>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/trans_node.h"

namespace lumivane {

Quat AxisAngle(const Vec3& axis, float angle) {
    const float s = std::sin(0.5f * angle);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(0.5f * angle)};
}

void PoseNode(Node* node, const Quat& rotation) {
    if (!IsA(node, ClassId::TransNode)) return;
    auto* trans = static_cast<TransNode*>(node);
    if (IsA(node->Prototype(), ClassId::TransNode))
        trans->local = static_cast<const TransNode*>(node->Prototype())->local;
    Matrix turn;
    turn.MakeRotation(rotation);
    trans->local.PreMultiply(turn);
}

} // namespace lumivane
