// Storage of the scene graph's optional hooks (none set until the parts
// that answer them start).
#include "Jentra/core/scene/scene_hooks.h"

JTSceneHooks gJTSceneHooks;
