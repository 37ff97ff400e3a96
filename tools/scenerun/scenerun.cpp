// scenerun <data root> <scene> [--frames N] [--units]
// Runs a scene headless (SceneRunner): 600 frames by default. Per frame it
// prints the triggers that fired, the orders delivered and the entity and
// unit counts; with --units also each unit's changes of order state and
// waypoint, and at the end every unit and a digest of the world's motion.
// Two runs print the same.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/message.h"
#include "tools/scenerun/scene_runner.h"
#include "tools/scenerun/unit_watch.h"

namespace {

using namespace lumivane;

const char* OrderName(uint8_t code) {
    switch (code) {
    case order::kFollow:
        return "follow";
    case order::kMove:
        return "move";
    case order::kAttack:
        return "attack";
    case order::kHunt:
        return "hunt";
    case order::kGather:
        return "gather";
    case order::kJoinSquad:
        return "join squad";
    case order::kTow:
        return "tow";
    case order::kShadow:
        return "shadow";
    case order::kTargetList:
        return "target list";
    case order::kWaypoint:
        return "waypoint";
    default:
        return "order";
    }
}

int UnitCount() {
    int count = 0;
    for (int i = 0; i < kPlayerCount; ++i)
        if (const Player* player = PlayerAt(i)) count += int(player->units.size());
    return count;
}

void Print(std::string_view line) {
    std::printf("%.*s\n", int(line.size()), line.data());
}

int Usage() {
    std::fprintf(stderr, "usage: scenerun <data root> <scene> [--frames N] [--units]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::filesystem::path root = argv[1];
    const std::string scenePath = argv[2];
    long frames = 600;
    bool units = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            char* end = nullptr;
            frames = std::strtol(argv[++i], &end, 10);
            if (*end || frames < 0) return Usage();
        } else if (std::strcmp(argv[i], "--units") == 0) {
            units = true;
        } else {
            return Usage();
        }
    }

    SceneRunner run(Print);
    std::string error;
    if (!run.Load(root, scenePath, error)) {
        std::fprintf(stderr, "scenerun: %s\n", error.c_str());
        return 1;
    }
    std::printf("scene \"%s\": %zu triggers, %d entities, %d units\n", run.scene->title.c_str(),
                run.scene->triggers.size(), run.world.EntityCount(), UnitCount());
    UnitWatch watch;
    for (long f = 0; f < frames; ++f) {
        for (int i = 0; i < run.queue.Count(); ++i) {
            const Message& message = run.queue.At(i);
            if (message.frame != int32_t(f)) continue;
            std::printf("frame %ld: order %d (%s) to %d units\n", f, message.Code(),
                        OrderName(message.Code()), message.units.Count());
        }
        run.Step();
        std::printf("frame %ld: entities %d units %d\n", f, run.world.EntityCount(), UnitCount());
        if (units) watch.Observe(uint32_t(f), run.world, Print);
    }
    if (units) watch.Report(run.world, Print);
    if (run.QuitRequested()) std::printf("the scene asked to quit\n");
    if (!run.RequestedScene().empty())
        std::printf("the scene asked for %s\n", run.RequestedScene().c_str());
    return 0;
}
