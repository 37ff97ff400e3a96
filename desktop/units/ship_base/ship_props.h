// ShipProps: the property table of every unit class (race, sensors, build
// and repair costs, the tray halo, the main weapon, thrust and its decay,
// the tasks a unit can be ordered to do and what it can construct). The
// block continues the Entity block at byte 841. The offsets below are found
// once by name, so units read their values without searching.
#pragma once

#include <cstddef>

#include "desktop/scene/entity/prop_desc.h"

namespace lumivane {

inline constexpr int kBuildChoices = 10;

// The Ship table (ends with "Ship", base table Entity's).
const PropDesc* ShipPropDescs();

struct ShipPropFields {
    size_t race, iconNumber, sensorRange, pilotType, targetForEnemies;
    size_t cost, buildTime, repairUnitsPerSecond, repairCostShare;
    size_t haloType, trayWidth, trayLength, trayHeight, trayOffset;
    size_t weapon, fireRange, fireAngle, reloadTime, reloadTimeSpread, turretSpeed, scatterAngle;
    size_t thrust, topSpeed, angularThrust, turnSpeed, banking;
    size_t lrThrustDecay, udThrustDecay, cThrustDecay, cThrustInLr, lrThrustInC, fuelTime;
    size_t taskMove, taskAttack, taskMine, taskComsat, taskBuild, taskRepair, taskBerserk;
    size_t taskDestruct, taskGather, gatherAmountTotal, gatherAmountPer, taskDeploy, taskTow;
    size_t taskSensor, taskClone, taskDock, taskAutoAttack, taskAutoPursue, taskAutoRepair;
    size_t taskStop, taskScrap, taskRecall, taskFollow, taskFormation, taskRotate;
    size_t placer, connector, buildSpacingTime;
    size_t construct[kBuildChoices];
};

const ShipPropFields& ShipFields();

} // namespace lumivane
