// A running scene for the scene engine's tests: a world, the model library
// of the built data, six players (player 0 local), the message queue, a
// scene and recording stand-ins for the application, display, camera and
// sounds. Scene files go to a scratch data root of the test's own.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane::test {

class RecordingApplication : public SceneApplication {
public:
    std::string LanguageText(int32_t entry) const override {
        return entry == kEntryDefaultTitle ? "Untitled" : std::string();
    }
    int LanguageSetting() const override { return language; }
    bool SetRegistryFlag(std::string_view name) override {
        flags.emplace_back(name);
        return true;
    }
    void SystemCommand(const Message& message) override { systemCommands.push_back(message.type); }
    void MusicAction(const TriggerAction&) override { ++musicActions; }
    void ActionHook(const TriggerAction&) override { ++hooks; }
    std::unique_ptr<TextTable> LoadTextTable(const std::filesystem::path& path) const override {
        tablePaths.push_back(path);
        return table ? std::make_unique<FixedTable>(*table) : nullptr;
    }

    struct FixedTable : TextTable {
        explicit FixedTable(std::vector<std::pair<int32_t, std::string>> rows)
            : rows(std::move(rows)) {}
        std::string Text(int32_t id) const override {
            for (const auto& [key, text] : rows)
                if (key == id) return text;
            return {};
        }
        std::vector<std::pair<int32_t, std::string>> rows;
    };

    int language = 0;
    std::vector<std::string> flags;
    std::vector<uint8_t> systemCommands;
    int musicActions = 0;
    int hooks = 0;
    std::unique_ptr<std::vector<std::pair<int32_t, std::string>>> table;
    mutable std::vector<std::filesystem::path> tablePaths;
};

// Records every call as a line ("ShowText 3 hello 1").
class RecordingDisplay : public SceneDisplay {
public:
    void ShowText(int slot, std::string_view text, bool atOnce) override {
        Log("ShowText " + std::to_string(slot) + " " + std::string(text) + " " +
            std::to_string(atOnce));
        SceneDisplay::ShowText(slot, text, atOnce);
    }
    void HideText(int number) override { Log("HideText " + std::to_string(number)); }
    void RemoveText(int number) override { Log("RemoveText " + std::to_string(number)); }
    void SetLetterbox(int mode, bool animate) override {
        Log("SetLetterbox " + std::to_string(mode) + " " + std::to_string(animate));
    }
    void SetHudVisible(int mode, bool fade) override {
        Log("SetHudVisible " + std::to_string(mode) + " " + std::to_string(fade));
    }
    void SetCinematicMode(int mode, bool animate) override {
        Log("SetCinematicMode " + std::to_string(mode) + " " + std::to_string(animate));
    }
    void SetSwitch(int mode, int refresh) override {
        Log("SetSwitch " + std::to_string(mode) + " " + std::to_string(refresh));
    }
    void SetFlags(int value) override { Log("SetFlags " + std::to_string(value)); }
    bool HasOverlay(std::string_view name) const override {
        for (const std::string& overlay : overlays)
            if (overlay == name) return true;
        return false;
    }
    void RemoveOverlay(std::string_view name) override {
        Log("RemoveOverlay " + std::string(name));
        std::erase(overlays, std::string(name));
    }
    void AddOverlayModel(Entity* entity) override {
        Log("AddOverlayModel " + std::string(entity ? entity->Name() : "null"));
        if (entity) overlays.emplace_back(entity->Name());
        SceneDisplay::AddOverlayModel(entity);
    }
    void ClearPauseFlag() override { Log("ClearPauseFlag"); }
    void Hook(int32_t value, std::string_view text) override {
        Log("Hook " + std::to_string(value) + " " + std::string(text));
    }
    void SetEffectParams(std::span<const int32_t> values) override {
        Log("SetEffectParams " + std::to_string(values.size()));
    }
    void SetWireframe(int mode) override {
        SceneDisplay::SetWireframe(mode);
        Log("SetWireframe " + std::to_string(Wireframe()));
    }
    void ResetForRestart() override { Log("ResetForRestart"); }

    void Log(std::string line) { calls.push_back(std::move(line)); }
    std::vector<std::string> calls;
    std::vector<std::string> overlays;
};

class RecordingCamera : public SceneCamera {
public:
    void StartSequence(const TriggerAction* action, int step, int) override {
        sequences.emplace_back(action, step);
    }
    void FocusOnUnits(std::span<Entity* const> units) override {
        focused.clear();
        for (Entity* unit : units)
            if (unit) focused.push_back(unit);
    }
    void SetSway(float amount) override { sway = amount; }

    std::vector<std::pair<const TriggerAction*, int>> sequences;
    std::vector<Entity*> focused;
    float sway = 1.0f;
};

class RecordingSounds : public SceneSounds {
public:
    void PlaySceneSound(std::string_view name) override {
        calls.push_back("scene " + std::string(name));
    }
    void PlaySceneSoundExclusive(std::string_view name) override {
        calls.push_back("exclusive " + std::string(name));
    }
    void ToggleSound(int mode, bool fade) override {
        calls.push_back("toggle " + std::to_string(mode) + " " + std::to_string(fade));
    }
    void PlaySceneCue(float share) override { calls.push_back("cue " + std::to_string(share)); }
    void PlayInterfaceCue(InterfaceCue cue, float) override {
        calls.push_back("interface " + std::to_string(int(cue)));
    }
    std::vector<std::string> calls;
};

class RecordingCues : public SoundCues {
public:
    int32_t RegisterSound(std::string_view, int32_t, std::string_view) override { return -1; }
    void QueueAnnouncement(int32_t index) override { announced.push_back(index); }
    std::vector<int32_t> announced;
};

class SceneFixture {
public:
    SceneFixture() {
        GetSceneClock() = {};
        GetUserInputWords() = {};
        MainRandom().Seed(0);
        SeedRandomRange(1);
        world.Init();
        SetWorld(&world);
        SetModelLibrary(&library);
        SetMessageQueue(&queue);
        SetSceneApplication(&application);
        SetSceneDisplay(&display);
        SetSceneCamera(&camera);
        SetSceneSounds(&sounds);
        SetSoundCues(&cues);
        GetAnnouncementSounds().lowResources = 71;
        GetAnnouncementSounds().enemySighted = 72;
        GetAnnouncementSounds().allySighted = 73;
        scene = std::make_unique<Scene>();
        SetScene(scene.get());
        SetSceneTimeSource([] { return 1234567u; });
        root = std::filesystem::temp_directory_path() /
               ("lvscene-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(root / "scenes");
        GetModelLoadState().dataRoot = root;
    }

    ~SceneFixture() {
        SetTriggerTrace(nullptr);
        scene.reset();
        SetScene(nullptr);
        queue.Clear();
        world.Clear();
        SetWorld(nullptr);
        SetModelLibrary(nullptr);
        for (Player*& player : GetPlayers().players)
            player = nullptr;
        GetPlayers().local = nullptr;
        SetMessageQueue(nullptr);
        SetSceneApplication(nullptr);
        SetSceneDisplay(nullptr);
        SetSceneCamera(nullptr);
        SetSceneSounds(nullptr);
        SetSoundCues(nullptr);
        GetAnnouncementSounds() = {};
        SetSceneTimeSource(nullptr);
        GetModelLoadState().dataRoot.clear();
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    // The prototypes of the built data ("Sun", "Planet", "testship",
    // "marker", ...); the scratch folder stays the data root for scenes.
    bool LoadLibrary() {
        const bool loaded = library.LoadAll(platform::ProgramFolder() / "LumivaneData") != 0;
        GetModelLoadState().dataRoot = root;
        for (auto& player : players)
            player->Reset();
        return loaded;
    }

    Entity* Spawn(std::string_view prototype, Vec3 position, int player = -1, int squad = -1) {
        SpawnRecord record;
        record.position = position;
        record.player = player;
        record.squad = squad;
        return scene->SpawnByName(prototype, record);
    }
    Unit* SpawnShip(Vec3 position, int player, int squad = -1) {
        return AsUnit(Spawn("testship", position, player, squad));
    }

    // One frame as the main loop runs it.
    void Frame(uint32_t stepMs = 33) {
        SceneClock& clock = GetSceneClock();
        clock.frameTime = float(stepMs) * 0.001f;
        queue.Deliver(clock.frame);
        clock.gameTime += stepMs;
        scene->UpdateTriggers();
        for (auto& player : players)
            player->Update();
        world.Update();
        ++clock.frame;
        world.FlushRemovals();
    }

    World world;
    ModelLibrary library;
    PlayerSet players;
    MessageQueue queue;
    RecordingApplication application;
    RecordingDisplay display;
    RecordingCamera camera;
    RecordingSounds sounds;
    RecordingCues cues;
    std::unique_ptr<Scene> scene;
    std::filesystem::path root;
    RecordingSink sink;

private:
    static inline int counter = 0;
};

} // namespace lumivane::test
