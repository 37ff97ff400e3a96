// The rules construction shares with the units that are built: the world-wide
// fast-build switch and how the growing time splits between a connector
// piece and the structure built on it.
#pragma once

namespace lumivane {

// The application switch (trigger action 7) that makes every build fast.
inline constexpr int kFastBuildSwitch = 7;

// While on, the spacing and the build time are 0.1 s and a connector takes
// no share of the progress.
bool FastBuildOn();

// The share of the build progress the connector grows in (0..1): its build
// time over the structure's; 0 with fast build or a connector that takes no
// time, 1 when the structure itself takes none.
float ConnectorShare(float connectorTime, float unitTime);

} // namespace lumivane
