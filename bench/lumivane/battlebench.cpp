// battlebench [frames] [data root]: runs the shipped battle scene headless
// (no display, no sound, 1/30 s steps on the test clock) for that many
// frames (2,000 unless given) from the build's data and reports the
// simulated frames per second of wall time, with the units and entities
// the world held at the start, at their most and at the end.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "desktop/units/ship_base/ship.h"
#include "desktop/units/weapon/weapon.h"
#include "platform/paths.h"
#include "tools/scenerun/scene_runner.h"

namespace {

struct Census {
    int units = 0;
    int entities = 0;
};

Census Count(const lumivane::World& world) {
    Census c;
    c.entities = world.EntityCount();
    for (int i = 0; i < world.EntityCount(); ++i) {
        const lumivane::Entity* e = world.EntityAt(i);
        if (lumivane::AsShip(e) && !lumivane::IsA(e, lumivane::ClassId::Weapon)) ++c.units;
    }
    return c;
}

} // namespace

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 2000;
    const std::filesystem::path root =
        argc > 2 ? std::filesystem::path(argv[2]) : platform::ProgramFolder() / "LumivaneData";
    if (frames <= 0) {
        std::fprintf(stderr, "usage: battlebench [frames > 0] [data root]\n");
        return 2;
    }
    lumivane::SceneRunner run;
    std::string error;
    if (!run.Load(root, "scenes\\battle.mis", error)) {
        std::fprintf(stderr, "battlebench: %s\n", error.c_str());
        return 1;
    }
    const Census start = Count(run.world);
    Census most = start;
    const auto begin = std::chrono::steady_clock::now();
    for (long f = 0; f < frames; ++f) {
        run.Step();
        const Census now = Count(run.world);
        most.units = std::max(most.units, now.units);
        most.entities = std::max(most.entities, now.entities);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const Census end = Count(run.world);
    std::printf("units: %d at the start, %d at most, %d at the end\n", start.units, most.units,
                end.units);
    std::printf("entities: %d at the start, %d at most, %d at the end\n", start.entities,
                most.entities, end.entities);
    std::printf("%ld frames in %.3f s: %.0f simulated frames per second\n", frames, seconds,
                seconds > 0.0 ? double(frames) / seconds : 0.0);
    return 0;
}
