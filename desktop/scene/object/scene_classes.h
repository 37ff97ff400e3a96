// The headers of every class the object factory makes: the scenery bodies,
// lights, particle systems, collections and the space units, so the factory,
// the scene and the tests that build scenes by class name see them all.
#pragma once

#include "desktop/scene/entity/celestial.h"
#include "desktop/scene/entity/collection.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/entity/lens_flare.h"
#include "desktop/scene/entity/part_node.h"
#include "desktop/units/ship/ship.h"
#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/unknown.h"
#include "desktop/units/deployable/deployables.h"
#include "desktop/units/pilot/pilot.h"
#include "desktop/units/pod/pod_bay.h"
#include "desktop/units/pod/utility_pod.h"
#include "desktop/units/ships/ship_classes.h"
#include "desktop/units/structure/hubble_scope.h"
#include "desktop/units/structure/station_parts.h"
#include "desktop/units/structure/structure.h"
#include "desktop/units/structure/turrets.h"
#include "desktop/units/tug/tow_cable.h"
#include "desktop/units/tug/tug.h"
#include "desktop/units/weapon/projectiles.h"
#include "desktop/units/weapon/weapon.h"
