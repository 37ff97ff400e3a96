// StandaloneScene: installing its services and putting the old ones back.
#include "desktop/scene/world/standalone_scene.h"

namespace lumivane {

StandaloneScene::Installed::Installed()
    : world(GetWorld()), library(GetModelLibrary()), scene(GetScene()), players(GetPlayers()),
      load(GetModelLoadState()) {}

StandaloneScene::Installed::~Installed() {
    SetWorld(world);
    SetModelLibrary(library);
    SetScene(scene);
    GetPlayers() = players;
    GetModelLoadState() = load;
}

StandaloneScene::StandaloneScene(const std::filesystem::path& dataRoot) {
    SetWorld(&world);
    SetModelLibrary(&library);
    SetScene(&scene);
    loaded = library.LoadAll(dataRoot) != 0;
    for (auto& player : players)
        player->Reset(); // the build lists of the loaded library
}

StandaloneScene::~StandaloneScene() {
    // Entities go while the prototypes they were cloned from still exist.
    world.Clear();
}

} // namespace lumivane
