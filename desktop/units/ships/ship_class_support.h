// What the ship classes share: the game clock in milliseconds, binding a
// numbered family of model nodes by name, and the thruster-driven turn of
// engine nodes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "desktop/scene/object/vec3.h"

namespace lumivane {

class Entity;
class Node;
class Ship;

inline constexpr Vec3 kAxisX{1.0f, 0.0f, 0.0f};
inline constexpr Vec3 kAxisY{0.0f, 1.0f, 0.0f};
inline constexpr Vec3 kAxisZ{0.0f, 0.0f, 1.0f};

// The game clock, ms.
int32_t GameNow();
// Milliseconds from `stamp` to now (negative before it), without overflow.
int64_t SinceStamp(int32_t stamp);

// The node named by `format` with the number (e.g. "tube%i", 2), or null.
Node* FindNumberedNode(Node& root, const char* format, int number);
// The name the format gives the number ("fire%i", 2 -> "fire2").
std::string NumberedName(const char* format, int number);

// Poses an engine node from its base matrix, turned `aboutX` radians about
// its X axis, then `aboutY` about its Y axis.
void TurnEngineNode(Node* node, float aboutX, float aboutY);

// The ship's target while it can see it and it is still an enemy; else the
// target is dropped and null comes back.
Entity* FightableTarget(Ship& ship);

// Where a unit stands off from its target as the capital ships do: on the
// line to it, half the "fire range" and both radii short of it; within
// 4 radii of that point it holds there facing the target, else it flies
// there.
void KeepStandOff(Ship& ship, const Entity& target);

} // namespace lumivane
