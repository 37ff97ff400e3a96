// Particle systems for the tests: a prototype tuned in code, its clone in
// the world, the particle node stepped frame by frame on the game clock, and
// a canvas that records what would be drawn.
#pragma once

#include <functional>
#include <vector>

#include "desktop/scene/entity/part_node.h"
#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/world/scene_services.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane::test {

class RecordingCanvas : public ParticleCanvas {
public:
    CameraPose Camera() const override { return pose; }
    int Capacity() const override { return capacity; }
    Vertex* Lock(int count) override {
        if (locksLeft == 0) return nullptr;
        --locksLeft;
        locked.assign(size_t(count), Vertex());
        return locked.data();
    }
    void DrawQuads(const PartNode&, int quads, const uint16_t* indices, bool world) override {
        runs.push_back(quads);
        worldSpace = world;
        drawn.insert(drawn.end(), locked.begin(), locked.begin() + quads * 4);
        lastIndices.assign(indices, indices + quads * 6);
    }

    CameraPose pose; // at the origin looking along +Z
    int capacity = 10000;
    int locksLeft = -1; // -1: every lock succeeds
    std::vector<Vertex> locked;
    std::vector<Vertex> drawn;
    std::vector<int> runs;
    std::vector<uint16_t> lastIndices;
    bool worldSpace = false;
};

class ParticleTest : public WorldTest {
protected:
    // A registered system cloned from a prototype with the defaults, then
    // as `tune` sets them.
    PartSys* MakeSystem(const std::function<void(Entity&)>& tune = nullptr, Vec3 at = {}) {
        AddPrototype<PartSys>("sparks", tune);
        PartSys* system = Spawn<PartSys>("sparks", at);
        if (system) system->Update(); // builds the particles
        return system;
    }

    // Moves the game clock on and simulates the node once.
    void Advance(PartSys& system, uint32_t milliseconds) {
        SceneClock& clock = GetSceneClock();
        clock.gameTime += milliseconds;
        clock.frameTime = float(milliseconds) * 0.001f;
        ++clock.frame;
        system.Particles()->Simulate();
    }

    // Steps of 10 ms until the particle is born (at most 5 s).
    void AdvanceUntilBorn(PartSys& system, size_t index) {
        for (int step = 0; step < 500; ++step) {
            if (system.Particles()->Particles()[index].state == kParticleAlive) return;
            Advance(system, 10);
        }
        ADD_FAILURE() << "particle " << index << " was never born";
    }

    static int AliveCount(const PartSys& system) {
        int alive = 0;
        for (const Particle& p : system.Particles()->Particles())
            alive += p.state == kParticleAlive ? 1 : 0;
        return alive;
    }
};

} // namespace lumivane::test
