// Writes Lumivane's scenery prototypes into "LumivaneData/models" (object
// files, through the entities' own Save) with their property files in
// "LumivaneData/properties": "Asteroid"; "Sky", the backdrop: its "father"
// dome of crisp stars and its "mother" dome of a nebula's glow added over
// them; "Wormhole", a warped gate with its
// "dummyship" exit; "Big Whammy", the blast of an asteroid in a gate's way;
// "Belt", a collection of asteroids; "Lamp", a flickering global light;
// "Sunlight", the light of a scene's sun, which reaches the whole scene;
// "SunFlare", a lens flare; and the flare sprites "lensflare1" ..
// "lensflare17". Textures (stars, nebula, asteroid, flare, flarering) come
// from the texture steps. The folder is then loaded back through the model library.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "desktop/scene/entity/celestial.h"
#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/entity/collection.h"
#include "desktop/scene/entity/lens_flare.h"
#include "desktop/scene/entity/light.h"
#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/model_library.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"

namespace {

using namespace lumivane;
using databuilder::MakeInsideSphere;
using databuilder::MakeQuad;
using databuilder::MakeRing;
using databuilder::MakeSkyDome;
using databuilder::MakeSphere;

using Values = std::vector<std::pair<std::string, double>>;

struct Folder {
    std::filesystem::path root;
    std::vector<std::string> written;

    // Saves the prototype (its record keeps the model's own size) and its
    // property file with `values` over the class's defaults.
    bool Write(Entity* entity, const Values& values,
               const std::function<void(Entity&)>& more = nullptr) {
        entity->AddRef();
        entity->CreateProps();
        bool ok = true;
        for (const auto& [name, value] : values)
            ok = entity->props->SetValue(name, value) && ok;
        if (more) more(*entity);
        entity->RecomputeBound();
        // A sky is saved as it loads: unbounded, drawn behind everything.
        if (IsA(entity, ClassId::Celestial)) static_cast<Celestial*>(entity)->PrepareSky();
        const std::string name(entity->Name());
        std::string error;
        if (!ok) error = name + ": a value its class does not have";
        ok = ok && SaveObjectFile(root / "models" / (name + ".vrn"), entity, &error) &&
             SavePropFile(root / "properties" / (name + ".prp"), *entity->props, &error);
        if (!ok) std::fprintf(stderr, "lumivane_cosmos: %s\n", error.c_str());
        entity->Release();
        written.push_back(name);
        return ok;
    }
};

template <class T> T* Named(const char* name) {
    auto* entity = new T;
    entity->SetName(name);
    return entity;
}

constexpr int kSkyDivisions = 12;  // squares along each face of the star dome
constexpr float kStarTiles = 3.0f; // star pictures across each face
constexpr int kSkyRings = 16;
constexpr int kSkySegments = 32;
constexpr uint8_t kAddBlend = 3; // one / one

// Scenery that nothing moves and nothing hits.
const Values kFixed = {{"can collide", 0}, {"affected by gravity", 0}, {"pickable", 0}};

Values With(Values base, const Values& more) {
    base.insert(base.end(), more.begin(), more.end());
    return base;
}

bool WriteBodies(Folder& folder) {
    auto* rock = Named<Asteroid>("Asteroid");
    rock->AddChild(MakeSphere("rock", 1.0f, 6, 9, {.texture = "asteroid.dds"}));
    auto* sky = Named<Celestial>("Sky");
    // The stars repeat often enough over the sky for a texel of the level
    // the sky is drawn at to stay a few pixels wide on a large screen, on a
    // dome that stretches none of them much; the nebula, soft anyway, goes
    // round once and glows over them.
    sky->AddChild(MakeSkyDome("father", 900.0f, kSkyDivisions, kStarTiles,
                              {.texture = "stars.dds", .lit = false}));
    GeoNode* nebula = MakeInsideSphere("mother", 850.0f, kSkyRings, kSkySegments,
                                       {.texture = "nebula.dds", .lit = false});
    nebula->blendMode = kAddBlend;
    sky->AddChild(nebula);
    auto* blast = Named<Entity>("Big Whammy");
    blast->AddChild(MakeSphere("blast", 2.0f, 6, 9, {.colour = 0xC0FFD060, .lit = false}));
    return folder.Write(rock, {{"mass", 0.5}, {"health max", 2}, {"affected by gravity", 0}}) &&
           folder.Write(sky, With(kFixed, {{"always identified", 1}, {"has halo", 0}})) &&
           folder.Write(blast, With(kFixed, {{"has halo", 0}, {"enable LODs", 0}}));
}

bool WriteWormhole(Folder& folder) {
    auto* gate = Named<Wormhole>("Wormhole");
    gate->AddChild(MakeSphere("vortex", 1.5f, 10, 16, {.colour = 0xB080A0FF, .lit = false}));
    gate->AddChild(MakeRing("rim", 1.4f, 2.0f, 32, {.colour = 0xFF6070C0}));
    auto* exit = new TransNode;
    exit->SetName("dummyship");
    exit->local.MakeTranslation(0, 0, 3.0f);
    gate->AddChild(exit);
    return folder.Write(
        gate,
        With(kFixed, {{"warp 1 type", int(WarpType::Wave)},
                      {"warp 1 frequency", 4},
                      {"warp 2 type", int(WarpType::Ripple)},
                      {"warp 2 intensity", 0.05},
                      {"warp 2 decay rate", 0.5},
                      {"warp 2 speed", 2}}),
        [](Entity& e) { e.props->SetOwnedString(EntityFields().sound[0].file, "gatehum.wav"); });
}

bool WriteBelt(Folder& folder) {
    auto* belt = Named<Collection>("Belt");
    return folder.Write(belt,
                        With(kFixed, {{"Spawn radius", 42},
                                      {"Spawn radius spread", 6},
                                      {"Height angle", 0.05},
                                      {"Arc spread", kPi},
                                      {"Object 1 count", 14},
                                      {"Object 1 scale", 0.7},
                                      {"Object 1 scale spread", 0.3},
                                      {"Object 1 spin", 0.2},
                                      {"Object 1 spin spread", 0.2},
                                      {"Object 1 velocity", 0.01},
                                      {"Spring force", 0.05},
                                      {"Spring offset", 2}}),
                        [](Entity& e) {
                            size_t at = CollectionFields().group[0].type;
                            e.props->SetFixedText(at, "Asteroid");
                        });
}

bool WriteLights(Folder& folder) {
    auto* lamp = Named<Light>("Lamp");
    const Values warm = {{"Global", 1},
                         {"Range", 10},
                         {"Diffuse Red", 1.0},
                         {"Diffuse Green", 0.9},
                         {"Diffuse Blue", 0.75},
                         {"Diffuse Flicker Amt", 0.1},
                         {"Diffuse Flicker Spd", 2},
                         {"Ambient Red", 0.08},
                         {"Ambient Green", 0.08},
                         {"Ambient Blue", 0.12}};
    // A point at the sun's heart without a range: planets show their day
    // and night sides, units their colours, and a faint fill keeps the
    // sides turned away from being lost against the sky.
    auto* sunlight = Named<Light>("Sunlight");
    const Values daylight = {{"Global", 1},           {"Range", 0},           {"Diffuse Red", 1.0},
                             {"Diffuse Green", 0.95}, {"Diffuse Blue", 0.88}, {"Ambient Red", 0.22},
                             {"Ambient Green", 0.22}, {"Ambient Blue", 0.26}};
    auto* flare = Named<LensFlare>("SunFlare");
    Values flares = {{"oscillate amplitude", 0.1}, {"oscillate freq", 0.5}, {"scale", 20}};
    // Sprites along the line through the screen's centre, small to large.
    const struct {
        int type;
        double position, size;
    } sprites[] = {{0, 0.0, 1.0}, {1, 0.4, 0.3}, {2, 0.8, 0.2}, {0, 1.2, 0.5}, {3, -0.3, 0.15}};
    int n = 1;
    for (const auto& s : sprites) {
        const std::string at = "flare " + std::to_string(n++) + " ";
        flares.insert(flares.end(), {{at + "on", 1},
                                     {at + "type", s.type},
                                     {at + "position", s.position},
                                     {at + "size", s.size}});
    }
    return folder.Write(lamp, warm) && folder.Write(sunlight, daylight) &&
           folder.Write(flare, With(kFixed, flares));
}

bool WriteFlareSprites(Folder& folder) {
    bool ok = true;
    for (int n = 1; n <= kFlareTypes; ++n) {
        const std::string name = "lensflare" + std::to_string(n);
        auto* sprite = new Entity;
        sprite->SetName(name);
        sprite->handle = kWantNoHandle; // a sprite of the overlay, never of the world
        const uint32_t tint =
            0xFF000000u | uint32_t(0x80 + 7 * n) << 16 | uint32_t(0xA0 + 3 * n) << 8 | 0xFF;
        sprite->AddChild(MakeQuad(
            name, 1.0f,
            {.colour = tint, .texture = n % 2 ? "flare.dds" : "flarering.dds", .lit = false}));
        ok = folder.Write(
                 sprite,
                 With(kFixed, {{"has halo", 0}, {"enable LODs", 0}, {"always identified", 0}})) &&
             ok;
    }
    return ok;
}

bool CheckLibrary(const Folder& folder) {
    ModelLibrary library;
    if (!library.LoadAll(folder.root)) return false;
    for (const std::string& name : folder.written)
        if (!library.FindPrototype(name)) {
            std::fprintf(stderr, "lumivane_cosmos: %s does not load back\n", name.c_str());
            return false;
        }
    return true;
}

} // namespace

DATABUILDER_STEP(LumivaneCosmos, "lumivane_cosmos") {
    Folder folder{context.runtime / "LumivaneData", {}};
    std::error_code error;
    for (const char* sub : {"models", "properties"})
        std::filesystem::create_directories(folder.root / sub, error);
    if (error) {
        std::fprintf(stderr, "lumivane_cosmos: %s\n", error.message().c_str());
        return false;
    }
    return WriteBodies(folder) && WriteWormhole(folder) && WriteBelt(folder) &&
           WriteLights(folder) && WriteFlareSprites(folder) && CheckLibrary(folder);
}
