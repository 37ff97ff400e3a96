// Services the scene graph asks of parts built on top of it: the main
// camera's view direction (for view-angle fading) and the cursor's
// forgetting of a deleted entity. Each hook is optional.
#pragma once

#include "Jentra/JTMath.h"

class JTEntity;

struct JTSceneHooks {
    // The main camera's view direction; false when there is no camera.
    bool (*mainViewDirection)(JTVec3& direction) = nullptr;
    // Called before a scene deletes one of its entities.
    void (*entityDeleted)(JTEntity* entity) = nullptr;
};

extern JTSceneHooks gJTSceneHooks;
