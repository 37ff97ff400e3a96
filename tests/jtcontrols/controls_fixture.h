// Fixture of the controls' tests: the engine's services as the game sets
// them up (identifier map, prototype database, font, sound, mouse, keyboard,
// the 3D cursor picking through the renderer's view services), an interface
// scene seen by a HUD camera, an owner that records what the controls tell
// it, and one frame of input, cursor and scene at a time.
//
// The data folder holds the module's models and the font from the runtime
// folder, and beeps long enough (3 s) that a test can see them still playing.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Jentra/JTAudio.h"
#include "Jentra/JTCamera.h"
#include "Jentra/JTCursor.h"
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTFont.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTView.h"
#include "Jentra/render/render_parts.h"
#include "Jentra/render/render_services.h"
#include "tests/jentra/test_audio_fixtures.h"

namespace controls_test {

namespace fs = std::filesystem;

inline constexpr const char* kModule = "JTControls.dll";
inline constexpr const char* kButtonModel = "JTControls\\button.jtm";
inline constexpr const char* kEditModel = "JTControls\\JTEdit.jtm";

// Remembers every message it receives.
class Owner : public JTEntity {
public:
    struct Received {
        JTID from;
        unsigned msg;
        uintptr_t data;
    };
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override {
        received.push_back({from ? *from : JTID(), msg, reinterpret_cast<uintptr_t>(data)});
        return JTEntity::Message(from, to, msg, data);
    }
    // The notifications (19) received so far.
    std::vector<Received> Notes() const {
        std::vector<Received> notes;
        for (const Received& r : received)
            if (r.msg == JTMSG_NOTIFY) notes.push_back(r);
        return notes;
    }
    std::vector<Received> received;
};

// A cursor the tests can put anywhere on the screen at once.
class TestCursor : public JTCursor {
public:
    void Place(float nx, float ny) {
        x = nx;
        y = ny;
    }
};

class ControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
        ASSERT_NE(runtime, nullptr) << "tests run with JENTRA_RUNTIME_DIR set";
        data = std::make_unique<audio_fixtures::DataFolder>();
        const fs::path modules = fs::path(runtime) / "modules";
        fs::create_directories(data->root / "modules");
        fs::copy(modules / "JTControls", data->root / "modules" / "JTControls",
                 fs::copy_options::recursive);
        for (const char* file :
             {"font1.dat", "font2-nocomp.jpg", "font2-nocomp_alpha.jpg", "font2_bump.jpg"})
            fs::copy_file(modules / file, data->root / "modules" / file);
        // Different pitches, so a wrong beep is a different sound.
        const uint32_t frames = 3 * 22050;
        ASSERT_TRUE(
            data->WriteMp3("sounds/JTBeep_Alert.mp3", audio_fixtures::PcmTone(22050, 1, frames)))
            << "lame makes the test sounds";
        ASSERT_TRUE(data->WriteMp3("sounds/JTBeep_Invalid.mp3",
                                   audio_fixtures::PcmTone(11025, 1, frames / 2)));
    }
    static void TearDownTestSuite() { data.reset(); }

    void SetUp() override {
        ASSERT_TRUE(data);
        JTSetDataFolder(data->root.c_str());
        gdwTime = 0;
        dt = 0.0f;
        gpJTIDMap = &ids;
        JTRouter::SetFallbackReceiver(&game);
        JTInstallRenderParts();
        JTInstallRenderServices();
        audio = std::make_unique<JTAudio>();
        gpJTAudio = audio.get();
        font.Init("font1");
        gpFont1 = &font;
        protobase = std::make_unique<JTProtobase>();
        gpJTProtobase = protobase.get();
        mouse.Init();
        gpJTMouse = &mouse;
        keyboard.Init();
        gpJTKeyboard = &keyboard;
        for (int i = 0; i < JTKeyboard::kSettlePolls; ++i) {
            mouse.Poll();
            keyboard.Poll();
        }

        // A HUD camera at the origin looking along +z, 90 degrees across:
        // at depth 1 the view spans x -1..1 and y -0.75..0.75.
        camera.SetHUD(true);
        camera.SetFOV(1.5707964f);
        camera.SetAspect(4.0f / 3.0f);
        camera.SetClip(0.1f, 100.0f);
        camera.SetView(JTVec3(0, 0, 0), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
        camera.Update();
        view = std::make_unique<JTView>(&scene, &camera, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f);
        cursor = std::make_unique<TestCursor>();
        cursor->AddView(view.get());
        gpCursor = cursor.get();

        owner = new Owner;
        scene.Add(owner);
        scene.PostFrameUpdate();
    }

    void TearDown() override {
        scene.Reset();
        scene.PostFrameUpdate();
        gpCursor = nullptr;
        cursor.reset();
        view.reset();
        gpJTKeyboard = nullptr;
        gpJTMouse = nullptr;
        gpJTProtobase = nullptr;
        protobase.reset();
        gpFont1 = nullptr;
        gpJTAudio = nullptr;
        audio.reset();
        JTUninstallRenderServices();
        JTUninstallRenderParts();
        JTRouter::SetFallbackReceiver(nullptr);
        gpJTIDMap = nullptr;
    }

    // A control of the module's class, made as the game makes them, at a
    // place of the interface scene (depth 1, the menus' scale); the scene
    // takes it in at the next frame.
    template <class T>
    T* Make(const char* model, const char* className, JTVec3 at = JTVec3(0, 0, 1),
            float scale = 0.002f) {
        JTEntity* made = gpJTProtobase->Create(model, kModule, className);
        auto* control = dynamic_cast<T*>(made);
        EXPECT_NE(control, nullptr) << className;
        if (!control) {
            delete made;
            return nullptr;
        }
        control->SetPos(at);
        control->SetScale(scale);
        scene.Add(control);
        control->GetCommunicator().Send(control->GetID(), JTMSG_SETNOTIFY, &owner->GetID());
        return control;
    }

    // One frame: input polled, the cursor's update, the scene's update and
    // its additions and removals; game time moves on 20 ms.
    void Frame() {
        mouse.Poll();
        keyboard.Poll();
        gdwTime += 20;
        dt = 0.02f;
        cursor->Update(nullptr);
        scene.Update();
        scene.PostFrameUpdate();
    }

    // Puts the cursor over a point of the depth-1 plane.
    void PointAt(JTVec3 p) { cursor->Place(0.5f + p.x / 2.0f, 0.5f + p.y / 1.5f); }

    // A press and release of a mouse button over what the cursor points at.
    void Click(int button) {
        mouse.OnButton(button, true);
        Frame();
        mouse.OnButton(button, false);
        Frame();
    }

    bool Playing(const char* sound) { return gpJTAudio->IsPlaying(sound); }

    // The control's text geometry, or null.
    static JTGeoNode* TextOf(JTEntity* control) {
        return dynamic_cast<JTGeoNode*>(control->FindChildRecursive("text"));
    }

    // The number of nodes named name in the subtree.
    static int CountNamed(JTNode* node, const char* name) {
        int n = node->GetName() && std::string(node->GetName()) == name ? 1 : 0;
        for (int i = 0; i < node->GetNumChildren(); ++i)
            n += CountNamed(node->GetChild(i), name);
        return n;
    }

    static inline std::unique_ptr<audio_fixtures::DataFolder> data;
    JTIDMap ids;
    Owner* owner = nullptr;
    JTScene scene;
    JTCamera camera;
    std::unique_ptr<JTView> view;
    std::unique_ptr<TestCursor> cursor;
    std::unique_ptr<JTAudio> audio;
    std::unique_ptr<JTProtobase> protobase;
    JTFont font;
    JTMouse mouse;
    JTKeyboard keyboard;

private:
    // Receives what is sent to identifiers nobody owns.
    class Game : public JTUnknown {
    } game;
};

} // namespace controls_test
