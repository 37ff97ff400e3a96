// Writes Lumivane's default scene, "scenes\Hell's Heart.mis": the star sky
// first (the backdrop the display draws behind everything), a swollen red
// sun with its lens flare and asteroid belt, planets and a moon turning as
// they orbit it, and the sun's light, which reaches every body. Its script
// shows the scene's title and a caption from the companion table
// "scenes\Hell's Heart.csv", and takes the camera on a tour of the planets
// over and over. Built in code with the scene's own Save, then
// read back with its Load.
#include "tools/databuilder/shared/data_step.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "desktop/display/camera/camera.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/light.h"
#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/standalone_scene.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"
#include "tools/databuilder/lumivane/lumivane_scene_build.h"
#include "tools/databuilder/lumivane/lumivane_triggers.h"

namespace {

using namespace lumivane;

constexpr const char* kStep = "lumivane_hells_heart";
constexpr const char* kScenePath = "scenes\\Hell's Heart.mis";
constexpr uint32_t kCreationTime = 1000000100; // a fixed identity: same bytes every build
constexpr int32_t kTitleText = 1;
constexpr int32_t kCaptionText = 2;
constexpr int32_t kTitleSlot = 2;   // text3: large, green, shadowed, top centre
constexpr int32_t kCaptionSlot = 3; // text4: bottom centre
constexpr float kSceneRadius = 120.0f;

// The sun's light: a point at its heart that reaches the whole scene.
bool WriteSunLight(const std::filesystem::path& root) {
    auto* light = new Light;
    light->SetName("Heartlight");
    light->AddRef();
    light->CreateProps();
    PropBlock& p = *light->props;
    const LightPropFields& f = LightFields();
    p.SetFlag(f.global, true);
    p.Set<float>(f.range, 0.0f); // unbounded
    // Warm, as a red giant's, but with enough green and blue in it that a
    // planet's oceans do not go black on its sunlit side.
    const float diffuse[3] = {1.0f, 0.8f, 0.66f}, ambient[3] = {0.14f, 0.11f, 0.13f};
    for (int c = 0; c < 3; ++c) {
        p.Set<float>(f.diffuse[c], diffuse[c]);
        p.Set<float>(f.ambient[c], ambient[c]);
    }
    light->PropChanged(kAllProps);
    std::string error;
    const bool ok = SaveObjectFile(root / "models" / "Heartlight.vrn", light, &error) &&
                    SavePropFile(root / "properties" / "Heartlight.prp", p, &error);
    if (!ok) std::fprintf(stderr, "%s: %s\n", kStep, error.c_str());
    light->Release();
    return ok;
}

// The title at once, the caption two seconds later.
void AddScript(Scene& scene) {
    auto title = databuilder::DelayTrigger("title", 20, 500);
    databuilder::ShowSceneText(*title, kTitleText, "Hell's Heart", kTitleSlot);
    auto caption = databuilder::DelayTrigger("caption", 21, 2000);
    databuilder::ShowSceneText(*caption, kCaptionText, "A red giant in its last thousand years",
                               kCaptionSlot);
    title->AddChild(std::move(caption));
    scene.AddTrigger(std::move(title));
}

// A body spawned at `position` in orbit about the sun, `size` times its
// model, turning by `spin` radians a tenth of a second.
Entity* SpawnBody(Scene& scene, const char* prototype, const Vec3& position, float size,
                  float spin) {
    SpawnRecord at;
    at.position = position;
    at.orbit = 1;
    at.spin = Quat::MakeAxisAngle({0.0f, 1.0f, 0.0f}, spin);
    Entity* body = scene.SpawnByName(prototype, at);
    if (body) body->SetScale(size);
    return body;
}

// The camera's tour: after a while over the whole system it flies out to
// ride along with the ringed giant, sweeps over to the planet and its moon,
// returns to the overview and rests there; then it starts over.
constexpr uint32_t kTourStartMs = 20000;
constexpr uint32_t kTourMoveMs = 9000;
constexpr uint32_t kTourHoldMs = 16000;
constexpr uint32_t kTourRestMs = 8000;
// The bodies creep round the Sun (the planet a tenth of a turn in five
// minutes): the views look at them where they will be half way through a
// scene's ten minutes, so their sunlit faces stay turned to the camera.
constexpr float kLitAtSeconds = 300.0f;
constexpr float kLookDown = 0.8f;     // below the horizon, so the Sun stays out of the picture
constexpr float kGiantFraming = 5.5f; // body radii from the camera
constexpr float kPlanetFraming = 5.0f;

// The body's place after `seconds` on its circle about the Sun, at the
// angular speed it starts with.
Vec3 Ahead(const Entity& body, float seconds) {
    const Vec3 r = body.position;
    const float across = r.x * r.x + r.z * r.z;
    if (!(across > 0.0f)) return r;
    const float turn = (r.z * body.velocity.x - r.x * body.velocity.z) / across * seconds;
    const float c = std::cos(turn), s = std::sin(turn);
    return {r.x * c + r.z * s, r.y, -r.x * s + r.z * c};
}

// Looking at the body's sunlit face from above, between it and the Sun.
Vec3 Sunlit(const Entity& body) {
    Vec3 out = Ahead(body, kLitAtSeconds);
    out.y = 0.0f;
    out.Normalize();
    return out + Vec3(0, -kLookDown, 0);
}

void AddTour(Scene& scene, const Entity& giant, const Entity& planet, const Entity& moon) {
    using databuilder::FollowView;
    auto tour = databuilder::DelayTrigger("tour", 22, kTourStartMs);
    tour->once = 0;
    const CameraView atGiant =
        FollowView({giant.handle}, Sunlit(giant), kGiantFraming * giant.radius);
    // The moon passes through the picture on its rounds.
    const CameraView atPair =
        FollowView({planet.handle}, Sunlit(planet), kPlanetFraming * planet.radius + moon.radius);
    const CameraView overview = databuilder::OverviewOf(scene);
    databuilder::AddCameraPath(*tour, {{"giant", camera_move::kQuartic, kTourMoveMs, atGiant},
                                       {"ride", camera_move::kHold, kTourHoldMs, atGiant},
                                       {"pair", camera_move::kQuartic, kTourMoveMs, atPair},
                                       {"watch", camera_move::kHold, kTourHoldMs, atPair},
                                       {"home", camera_move::kQuartic, kTourMoveMs, overview}});
    const uint32_t length = 3 * kTourMoveMs + 2 * kTourHoldMs + kTourRestMs;
    tour->AddChild(databuilder::DelayTrigger("tour over", 23, length));
    scene.AddTrigger(std::move(tour));
}

bool BuildScene(const std::filesystem::path& root) {
    SetSceneTimeSource([] { return kCreationTime; });
    StandaloneScene build(root);
    Scene& scene = build.scene;
    bool ok = build.Loaded();
    SpawnRecord centre;
    ok = ok && scene.SpawnByName("Sky", centre); // the backdrop comes first
    Entity* sun = ok ? scene.SpawnByName("Sun", centre) : nullptr;
    ok = ok && sun && scene.SpawnByName("SunFlare", centre) && scene.SpawnByName("Belt", centre) &&
         scene.SpawnByName("Heartlight", centre);
    if (sun) sun->SetScale(1.5f);
    build.world.JoinPending(); // the bodies orbit the sun from here on
    Entity* planet = ok ? SpawnBody(scene, "Planet", {75, 0, 0}, 2.5f, 0.04f) : nullptr;
    Entity* moon = ok ? SpawnBody(scene, "Moon", {88, 0, 6}, 2.0f, 0.06f) : nullptr;
    Entity* giant = ok ? SpawnBody(scene, "Planet", {-45, 0, 80}, 3.5f, -0.03f) : nullptr;
    ok = ok && planet && moon && giant && SpawnBody(scene, "Planet", {10, 0, -105}, 2.0f, 0.05f);
    build.world.JoinPending();
    AddScript(scene);
    scene.radius = kSceneRadius;
    if (ok) AddTour(scene, *giant, *planet, *moon);
    scene.title = "Hell's Heart";
    scene.secondTitle = "Hell's Heart";
    scene.text5 = "hellsheart";
    ok = ok && databuilder::SaveAndCheckScene(scene, root, kScenePath, 2, kStep);
    SetSceneTimeSource(nullptr);
    return ok;
}

} // namespace

DATABUILDER_SCENE_STEP(LumivaneHellsHeart, "lumivane_scene_hells_heart") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    return databuilder::MakeSceneFolders(root, kStep) && WriteSunLight(root) &&
           databuilder::WriteSceneTexts(
               root / "scenes" / "Hell's Heart.csv", "Hell's Heart scene texts",
               {{kTitleText, "title", "Hell's Heart"},
                {kCaptionText, "caption", "A red giant in its last thousand years"}},
               kStep) &&
           BuildScene(root);
}
