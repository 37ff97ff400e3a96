// The Entity property table and the offsets of the values the engine reads.
#include "desktop/scene/entity/entity_props.h"

#include <cassert>
#include <cstdlib>

#include "desktop/scene/object/math_tables.h"

namespace lumivane {

namespace {

using T = PropType;

void AddSoundSlot(PropTableBuilder& b, int slot) {
    const std::string n = "sound " + std::to_string(slot) + " ";
    const std::string title = "Sound " + std::to_string(slot);
    b.Group(title);
    b.Text(n + "file", T::FileName);
    b.Value("", T::Integer, 0, 0, -1); // the resolved sound
    b.Choice(n + "function", &SoundFunctionChoices(), slot == 2 ? 3 : 0);
    b.Value(n + "volume", T::Float, 0, 1, 1.0f);
    b.Value(n + "min dist", T::Float, 0, 10, 1.0f);
    b.Value(n + "inside cone", T::Integer, 0, 360, 360);
    b.Value(n + "outside cone", T::Integer, 0, 360, 360);
    b.Value(n + "outside volume", T::Float, 0, 1, 0.5f);
    b.Value(n + "EAX outside volume", T::Float, 0, 1, 0.5f);
    b.Value(n + "EAX outside HF", T::Float, 0, 1, 1.0f);
    b.Value(n + "EAX direct", T::Float, 0, 3, 1.0f);
    b.Value(n + "EAX direct HF", T::Float, 0, 1, 1.0f);
    b.Value(n + "EAX room", T::Float, 0, 3, 1.0f);
    b.Value(n + "EAX room HF", T::Float, 0, 1, 1.0f);
    b.Value(n + "EAX room rolloff", T::Float, 0, 10, 0);
    b.Value(n + "EAX air absorption", T::Float, 0, 10, 0);
    b.Flag(n + "EAX direct HF auto", true);
    b.Flag(n + "EAX room HF auto", true);
    b.Flag(n + "EAX room auto", true);
    b.EndGroup(title);
}

std::vector<PropDesc> BuildEntityTable() {
    PropTableBuilder b;
    b.Text("-path0", T::Path);
    b.Value("name ID", T::Integer, 0, 200, 0);
    b.Flag("available", true);
    b.Value("scale", T::Float, 0, 1, 1.0f);
    b.Flag("visible", true);
    b.Flag("always identified", true);
    b.Flag("enable LODs", true);
    b.Flag("no disappear", false);
    b.Flag("pickable", true);
    b.Flag("has halo", true);
    b.Value("crosshair size", T::Float, 0, 2, 1.0f);
    b.Value("min zoom dist", T::Float, 0, 2, 1.0f);
    b.Value("health max", T::Float, 0, 100, 1.0f);
    b.Value("self-repair max", T::Float, 0, 100, 0);
    b.Value("self-repair rate", T::Float, 0, 10, 0);
    b.Flag("additive blend for unlit", false);
    b.Flag("force Z-write", false);
    b.Value("pane Z-bias", T::Float, 0, 1, 0.05f);
    b.Value("billboardpane Z-bias", T::Float, 0, 1, 0.05f);
    b.Value("specular intensity", T::Float, 0, 1, 0);
    b.Value("specular shininess", T::Float, 1, 20, 1.0f);

    b.Group("Mass");
    b.Value("mass", T::Float, 0, 10, 1.0f);
    b.Flag("massive", false);
    b.Flag("relativistic", false);
    b.Flag("affected by gravity", true);
    b.Flag("can collide", true);
    b.Flag("tug-able", true);
    b.EndGroup("Mass");

    for (int slot = 1; slot <= kSoundSlots; ++slot)
        AddSoundSlot(b, slot);

    b.Group("EAX Environment");
    b.Flag("EAX environment enable", false);
    b.Value("EAX min dist", T::Float, 0, 1000, 1.0f);
    b.Value("EAX max dist", T::Float, 0, 1000, 100.0f);
    b.Value("EAX room", T::Float, 0, 1, 1.0f);
    b.Value("EAX room HF", T::Float, 0, 1, 1.0f);
    b.Value("EAX room rolloff factor", T::Float, 0, 10, 1.0f);
    b.Value("EAX decay time", T::Float, 0.01f, 20, 0.1f);
    b.Value("EAX decay HF ratio", T::Float, 0.01f, 20, 1.0f);
    b.Value("EAX reflections", T::Float, 0, 1, 0);
    b.Value("EAX reflections delay", T::Float, 0, 0.3f, 0);
    b.Value("EAX reverb", T::Float, 0, 1, 0);
    b.Value("EAX reverb delay", T::Float, 0, 0.1f, 0);
    b.Value("EAX environment diffusion", T::Float, 0, 1, 1.0f);
    b.Value("EAX air absorption HF", T::Float, -100, 0, 0);
    b.Flag("EAX decay HF limit", false);
    b.EndGroup("EAX Environment");

    b.Group("Particle Systems");
    for (int i = 1; i <= kParticleSystemSlots; ++i)
        b.Text("particle system " + std::to_string(i), T::PrototypeName);
    b.EndGroup("Particle Systems");

    b.Group("Chase Camera");
    b.Value("chase camera X", T::Float, -2, 2, -0.91f);
    b.Value("chase camera y", T::Float, -2, 2, 0.325f);
    b.Value("chase camera Z", T::Float, -2, 2, 1.95f);
    b.Value("chase camera rotate", T::Angle, -kPi, kPi, 0);
    b.Value("chase camera tilt", T::Angle, -kPi / 2, kPi / 2, 0);
    b.EndGroup("Chase Camera");

    b.Group("Bounding Spheres");
    b.Value("main bound scale", T::Float, 0, 10, 1.0f);
    b.Value("number of spheres", T::Integer, 0, kMaxBoundSpheres, 0);
    b.Value("overall sphere scaling", T::Float, 0, 1000, 1.0f);
    for (int k = 1; k <= kMaxBoundSpheres; ++k) {
        const std::string n = "sphere " + std::to_string(k) + " ";
        b.Value(n + "X", T::Float, -1, 1, 0);
        b.Value(n + "Y", T::Float, -1, 1, 0);
        b.Value(n + "Z", T::Float, -1, 1, 0);
        b.Value(n + "size", T::Float, 0, 1, k == 1 ? 1.0f : 0.01f);
    }
    b.EndGroup("Bounding Spheres");

    b.Flag("Comet", false);
    b.Flag("scale fudge", true);
    return b.End("Entity", nullptr);
}

size_t Offset(const char* name) {
    size_t cursor = 0;
    const PropDesc* found = PropDesc::Find(EntityPropDescs(), name, cursor);
    assert(found && "the Entity table names this value");
    if (!found) std::abort();
    return cursor;
}

EntityPropFields FindFields() {
    EntityPropFields f{};
    f.visible = Offset("visible");
    f.alwaysIdentified = Offset("always identified");
    f.enableLods = Offset("enable LODs");
    f.noDisappear = Offset("no disappear");
    f.hasHalo = Offset("has halo");
    f.healthMax = Offset("health max");
    f.selfRepairMax = Offset("self-repair max");
    f.selfRepairRate = Offset("self-repair rate");
    f.scale = Offset("scale");
    f.mass = Offset("mass");
    f.massive = Offset("massive");
    f.relativistic = Offset("relativistic");
    f.affectedByGravity = Offset("affected by gravity");
    f.canCollide = Offset("can collide");
    for (int s = 0; s < kSoundSlots; ++s) {
        const std::string n = "sound " + std::to_string(s + 1) + " ";
        SoundSlotFields& slot = f.sound[s];
        slot.file = Offset((n + "file").c_str());
        slot.soundId = slot.file + 4; // the unnamed value right behind the file
        slot.function = Offset((n + "function").c_str());
        slot.volume = Offset((n + "volume").c_str());
        slot.minDist = Offset((n + "min dist").c_str());
        slot.insideCone = Offset((n + "inside cone").c_str());
        slot.outsideCone = Offset((n + "outside cone").c_str());
        slot.outsideVolume = Offset((n + "outside volume").c_str());
    }
    for (int i = 0; i < kParticleSystemSlots; ++i)
        f.particleSystem[i] = Offset(("particle system " + std::to_string(i + 1)).c_str());
    f.mainBoundScale = Offset("main bound scale");
    f.numberOfSpheres = Offset("number of spheres");
    f.overallSphereScaling = Offset("overall sphere scaling");
    for (int k = 0; k < kMaxBoundSpheres; ++k) {
        const std::string n = "sphere " + std::to_string(k + 1) + " ";
        f.sphere[k] = {Offset((n + "X").c_str()), Offset((n + "Y").c_str()),
                       Offset((n + "Z").c_str()), Offset((n + "size").c_str())};
    }
    f.comet = Offset("Comet");
    f.scaleFudge = Offset("scale fudge");
    return f;
}

} // namespace

const std::vector<std::string>& SoundFunctionChoices() {
    static const std::vector<std::string> words = {
        "Ambient",     "Thrust",          "Manuevaring",    "Thrust and manuevaring",
        "Weapon fire", "Unit specific 1", "Unit specific 2"};
    return words;
}

const PropDesc* EntityPropDescs() {
    static const std::vector<PropDesc> table = BuildEntityTable();
    return table.data();
}

const EntityPropFields& EntityFields() {
    static const EntityPropFields fields = FindFields();
    return fields;
}

} // namespace lumivane
