// The lights of an entity: the world's global lights, then its own light
// parts, at most eight, each kept in the slot it was given while it still
// applies.
#include "desktop/display/device/display.h"

#include "desktop/display/frame/frame_math.h"
#include "desktop/scene/entity/light.h"
#include "desktop/scene/world/world.h"
#include "platform/render/device.h"

#include <algorithm>

namespace lumivane {

namespace {

constexpr float kUnboundedRange = 1.8446743e19f; // the square root of the largest float

bool LightApplies(Entity* light) {
    const Light* l = AsLight(light);
    if (!l || !l->props) return false;
    if (!l->props->Flag(LightFields().on)) return false;
    // A light on a unit that is hidden lights nothing.
    const World* world = GetWorld();
    const Entity* owner = world ? world->GetEntity(l->ownerHandle) : nullptr;
    return !owner || owner->visible;
}

D3DCOLORVALUE Colour(const Vec3& c) {
    return {c.x, c.y, c.z, 1.0f};
}

} // namespace

void Display::DisableLights() {
    for (int i = 0; i < kLightSlots; ++i) {
        if (device3D_) device3D_->LightEnable(uint32_t(i), false);
        frame_.lightSlots[i] = nullptr;
    }
    frame_.saturationLight = false;
}

void Display::SetupLights(Entity* entity, bool overlay) {
    if (!frame_.switches.lighting || !device3D_) return;
    std::vector<Entity*> chosen;
    const World* world = GetWorld();
    auto take = [&](Entity* light) {
        if (int(chosen.size()) < kLightSlots && LightApplies(light) &&
            std::find(chosen.begin(), chosen.end(), light) == chosen.end())
            chosen.push_back(light);
    };
    if (world) {
        for (Entity* light : world->Lights())
            take(light);
        if (entity)
            for (const SpawnedPart& part : entity->spawnedParts)
                if (part.kind == kPartKindLight) take(world->GetEntity(part.handle));
    }
    frame_.saturationLight = std::any_of(chosen.begin(), chosen.end(), [](Entity* light) {
        return light->props->Flag(LightFields().saturation);
    });
    // Slots whose light no longer applies go dark; new lights take the
    // first free slot.
    for (int i = 0; i < kLightSlots; ++i) {
        Entity*& slot = frame_.lightSlots[i];
        if (slot && std::find(chosen.begin(), chosen.end(), slot) == chosen.end()) {
            device3D_->LightEnable(uint32_t(i), false);
            slot = nullptr;
        }
    }
    for (Entity* light : chosen) {
        if (std::find(std::begin(frame_.lightSlots), std::end(frame_.lightSlots), light) !=
            std::end(frame_.lightSlots))
            continue;
        for (int i = 0; i < kLightSlots; ++i)
            if (!frame_.lightSlots[i]) {
                SetLight(light, i, overlay);
                break;
            }
    }
}

void Display::SetLight(Entity* entity, int index, bool overlay) {
    const Light* light = AsLight(entity);
    if (!light || !light->props || !device3D_ || index < 0 || index >= kLightSlots) return;
    const PropBlock& p = *light->props;
    const LightPropFields& f = LightFields();
    D3DLIGHT8 l{};
    const bool directional = !p.Flag(f.point) && p.Flag(f.directional);
    l.Type = p.Flag(f.point) ? D3DLIGHT_POINT : directional ? D3DLIGHT_DIRECTIONAL : D3DLIGHT_SPOT;
    l.Diffuse = Colour(light->diffuse);
    l.Ambient = Colour(light->ambient);
    const bool specular = p.Flag(f.specular) && (!frame_.saturationLight || p.Flag(f.saturation));
    l.Specular = specular ? l.Diffuse : D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
    Vec3 position = light->position;
    Vec3 direction = light->GetDir();
    if (overlay) {
        // Overlays are drawn in the camera's space.
        camera_->ViewMatrix().TransformPoint(position);
        camera_->ViewMatrix().TransformVector(direction);
    }
    l.Position = {position.x, position.y, position.z};
    l.Direction = {direction.x, direction.y, direction.z};
    // A range of 0 would light nothing: it lights without bound instead.
    const float range = p.Float(f.range);
    l.Range = range > 0.0f ? range : kUnboundedRange;
    l.Falloff = 1.0f;
    const LightAttenuation a = AttenuationFor(p.Float(f.falloff), p.Float(f.range), directional);
    l.Attenuation0 = a.constant;
    l.Attenuation1 = a.linear;
    l.Attenuation2 = a.quadratic;
    l.Theta = p.Float(f.innerCone);
    l.Phi = p.Float(f.outerCone);
    device3D_->SetLight(uint32_t(index), l);
    device3D_->LightEnable(uint32_t(index), true);
    frame_.lightSlots[index] = entity;
}

} // namespace lumivane
