// The game's light.
#include "chess/game/scene_objects.h"

JT_CLASS_IMPL(ChessLight)

ChessLight* ChessLight::Make(int type, float r, float g, float b, float range,
                             const JTVec3& position) {
    auto* light = new ChessLight();
    JTLightRecord& record = light->GetLight();
    record.type = type;
    record.diffuse = {r, g, b, 1.0f};
    record.specular = {r, g, b, 1.0f};
    record.ambient = {0.0f, 0.0f, 0.0f, 1.0f};
    record.range = range;
    record.attenuation0 = 1.0f;
    light->SetPos(position);
    light->SetPickable(false);
    return light;
}
