// The rise of a station's body as it settles after appearing: its tilt
// node leans a quarter turn about its local X axis while the station fades
// in and for six seconds after, then eases upright over eight seconds.
// The MiningStation and the PerimeterStation share it.
#pragma once

#include <cstdint>

namespace lumivane {

class Node;
class Ship;

inline constexpr int32_t kTiltHoldMs = 6000;
inline constexpr int32_t kTiltEaseMs = 8000;
// A clone starts this long after its rise began: already upright.
inline constexpr int32_t kTiltSettledMs = 20000;

// The lean at `now` of a body whose rise started at `start` (ms).
float RiseTiltAngle(int32_t start, int32_t now);

// While the unit fades `start` follows the clock; the node is then posed
// at the lean (from its prototype's matrix). A missing node is skipped.
void UpdateBodyTilt(Ship& unit, Node* tiltNode, int32_t& start);

} // namespace lumivane
