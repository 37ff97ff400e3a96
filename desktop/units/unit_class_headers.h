// The headers of every unit class the scene engine's factory builds once
// the unit library has registered them: ships, structures, turrets,
// deployables, projectiles and the pilot.
#pragma once

#include "desktop/units/carrier/carrier.h"
#include "desktop/units/carrier/craft.h"
#include "desktop/units/deployable/deployables.h"
#include "desktop/units/pilot/pilot.h"
#include "desktop/units/pod/pod_bay.h"
#include "desktop/units/pod/utility_pod.h"
#include "desktop/units/ship/ship.h"
#include "desktop/units/ships/ship_classes.h"
#include "desktop/units/structure/hubble_scope.h"
#include "desktop/units/structure/station_parts.h"
#include "desktop/units/structure/structure.h"
#include "desktop/units/structure/turrets.h"
#include "desktop/units/tug/tow_cable.h"
#include "desktop/units/tug/tug.h"
#include "desktop/units/turret/turret_ships.h"
#include "desktop/units/weapon/projectiles.h"
#include "desktop/units/weapon/weapon.h"
