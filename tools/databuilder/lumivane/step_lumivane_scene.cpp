// Writes Lumivane's demo scene: the prototypes its scripts and spawns ask
// for ("marker", "fadein", "fadeout", "pilot1") as object files, then
// "scenes\demo.mis", built in code (the sky, a sun with its lens flare and
// asteroid belt, planets in orbit, a light, a wormhole, ships of two players
// and a short script: a delay, a text with its voice, a move order, a
// variable, a scene sound and arrivals through the wormhole) and written by
// the scene's own Save, with its companion text table "scenes\demo.csv".
// The scene is read back with the scene's Load.
#include "tools/databuilder/shared/data_step.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"

#include <bit>
#include <cstdio>
#include <memory>
#include <string>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/standalone_scene.h"
#include "tools/databuilder/lumivane/lumivane_scene_build.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"
#include "tools/databuilder/lumivane/lumivane_triggers.h"

namespace {

using namespace lumivane;
using databuilder::AddAction;
using databuilder::AddCameraTour;
using databuilder::DelayTrigger;

constexpr const char* kStep = "lumivane_scene";
constexpr uint32_t kDemoCreationTime = 1000000000; // a fixed identity: same bytes every build

// Text numbers of the demo's companion table.
constexpr int32_t kWelcomeText = 1001;
constexpr int32_t kUnderWayText = 1002;
constexpr int32_t kCaptionSlot = 3;
constexpr uint32_t kCaptionFadeMs = 1200; // a hidden caption fades for a second

// The tour's first view, from behind the fleet towards the Sun.
constexpr Vec3 kFleetViewAt{-110, 30, -70};
constexpr Vec3 kFleetViewLookAt{-60, 0, 0};
// The scene opens on the fleet from the Sun's side, lit, with the
// wormhole beyond it.
constexpr Vec3 kOpeningView{-0.55f, -0.4f, 0.75f};
constexpr float kOpeningShare = 0.35f;

bool WritePrototype(const std::filesystem::path& root, Entity* entity) {
    entity->AddRef();
    entity->CreateProps();
    size_t offset = 0;
    // Overlay models, markers and pilots float free of gravity and collisions.
    for (const char* flag : {"can collide", "affected by gravity"})
        if (PropDesc::Find(entity->props->Table(), flag, offset))
            entity->props->SetFlag(offset, false);
    entity->RecomputeBound();
    entity->ApplyProps(kAllProps);
    const std::string name(entity->Name());
    std::string error;
    const bool ok = SaveObjectFile(root / "models" / (name + ".vrn"), entity, &error) &&
                    SavePropFile(root / "properties" / (name + ".prp"), *entity->props, &error);
    if (!ok) std::fprintf(stderr, "%s: %s\n", kStep, error.c_str());
    entity->Release();
    return ok;
}

Entity* Model(const char* name, lumivane::GeoNode* shape) {
    auto* entity = new Entity;
    entity->SetName(name);
    entity->AddChild(shape);
    return entity;
}

bool WritePrototypes(const std::filesystem::path& root) {
    using databuilder::MakeQuad;
    using databuilder::MakeSphere;
    return WritePrototype(root,
                          Model("marker", MakeSphere("marker", 0.5f, 6, 8,
                                                     {.colour = 0xFF40FF40, .lit = false}))) &&
           WritePrototype(root, Model("fadein", MakeQuad("fadein", 2.0f,
                                                         {.colour = 0x00000000, .lit = false}))) &&
           WritePrototype(root, Model("fadeout", MakeQuad("fadeout", 2.0f,
                                                          {.colour = 0xFF000000, .lit = false}))) &&
           WritePrototype(
               root, Model("pilot1", MakeSphere("pilot1", 0.15f, 4, 6, {.colour = 0xFFE0C090})));
}

// Two ships of player 1 arrive through the wormhole, 1.5 s apart.
void AddArrivals(Trigger& trigger, EntityHandle wormhole) {
    TriggerAction& arrivals = AddAction(trigger, action::kPassage);
    arrivals.values = {wormhole, 0, 0};
    for (int32_t delay : {0, 1500}) {
        PassageRecord ship;
        ship.name = "testship";
        ship.values[PassageRecord::kDelay] = delay;
        ship.values[PassageRecord::kReservedHandle] = kNoEntity;
        ship.values[PassageRecord::kPlayer] = 1;
        ship.values[PassageRecord::kSquad] = 1;
        ship.values[PassageRecord::kHealthFraction] = std::bit_cast<int32_t>(1.0f);
        arrivals.passages.push_back(ship);
    }
}

// Intro (after 1 s): a welcome text with its voice and the scene's theme;
// then (after 2 s) player 0's ships move out, the welcome fades and
// "$underway" is set; then, once it reads 1 and the welcome has gone, a last
// text and reinforcements through the wormhole.
void AddScript(Scene& scene, const std::vector<EntityHandle>& movers, EntityHandle wormhole) {
    auto intro = DelayTrigger("intro", 10, 1000);
    databuilder::ShowSceneText(*intro, kWelcomeText, "Welcome to Lumivane", kCaptionSlot);
    intro->actions.back()->sound = "welcome.wav";
    AddAction(*intro, action::kSceneSound).text = "elaphant.wav";

    auto depart = DelayTrigger("depart", 11, 2000);
    TriggerAction& move = AddAction(*depart, action::kMove);
    move.handles = movers;
    move.values = {kNoEntity};
    move.point = {120.0f, 0.0f, 60.0f};
    TriggerAction& mark = AddAction(*depart, action::kArithmetic);
    mark.text = "$underway";
    mark.values = {0, 1};                                     // set to 1
    databuilder::ShowSceneText(*depart, 0, "", kCaptionSlot); // the welcome fades
    // The camera flies out with the fleet, watches it leave, sweeps round
    // the Sun's far side (never into its glare) to where the fleet is
    // going, and cuts to an overview of the whole system.
    AddCameraTour(*depart, {.firstAt = kFleetViewAt,
                            .firstLookAt = kFleetViewLookAt,
                            .secondAt = {140, 45, -80},
                            .secondLookAt = {100, 0, 30},
                            .lastAt = {0, 170, 330},
                            .lastLookAt = {0, 0, -20}});

    // Its text waits for the welcome's fade (one second) to end: two
    // captions never lie over each other.
    auto underway = DelayTrigger("underway", 12, kCaptionFadeMs);
    auto check = std::make_unique<TriggerCondition>();
    check->type = int32_t(ConditionType::Variable);
    check->name = "$underway";
    check->comparison = 0;
    check->constant = 1;
    check->owner = underway.get();
    underway->conditions.push_back(std::move(check));
    databuilder::ShowSceneText(*underway, kUnderWayText, "The fleet is under way", kCaptionSlot);
    AddArrivals(*underway, wormhole);

    depart->AddChild(std::move(underway));
    intro->AddChild(std::move(depart));
    scene.AddTrigger(std::move(intro));
}

bool BuildDemo(const std::filesystem::path& root) {
    SetSceneTimeSource([] { return kDemoCreationTime; });
    StandaloneScene build(root);
    Scene& scene = build.scene;
    World& world = build.world;
    bool ok = build.Loaded();
    SpawnRecord at;
    ok = ok && scene.SpawnByName("Sky", at); // the backdrop comes first
    ok = ok && scene.SpawnByName("Sun", at) && scene.SpawnByName("Sunlight", at) &&
         scene.SpawnByName("SunFlare", at) && scene.SpawnByName("Belt", at);
    world.JoinPending(); // planets orbit the Sun from here on
    struct Body {
        const char* prototype;
        Vec3 position;
    };
    for (const Body& body :
         {Body{"Planet", {90, 0, 0}}, Body{"Planet", {0, 0, -160}}, Body{"Moon", {98, 0, 0}}}) {
        at.position = body.position;
        at.orbit = 1;
        ok = ok && scene.SpawnByName(body.prototype, at);
    }
    SpawnRecord lamp;
    lamp.position = {0, 30, 0};
    ok = ok && scene.SpawnByName("Lamp", lamp);
    SpawnRecord gate;
    gate.position = {-90, 0, 70};
    // Its exit faces the Sun.
    gate.orientation = Quat::MakeRotationArc({0, 0, 1}, {0.789352f, 0, -0.613941f});
    Entity* wormhole = scene.SpawnByName("Wormhole", gate);
    ok = ok && wormhole;
    std::vector<EntityHandle> movers;
    for (int player = 0; player < 2; ++player)
        for (int n = 0; n < 3; ++n) {
            SpawnRecord ship;
            ship.position = {player == 0 ? -60.0f : 60.0f, 0.0f, float(n) * 8.0f - 8.0f};
            ship.player = player;
            ship.squad = 0;
            Entity* made = scene.SpawnByName("testship", ship);
            ok = ok && made;
            if (made && player == 0) movers.push_back(made->handle);
        }
    world.JoinPending();
    AddScript(scene, movers, wormhole ? wormhole->handle : kNoEntity);
    scene.title = "Demo";
    scene.secondTitle = "Demo";
    scene.text5 = "demo";
    // The scene starts (and its tour sets out) following the fleet.
    const databuilder::StartView start{movers, kOpeningView, kOpeningShare};
    ok = ok && databuilder::SaveAndCheckScene(scene, root, "scenes\\demo.mis", 1, kStep, &start);
    SetSceneTimeSource(nullptr);
    return ok;
}

} // namespace

DATABUILDER_SCENE_STEP(LumivaneScene, "lumivane_scene") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return databuilder::MakeSceneFolders(root, kStep) && WritePrototypes(root) &&
           databuilder::WriteSceneTexts(root / "scenes" / "demo.csv", "Lumivane demo scene texts",
                                        {{kWelcomeText, "intro", "Welcome to Lumivane"},
                                         {kUnderWayText, "underway", "The fleet is under way"}},
                                        kStep) &&
           BuildDemo(root);
}
