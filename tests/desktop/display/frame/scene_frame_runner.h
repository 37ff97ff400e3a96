// A scene of the shipped data drawn by the program's display, frame by
// frame on a test clock, the way the main loop does it: the world, players,
// scene triggers, the still camera and the display's frame. The scene tests
// and the frame benchmark share it.
#pragma once

#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/host_window.h"
#include "desktop/display/program_display.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/unit_classes.h"
#include "platform/window.h"
#include "tests/desktop/display/own_window_host.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace lumivane {

class SceneFrameRunner {
public:
    static constexpr uint32_t kFrameMs = 33;

    ~SceneFrameRunner() {
        SetFont(nullptr);
        SetScene(nullptr);
        scene.reset();
        players.reset();
        world.Clear();
        display.reset();
        SetMessageQueue(nullptr);
        SetModelLibrary(nullptr);
        SetWorld(nullptr);
    }

    // Loads the data below `root` and the scene into a hidden window of
    // width x height; the reason on failure.
    bool Start(const std::filesystem::path& root, int width, int height, bool highQuality,
               const std::string& scenePath, std::string& why) {
        RegisterUnitClasses(); // the scenes hold units, as the program's do
        MainRandom().Seed(0);
        if (!script.Load(root)) return (why = "no script.dat below " + root.string()), false;
        world.Init();
        SetWorld(&world);
        SetModelLibrary(&library);
        SetMessageQueue(&queue);
        ProgramDisplayOptions options;
        options.display.dataRoot = root;
        options.script = &script;
        display = std::make_unique<ProgramDisplay>(
            std::make_unique<display_test::QuietHost>(highQuality), options);
        platform::WindowDesc desc;
        desc.title = "scene frame";
        desc.width = width;
        desc.height = height;
        desc.hidden = true;
        auto window = platform::Window::Create(desc, &why);
        if (!window) return false;
        host = std::make_unique<display_test::OwnWindowHost>(std::move(window));
        if (!display->Create(*host, width, height)) return (why = "no display"), false;
        if (!library.LoadAll(root)) return (why = "the models do not load"), false;
        gpTextureManager->BuildSlotPool();
        players = std::make_unique<PlayerSet>();
        for (auto& player : *players)
            player->Reset();
        scene = std::make_unique<Scene>();
        SetScene(scene.get());
        font.SetTextureSource(GetTextureSource());
        font.SetDataRoot(root);
        font.Load("font1", &script);
        SetFont(&font);
        GetSceneClock() = {};
        if (scene->Load(scenePath) != 1) return (why = "the scene does not load"), false;
        Draw().Camera().ResetToHome();
        return true;
    }

    Display& Draw() { return *display->GetDisplay(); }

    // `count` frames of the main loop, each 33 ms of game time; without
    // `draw` the frames are stepped but not drawn (the camera still moves).
    void RunFrames(int count, bool draw = true) {
        SceneClock& clock = GetSceneClock();
        for (int i = 0; i < count; ++i) {
            clock.frame = frame;
            queue.Deliver(frame);
            gpTextureManager->ClearRequests();
            clock.gameTime += kFrameMs;
            clock.realTime += kFrameMs;
            clock.frameTime = kFrameMs / 1000.0f;
            clock.realFrameTime = clock.frameTime;
            scene->UpdateTriggers();
            for (auto& player : *players)
                player->Update();
            world.Update();
            Draw().Camera().Update();
            Draw().Camera().Apply();
            if (draw) Draw().PresentFrame();
            ++frame;
            world.FlushRemovals();
        }
    }

    // The window's picture, rows top first, 0xAARRGGBB.
    bool ReadWindow(std::vector<uint32_t>& pixels, int& width, int& height) {
        platform::render::Device& device = *Draw().Device();
        return device.ReadSurface(device.GetPrimarySurface(), pixels, width, height);
    }

    ScriptConfig script;
    World world;
    ModelLibrary library;
    MessageQueue queue;
    std::unique_ptr<ProgramDisplay> display;
    std::unique_ptr<display_test::OwnWindowHost> host;
    std::unique_ptr<PlayerSet> players;
    std::unique_ptr<Scene> scene;
    BitmapFont font;
    uint32_t frame = 0;
};

} // namespace lumivane
