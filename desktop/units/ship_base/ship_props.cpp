// The Ship property table and the offsets of its values.
#include "desktop/units/ship_base/ship_props.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/object/math_tables.h"

namespace lumivane {

namespace {

using T = PropType;

std::vector<PropDesc> BuildShipTable() {
    PropTableBuilder b;
    b.Value("race", T::Integer, 0, 3, 0);
    b.Value("icon number", T::Integer, 0, 100, 0);
    b.Value("sensor range", T::Distance, 0, 200, 20.0f);
    b.Value("pilot type", T::Integer, 0, 10, 0);
    b.Flag("target for enemies", true);
    b.Group("Build/Repair");
    b.Value("cost", T::Float, 0, 10000, 100.0f);
    b.Value("build time", T::Float, 0, 60, 10.0f);
    b.Value("repair units/sec", T::Float, 0, 50, 5.0f);
    b.Value("repair cost (% of build)", T::Float, 0, 1, 0.5f);
    b.Value("*EndBuild*", T::GroupEnd, 0, 0, 0);
    b.Group("Halo");
    b.Value("halo type", T::Integer, 0, 14, 0);
    b.Value("tray width", T::Float, 0, 2, 1.0f);
    b.Value("tray length", T::Float, 0, 2, 1.0f);
    b.Value("tray height", T::Float, 0, 2, 1.0f);
    b.Value("tray offset", T::Float, -1, 1, 1.0f);
    b.EndGroup("Halo");
    b.Group("Weapon");
    b.Text("weapon", T::Name);
    b.Value("fire range", T::Distance, 0, 10, 20.0f);
    b.Value("fire angle", T::Angle, 0, kPi, 0.5236f);
    b.Value("reload time", T::Time, 0, 30, 1.0f);
    b.Value("reload time spread", T::Time, 0, 30, 0);
    b.Value("turret speed", T::Angle, 0, 2 * kPi, 1.5708f);
    b.Value("scatter angle", T::Angle, 0, kPi, 0);
    b.EndGroup("Weapon");
    b.Group("Thrust");
    b.Value("thrust", T::Float, 0, 3, 0.2f);
    b.Value("top speed", T::Float, 0, 2, 1.0f);
    b.Value("angular thrust", T::Float, 0, 2, 0.2f);
    b.Value("turn speed", T::Float, 0, 1, 1.0f);
    b.Value("banking", T::Float, 0, 1, 1.0f);
    b.Value("LR thrust decay", T::Float, 0, 1, 0.6f);
    b.Value("UD thrust decay", T::Float, 0, 1, 0.6f);
    b.Value("C thrust decay", T::Float, 0, 1, 0.6f);
    b.Flag("C thrust in LR", true);
    b.Flag("LR thrust in C", false);
    b.Value("fuel time", T::Float, 0, 300, 60.0f);
    b.EndGroup("Thrust");
    b.Group("Tasks");
    b.Flag("task: move", true);
    b.Flag("task: attack", true);
    b.Flag("task: mine", false);
    b.Flag("task: comsat", false);
    b.Flag("task: build", false);
    b.Flag("task: repair", true);
    b.Flag("task: berserk", true);
    b.Flag("task: destruct", true);
    b.Flag("task: gather", false);
    b.Value("gather amount total", T::Float, 0, 1000, 100.0f);
    b.Value("gather amount per", T::Float, 0, 1000, 25.0f);
    b.Flag("task: deploy", false);
    b.Flag("task: tow", false);
    b.Flag("task: sensor", false);
    b.Flag("task: clone", false);
    b.Flag("task: dock", false);
    b.Flag("task: auto attack", true);
    b.Flag("task: auto pursue", true);
    b.Flag("task: auto repair", true);
    b.Flag("task: stop", true);
    b.Flag("task: scrap", true);
    b.Flag("task: recall", false);
    b.Flag("task: follow", true);
    b.Flag("task: formation", true);
    b.Flag("task: rotate", false);
    b.EndGroup("Tasks");
    b.Group("Construct");
    b.Text("placer", T::Name, "structplacer");
    b.Text("connector", T::Name, "connector");
    b.Value("build spacing time", T::Float, 0, 20, 0);
    for (int i = 1; i <= kBuildChoices; ++i)
        b.Text("construct" + std::to_string(i), T::Name);
    b.EndGroup("Construct");
    return b.End("Ship", EntityPropDescs());
}

size_t Offset(const std::string& name) {
    size_t cursor = 0;
    if (!PropDesc::Find(ShipPropDescs(), name, cursor)) std::abort(); // the table names it
    return cursor;
}

ShipPropFields MakeFields() {
    ShipPropFields f{};
    f.race = Offset("race");
    f.iconNumber = Offset("icon number");
    f.sensorRange = Offset("sensor range");
    f.pilotType = Offset("pilot type");
    f.targetForEnemies = Offset("target for enemies");
    f.cost = Offset("cost");
    f.buildTime = Offset("build time");
    f.repairUnitsPerSecond = Offset("repair units/sec");
    f.repairCostShare = Offset("repair cost (% of build)");
    f.haloType = Offset("halo type");
    f.trayWidth = Offset("tray width");
    f.trayLength = Offset("tray length");
    f.trayHeight = Offset("tray height");
    f.trayOffset = Offset("tray offset");
    f.weapon = Offset("weapon");
    f.fireRange = Offset("fire range");
    f.fireAngle = Offset("fire angle");
    f.reloadTime = Offset("reload time");
    f.reloadTimeSpread = Offset("reload time spread");
    f.turretSpeed = Offset("turret speed");
    f.scatterAngle = Offset("scatter angle");
    f.thrust = Offset("thrust");
    f.topSpeed = Offset("top speed");
    f.angularThrust = Offset("angular thrust");
    f.turnSpeed = Offset("turn speed");
    f.banking = Offset("banking");
    f.lrThrustDecay = Offset("LR thrust decay");
    f.udThrustDecay = Offset("UD thrust decay");
    f.cThrustDecay = Offset("C thrust decay");
    f.cThrustInLr = Offset("C thrust in LR");
    f.lrThrustInC = Offset("LR thrust in C");
    f.fuelTime = Offset("fuel time");
    f.taskMove = Offset("task: move");
    f.taskAttack = Offset("task: attack");
    f.taskMine = Offset("task: mine");
    f.taskComsat = Offset("task: comsat");
    f.taskBuild = Offset("task: build");
    f.taskRepair = Offset("task: repair");
    f.taskBerserk = Offset("task: berserk");
    f.taskDestruct = Offset("task: destruct");
    f.taskGather = Offset("task: gather");
    f.gatherAmountTotal = Offset("gather amount total");
    f.gatherAmountPer = Offset("gather amount per");
    f.taskDeploy = Offset("task: deploy");
    f.taskTow = Offset("task: tow");
    f.taskSensor = Offset("task: sensor");
    f.taskClone = Offset("task: clone");
    f.taskDock = Offset("task: dock");
    f.taskAutoAttack = Offset("task: auto attack");
    f.taskAutoPursue = Offset("task: auto pursue");
    f.taskAutoRepair = Offset("task: auto repair");
    f.taskStop = Offset("task: stop");
    f.taskScrap = Offset("task: scrap");
    f.taskRecall = Offset("task: recall");
    f.taskFollow = Offset("task: follow");
    f.taskFormation = Offset("task: formation");
    f.taskRotate = Offset("task: rotate");
    f.placer = Offset("placer");
    f.connector = Offset("connector");
    f.buildSpacingTime = Offset("build spacing time");
    for (int i = 0; i < kBuildChoices; ++i)
        f.construct[i] = Offset("construct" + std::to_string(i + 1));
    return f;
}

} // namespace

const PropDesc* ShipPropDescs() {
    static const std::vector<PropDesc> table = BuildShipTable();
    return table.data();
}

const ShipPropFields& ShipFields() {
    static const ShipPropFields fields = MakeFields();
    return fields;
}

} // namespace lumivane
