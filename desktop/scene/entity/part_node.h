// PartNode: the particles of one particle system and their drawing. The
// node keeps its particles as 68-byte records (the layout its object-file
// record stores), ages, respawns and moves them once per frame, and writes
// one quad per living particle into the display's vertex buffer through a
// ParticleCanvas. The renderer calls it in place of drawing the node.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/vec3.h"

namespace lumivane {

class PartNode;
class PartSys;
class TextureSet;
struct CameraPose;

struct Particle {
    uint32_t state = 0; // kParticleWaiting or kParticleAlive
    Vec3 position;
    Vec3 velocity; // per second
    float lifetime = 0.0f;
    float age = 0.0f;
    float spinAngle = 0.0f;
    float spinRate = 0.0f; // radians per second
    float size = 0.0f;
    float grow = 0.0f; // size per second
    float opacity = 0.0f;
    Vec3 emission; // the emitter's axis at birth (drop mode)
};

inline constexpr uint32_t kParticleWaiting = 0;
inline constexpr uint32_t kParticleAlive = 1;
inline constexpr int kParticleRecordSize = 68;
inline constexpr int kParticleTextureLevel = 6;
// No frame moves particles by more than this, however late it comes.
inline constexpr float kMaxParticleStep = 0.25f;
// Particles that live this long keep their full opacity.
inline constexpr float kEverlastingLifetime = 9999.0f;

// Where a particle node draws: room in the display's dynamic vertex buffer
// and a draw of what was written there. Tests record instead.
class ParticleCanvas {
public:
    virtual ~ParticleCanvas() = default;
    // The camera in world space.
    virtual CameraPose Camera() const;
    // The most vertices one lock may ask for.
    virtual int Capacity() const = 0;
    // Room for `count` vertices, or null when none can be locked.
    virtual Vertex* Lock(int count) = 0;
    // Draws the vertices of the last lock as `quads` quads through the
    // first 6 x quads entries of `indices`, with the node's blend mode,
    // texture and lighting; in world space when asked, else in the node's.
    virtual void DrawQuads(const PartNode& node, int quads, const uint16_t* indices,
                           bool worldSpace) = 0;
};

class PartNode : public GeoNode {
public:
    PartNode();
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    // A copy with the drawing options and no particles: its system makes
    // them afresh.
    Node* Clone() override;
    // The per-frame deletion check of the owning system.
    void Update() override;

    // Simulates (once per frame) and draws.
    void Update(ParticleCanvas& canvas);
    // Moves the particles on to the current game time. Runs once per frame
    // number; false when it had run already.
    bool Simulate();
    void Draw(ParticleCanvas& canvas);

    // Sizes the arrays to the owner's count and sets every particle from the
    // initialised count on (all of them when fromZero).
    void Rebuild(bool fromZero);
    // A new life for particle `index`, born `carried` seconds ago.
    void Spawn(int index, float carried);

    PartSys* Owner() const { return owner; }
    void SetOwner(PartSys* system) { owner = system; }
    const std::vector<Particle>& Particles() const { return particles; }
    std::vector<Particle>& Particles() { return particles; }
    int InitialisedCount() const { return initialised; }
    // The game time the next step measures from (stamped when the node is
    // made, so the first step is not a leap from time 0).
    uint32_t LastUpdateTime() const { return lastUpdate; }
    void SetLastUpdateTime(uint32_t gameTime) { lastUpdate = gameTime; }
    const std::vector<uint16_t>& QuadIndices() const { return quadIndices; }

protected:
    PartNode(const PartNode& other);

private:
    void Age(float dt, bool emitting);
    void Move(Particle& p, int index, float dt, float damping, const Vec3& forceStep,
              float spiralCos, float spiralSin);
    void CarryOver(Particle& p, int index, float carried);
    Vec3 SpawnPosition(int index, Vec3& direction);
    Vec3 SpawnVelocity(const Vec3& direction, float& speed);
    void ReleaseInDropMode(Particle& p, float speed, float carried);

    std::vector<Particle> particles;
    std::vector<uint16_t> quadIndices; // 6 per particle, as far as 16 bits reach
    int32_t initialised = 0;
    PartSys* owner = nullptr; // the system holds this node, not the other way
    uint32_t lastFrame = UINT32_MAX;
    uint32_t lastUpdate = 0;
};

} // namespace lumivane
