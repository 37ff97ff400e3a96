// The station the base scene is built round, written into
// "LumivaneData/models" through the units' own Save with their property
// files: the "hub" that builds ships and modules, the "connector" piece a
// module grows on, the modules ("drydock", "hangar", "turret",
// "missileturret", "chafflauncher", "scope" with its "HubbleProxy"), the
// "scout" the station turns out and the "structplacer" ghost.
#pragma once

#include <filesystem>

namespace databuilder {

// The hub's build choices, in "construct1".. order.
inline constexpr const char* kHubChoices[] = {"scout",   "turret", "missileturret", "chafflauncher",
                                              "drydock", "hangar", "scope"};

bool WriteStationModels(const std::filesystem::path& root);

} // namespace databuilder
