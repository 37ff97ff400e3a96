// Debris: its life, its burst and its removal.
#include "desktop/scene/entity/debris.h"

#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr float kBurstFade = 2.0f;

const char* ExplosionName(int32_t colourCode) {
    if (colourCode == 2) return "explosion- Red";
    if (colourCode == 3) return "explosion- Blue";
    return "explosion- Yellow";
}

} // namespace

Debris::Debris() {
    classId = uint8_t(ClassId::Debris);
}

Node* Debris::Clone() {
    auto* copy = new Debris(*this);
    copy->InitClone(this);
    return copy;
}

void Debris::Update() {
    Entity::Update();
    const float frameTime = GetSceneClock().frameTime;
    if (remainingLife > kBurstAt && remainingLife - frameTime <= kBurstAt) Explode();
    remainingLife -= frameTime;
    if (remainingLife <= 0.0f) {
        remainingLife = 0.0f;
        if (World* world = GetWorld()) world->QueueRemove(this, nullptr, false);
    }
}

Entity* Debris::Explode() {
    ModelLibrary* library = GetModelLibrary();
    Entity* explosion =
        library ? library->CreateInstance(ExplosionName(colourCode), true) : nullptr;
    if (!explosion) return nullptr;
    explosion->position = position;
    explosion->velocity = velocity;
    explosion->owner = owner;
    explosion->ownerHandle = ownerHandle;
    if (PartSys* system = AsPartSys(explosion)) {
        system->fadeFactor = kBurstFade;
        system->sizeFactor *= radius;
        system->runsWithoutOwner = 0;
    }
    explosion->PlaceLocalMatrix();
    return explosion;
}

} // namespace lumivane
