// Every ship class of this folder, for the factory.
#pragma once

#include "desktop/units/ships/bomber.h"
#include "desktop/units/ships/catamaran.h"
#include "desktop/units/ships/colony_ship.h"
#include "desktop/units/ships/gunship.h"
#include "desktop/units/ships/light_craft.h"
#include "desktop/units/ships/mine_layer.h"
#include "desktop/units/ships/mining_station.h"
#include "desktop/units/ships/prefab_kit.h"
