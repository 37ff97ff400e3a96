// Posing a model node of a unit from its prototype: classes that turn guns,
// engines, turrets or a body node each frame start over from the node's
// base matrix, so turns never pile up.
#pragma once

#include "desktop/scene/object/vec3.h"

namespace lumivane {

class Node;

// The rotation of `angle` radians about the unit axis `axis`.
Quat AxisAngle(const Vec3& axis, float angle);

// Sets the node's local matrix to its prototype's, turned by `rotation`
// first (about the node's own axes). Nothing for a node that is not a
// TransNode or is missing.
void PoseNode(Node* node, const Quat& rotation);

} // namespace lumivane
