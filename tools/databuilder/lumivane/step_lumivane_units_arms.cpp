// Writes Lumivane's arms into "LumivaneData/models" through the units' own
// Save, with their property files: the projectiles (the homing "missile",
// the "plasma" bolt, the "tracer", the "lightning" ball that burns through
// what it crosses, the growing "shockwave" and the "starburst" that breaks
// into a shock wave), the short "smallexplosion" flash of an impact, the
// deployables ("mine", "comsat" with its "deploy" and "afterdeploy"
// sequences, "decoy"), the armed ships whose "weapon" names them, and a
// station: a "stationcore" that survives alone, with docks where its
// "stationpod" pieces attach.
// The folder is read back through the model library.
#include "tools/databuilder/shared/data_step.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/units/deployable/deployables.h"
#include "desktop/units/structure/structure.h"
#include "desktop/units/weapon/projectiles.h"
#include "tools/databuilder/lumivane/lumivane_hulls.h"
#include "tools/databuilder/lumivane/lumivane_prop_values.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"
#include "tools/databuilder/lumivane/lumivane_unit_writer.h"

namespace {

using namespace lumivane;
using databuilder::HullLook;
using databuilder::MakeRing;
using databuilder::MakeSphere;
using databuilder::MakeWedge;

constexpr int kStationDocks = 4;
constexpr float kDockDistance = 3.2f;

using Values = databuilder::PropValues;
using databuilder::MakeMount;
using databuilder::MakeUnitFolders;
using databuilder::UnitPrototype;
using databuilder::UnitWriter;

// What every shot shares: it flies on its own, knows no orders of its own
// and does not drift to the Sun.
void Shot(Values& v, float lifespan, float speed, float damage) {
    v.Set("affected by gravity", 0).Set("task: auto attack", 0).Set("task: auto repair", 0);
    v.Set("lifespan", lifespan).Set("speed", speed).Set("damage", damage);
}

void WriteProjectiles(UnitWriter& w) {
    auto* plasma = UnitPrototype<PlasmaBall>("plasma");
    plasma->AddChild(MakeSphere("bolt", 0.25f, 3, 6, {.colour = 0xFF60C0FF, .lit = false}));
    w.Write(plasma, [](Values& v) { Shot(v, 12.0f, 1.0f, 3.0f); });

    auto* tracer = UnitPrototype<Tracer>("tracer");
    tracer->AddChild(MakeWedge("streak", 0.8f, 0.1f, 0.1f, {.colour = 0xFFFFE080, .lit = false}));
    w.Write(tracer, [](Values& v) { Shot(v, 8.0f, 1.0f, 1.5f); });

    auto* lightning = UnitPrototype<LightningBall>("lightning");
    lightning->AddChild(MakeSphere("ball", 0.35f, 3, 6, {.colour = 0xFFC080FF, .lit = false}));
    w.Write(lightning, [](Values& v) {
        Shot(v, 10.0f, 0.9f, 6.0f);
        v.Set("die on impact", 0); // burns through, 6 a second of contact
    });

    auto* missile = UnitPrototype<Missile>("missile");
    missile->AddChild(MakeWedge("body", 0.9f, 0.25f, 0.25f, HullLook(0xFFE0E0E0)));
    w.Write(missile, [](Values& v) {
        Shot(v, 14.0f, 0.3f, 6.0f);
        v.Set("race", 1).Set("thrust", 1.2f).Set("angular thrust", 2.0f).Set("turn speed", 1.5f);
        v.Set("impact scale", 2.0f);
    });

    // A ring that grows over its life: its "size" node is animated in code.
    auto* wave = UnitPrototype<ShockWave>("shockwave");
    auto* size = new FrameAnim;
    size->SetName("size");
    size->AddChild(MakeRing("wave", 2.2f, 3.0f, 24, {.colour = 0xFF80E0FF, .lit = false}));
    wave->AddChild(size);
    w.Write(wave, [](Values& v) {
        Shot(v, 1.5f, 0.0f, 8.0f);
        v.Set("die on impact", 0);
    });

    auto* starburst = UnitPrototype<Starburst>("starburst");
    starburst->AddChild(MakeSphere("shell", 0.4f, 3, 6, {.colour = 0xFFFF8040, .lit = false}));
    w.Write(starburst, [](Values& v) {
        Shot(v, 6.0f, 1.0f, 0.0f);
        v.SetText("weapon", "shockwave");
    });

    // The flash where a shot hits: a plain weapon that hits nothing and
    // fades with its short life.
    auto* flash = UnitPrototype<Weapon>("smallexplosion");
    flash->AddChild(MakeSphere("flash", 0.3f, 3, 6, {.colour = 0xFFFFC060, .lit = false}));
    w.Write(flash, [](Values& v) {
        Shot(v, 0.6f, 0.0f, 0.0f);
        v.Set("can collide", 0).SetText("impact type", "");
    });
}

// Two sequences on one turning beacon: "deploy" unfolds it once, then
// "afterdeploy" keeps it turning.
Sequencer* DeploySequences(FrameAnim* dish) {
    auto* turn = new FrameChannel;
    Matrix folded, open, half, full;
    folded.MakeScale(0.2f, 0.2f, 0.2f);
    half.MakeRotation(0.0f, 0.7071068f, 0.0f, 0.7071068f);
    full.MakeRotation(0.0f, 1.0f, 0.0f, 0.0f);
    turn->AddKey(folded, -30);
    turn->AddKey(open, 30);
    turn->AddKey(open, -15);
    turn->AddKey(half, -15);
    turn->AddKey(full, 2);
    dish->AddChannel(turn);
    auto* sequencer = new Sequencer;
    sequencer->AddChannel(turn);
    sequencer->AddSequence({"deploy", 0, 0.0f, 1.0f, {1}});
    sequencer->AddSequence({"afterdeploy", 1, 1.0f, 2.0f, {1}});
    return sequencer;
}

void WriteDeployables(UnitWriter& w) {
    auto* mine = UnitPrototype<Mine>("mine");
    mine->AddChild(MakeSphere("core", 0.6f, 6, 10, HullLook(0xFFC03030)));
    w.Write(mine, [](Values& v) {
        v.Set("race", 1).Set("health max", 4.0f).Set("sensor range", 18.0f);
        v.Set("thrust", 0.6f).Set("top speed", 1.2f).Set("affected by gravity", 0);
        // Sides ignore mines: they are found only by running into them.
        // A mine takes no orders; it goes for what comes near by itself.
        v.Set("target for enemies", 0).Set("task: auto repair", 0).Set("task: attack", 0);
    });

    auto* comsat = UnitPrototype<Comsat>("comsat");
    comsat->AddChild(MakeWedge("body", 1.0f, 0.6f, 0.6f, HullLook(0xFFD0D0A0)));
    auto* dish = new FrameAnim;
    dish->SetName("dish");
    dish->AddChild(MakeRing("dish", 0.1f, 0.7f, 12, HullLook(0xFFFFFFFF)));
    comsat->AddChild(dish);
    comsat->SetSequencer(DeploySequences(dish));
    w.Write(comsat, [](Values& v) {
        v.Set("race", 1).Set("health max", 6.0f).Set("sensor range", 80.0f);
        v.Set("task: auto attack", 0);
    });

    auto* decoy = UnitPrototype<Decoy>("decoy");
    decoy->AddChild(MakeWedge("hull", 2.0f, 1.5f, 0.6f, HullLook(0xFFA0A0A0)));
    w.Write(decoy, [](Values& v) { v.Set("race", 1).Set("health max", 5.0f); });
}

Ship* ArmedShip(const char* name, float length, float width, float height, uint32_t colour,
                bool orb) {
    auto* ship = UnitPrototype<Ship>(name);
    ship->AddChild(orb ? MakeSphere("hull", 0.5f * length, 8, 14, HullLook(colour))
                       : MakeWedge("hull", length, width, height, HullLook(colour)));
    ship->AddChild(MakeMount("dummyweapon", {0, 0, 0.65f * length}));
    return ship;
}

void Armed(Values& v, const char* weapon, float range, float reload, float spread) {
    v.SetText("weapon", weapon).Set("fire range", range).Set("fire angle", 0.35f);
    v.Set("reload time", reload).Set("reload time spread", spread);
    v.Set("task: auto pursue", 1);
}

void WriteArmedShips(UnitWriter& w) {
    w.Write(ArmedShip("gunship", 2.6f, 1.9f, 0.7f, 0xFFB8C4D8, false), [](Values& v) {
        v.Set("race", 1).Set("health max", 14.0f).Set("sensor range", 60.0f);
        v.Set("thrust", 0.8f).Set("top speed", 1.3f).Set("angular thrust", 1.2f);
        Armed(v, "plasma", 9.0f, 1.2f, 0.3f);
        v.Set("scatter angle", 0.05f);
    });
    w.Write(ArmedShip("lancer", 5.0f, 2.4f, 1.4f, 0xFF9098A8, false), [](Values& v) {
        v.Set("race", 1).Set("health max", 50.0f).Set("mass", 3.0f).Set("sensor range", 70.0f);
        v.Set("thrust", 0.6f).Set("top speed", 1.0f).Set("angular thrust", 0.8f);
        Armed(v, "missile", 10.0f, 3.0f, 0.5f);
    });
    w.Write(ArmedShip("stinger", 2.0f, 2.0f, 2.0f, 0xFF60D0A0, true), [](Values& v) {
        v.Set("race", 2).Set("health max", 12.0f).Set("sensor range", 60.0f);
        v.Set("thrust", 0.8f).Set("top speed", 1.3f).Set("angular thrust", 1.2f);
        v.Set("banking", 0.0f);
        Armed(v, "lightning", 8.0f, 1.5f, 0.4f);
    });
    w.Write(ArmedShip("warden", 4.0f, 4.0f, 4.0f, 0xFF40A080, true), [](Values& v) {
        v.Set("race", 3).Set("health max", 26.0f).Set("mass", 3.0f).Set("sensor range", 70.0f);
        v.Set("thrust", 0.6f).Set("top speed", 1.0f).Set("angular thrust", 0.8f);
        v.Set("banking", 0.0f);
        Armed(v, "starburst", 10.0f, 4.0f, 1.0f);
    });
    w.Write(ArmedShip("picket", 1.8f, 1.4f, 0.5f, 0xFFD8C080, false), [](Values& v) {
        v.Set("race", 1).Set("health max", 16.0f).Set("sensor range", 50.0f);
        v.Set("thrust", 0.9f).Set("top speed", 1.4f).Set("angular thrust", 1.4f);
        Armed(v, "tracer", 7.0f, 0.6f, 0.2f);
    });
}

void WriteStation(UnitWriter& w) {
    auto* core = UnitPrototype<Structure>("stationcore");
    core->AddChild(MakeSphere("core", 2.0f, 12, 24, HullLook(0xFFB0B0C0)));
    core->AddChild(MakeRing("ring", 2.3f, 2.8f, 40, HullLook(0xFF707890)));
    for (int i = 0; i < kStationDocks; ++i) {
        const float angle = float(i) * 1.5707963f;
        core->AddChild(
            MakeMount("dock" + std::to_string(i + 1),
                      {kDockDistance * std::cos(angle), 0, kDockDistance * std::sin(angle)}));
    }
    w.Write(core, [](Values& v) {
        v.Set("race", 1).Set("health max", 40.0f).Set("mass", 20.0f).Set("sensor range", 60.0f);
        v.Set("Survive unlinked", 1).Set("Rotational speed", 0.2f);
        v.Set("task: move", 0).Set("task: auto attack", 0).Set("affected by gravity", 0);
    });

    auto* pod = UnitPrototype<Structure>("stationpod");
    pod->AddChild(MakeWedge("pod", 2.4f, 1.2f, 1.2f, HullLook(0xFFC8B890)));
    w.Write(pod, [](Values& v) {
        v.Set("race", 1).Set("health max", 20.0f).Set("mass", 4.0f);
        v.Set("task: move", 0).Set("task: auto attack", 0).Set("affected by gravity", 0);
    });
}

} // namespace

DATABUILDER_STEP(LumivaneUnitsArms, "lumivane_units_arms") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    if (!MakeUnitFolders(root, "lumivane_units_arms")) return false;
    UnitWriter writer{root, "lumivane_units_arms"};
    WriteProjectiles(writer);
    WriteDeployables(writer);
    WriteArmedShips(writer);
    WriteStation(writer);
    return writer.ok && databuilder::WriteHullTextures(root) && writer.CheckLibrary();
}
