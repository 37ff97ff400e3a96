// Building an entity from its prototype record: the class the record names,
// the record shared with the prototype database, the model, and the scene.
#include "Jentra/JTEntityProps.h"

#include "Jentra/JTEntity.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTPartSys.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"

#include <strings.h>

JTEntity* JTEntityProps::Instantiate(JTScene* scene) {
    // A particle system reads the particle values, so a record that names
    // the class but holds none of them makes a plain entity instead.
    bool particles = strncasecmp(szClass, "JTPartSys", sizeof szClass) == 0 &&
                     dynamic_cast<JTPartSysProps*>(this) != nullptr;
    JTEntity* entity = particles ? JTPartSysCreate() : new JTEntity;

    // The entity drops the record its constructor made and uses this one,
    // which the database keeps for longer than any of its instances.
    entity->SetProps(this, false);

    if (gpJTProtobase) {
        gpJTProtobase->Create(pModel, entity);
    } else {
        // No database to load the model from: the entity stays without one
        // but is still told that it is complete, so that it starts working
        // (a particle system schedules its first reset on this message).
        entity->Message(nullptr, &entity->GetID(), JTMSG_CREATED, nullptr);
    }
    if (scene) scene->Add(entity);
    return entity;
}
