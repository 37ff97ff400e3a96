// RegisterUnitClasses: the unit library's part of start-up. It gives the
// scene engine's factory every unit class by its name in the class table
// (ships, structures, turrets, deployables, projectiles and the pilot) and
// its scene-start hook. Programs, tools and tests that load scenes with
// units call it once before the first load.
#pragma once

namespace lumivane {

void RegisterUnitClasses();

} // namespace lumivane
