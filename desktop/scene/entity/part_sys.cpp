// PartSys: construction and cloning, its properties and their runtime
// copies, the per-frame step with its owner, drop mode's emitter, the bound.
#include "desktop/scene/entity/part_sys.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "desktop/scene/entity/part_node.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

float Finite(float value, float fallback) {
    return std::isfinite(value) ? value : fallback;
}

} // namespace

Vec3 RandomUnitVector() {
    RandomGenerator& random = MainRandom();
    Vec3 v;
    v.z = random.NextUnit() * 2.0f - 1.0f;
    v.y = random.NextUnit() * 2.0f - 1.0f;
    v.x = random.NextUnit() * 2.0f - 1.0f;
    return v.Normalize();
}

PartSys::PartSys() {
    classId = uint8_t(ClassId::PartSys);
}

PartSys::PartSys(const PartSys& other) : Entity(other) {
    // Every field but the particle node, which InitClone finds among the
    // cloned children.
    propertyPart = other.propertyPart;
    attachedMark = other.attachedMark;
    runsWithoutOwner = other.runsWithoutOwner;
    finish = other.finish;
    timeFactor = other.timeFactor;
    fadeFactor = other.fadeFactor;
    rateScale = other.rateScale;
    sizeScale = other.sizeScale;
    speedScale = other.speedScale;
    oneShot = other.oneShot;
    reverse = other.reverse;
    count = other.count;
    speed = other.speed;
    speedSpread = other.speedSpread;
    drag = other.drag;
    lifespan = other.lifespan;
    lifespanSpread = other.lifespanSpread;
    size = other.size;
    sizeSpread = other.sizeSpread;
    grow = other.grow;
    growSpread = other.growSpread;
    spinRate = other.spinRate;
    spinSpread = other.spinSpread;
    spawnRadius = other.spawnRadius;
    spawnRadiusSpread = other.spawnRadiusSpread;
    spawnHeightSpread = other.spawnHeightSpread;
    coneAngle = other.coneAngle;
    tint = other.tint;
    endTint = other.endTint;
    opacity = other.opacity;
    opacitySpread = other.opacitySpread;
    emitterMatrix = other.emitterMatrix;
    previousMatrix = other.previousMatrix;
    movedFrames = other.movedFrames;
    emitterVelocity = other.emitterVelocity;
    rebuildRequest = kRebuildFromZero;
    deleteTimer = 0.0f;
}

Node* PartSys::Clone() {
    auto* copy = new PartSys(*this);
    copy->InitClone(this);
    return copy;
}

void PartSys::InitClone(Node* source) {
    Entity::InitClone(source);
    EnsureParticleNode();
    rebuildRequest = kRebuildFromZero;
}

PartNode* PartSys::EnsureParticleNode() {
    particles = nullptr;
    for (int i = 0; i < ChildCount() && !particles; ++i)
        if (IsA(ChildAt(i), ClassId::PartNode)) particles = static_cast<PartNode*>(ChildAt(i));
    if (!particles) {
        particles = new PartNode;
        AddChild(particles);
    }
    particles->SetOwner(this);
    particles->SetLastUpdateTime(GetSceneClock().gameTime);
    ApplyToNode(kAllProps);
    return particles;
}

const PropDesc* PartSys::GetPropDescs() const {
    return PartSysPropDescs();
}

bool PartSys::HasPartSysBlock() const {
    return props && props->Table() == PartSysPropDescs();
}

void PartSys::CreateProps() {
    Entity::CreateProps();
    props->Set<uint32_t>(PartSysFields().packedColour, 0xFFFFFFFFu);
    props->Set<uint32_t>(PartSysFields().packedEndColour, 0xFFFFFFFFu);
}

bool PartSys::DropMode() const {
    return HasPartSysBlock() && props->Flag(PartSysFields().dropParticles);
}

bool PartSys::Emitting() const {
    return !finish;
}

Entity* PartSys::LivingOwner() const {
    World* world = GetWorld();
    return world ? world->GetEntity(ownerHandle) : nullptr;
}

void PartSys::SetParticleClock(uint32_t gameTime) {
    if (particles) particles->SetLastUpdateTime(gameTime);
}

// --- Properties -------------------------------------------------------------

void PartSys::ApplyProps(int32_t field) {
    Entity::ApplyProps(field);
    if (!HasPartSysBlock()) return;
    const PartSysPropFields& f = PartSysFields();
    KeepColoursInStep(field);
    CopyRuntimeValues();
    ApplyToNode(field);
    const bool all = field == kAllProps;
    if (all || field == int32_t(f.numParticles) || field == int32_t(f.spherical) ||
        field == int32_t(f.texture) || field == int32_t(f.dropParticles))
        rebuildRequest = std::max(rebuildRequest, kRebuild);
    if (props->Flag(f.reset)) rebuildRequest = kRebuildFromZero;
    RecomputeBound();
}

void PartSys::KeepColoursInStep(int32_t field) {
    const PartSysPropFields& f = PartSysFields();
    props->KeepColourInStep(field, f.colour, f.packedColour);
    props->KeepColourInStep(field, f.endColour, f.packedEndColour);
}

void PartSys::CopyRuntimeValues() {
    const PartSysPropFields& f = PartSysFields();
    auto value = [&](size_t offset, float fallback) {
        return Finite(props->Float(offset), fallback);
    };
    oneShot = props->Flag(f.oneShot) ? 1 : 0;
    reverse = props->Flag(f.reverse) ? 1 : 0;
    count = std::clamp(props->Int(f.numParticles), 0, kMaxParticles);
    speed = value(f.velocity, 0.0f);
    speedSpread = value(f.velocitySpread, 0.0f);
    // A drag past 1 would raise a negative number to a fraction.
    drag = std::clamp(value(f.drag, 0.0f), 0.0f, 1.0f);
    lifespan = std::max(value(f.lifespan, 0.0f), 0.0f);
    lifespanSpread = value(f.lifespanSpread, 0.0f);
    size = value(f.size, 0.0f);
    sizeSpread = value(f.sizeSpread, 0.0f);
    grow = value(f.grow, 0.0f);
    growSpread = value(f.growSpread, 0.0f);
    spinRate = value(f.spin, 0.0f);
    spinSpread = value(f.spinSpread, 0.0f);
    spawnRadius = value(f.spawnRadius, 0.0f);
    spawnRadiusSpread = value(f.spawnRadiusSpread, 0.0f);
    spawnHeightSpread = value(f.spawnHeightSpread, 0.0f);
    coneAngle = value(f.coneAngle, 0.0f);
    for (int c = 0; c < 3; ++c) {
        (&tint.x)[c] = std::clamp(value(f.colour[c], 1.0f), 0.0f, 1.0f);
        (&endTint.x)[c] = std::clamp(value(f.endColour[c], 1.0f), 0.0f, 1.0f);
    }
    opacity = std::clamp(value(f.opacity, 1.0f), 0.0f, 1.0f);
    opacitySpread = value(f.opacitySpread, 0.0f);
}

void PartSys::ApplyToNode(int32_t field) {
    if (!particles || !HasPartSysBlock()) return;
    const PartSysPropFields& f = PartSysFields();
    PartNode& node = *particles;
    node.transparent = 1;
    node.twoSided = 1;
    node.depthWrite = 0;
    node.textureLevel = kParticleTextureLevel;
    node.blendMode = props->Flag(f.additiveBlend)      ? kBlendAdditive
                     : props->Flag(f.subtractiveBlend) ? kBlendSubtractive
                                                       : kBlendAlpha;
    const bool lit = props->Flag(f.lighting);
    node.lighting = lit ? 1 : 0;
    node.brightness = lit ? 0.0f : 1.0f;
    if (field != kAllProps && field != int32_t(f.texture)) return;
    const std::string name(props->FixedText(f.texture));
    node.texture = nullptr;
    if (TextureSource* source = GetTextureSource(); source && !name.empty())
        node.texture = source->GetTexture("models\\textures\\" + name, Name(), 0, 0);
    node.SetTexturePath(name.empty() ? std::string_view() : std::string_view(name));
}

void PartSys::RecomputeBound() {
    float reach = 0.0f;
    if (HasPartSysBlock()) {
        const PartSysPropFields& f = PartSysFields();
        const float aspect = std::min(props->Float(f.aspectRatio), 1.0f);
        reach = (std::fabs(speed) + grow + growSpread + speedSpread) * (lifespan + lifespanSpread) +
                aspect * (size + sizeSpread) + spawnRadius + spawnRadiusSpread;
    }
    boundRadius = std::isfinite(reach) ? std::max(reach, 0.0f) : 0.0f;
    // In drop mode the particles lie about the world's origin.
    radius = DropMode() ? 10.0f : boundRadius * sizeFactor;
}

float PartSys::GetDistanceScale() const {
    return DropMode() ? 1.0f : Entity::GetDistanceScale();
}

// --- Each frame ---------------------------------------------------------------

void PartSys::FollowOwner(Entity& target) {
    if (scale != target.scale) SetScale(target.scale);
    for (Node* n = targetLinkNode; n && n != &target; n = n->Parent())
        n->Animate(&target);
    if (targetLinkNode) visible = targetLinkNode->visible;
}

void PartSys::Update() {
    if (Entity* target = LivingOwner()) FollowOwner(*target);
    const bool drop = DropMode();
    if (drop) {
        position = Vec3();
        radius = 10.0f;
    }
    if (particles && rebuildRequest != kNoRebuild) {
        particles->Rebuild(rebuildRequest == kRebuildFromZero);
        rebuildRequest = kNoRebuild;
    }
    RecomputeBound();
    Entity::Update();
    if (drop) {
        // The particles are in world space: the system itself stays put.
        position = Vec3();
        velocity = Vec3();
        local.MakeIdentity();
    }
    if (particles) particles->Update();
}

void PartSys::UpdateLinks(int arg) {
    if (!DropMode()) {
        Entity::UpdateLinks(arg);
        return;
    }
    const bool fresh = linkClock != int32_t(GetSceneClock().gameTime);
    Entity::UpdateLinks(arg);
    if (!fresh) return;
    if (!LivingOwner()) {
        emitterMatrix.MakeIdentity();
        previousMatrix.MakeIdentity();
        movedFrames = 0;
        emitterVelocity = Vec3();
        return;
    }
    // The link placed the system on its node, turned half about Y: that is
    // the emitter this frame.
    previousMatrix = emitterMatrix;
    ++movedFrames;
    emitterMatrix.MakeRotation(orientation);
    for (int e = 0; e < 12; ++e)
        if (e % 4 != 3) emitterMatrix.m[e] *= sizeFactor;
    emitterMatrix.m[12] = position.x;
    emitterMatrix.m[13] = position.y;
    emitterMatrix.m[14] = position.z;
    const float frameTime = GetSceneClock().frameTime;
    emitterVelocity = frameTime > 0.0f && movedFrames > 1
                          ? (emitterMatrix.GetTranslation() - previousMatrix.GetTranslation()) *
                                (1.0f / frameTime)
                          : Vec3();
    position = Vec3();
    velocity = Vec3();
    local.MakeIdentity();
}

} // namespace lumivane
