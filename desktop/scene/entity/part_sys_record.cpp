// The records of particle systems and their particle nodes in object files
// and scene-state files: written in the newest layout, read in every layout
// from version 22 on. Counts are checked against the bytes left, and
// particles that hold no numbers are cleared.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/part_node.h"
#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/object_table.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

// Versions from which a part of the records looks as it does.
constexpr uint32_t kSystemFieldsFrom = 25;
constexpr uint32_t kAttachedMarkFrom = 50;
constexpr uint32_t kRuntimeColourFrom = 119;
constexpr uint32_t kNoSpareWordFrom = 35; // particle nodes before it hold one more word

constexpr float kMaxTimeFactor = 100.0f;

bool Finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void WriteParticle(platform::BinaryWriter& file, const Particle& p) {
    file.WriteU32(p.state);
    WriteVec3(file, p.position);
    WriteVec3(file, p.velocity);
    for (float value : {p.lifetime, p.age, p.spinAngle, p.spinRate, p.size, p.grow, p.opacity})
        file.WriteF32(value);
    WriteVec3(file, p.emission);
}

bool ReadParticle(platform::BinaryReader& file, Particle& p) {
    file.ReadU32(p.state);
    ReadVec3(file, p.position);
    ReadVec3(file, p.velocity);
    for (float* value :
         {&p.lifetime, &p.age, &p.spinAngle, &p.spinRate, &p.size, &p.grow, &p.opacity})
        file.ReadF32(*value);
    ReadVec3(file, p.emission);
    if (!file.Good()) return false;
    // A particle that holds no numbers starts over, waiting.
    const float scalars[] = {p.lifetime, p.age, p.spinAngle, p.spinRate, p.size, p.grow, p.opacity};
    const bool finite = Finite(p.position) && Finite(p.velocity) && Finite(p.emission) &&
                        std::all_of(std::begin(scalars), std::end(scalars),
                                    [](float v) { return std::isfinite(v); });
    if (!finite) p = Particle();
    p.state = p.state != kParticleWaiting ? kParticleAlive : kParticleWaiting;
    p.opacity = std::clamp(p.opacity, 0.0f, 1.0f);
    return true;
}

} // namespace

// --- PartNode -------------------------------------------------------------------

int PartNode::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Unknown::Save(file, table)) return 0;
    SaveGeoRecord(file, table);
    file.WriteI32(int32_t(particles.size()));
    file.WriteI32(initialised);
    for (const Particle& p : particles)
        WriteParticle(file, p);
    // The owner is written before its children, so this is a reference back.
    if (owner)
        owner->Save(file, table);
    else
        file.WriteI32(-1);
    return 1;
}

bool PartNode::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!LoadGeoRecord(file, table, version)) return false;
    int32_t count = 0, ready = 0;
    if (!file.ReadI32(count) || !file.ReadI32(ready)) return false;
    if (version < kNoSpareWordFrom && !file.Skip(4)) return false;
    if (count < 0 || count > kMaxParticles ||
        uint64_t(count) * kParticleRecordSize > file.Remaining())
        return false;
    particles.resize(size_t(count));
    for (Particle& p : particles)
        if (!ReadParticle(file, p)) return false;
    initialised = std::clamp(ready, 0, count);
    // The owning system: always written before the node, so a reference
    // back into the stream (the system may still be reading its children).
    int32_t reference = 0;
    if (!file.ReadI32(reference) || reference >= 0) return false;
    Unknown* earlier = table.At(~reference);
    owner = IsA(earlier, ClassId::PartSys) ? static_cast<PartSys*>(earlier) : nullptr;
    lastUpdate = GetSceneClock().gameTime;
    return true;
}

// --- PartSys --------------------------------------------------------------------

int PartSys::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Entity::Save(file, table)) return 0;
    file.WriteU32(attachedMark);
    file.WriteF32(timeFactor);
    file.WriteU32(runsWithoutOwner);
    WriteVec3(file, tint);
    return 1;
}

bool PartSys::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Entity::Load(file, table, version)) return false;
    // A scene-state file keeps the entity's saved values, but the particle
    // system's working copies always come from its properties.
    if (HasPartSysBlock()) CopyRuntimeValues();
    uint32_t word = 0;
    if (version < kSystemFieldsFrom) {
        if (!file.ReadU32(word)) return false;
    } else {
        if (version >= kAttachedMarkFrom) {
            file.ReadU32(word);
            attachedMark = word ? 1 : 0;
        }
        float factor = 1.0f;
        file.ReadF32(factor);
        timeFactor = std::isfinite(factor) ? std::clamp(factor, 0.0f, kMaxTimeFactor) : 1.0f;
        file.ReadU32(word);
        runsWithoutOwner = word ? 1 : 0;
        if (version >= kRuntimeColourFrom) {
            Vec3 colour;
            ReadVec3(file, colour);
            if (GetModelLoadState().sceneStateLoading && Finite(colour))
                tint = {std::clamp(colour.x, 0.0f, 1.0f), std::clamp(colour.y, 0.0f, 1.0f),
                        std::clamp(colour.z, 0.0f, 1.0f)};
        }
    }
    if (!file.Good()) return false;
    EnsureParticleNode();
    if (version >= kSystemFieldsFrom && Prototype()) attachedMark = 1;
    return true;
}

} // namespace lumivane
