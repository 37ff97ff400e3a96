// What the units read of the program around them: the user's repair
// threshold, the switches that the command interface and the scene set, and
// the stamp of the local player's last fight that the music follows. The
// program shell owns these values; tools and tests run with the defaults.
#pragma once

#include <cstdint>

namespace lumivane {

struct UnitSettings {
    // Below this share of "health max" a unit of the local player asks for
    // repair by itself (others ask below a quarter).
    float repairThreshold = 0.5f;
    // Follow orders pass even to units without "task: move".
    bool followAlways = false;
    // A formation order given while a scene starts places the members at
    // once when both switches are on.
    bool placeFormations = true;
    bool placeAtSceneStart = true;
    // Game clock of the last frame a unit of the local player fought.
    uint32_t lastCombatTime = 0;
};

UnitSettings& GetUnitSettings();

} // namespace lumivane
