// scenerun <data root> <scene> [--frames N] [--units] [--sound] [--camera]
//          [--hulls] [--variant N]
// Runs a scene headless (SceneRunner): 600 frames by default. Per frame it
// prints the triggers that fired, the orders delivered and the entity and
// unit counts; with --units also each unit's changes of order state and
// waypoint, and at the end every unit and a digest of the world's motion.
// With --camera the program's camera follows the scene (for a 16:9
// picture): every ten seconds, and at the end, where it stands, how many
// units it follows and how many units are in its picture (and how many of
// them large enough to read as ships, not specks), and last for how many
// seconds of the run its picture held no unit, and no sizeable one.
// With --hulls, once a second it looks for free units whose hulls reach
// into one another (OverlappingHulls) and at the end lists each such pair,
// for how many seconds and how deep, and the total of pair-seconds.
// Two runs print the same; --variant N starts the generators that the
// program seeds from the time of day elsewhere, as another start of the
// program would. With --sound the sound manager plays the scene on
// the silent sound output (or the one that ALSOFT_DRIVERS names) and the
// sounds registered and any sound file missing are listed at the end.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/sound/sound_manager.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/world.h"
#include "tools/scenerun/hull_watch.h"
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
    std::fprintf(stderr, "usage: scenerun <data root> <scene> [--frames N] [--units] [--sound] "
                         "[--camera] [--hulls] [--variant N]\n");
    return 2;
}

constexpr float kPictureAspect = 16.0f / 9.0f;
constexpr long kFramesPerSecond = 30;
constexpr long kCameraReportFrames = 10 * kFramesPerSecond;

void ReportCamera(long frame, const SceneRunner& run) {
    const CameraView& view = run.View()->Current();
    std::printf("frame %ld: camera at (%.1f, %.1f, %.1f) looking (%.2f, %.2f, %.2f), "
                "following %zu, %d units in the picture (%d sizeable)\n",
                frame, view.position.x, view.position.y, view.position.z, view.direction.x,
                view.direction.y, view.direction.z, view.targets.size(), run.UnitsInPicture(),
                run.UnitsInPicture(SceneRunner::kSizeableShare));
}

// A quarter of the smaller unit's radius: deeper than the collision pass
// lets two units meet for a frame.
constexpr float kDeepOverlap = 0.25f;
constexpr long kHullCheckFrames = kFramesPerSecond;

class HullTally {
public:
    void Check(const World& world) {
        for (const HullOverlap& overlap : OverlappingHulls(world, kDeepOverlap)) {
            Seen& pair = seen[{overlap.first, overlap.second}];
            ++pair.seconds;
            pair.deepest = std::max(pair.deepest, overlap.depth);
            if (pair.names.empty())
                pair.names = NameOf(world, overlap.first) + " and " + NameOf(world, overlap.second);
        }
    }
    void Report() const {
        int total = 0;
        for (const auto& [handles, pair] : seen) {
            std::printf("hulls of %s (%d and %d) overlap for %d s, at most %.2f deep\n",
                        pair.names.c_str(), handles.first, handles.second, pair.seconds,
                        pair.deepest);
            total += pair.seconds;
        }
        std::printf("hull overlaps: %d pair-seconds\n", total);
    }

private:
    struct Seen {
        int seconds = 0;
        float deepest = 0.0f;
        std::string names;
    };
    static std::string NameOf(const World& world, EntityHandle handle) {
        const Entity* unit = world.GetEntity(handle);
        const Node* prototype = unit ? unit->Prototype() : nullptr;
        return prototype ? std::string(prototype->Name()) : "?";
    }
    std::map<std::pair<EntityHandle, EntityHandle>, Seen> seen;
};

void ListSounds(const SoundManager& manager, const ModelLibrary& library) {
    std::printf("sound %s\n", manager.IsOn() ? "on" : "off (no device)");
    int registered = 0;
    for (int i = 0; i < manager.SlotCount(); ++i)
        if (!manager.SlotName(i).empty()) ++registered;
    std::printf("%d sounds registered\n", registered);
    for (int i = 0; i < manager.SlotCount(); ++i)
        if (const std::string_view name = manager.SlotName(i); !name.empty())
            std::printf("  %3d %-24.*s %5u ms\n", i, int(name.size()), name.data(),
                        manager.SlotLength(i));
    std::vector<std::string> missing = manager.FailedFiles();
    for (const MissingFile& file : library.MissingFiles())
        if (file.kind == kMissingSound) missing.push_back(file.path);
    if (missing.empty()) std::printf("no sound file missing\n");
    for (const std::string& file : missing)
        std::printf("missing sound file %s\n", file.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::filesystem::path root = argv[1];
    const std::string scenePath = argv[2];
    long frames = 600;
    bool units = false;
    bool sound = false;
    bool camera = false;
    bool hulls = false;
    unsigned long variant = 0;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sound") == 0) {
            sound = true;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            char* end = nullptr;
            frames = std::strtol(argv[++i], &end, 10);
            if (*end || frames < 0) return Usage();
        } else if (std::strcmp(argv[i], "--units") == 0) {
            units = true;
        } else if (std::strcmp(argv[i], "--camera") == 0) {
            camera = true;
        } else if (std::strcmp(argv[i], "--hulls") == 0) {
            hulls = true;
        } else if (std::strcmp(argv[i], "--variant") == 0 && i + 1 < argc) {
            char* end = nullptr;
            variant = std::strtoul(argv[++i], &end, 10);
            if (*end || variant > UINT32_MAX) return Usage();
        } else {
            return Usage();
        }
    }

    // Headless: the silent output, unless the caller chose another.
    if (sound) setenv("ALSOFT_DRIVERS", "null", 0);
    SceneRunner run(Print, uint32_t(variant));
    if (sound) run.EnableSound(root);
    if (camera) run.EnableCamera(kPictureAspect);
    std::string error;
    if (!run.Load(root, scenePath, error)) {
        std::fprintf(stderr, "scenerun: %s\n", error.c_str());
        return 1;
    }
    std::printf("scene \"%s\": %zu triggers, %d entities, %d units\n", run.scene->title.c_str(),
                run.scene->triggers.size(), run.world.EntityCount(), UnitCount());
    UnitWatch watch;
    HullTally overlaps;
    long emptySeconds = 0;
    long specksSeconds = 0; // with no sizeable unit in the picture
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
        if (camera && (f + 1) % kCameraReportFrames == 0) ReportCamera(f, run);
        if (hulls && (f + 1) % kHullCheckFrames == 0) overlaps.Check(run.world);
        if (camera && (f + 1) % kFramesPerSecond == 0) {
            emptySeconds += run.UnitsInPicture() == 0;
            specksSeconds += run.UnitsInPicture(SceneRunner::kSizeableShare) == 0;
        }
    }
    if (camera) {
        ReportCamera(frames - 1, run);
        std::printf("no unit in the picture for %ld of %ld s\n", emptySeconds,
                    frames / kFramesPerSecond);
        std::printf("no sizeable unit in the picture for %ld of %ld s\n", specksSeconds,
                    frames / kFramesPerSecond);
    }
    if (units) watch.Report(run.world, Print);
    if (hulls) overlaps.Report();
    if (run.QuitRequested()) std::printf("the scene asked to quit\n");
    if (!run.RequestedScene().empty())
        std::printf("the scene asked for %s\n", run.RequestedScene().c_str());
    if (const SoundManager* manager = run.Sound()) ListSounds(*manager, run.library);
    return 0;
}
