// TriggerCondition: one condition of a trigger, of 11 kinds (always, user
// events, delay, space bar, visibility, distance, a player without units,
// units gone, a wormhole passage, units near entities, a variable), with its
// versioned block in the scene-state file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/scene/world/entity_handle.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class Trigger;

enum class ConditionType : int32_t {
    Always = 0,
    UserEvent = 1,
    Delay = 2,
    SpaceBar = 3,
    Visible = 4,
    Distance = 5,
    PlayerBeaten = 6,
    UnitsGone = 7,
    Passage = 8,
    UnitsNear = 9,
    Variable = 10,
};
inline constexpr int32_t kConditionTypeCount = 11;

class TriggerCondition {
public:
    static constexpr size_t kNameSize = 32;

    // 1 when the condition holds now.
    int Test();

    void Save(platform::BinaryWriter& file) const;
    // False for a damaged block or an unknown type.
    bool Load(platform::BinaryReader& file, uint32_t version);

    Trigger* owner = nullptr;
    int32_t type = 0;
    int32_t latch = 0;
    uint32_t mask1 = 0; // 1: user event word 1
    uint32_t mask2 = 0; // 1: user event word 2
    uint32_t delay = 0; // 2: milliseconds
    // 4, 6, 7, 9: the player index (7: the "none" flag); 5: the reference
    // entity; 8: the wormhole.
    int32_t subject = 0;
    std::vector<EntityHandle> handles; // 4, 5, 7, 9
    int32_t mode = 0;                  // 4, 5, 7, 9
    float distance = 0.0f;             // 5, 9
    uint32_t value = 0;                // 8: the passage
    std::string name;                  // 8: passage name; 9: node filter; 10: variable
    int32_t comparison = 0;            // 10
    int32_t constant = 0;              // 10
    std::string name2;                 // 10: the variable compared with

private:
    bool TestVisible() const;
    bool TestDistance() const;
    bool TestPlayerBeaten() const;
    bool TestUnitsGone() const;
    bool TestPassage() const;
    bool TestUnitsNear() const;
    bool TestVariable() const;
};

} // namespace lumivane
