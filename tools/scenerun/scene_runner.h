// SceneRunner: a Lumivane scene run the way the program's main loop runs it,
// without a display (and without sound unless asked): the model library and a scene file below a
// data root, then frame after frame on a test clock of 30 frames a second
// (33 ms of game clock each) with the generators at their start states, so
// two runs of a scene are the same bit for bit. scenerun drives it from the
// command line; tests drive it to check what a scene does. With its camera
// on, the program's camera controller follows the scene as it does in the
// program, and the runner tells which units are in its picture.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

class Camera;
class Entity;
class ScriptConfig;
class SoundManager;

class SceneRunner {
public:
    static constexpr uint32_t kFrameMs = 33;
    static constexpr float kFrameSeconds = 1.0f / 30.0f;

    // Installs the world, library, players, queue and scene of the run.
    // `variant` moves the start states of the generators that the program
    // seeds from the time of day (the script's draws, the collections and
    // wormhole arrivals): another variant plays the scene as another start
    // of the program would.
    explicit SceneRunner(std::function<void(std::string_view)> log = nullptr, uint32_t variant = 0);
    ~SceneRunner();
    SceneRunner(const SceneRunner&) = delete;
    SceneRunner& operator=(const SceneRunner&) = delete;

    // Loads the models below `root` and the scene (a path below it, such as
    // "scenes\fleet.mis"); false with `error` set when either fails.
    bool Load(const std::filesystem::path& root, const std::string& scenePath, std::string& error);
    // One frame: the queued orders of this frame are delivered, the clock
    // advances, the triggers, the players and the world step, removals are
    // carried out. The frame number then grows by one.
    void Step();
    uint32_t Frame() const { return frame; }

    // Before Load: the sound manager plays the scene (on the output OpenAL
    // chooses); without the script configuration below `root` it stays off.
    void EnableSound(const std::filesystem::path& root);
    // The sound manager when sound is enabled, else null.
    const SoundManager* Sound() const { return sound.get(); }

    // Before Load: the program's camera, for a picture of this shape (width
    // / height), starts at the home view of the scene's file and steps after
    // the world each frame.
    void EnableCamera(float aspect);
    // The camera when it is on, else null.
    const Camera* View() const { return camera.get(); }
    // Whether the entity (its bounding sphere) reaches into the camera's
    // picture; false without a camera.
    bool InPicture(const Entity& entity) const;
    // How much of the picture's width the entity's bounding sphere spans
    // (its diameter over the picture's width at its depth); 0 when it is
    // out of the picture or there is no camera.
    float PictureShare(const Entity& entity) const;
    // The players' units in the camera's picture (no projectiles, and no
    // mines, which lie still) that span at least `leastShare` of its width:
    // with the default, every one that reaches into it, specks too.
    int UnitsInPicture(float leastShare = 0.0f) const;
    // A share of the picture's width at which a ship reads as a ship (at a
    // width of 1280 pixels, some 26), not as a speck.
    static constexpr float kSizeableShare = 0.02f;

    bool QuitRequested() const;
    const std::string& RequestedScene() const;

    World world;
    ModelLibrary library;
    MessageQueue queue;
    std::unique_ptr<Scene> scene;
    std::unique_ptr<PlayerSet> players;

private:
    class Application;
    class Display;

    std::function<void(std::string_view)> log;
    std::unique_ptr<Application> application;
    std::unique_ptr<Display> display;
    std::unique_ptr<ScriptConfig> config;
    std::unique_ptr<SoundManager> sound;
    std::unique_ptr<Camera> camera;
    uint32_t frame = 0;
};

} // namespace lumivane
