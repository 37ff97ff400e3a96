// PartSys: a particle system in the world (engine flames, smoke, damage
// effects, explosions, glows). The entity holds the runtime copies of its
// properties and owns one PartNode, the child that keeps the particles,
// moves them and draws them. A system stands alone or hangs on a node of
// the unit that spawned it; in drop mode its particles are let go in world
// space along the path of that node, so a moving engine leaves a trail.
#pragma once

#include <cstdint>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/part_sys_props.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/matrix.h"

namespace lumivane {

class PartNode;

// What a rebuild request asks of the particle node.
inline constexpr int32_t kNoRebuild = 0;
inline constexpr int32_t kRebuild = 1;
inline constexpr int32_t kRebuildFromZero = 2;

// Node blend modes a particle system chooses.
inline constexpr uint8_t kBlendAlpha = 1;       // source alpha / inverse source alpha
inline constexpr uint8_t kBlendAdditive = 2;    // source alpha / one
inline constexpr uint8_t kBlendSubtractive = 4; // zero / inverse source alpha

// A file's particle count is refused above this; a property's is cut to it.
inline constexpr int32_t kMaxParticles = 8192;

class PartSys : public Entity {
public:
    PartSys();
    Node* Clone() override;
    void InitClone(Node* source) override;
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;

    const PropDesc* GetPropDescs() const override;
    // Entity's defaults, then the particle system's, with white colours.
    void CreateProps() override;
    void ApplyProps(int32_t field) override;
    void Update() override;
    // In drop mode: follows the emitter's node instead of being placed on it.
    void UpdateLinks(int arg) override;
    float GetDistanceScale() const override;
    void RecomputeBound() override;

    // The particle node (a child of this system), or null before one is made.
    PartNode* Particles() const { return particles; }
    // Finds the particle node among the children, or makes one; it is told
    // that this system owns it. Clones and loaded systems have one; a
    // prototype made in code asks for it.
    PartNode* EnsureParticleNode();
    // The block is a particle system's (a prototype made by other code may
    // carry only Entity's).
    bool HasPartSysBlock() const;
    bool DropMode() const;
    // New particles are let go (emission has not been stopped).
    bool Emitting() const;
    // The owner this system hangs on, when it still lives.
    Entity* LivingOwner() const;
    // The particle node's clock: its next step measures from this game time.
    void SetParticleClock(uint32_t gameTime);

    // --- What others set --------------------------------------------------
    uint8_t propertyPart = 1;     // spawned from the properties; replaced on the first frame
    uint8_t attachedMark = 0;     // its particle node was made for it when it loaded
    uint8_t runsWithoutOwner = 1; // free-standing: needs no living owner to emit
    uint8_t finish = 0;           // its owner stopped its emission
    // How fast its particles live: the world's slowing near a relativistic
    // Sun, and the fade factor its spawner gives it (an explosion of a big
    // unit runs slower).
    float timeFactor = 1.0f;
    float fadeFactor = 1.0f;
    // What the unit it hangs on asks of it (an engine flaring with thrust):
    // factors of the emission rate, particle size and speed.
    float rateScale = 1.0f;
    float sizeScale = 1.0f;
    float speedScale = 1.0f;

    // --- Runtime copies of the properties ---------------------------------
    uint8_t oneShot = 0;
    uint8_t reverse = 0;
    int32_t count = 100;
    float speed = 1.0f;
    float speedSpread = 0.0f;
    float drag = 0.0f;
    float lifespan = 1.0f;
    float lifespanSpread = 0.0f;
    float size = 0.1f;
    float sizeSpread = 0.0f;
    float grow = 0.0f;
    float growSpread = 0.0f;
    float spinRate = 0.0f;
    float spinSpread = 0.0f;
    float spawnRadius = 0.0f;
    float spawnRadiusSpread = 0.0f;
    float spawnHeightSpread = 1.5707964f;
    float coneAngle = 3.1415927f;
    Vec3 tint{1.0f, 1.0f, 1.0f}; // the particles' colour at birth (a scene's marker may set it)
    Vec3 endTint{1.0f, 1.0f, 1.0f};
    float opacity = 1.0f; // of new particles; the world fades far systems
    float opacitySpread = 0.0f;

    // --- Emitter ------------------------------------------------------------
    Matrix emitterMatrix;  // this frame's, in world space (drop mode)
    Matrix previousMatrix; // last frame's
    int32_t movedFrames = 0;
    Vec3 emitterVelocity;
    int32_t rebuildRequest = kRebuildFromZero;
    float deleteTimer = 0.0f;

protected:
    PartSys(const PartSys& other);

private:
    void CopyRuntimeValues();
    void KeepColoursInStep(int32_t field);
    void ApplyToNode(int32_t field);
    // The per-frame following of a living owner: scale, the animated nodes
    // between, and the visibility of the node it hangs on.
    void FollowOwner(Entity& owner);

    PartNode* particles = nullptr; // held as a child
};

inline PartSys* AsPartSys(Entity* entity) {
    return IsA(entity, ClassId::PartSys) ? static_cast<PartSys*>(entity) : nullptr;
}

// A unit vector from three steps of the program's shared generator: the
// third gives x, the second y and the first z, each in [-1, 1).
Vec3 RandomUnitVector();

} // namespace lumivane
