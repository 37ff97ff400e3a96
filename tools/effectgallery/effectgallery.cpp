// effectgallery [frames]: the engine's fifteen effects side by side, each on
// the shipped cube model, over a floor that receives the shadows of the
// shadow pass, with the console open and its statistics line on. After the
// given number of frames (default 120) it takes a screenshot (the display's
// own, "<name> NNNN.bmp" on the desktop) and quits; 0 runs until Shift+Esc.
// For looking at the effects; tools/topng turns the screenshot into a PNG.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Jentra/JTCamera.h"
#include "Jentra/JTConsole.h"
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTEffects.h"
#include "Jentra/JTEntity.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTTexture.h"
#include "Jentra/JTView.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/core/scene/load_owned.h"

namespace {

class Gallery : public JTGame {
public:
    explicit Gallery(int frames) : frames(frames) {}
    const char* GetRegKey() override { return "Quellmar\\EffectGallery"; }
    const char* GetAppName() override { return "Effect Gallery"; }
    JTScene* GetMainScene() override { return scene.get(); }
    JTCamera* GetMainCamera() override { return &camera; }
    int framesRun = 0;

protected:
    void InitialScene() override {
        scene = std::make_unique<JTScene>();
        AddScene(scene.get());
        gbShadow = true;

        auto* light = new JTLight;
        JTLightRecord& l = light->GetLight();
        l.type = JTLightRecord::SPOT;
        l.diffuse = {1, 1, 1, 1};
        l.ambient = {0.25f, 0.25f, 0.25f, 1};
        l.specular = {1, 1, 1, 1};
        l.phi = 1.4f;
        l.theta = 1.2f;
        light->SetPos(JTVec3(-4, 16, -6));
        scene->Add(light);

        JTTexture* wood = Texture("wood.jpg");
        JTTexture* marble = Texture("marble.jpg");
        JTTexture* stone = Texture("stone.jpg");
        JTTexture* sky = Texture("sky.jpg");
        JTTexture* glow = Texture("glow.jpg");
        std::vector<JTEffect*> effects;
        auto simple = [](JTEffect_Simple* e, JTTexture* t) {
            e->texture = t;
            return e;
        };
        effects.push_back(simple(new JTEffect_Simple, marble));
        effects.push_back(simple(new JTEffect_Bump, wood));
        effects.push_back(simple(new JTEffect_StreamingLight, stone));
        auto* park = new JTEffect_ParkPiece;
        park->diffuse = marble;
        park->specular = marble;
        effects.push_back(park);
        auto* knight = new JTEffect_FireKnight;
        knight->diffuse = stone;
        effects.push_back(knight);
        auto* alpha = new JTEffect_FireKnightAlpha;
        alpha->diffuse = wood;
        alpha->SetColor(0.5f, 1, 0.5f, 1);
        effects.push_back(alpha);
        auto* shadowed = new JTEffect_FireKnightShadow;
        shadowed->diffuse = marble;
        effects.push_back(shadowed);
        auto* monitor = new JTEffect_Monitor;
        monitor->screen = sky;
        effects.push_back(monitor);
        effects.push_back(new JTEffect_WetIce);
        auto* wing = new JTEffect_WingDing;
        wing->opacity = glow;
        effects.push_back(wing);
        auto* membrane = new JTEffect_Membrane;
        membrane->diffuse = sky;
        membrane->opacity = glow;
        effects.push_back(membrane);
        auto* diffuse = new JTEffect_BumpDiffuse;
        diffuse->diffuse = wood;
        effects.push_back(diffuse);
        effects.push_back(new JTEffect_BumpReflect);
        effects.push_back(new JTEffect_Shadow);
        auto* halo = new JTEffect_Halo;
        halo->SetColor(1, 0.8f, 0.3f, 1);
        effects.push_back(halo);

        for (size_t i = 0; i < effects.size(); ++i) {
            const float x = float(int(i % 5) - 2) * 3.0f, z = float(int(i / 5) - 1) * -3.0f;
            JTEntity* cube = Cube(effects[i], JTVec3(x, 1.2f, z));
            if (cube) cube->SetCastsShadow(true);
        }
        auto* floorEffect = new JTEffect_FireKnightShadow;
        floorEffect->diffuse = stone;
        floorEffect->detail = marble;
        floorEffect->detailScaleU = 3.0f;
        if (JTEntity* floor = Cube(floorEffect, JTVec3(0, -9.0f, 0))) {
            floor->SetScale(9.0f);
            floor->ComputeMatrix();
        }
        scene->PostFrameUpdate();

        camera.SetHUD(true);
        camera.SetAspect(gpJTDisplay->GetAspect());
        camera.SetClip(0.5f, 200.0f);
        const JTVec3 eye(0, 15, -21);
        camera.SetView(eye, JTVec3Normalize(JTVec3(0, 0, -0.5f) - eye), JTVec3(0, 1, 0));
        view = std::make_unique<JTView>(scene.get(), &camera, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f);
        gpJTDisplay->AddView(view.get());

        if (gpJTConsole) {
            gpJTConsole->Print("Effect gallery: the fifteen effects\n");
            gpJTConsole->Print("top: Simple Bump StreamingLight ParkPiece FireKnight\n");
            gpJTConsole->SetOpen(true);
            gpJTConsole->Stats(true);
        }
    }

    void Update() override {
        if (frames > 0 && ++framesRun == frames) {
            gpJTDisplay->Screenshot();
            JTPostQuit();
        }
    }

private:
    static JTTexture* Texture(const char* name) {
        return gpJTTextureMan ? gpJTTextureMan->Load(name, "", false) : nullptr;
    }

    // A clone of the shipped cube model with the effect in place of its own.
    JTEntity* Cube(JTEffect* effect, JTVec3 position) {
        if (!model) {
            const std::string path = JTResolveDataPath("modules\\testcube.jtm");
            JTFile file(path.c_str(), false);
            model.reset(file.Opened() ? LoadOwned<JTNode>(file) : nullptr);
            if (!model) {
                std::fprintf(stderr, "effectgallery: cannot read %s\n", path.c_str());
                delete effect;
                return nullptr;
            }
        }
        auto* copy = static_cast<JTNode*>(model->Clone());
        auto* body =
            copy->GetNumChildren() > 0 ? static_cast<JTGeoNode*>(copy->GetChild(0)) : nullptr;
        if (!body || !body->IsDerived(JTGeoNode::nType)) {
            delete copy;
            delete effect;
            return nullptr;
        }
        if (body->OwnsEffect()) delete body->GetEffect();
        body->SetEffect(effect, true);
        auto* entity = new JTEntity;
        entity->AddChild(copy);
        entity->SetPos(position);
        entity->ComputeMatrix();
        scene->Add(entity);
        return entity;
    }

    int frames;
    std::unique_ptr<JTScene> scene;
    std::unique_ptr<JTNode> model;
    JTCamera camera;
    std::unique_ptr<JTView> view;
};

} // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 120;
    auto* game = new Gallery(frames);
    gpJTGame = game;
    char cmdline[] = "nosplash";
    const int status = game->WinMain(nullptr, cmdline);
    delete game;
    gpJTGame = nullptr;
    return status;
}
