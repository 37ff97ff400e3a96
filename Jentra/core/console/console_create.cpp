// The console's "create" command: an entity with the named model, added to
// the game's main scene.
#include "Jentra/JTConsole.h"

#include "Jentra/JTEntity.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"

#include <cstdio>

namespace {

JTScene* MainScene() {
    return gpJTGame ? gpJTGame->GetMainScene() : nullptr;
}

} // namespace

void JTConsole::RunCreate(const char* name) {
    char line[kInputLineSize + 32];
    JTScene* scene = MainScene();
    JTEntity* entity = nullptr;
    // Without a scene to take it the entity would only leak; without its
    // model it would be an invisible nothing that the user did not ask for.
    if (scene && gpJTProtobase && *name) {
        entity = gpJTProtobase->Create(name, nullptr);
        if (entity && entity->GetNumChildren() == 0) {
            delete entity;
            entity = nullptr;
        }
    }
    if (entity) {
        scene->Add(entity);
        std::snprintf(line, sizeof line, "-CREATE: \"%s\"\n", name);
    } else {
        std::snprintf(line, sizeof line, "-CREATE FAILED: \"%s\"\n", name);
    }
    Print(line);
}
