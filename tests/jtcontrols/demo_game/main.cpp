// Controls demo: starts the engine, builds an interface scene seen by a HUD
// camera with the 3D cursor, the controls module's self-test dialog, a label
// and an edit box that holds the keyboard focus and types a name; runs the
// number of frames given (default 100), optionally writes the last frame as
// a PNG, then quits. Exit status 0 when the module's controls were made, the
// dialog built its list, the name arrived and the display showed its frames
// without a GPU error.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Jentra/JTCamera.h"
#include "Jentra/JTCursor.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTView.h"
#include "Jentra/JTEventQueue.h"
#include "JTControls/JTDialog.h"
#include "JTControls/JTEdit.h"
#include "JTControls/JTList.h"
#include "JTControls/JTText.h"
#include "platform/image/png.h"

namespace {

constexpr const char* kModule = "JTControls.dll";
constexpr float kScale = 0.002f;

class ControlsDemo : public JTGame {
public:
    ControlsDemo(int frames, const char* picture) : m_frames(frames), m_picture(picture) {}
    ~ControlsDemo() override {
        // The scene and its entities go before the engine's services.
        if (gpJTDisplay && m_view)
            for (int i = gpJTDisplay->GetNumViews() - 1; i >= 0; --i)
                if (gpJTDisplay->GetView(i) == m_view) gpJTDisplay->RemoveView(i);
        if (m_scene) RemoveScene(m_scene);
        gpCursor = nullptr;
        delete m_scene;
        delete m_view;
        delete m_camera;
    }
    const char* GetRegKey() override { return "Quellmar\\JTControlsDemo"; }
    const char* GetAppName() override { return "JTControls Demo"; }

    int framesRun = 0;
    bool built = false;     // the controls were made and the dialog built its list
    bool displayed = false; // frames read back without a GPU error

protected:
    void InitialScene() override {
        m_scene = new JTScene;
        AddScene(m_scene);
        m_camera = new JTCamera;
        m_camera->SetHUD(true);
        m_camera->SetFOV(1.5707964f);
        const float aspect = gpJTDisplay && gpJTDisplay->GetHeight() > 0
                                 ? float(gpJTDisplay->GetWidth()) / float(gpJTDisplay->GetHeight())
                                 : 4.0f / 3.0f;
        m_camera->SetAspect(aspect);
        m_camera->SetClip(0.1f, 100.0f);
        m_camera->SetView(JTVec3(0, 0, 0), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
        m_view = new JTView(m_scene, m_camera, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f);
        if (gpJTDisplay) gpJTDisplay->AddView(m_view);
        auto* cursor = new JTCursor;
        cursor->AddView(m_view);
        gpCursor = cursor;
        m_scene->Add(cursor);

        Place(gpJTProtobase->Create(nullptr, kModule, "JTTestDialog"), JTVec3(0.35f, 0.45f, 1));
        if (auto* label = dynamic_cast<JTText*>(
                Place(gpJTProtobase->Create(nullptr, kModule, "JTText"), JTVec3(-0.45f, 0.6f, 1))))
            SetText(label, "JTControls");
        if (auto* name = dynamic_cast<JTText*>(Place(
                gpJTProtobase->Create(nullptr, kModule, "JTText"), JTVec3(-0.45f, -0.45f, 1))))
            SetText(name, "Player name:");
        m_edit = dynamic_cast<JTEdit*>(
            Place(gpJTProtobase->Create("JTControls\\JTEdit.jtm", kModule, "JTEdit"),
                  JTVec3(0.2f, -0.58f, 1)));
        if (m_edit) gpJTKeyboard->SetFocus(&m_edit->GetID());
    }

    void Update() override {
        ++framesRun;
        // A name typed a letter a frame, as the keyboard delivers them.
        static const char kName[] = "Adx\brian";
        if (framesRun >= 5 && framesRun - 5 < int(sizeof kName) - 1)
            gpJTKeyboard->ProcessChar(static_cast<unsigned char>(kName[framesRun - 5]));
        if (framesRun == 10) SelectFirstSlot();
        if (framesRun == m_frames) Finish();
    }

private:
    JTEntity* Place(JTEntity* entity, JTVec3 at) {
        if (!entity) return nullptr;
        entity->SetPos(at);
        entity->SetScale(kScale);
        m_scene->Add(entity);
        return entity;
    }
    static void SetText(JTControl* control, const char* text) {
        control->GetCommunicator().Send(control->GetID(), JTMSG_SETTEXT, const_cast<char*>(text));
    }
    JTList* FindList() const {
        for (int i = 0; i < m_scene->GetNumChildren(); ++i)
            if (auto* list = dynamic_cast<JTList*>(m_scene->GetChild(i))) return list;
        return nullptr;
    }
    void SelectFirstSlot() {
        if (JTList* list = FindList()) list->SelectItem(0, true);
    }

    void Finish() {
        JTList* list = FindList();
        built = m_edit && list && list->GetNumItems() == 6 && list->GetNumVisible() == 2 &&
                std::string(m_edit->GetText()) == "Adrian";
        if (!built)
            std::fprintf(stderr, "controls demo: the controls were not built (edit text \"%s\")\n",
                         m_edit ? m_edit->GetText() : "none");
        std::vector<uint32_t> frame;
        int width = 0, height = 0;
        auto* device = gpJTDisplay ? gpJTDisplay->GetDevice() : nullptr;
        std::string error;
        displayed = device && device->ReadFrontBuffer(frame, width, height) && width > 0 &&
                    device->TakeErrors(&error) == 0;
        if (!displayed) std::fprintf(stderr, "controls demo: display failed %s\n", error.c_str());
        if (displayed && m_picture) WritePicture(frame, width, height);
        // The edit box holds the keyboard, so the game hears no keys: quit
        // as the game's own menu would.
        JTPostQuit();
    }

    void WritePicture(const std::vector<uint32_t>& argb, int width, int height) {
        using namespace platform::image;
        Image image = MakeImage(PixelFormat::X8R8G8B8, width, height);
        for (size_t i = 0; i < argb.size() && i * 4 + 3 < image.pixels.size(); ++i) {
            image.pixels[i * 4 + 0] = uint8_t(argb[i]);
            image.pixels[i * 4 + 1] = uint8_t(argb[i] >> 8);
            image.pixels[i * 4 + 2] = uint8_t(argb[i] >> 16);
            image.pixels[i * 4 + 3] = 255;
        }
        std::string error;
        if (!WritePngFile(m_picture, image, false, &error))
            std::fprintf(stderr, "controls demo: cannot write %s: %s\n", m_picture, error.c_str());
    }

    int m_frames;
    const char* m_picture;
    JTScene* m_scene = nullptr;
    JTCamera* m_camera = nullptr;
    JTView* m_view = nullptr;
    JTEdit* m_edit = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 100;
    if (frames < 25) frames = 25; // the name takes its frames to type
    auto* game = new ControlsDemo(frames, argc > 2 ? argv[2] : nullptr);
    gpJTGame = game;
    char cmdline[] = "nosplash";
    const int status = game->WinMain(nullptr, cmdline);
    const bool ok = game->built && game->displayed;
    delete game;
    gpJTGame = nullptr;
    if (status != 0) return status;
    return ok ? 0 : 3;
}
