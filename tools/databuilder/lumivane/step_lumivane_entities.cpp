// Writes Lumivane's entity prototypes into "LumivaneData/models" (object
// files, through the entities' own Save) with their property files in
// "LumivaneData/properties" (through the property-file writer): the Sun,
// Planet and Moon bodies, the particle systems of the explosions, damage
// effects and engine flame the entities spawn, the "debris" pieces, and a test ship with a link
// node, an "idle" animation, a pilot seat and six build connectors. The folder is then loaded back
// through the model library, and every prototype must come back.
#include "tools/databuilder/shared/data_step.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string_view>
#include <string>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/entity/prop_file.h"
#include "desktop/units/ship_base/ship.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/model_library.h"
#include "tools/databuilder/lumivane/lumivane_particles.h"
#include "tools/databuilder/lumivane/prop_setters.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"

namespace {

using namespace lumivane;
using databuilder::SetFlag;
using databuilder::SetFloat;
using databuilder::SetInt;

// A globe of unit radius, coloured `colour`, wearing a texture of
// models\textures\; lit by the scene's lights, or shining by itself.
// Enough bands and slices that a body filling much of the picture (the Sun
// close up) shows a round edge.
constexpr int kGlobeRings = 18;
constexpr int kGlobeSegments = 36;

GeoNode* Globe(const char* name, uint32_t colour, std::string_view texture, bool lit = true) {
    return databuilder::MakeSphere(name, 1.0f, kGlobeRings, kGlobeSegments,
                                   {.colour = colour, .texture = texture, .lit = lit});
}

// A small wedge-shaped hull pointing along +Z.
GeoNode* Hull() {
    GeoLists lists;
    lists.positions = {{0, 0, 2}, {-1, 0, -1}, {1, 0, -1}, {0, 0.6f, -1}, {0, -0.4f, -1}};
    lists.indices = {0, 1, 3, 0, 3, 2, 0, 4, 1, 0, 2, 4, 1, 4, 3, 2, 3, 4};
    for (const Vec3& p : lists.positions) {
        Vec3 n = p;
        lists.normals.push_back(n.Normalize());
        lists.colours.push_back(0xFFB0B8C8);
        lists.texCoords.push_back(p.x * 0.5f + 0.5f);
        lists.texCoords.push_back(p.z * 0.3f + 0.5f);
    }
    lists.texCoordIndices = lists.indices;
    auto* geo = new GeoNode;
    geo->SetName("hull");
    geo->indexed = 1;
    geo->SetTexturePath("models\\textures\\ship_hull.dds");
    geo->BuildGeometry(lists, "");
    return geo;
}

template <class T> T* Prototype(const char* name) {
    auto* entity = new T;
    entity->SetName(name);
    entity->AddRef();
    return entity;
}

struct Writer {
    std::filesystem::path models, properties;

    // Saves the prototype and its property file; `tune` sets the values
    // that differ from the class's defaults. The record keeps the model's
    // own size and health: the library applies the properties on loading.
    bool Write(Entity* entity, const std::function<void(Entity&)>& tune) {
        entity->CreateProps();
        if (tune) tune(*entity);
        entity->RecomputeBound();
        const std::string name(entity->Name());
        std::string error;
        bool ok = SaveObjectFile(models / (name + ".vrn"), entity, &error) &&
                  SavePropFile(properties / (name + ".prp"), *entity->props, &error);
        if (!ok) std::fprintf(stderr, "lumivane_entities: %s\n", error.c_str());
        entity->Release();
        return ok;
    }
};

// Effects drift with nothing: no collisions, no gravity.
void Weightless(Entity& e) {
    SetFlag(e, "can collide", false);
    SetFlag(e, "affected by gravity", false);
}

// Drawn at its own size however far the camera stands. The pieces and the
// blast of a unit that explodes take on its growth with distance, and the
// units are drawn at their own size (see the unit writer): grown, a small
// craft's debris and fireball would dwarf the ships about it.
void OwnSize(Entity& e) {
    SetFlag(e, "scale fudge", false);
}

Ship* TestShip() {
    auto* ship = Prototype<Ship>("testship");
    ship->AddChild(Hull());
    // The link node carries the ship's animation and hangs its spark effect.
    auto* link = new FrameAnim;
    link->SetName("dummylink-electricity");
    link->local.MakeTranslation(0, 0.6f, -1);
    auto* frames = new FrameChannel;
    Matrix up, down;
    up.MakeTranslation(0, 0.6f, -1);
    down.MakeTranslation(0, 0.4f, -1);
    frames->AddKey(up, -15);
    frames->AddKey(down, -15);
    frames->AddKey(up, 15);
    link->AddChannel(frames);
    ship->AddChild(link);
    // Where a pilot model rides, and the six places structures are built at.
    auto* pilotSeat = new TransNode;
    pilotSeat->SetName("dummypilot");
    pilotSeat->local.MakeTranslation(0, 0.3f, 0.8f);
    ship->AddChild(pilotSeat);
    for (int i = 1; i <= 6; ++i) {
        auto* connector = new TransNode;
        connector->SetName("dummyconnector" + std::to_string(i));
        const float angle = float(i - 1) * 1.0471976f; // a sixth of a turn apart
        connector->local.MakeTranslation(1.5f * std::cos(angle), 0, 1.5f * std::sin(angle));
        ship->AddChild(connector);
    }
    auto* sequencer = new Sequencer;
    sequencer->AddChannel(frames);
    sequencer->AddSequence({"idle", 0, 0.0f, 1.0f, {1}});
    ship->SetSequencer(sequencer);
    return ship;
}

bool CheckLibrary(const std::filesystem::path& root, const std::vector<std::string>& names) {
    ModelLibrary library;
    if (!library.LoadAll(root)) return false;
    for (const std::string& name : names)
        if (!library.FindPrototype(name)) {
            std::fprintf(stderr, "lumivane_entities: %s did not load back\n", name.c_str());
            return false;
        }
    return true;
}

} // namespace

DATABUILDER_STEP(LumivaneEntities, "lumivane_entities") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    Writer writer{root / "models", root / "properties"};
    std::error_code error;
    std::filesystem::create_directories(writer.models, error);
    std::filesystem::create_directories(writer.properties, error);
    if (error) {
        std::fprintf(stderr, "lumivane_entities: %s\n", error.message().c_str());
        return false;
    }

    std::vector<std::string> names;
    bool ok = true;
    auto write = [&](Entity* entity, const std::function<void(Entity&)>& tune) {
        names.emplace_back(entity->Name());
        ok = writer.Write(entity, tune) && ok;
    };

    Sun* sun = Prototype<Sun>("Sun");
    sun->AddChild(Globe("sun", 0xFFFFFFFF, "sun.dds", false));
    write(sun, [](Entity& e) {
        SetFlag(e, "massive", true);
        SetFlag(e, "affected by gravity", false);
        SetFloat(e, "mass", 5000.0f);
        SetFloat(e, "scale", 20.0f);
    });
    Planet* planet = Prototype<Planet>("Planet");
    planet->AddChild(Globe("planet", 0xFFFFFFFF, "earth.dds"));
    write(planet, [](Entity& e) {
        SetFloat(e, "mass", 20.0f);
        SetFloat(e, "scale", 4.0f);
    });
    Moon* moon = Prototype<Moon>("Moon");
    moon->AddChild(Globe("moon", 0xFFFFFFFF, "moon.dds"));
    write(moon, [](Entity& e) { SetFloat(e, "mass", 1.0f); });

    for (const databuilder::ParticleEffect& effect : databuilder::ParticleEffects())
        write(Prototype<PartSys>(effect.name), [&effect](Entity& e) {
            Weightless(e);
            OwnSize(e);
            effect.tune(e);
            // The file holds the particle node, as a loaded system has one.
            static_cast<PartSys&>(e).EnsureParticleNode();
        });
    write(Prototype<Debris>("debris"), [](Entity& e) {
        Weightless(e);
        OwnSize(e);
    });
    write(TestShip(), [](Entity& e) {
        SetInt(e, "race", 1);
        SetFloat(e, "top speed", 0.5f);
        SetFloat(e, "health max", 10.0f);
        SetFloat(e, "mass", 2.0f);
    });
    return ok && CheckLibrary(root, names);
}
