// The rise of a station's body: the lean over time and posing the node.
#include "desktop/units/ship_base/body_tilt.h"

#include <cmath>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/units/ship_base/ship.h"

namespace lumivane {

float RiseTiltAngle(int32_t start, int32_t now) {
    const float quarter = 0.5f * kPi;
    const int64_t since = int64_t(now) - int64_t(start) - kTiltHoldMs;
    if (since < 0) return quarter;
    const float s = float(since) / float(kTiltEaseMs);
    if (s >= 1.0f) return 0.0f;
    return quarter - (std::cos(kPi * (s + 1.0f)) + 1.0f) * 0.5f * quarter;
}

void UpdateBodyTilt(Ship& unit, Node* tiltNode, int32_t& start) {
    const int32_t now = int32_t(GetSceneClock().gameTime);
    if (unit.fadeFlag) start = now;
    if (!IsA(tiltNode, ClassId::TransNode)) return;
    auto* node = static_cast<TransNode*>(tiltNode);
    if (IsA(node->Prototype(), ClassId::TransNode))
        node->local = static_cast<const TransNode*>(node->Prototype())->local;
    Matrix lean;
    lean.MakeRotation(Quat::MakeAxisAngle({1.0f, 0.0f, 0.0f}, RiseTiltAngle(start, now)));
    node->local.PreMultiply(lean);
}

} // namespace lumivane
