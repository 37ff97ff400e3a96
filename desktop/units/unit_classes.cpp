// The unit classes the scene engine's factory builds, by class-table name.
#include "desktop/units/unit_classes.h"

#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/object_factory.h"
#include "desktop/units/unit_class_headers.h"

namespace lumivane {

namespace {

struct UnitClass {
    const char* name;
    ObjectMaker make;
};

constexpr UnitClass kUnitClasses[] = {
    {"Ship", MakeObject<Ship>},
    {"Weapon", MakeObject<Weapon>},
    {"Cruiser", MakeObject<Cruiser>},
    {"MineLayer", MakeObject<MineLayer>},
    {"Mine", MakeObject<Mine>},
    {"Comsat", MakeObject<Comsat>},
    {"MineSweeper", MakeObject<MineSweeper>},
    {"Interceptor", MakeObject<Interceptor>},
    {"Tug", MakeObject<Tug>},
    {"MissileBoat", MakeObject<MissileBoat>},
    {"Missile", MakeObject<Missile>},
    {"ShockWave", MakeObject<ShockWave>},
    {"PlasmaBall", MakeObject<PlasmaBall>},
    {"Gunship", MakeObject<Gunship>},
    {"Carrier", MakeObject<Carrier>},
    {"Structure", MakeObject<Structure>},
    {"Turret", MakeObject<Turret>},
    {"Starburst", MakeObject<Starburst>},
    {"Connector", MakeObject<Connector>},
    {"Pilot", MakeObject<Pilot>},
    {"ATR", MakeObject<ATR>},
    {"LightningBall", MakeObject<LightningBall>},
    {"Drydock", MakeObject<Drydock>},
    {"UtilityPod", MakeObject<UtilityPod>},
    {"PodBay", MakeObject<PodBay>},
    {"Tracer", MakeObject<Tracer>},
    {"StructPlacer", MakeObject<StructPlacer>},
    {"Probe", MakeObject<Probe>},
    {"PatrolBoat", MakeObject<PatrolBoat>},
    {"ColonyShip", MakeObject<ColonyShip>},
    {"Catamaran", MakeObject<Catamaran>},
    {"Bomber", MakeObject<Bomber>},
    {"CarrierFighter", MakeObject<CarrierFighter>},
    {"SpaceMarine", MakeObject<SpaceMarine>},
    {"PerimeterStation", MakeObject<PerimeterStation>},
    {"HubbleScope", MakeObject<HubbleScope>},
    {"MissileTurret", MakeObject<MissileTurret>},
    {"ChaffeLauncher", MakeObject<ChaffeLauncher>},
    {"MiningStation", MakeObject<MiningStation>},
    {"PrefabKit", MakeObject<PrefabKit>},
    {"Shuttle", MakeObject<Shuttle>},
    {"CapitolShip", MakeObject<CapitolShip>},
    {"Decoy", MakeObject<Decoy>},
    {"Hub", MakeObject<Hub>},
    {"TowCable", MakeObject<TowCable>},
    {"Hangar", MakeObject<Hangar>},
};

} // namespace

void RegisterUnitClasses() {
    for (const UnitClass& unitClass : kUnitClasses)
        RegisterClass(unitClass.name, unitClass.make);
    // A new scene starts the pilots' call signs from the roster's first.
    SetUnitSceneStartHook(&Pilot::ResetRoster);
}

} // namespace lumivane
