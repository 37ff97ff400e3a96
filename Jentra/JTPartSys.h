// JTPartSys: the engine's particle-system entity, a billboard-particle
// emitter whose whole behaviour (spawning pattern, motion, forces, life,
// size, colour and blending) comes from the properties of its prototype,
// JTPartSysProps, so that effects are authored as ".prp" files. Each drawing
// pass advances every particle by the elapsed game time and builds one
// indexed triangle list of quads for the display.
#pragma once

#include <cstdint>

#include "Jentra/JTEntity.h"
#include "Jentra/JTEntityProps.h"
#include "Jentra/core/particles/part_sys_values.h"
#include "Jentra/core/particles/particle_sim.h"
#include "Jentra/core/particles/particle_vertices.h"

class JTGeoNode;
class JTMesh;

// The prototype record of particle systems: the entity properties followed
// by the particle values, in the order of their descriptor table.
class JTPartSysProps : public JTEntityProps {
public:
    static constexpr int kNumPropDescs = 100; // 99 entries and the end entry

    JTPartSysProps();
    JTPartSysProps(const JTPartSysProps&) = default;
    JTPartSysProps& operator=(const JTPartSysProps&) = default;
    ~JTPartSysProps() override = default;

    const JTPropDesc* GetPropDescs() override;
    // Keeps each colour and its three float channels in step, then tells
    // the entities that use this record.
    void PropChanged(void* value) override;

    // Fills the descriptor table once; the library does it at load time.
    static void FillPropDescs();
    static JTPropDesc aPropDescs[kNumPropDescs];

    JTPartSysValues values;
};

// How a particle system is drawn: the display hands the system the camera
// and takes one indexed draw with its render states.
struct JTPartSysDraw {
    enum Blend { BLEND_ALPHA, BLEND_ADDITIVE, BLEND_SUBTRACTIVE };

    const JTPartVertex* vertices = nullptr; // 4 a particle
    int numVertices = 0;
    const uint16_t* indices = nullptr; // 6 a particle: triangle list
    int numIndices = 0;
    uint32_t vertexFormat = jentra::particles::kPartVertexFormat;
    JTMatrix world;           // identity when the particles are in world space
    const char* texture = ""; // texture file name for stage 0; empty for none
    bool zTest = true;
    bool zWrite = true;
    Blend blend = BLEND_ALPHA;
    bool alphaTest = false;
    int alphaRef = 0;
    bool cullCounterClockwise = false;
};

// Implemented by the display that draws particle systems. A display that is
// not one still lets systems simulate; nothing is drawn then.
class JTPartSysDrawTarget {
public:
    virtual ~JTPartSysDrawTarget() = default;
    // The drawing camera in world space; false when there is none.
    virtual bool GetCameraAxes(JTVec3& position, JTVec3& right, JTVec3& up, JTVec3& dir) = 0;
    virtual void DrawParticles(const JTPartSysDraw& draw) = 0;
};

class JTPartSys : public JTEntity {
public:
    JTPartSys();
    ~JTPartSys() override = default;
    JTPartSys(const JTPartSys&) = delete;
    JTPartSys& operator=(const JTPartSys&) = delete;

    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    void Update(JTSequencer* sequencer) override;
    void RenderPreProcess(JTDrawQueue* display, JTSequencer* sequencer, float opacity) override;
    // Advances the particles by the game time since the last pass and
    // draws them (see JTPartSysDrawTarget).
    void Render(JTDrawQueue* display) override;
    float GetRenderDist() override { return sortDist; }
    virtual void Reserved() {}

    // A fresh particle record of its own.
    void InitProps() override;
    // A particle system reads the particle values, so it works only from a
    // particle record.
    bool SuitsProps(const JTEntityProps* props) const override;
    // The record it uses, as the particle record it always is.
    JTPartSysProps* GetPartProps() const { return static_cast<JTPartSysProps*>(pProps); }
    // A property of the record changed (null: all of them).
    void PropChanged(void* value) override;

    // Owning code's switches: emit from the meshes of the linked entity,
    // run one step as if running, end once every particle is dead, and
    // scale spawn positions (y, then x and z).
    void SetEmitFromModel(bool on) { emitFromModel = on ? 1 : 0; }
    void SetBurst() { burst = 1; }
    void SetFinish(bool on) { finish = on ? 1 : 0; }
    void SetRunning(bool on) { running = on ? 1 : 0; }
    void SetSpawnScale(float y, float xz) {
        spawnScale[0] = y;
        spawnScale[1] = xz;
    }

    int GetNumParticles() const { return particles.GetCount(); }
    const JTParticle& GetParticle(int i) const { return particles[i]; }
    bool GetAnyVisible() const { return anyVisible != 0; }
    bool GetResetPending() const { return resetPending != 0; }
    // The quads and indices of the last pass.
    const JTPartVertex* GetVertices() const { return vertices.GetData(); }
    int GetNumVertices() const { return vertices.GetCount(); }
    const uint16_t* GetIndices() const { return indices.GetData(); }
    const char* GetTextureName() const { return textureName; }

    // The mesh an emitter node draws, its own or its clone source's.
    static JTMesh* EmitterMesh(JTGeoNode* geo);

protected:
    void ResetParticles();
    // One simulation step; false when the system removed itself.
    bool Simulate();
    void CollectEmitterNodes(JTNode* node);
    void BuildDrawing(JTDrawQueue* display);

    unsigned char resetPending = 0;
    unsigned char running = 1;
    unsigned char burst = 0;
    unsigned char finish = 0;
    unsigned char anyVisible = 1;
    unsigned char removing = 0;
    JTArray<JTParticle> particles{16};
    JTArray<JTGeoNode*> emitterNodes{16};
    JTArray<JTMatrix> emitterMatrices{16};
    unsigned char emitFromModel = 0;
    float spawnScale[2] = {1.0f, 1.0f};
    JTMatrix worldMatrix;
    JTMatrix prevWorld;
    uint32_t prevWorldTime = 0;
    bool havePrevWorld = false;
    uint32_t lastSimTime = 0;
    float sortDist = 0.0f;
    char textureName[32] = {};
    JTArray<JTPartVertex> vertices{64};
    JTArray<uint16_t> indices{96};
};

// For the prototype database: a new prototype record of the particle class,
// and a new particle-system entity.
JTEntityProps* JTPartSysCreateProps();
JTEntity* JTPartSysCreate();
