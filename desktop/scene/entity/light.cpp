// Light: its property table, one light type, colours kept in step, the
// world's light list, and flicker.
#include "desktop/scene/entity/light.h"

#include <cmath>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

using T = PropType;

constexpr const char* kColourNames[3] = {"Red", "Green", "Blue"};
constexpr float kTwoPi = 2.0f * kPi;

std::vector<PropDesc> BuildLightTable() {
    PropTableBuilder b;
    b.Flag("On", true);
    b.Flag("Point", true);
    b.Flag("Directional", false);
    b.Flag("Spotlight", false);
    b.Value("Range", T::Float, 0, 10, 10.0f);
    b.Value("Falloff", T::Float, 0, 1, 0);
    b.Flag("Global", false);
    b.Flag("Cast bumps", false);
    for (const char* part : {"Diffuse", "Ambient"}) {
        const bool diffuse = part[0] == 'D';
        for (const char* colour : kColourNames)
            b.Value(std::string(part) + " " + colour, T::Float, 0, 1, diffuse ? 1.0f : 0.0f);
        // Colour defaults are set by CreateProps: a float holds no 0xFFFFFFFF.
        b.Value(std::string(part) + " Color", T::Colour, 0, 0, 0);
        b.Value(std::string(part) + " Flicker Amt", T::Float, 0, 1, 0);
        b.Value(std::string(part) + " Flicker Spd", T::Float, 1, 20, 0);
    }
    b.Flag("Specular", true);
    b.Flag("Saturation", false);
    b.Value("Inner cone angle", T::Angle, 0, kPi, 0.7853982f);
    b.Value("Outer cone angle", T::Angle, 0, kPi, 0.7853982f);
    return b.End("Light", EntityPropDescs());
}

size_t Offset(const std::string& name) {
    return PropDesc::OffsetOf(LightPropDescs(), name);
}

LightPropFields MakeFields() {
    LightPropFields f{};
    f.on = Offset("On");
    f.point = Offset("Point");
    f.directional = Offset("Directional");
    f.spotlight = Offset("Spotlight");
    f.range = Offset("Range");
    f.falloff = Offset("Falloff");
    f.global = Offset("Global");
    f.castBumps = Offset("Cast bumps");
    for (int c = 0; c < 3; ++c) {
        f.diffuse[c] = Offset(std::string("Diffuse ") + kColourNames[c]);
        f.ambient[c] = Offset(std::string("Ambient ") + kColourNames[c]);
    }
    f.diffuseColour = Offset("Diffuse Color");
    f.diffuseFlickerAmount = Offset("Diffuse Flicker Amt");
    f.diffuseFlickerSpeed = Offset("Diffuse Flicker Spd");
    f.ambientColour = Offset("Ambient Color");
    f.ambientFlickerAmount = Offset("Ambient Flicker Amt");
    f.ambientFlickerSpeed = Offset("Ambient Flicker Spd");
    f.specular = Offset("Specular");
    f.saturation = Offset("Saturation");
    f.innerCone = Offset("Inner cone angle");
    f.outerCone = Offset("Outer cone angle");
    return f;
}

// One colour's flicker: the phase moves on by a jittered step; the colour
// dips below the property colour by up to the flicker amount.
Vec3 Flicker(float& phase, float amount, float speed, const Vec3& colour, float frameTime) {
    phase += (RandomFloat(0.0f, 1.0f) + 0.5f) * speed * frameTime * kTwoPi;
    phase = std::isfinite(phase) ? std::fmod(phase, kTwoPi) : 0.0f;
    if (phase < 0.0f) phase += kTwoPi;
    const float k = (TableSin(phase) - 1.0f) * amount * 0.5f + 1.0f;
    return colour * k;
}

} // namespace

const PropDesc* LightPropDescs() {
    static const std::vector<PropDesc> table = BuildLightTable();
    return table.data();
}

const LightPropFields& LightFields() {
    static const LightPropFields fields = MakeFields();
    return fields;
}

Light::Light() {
    classId = uint8_t(ClassId::Light);
}

Node* Light::Clone() {
    auto* copy = new Light(*this);
    copy->InitClone(this);
    return copy;
}

const PropDesc* Light::GetPropDescs() const {
    return LightPropDescs();
}

bool Light::HasLightBlock() const {
    return props && props->Table() == LightPropDescs();
}

void Light::CreateProps() {
    Entity::CreateProps();
    // A light is neither seen, picked nor hit: it only lights.
    for (const char* off : {"always identified", "enable LODs", "pickable", "has halo",
                            "health max", "mass", "can collide"})
        props->SetValue(off, 0);
    props->SetValue("no disappear", 1);
    props->Set<uint32_t>(LightFields().diffuseColour, 0xFFFFFFFFu);
    props->Set<uint32_t>(LightFields().ambientColour, 0xFF000000u);
}

void Light::PropChanged(int32_t field) {
    Entity::PropChanged(field);
    if (!HasLightBlock()) return;
    KeepOneType(field);
    KeepColoursInStep(field);
}

void Light::KeepOneType(int32_t field) {
    const LightPropFields& f = LightFields();
    const size_t types[3] = {f.point, f.directional, f.spotlight};
    size_t chosen = 0;
    bool any = false;
    if (field == kAllProps) {
        // A file's values: the first type set wins, a point light by default.
        for (size_t type : types)
            if (!any && props->Flag(type)) {
                chosen = type;
                any = true;
            }
        if (!any) chosen = f.point;
    } else {
        for (size_t type : types)
            if (field == int32_t(type)) {
                chosen = type;
                any = true;
            }
        if (!any) return;
    }
    for (size_t type : types)
        props->SetFlag(type, type == chosen);
}

void Light::KeepColoursInStep(int32_t field) {
    const LightPropFields& f = LightFields();
    props->KeepColourInStep(field, f.diffuse, f.diffuseColour);
    props->KeepColourInStep(field, f.ambient, f.ambientColour);
}

void Light::ApplyProps(int32_t field) {
    Entity::ApplyProps(field);
    if (!HasLightBlock() || !Prototype()) return;
    if (field != kAllProps && field != int32_t(LightFields().global)) return;
    if (World* world = GetWorld()) {
        if (props->Flag(LightFields().global))
            world->AddLight(this);
        else
            world->RemoveLight(this);
    }
}

void Light::Update() {
    Entity::Update();
    if (HasLightBlock()) {
        const LightPropFields& f = LightFields();
        const float frameTime = GetSceneClock().frameTime;
        const Vec3 diffuseColour(props->Float(f.diffuse[0]), props->Float(f.diffuse[1]),
                                 props->Float(f.diffuse[2]));
        const Vec3 ambientColour(props->Float(f.ambient[0]), props->Float(f.ambient[1]),
                                 props->Float(f.ambient[2]));
        diffuse = Flicker(diffusePhase, props->Float(f.diffuseFlickerAmount),
                          props->Float(f.diffuseFlickerSpeed), diffuseColour, frameTime);
        ambient = Flicker(ambientPhase, props->Float(f.ambientFlickerAmount),
                          props->Float(f.ambientFlickerSpeed), ambientColour, frameTime);
    }
    World* world = GetWorld();
    if (!freeStanding && world && !world->GetEntity(ownerHandle))
        world->QueueRemove(this, nullptr, false);
}

} // namespace lumivane
