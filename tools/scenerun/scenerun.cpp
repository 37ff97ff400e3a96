// scenerun <data root> <scene> [--frames N] [--sound]
// Loads the model library and a scene file below the data root and runs N
// frames (600 by default) the way the program's main loop does, without a
// display, on a test clock of 30 frames a second with fixed random seeds.
// Per frame it prints the triggers that fired, the orders delivered and the
// entity and unit counts, so two runs print the same. With --sound the sound
// manager plays the scene on the silent sound output (or the one that
// ALSOFT_DRIVERS names) and the sounds registered and any sound file missing
// are listed at the end.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "desktop/app/shell/language_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/sound/sound_cues.h"
#include "desktop/scene/sound/sound_manager.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/world.h"

namespace {

using namespace lumivane;

constexpr uint32_t kFrameMs = 33;
constexpr float kFrameSeconds = 1.0f / 30.0f;
constexpr uint32_t kRandomRangeSeed = 12345;

class CompanionTable : public TextTable {
public:
    explicit CompanionTable(const std::filesystem::path& path) { table.Load(path.string(), 3); }
    std::string Text(int32_t id) const override { return table.GetString(id); }

private:
    LanguageTable table;
};

// Reads companion tables with the program's own reader and reports what a
// scene asks of the program.
class ToolApplication : public SceneApplication {
public:
    std::unique_ptr<TextTable> LoadTextTable(const std::filesystem::path& path) const override {
        return std::make_unique<CompanionTable>(path);
    }
};

// Prints the texts a scene shows.
class ToolDisplay : public SceneDisplay {
public:
    void ShowText(int slot, std::string_view text, bool atOnce) override {
        std::printf("frame %u: text %d \"%.*s\"\n", GetSceneClock().frame, slot, int(text.size()),
                    text.data());
        SceneDisplay::ShowText(slot, text, atOnce);
    }
};

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

int Usage() {
    std::fprintf(stderr, "usage: scenerun <data root> <scene> [--frames N] [--sound]\n");
    return 2;
}

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
    bool sound = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sound") == 0) {
            sound = true;
        } else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
            char* end = nullptr;
            frames = std::strtol(argv[++i], &end, 10);
            if (*end || frames < 0) return Usage();
        } else {
            return Usage();
        }
    }

    // Headless: the silent output, unless the caller chose another.
    if (sound) setenv("ALSOFT_DRIVERS", "null", 0);
    MainRandom().Seed(0);
    SeedRandomRange(kRandomRangeSeed);
    ToolApplication application;
    ToolDisplay display;
    SetSceneApplication(&application);
    SetSceneDisplay(&display);
    World world;
    world.Init();
    SetWorld(&world);
    ModelLibrary library;
    SetModelLibrary(&library);
    // Sounds register while the prototypes' properties load.
    ScriptConfig config;
    SoundManager manager;
    if (sound && config.Load(root)) {
        manager.Init(root, &config);
        InstallSoundManager(&manager);
    }
    if (!library.LoadAll(root)) {
        std::fprintf(stderr, "scenerun: cannot load the models below %s\n", root.c_str());
        return 1;
    }
    PlayerSet players;
    MessageQueue queue;
    SetMessageQueue(&queue);
    auto scene = std::make_unique<Scene>();
    SetScene(scene.get());
    SetTriggerTrace([](const Trigger& trigger) {
        std::printf("frame %u: trigger %d \"%s\" fired\n", GetSceneClock().frame, trigger.id,
                    trigger.name.c_str());
    });

    SceneClock& clock = GetSceneClock();
    clock = {};
    if (!scene->Load(scenePath)) {
        std::fprintf(stderr, "scenerun: cannot load %s\n", scenePath.c_str());
        return 1;
    }
    std::printf("scene \"%s\": %zu triggers, %d entities, %d units\n", scene->title.c_str(),
                scene->triggers.size(), world.EntityCount(), UnitCount());
    for (long f = 0; f < frames; ++f) {
        clock.frame = uint32_t(f);
        clock.frameTime = kFrameSeconds;
        clock.realFrameTime = kFrameSeconds;
        for (int i = 0; i < queue.Count(); ++i) {
            const Message& message = queue.At(i);
            if (message.frame != int32_t(f)) continue;
            std::printf("frame %ld: order %d (%s) to %d units\n", f, message.Code(),
                        OrderName(message.Code()), message.units.Count());
        }
        queue.Deliver(uint32_t(f));
        clock.gameTime += kFrameMs;
        clock.realTime += kFrameMs;
        scene->UpdateTriggers();
        for (auto& player : players)
            player->Update();
        world.Update();
        if (sound) manager.Update();
        world.FlushRemovals();
        std::printf("frame %ld: entities %d units %d\n", f, world.EntityCount(), UnitCount());
    }
    if (application.quitRequested) std::printf("the scene asked to quit\n");
    if (!application.requestedScene.empty())
        std::printf("the scene asked for %s\n", application.requestedScene.c_str());
    if (sound) ListSounds(manager, library);

    SetTriggerTrace(nullptr);
    InstallSoundManager(nullptr);
    scene.reset();
    SetScene(nullptr);
    SetMessageQueue(nullptr);
    world.Clear();
    SetWorld(nullptr);
    SetModelLibrary(nullptr);
    for (Player*& player : GetPlayers().players)
        player = nullptr;
    GetPlayers().local = nullptr;
    SetSceneDisplay(nullptr);
    SetSceneApplication(nullptr);
    return 0;
}
