// Writes the prototypes of Lumivane's ship classes into
// "LumivaneData/models" through their own Save, with their property files:
// the "rotary gunship" whose guns spin up, the "bomber" with its tubes and
// bay and the "bomb" it drops, the twin-hulled "catamaran" with its
// cartridge drum, the "colony ship" and the "settler" it carries, the
// "interceptor" and the "probe" with their swinging engines, the
// "missile boat" with its two launchers, the "mine layer" with its racks,
// the "mining station" with its tilting body, the "prefab kit" that
// unfolds, and the plain "minesweeper" and "shuttle". Every node and
// sequence the classes look up by name is there. The folder is read back
// through the model library.
#include "tools/databuilder/shared/data_step.h"

#include <cmath>
#include <string>

#include "desktop/units/ship_base/node_pose.h"
#include "desktop/units/ships/ship_classes.h"
#include "desktop/units/weapon/weapon.h"
#include "tools/databuilder/lumivane/lumivane_hulls.h"
#include "tools/databuilder/lumivane/lumivane_motion.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"
#include "tools/databuilder/lumivane/lumivane_unit_writer.h"

namespace {

using namespace lumivane;
using databuilder::BuildSequences;
using databuilder::HullLook;
using databuilder::MakeMount;
using databuilder::MakeMovingMount;
using databuilder::MakeRing;
using databuilder::MakeSphere;
using databuilder::MakeWedge;
using databuilder::NodeMotion;
using databuilder::Pose;
using databuilder::UnitPrototype;
using databuilder::UnitWriter;
using Values = databuilder::PropValues;

constexpr const char* kStep = "lumivane_units_classes";
constexpr float kQuarterTurn = 1.5707964f;

// A mount with a small shape hung on it.
TransNode* Part(const std::string& name, Vec3 at, GeoNode* shape) {
    TransNode* mount = MakeMount(name, at);
    mount->AddChild(shape);
    return mount;
}

// Four thruster mounts at the corners of the stern.
void Thrusters(Entity& unit, const char* const names[4], float width, float back) {
    for (int i = 0; i < 4; ++i)
        unit.AddChild(MakeMount(names[i], {i % 2 ? width : -width, i / 2 ? 0.3f : -0.3f, -back}));
}

// A mount turned to point its +Z down.
TransNode* DownwardMount(const std::string& name, Vec3 at) {
    Vec3 forward{0, 0, 1};
    float angle = kQuarterTurn;
    AxisAngle({1, 0, 0}, angle).RotateVector(forward);
    if (forward.y > 0.0f) angle = -angle;
    auto* mount = new TransNode;
    mount->SetName(name);
    mount->local = Pose(at, {1, 0, 0}, angle);
    return mount;
}

void Flyer(Values& v, float health, float sensor) {
    v.Set("race", 1).Set("health max", health).Set("sensor range", sensor);
    v.Set("affected by gravity", 0);
}

void Armed(Values& v, const char* weapon, float range, float reload) {
    v.SetText("weapon", weapon).Set("fire range", range).Set("fire angle", 0.4f);
    v.Set("reload time", reload).Set("reload time spread", 0.0f);
}

void WriteGunship(UnitWriter& w) {
    auto* ship = UnitPrototype<Gunship>("rotary gunship");
    ship->AddChild(MakeWedge("hull", 3.0f, 2.0f, 0.8f, HullLook(0xFFC8B070)));
    for (int g = 1; g <= 2; ++g)
        ship->AddChild(Part("gun" + std::to_string(g), {g == 1 ? -0.8f : 0.8f, -0.2f, 0.9f},
                            MakeWedge("barrels", 1.2f, 0.35f, 0.35f, HullLook(0xFF606060))));
    static const char* const kThrust[4] = {"llthrust", "rlthrust", "luthrust", "ruthrust"};
    Thrusters(*ship, kThrust, 0.7f, 1.2f);
    ship->SetSequencer(
        BuildSequences({{"idle"}, {"revup"}, {"revdown"}, {"revving"}, {"fire1"}, {"fire2"}}));
    w.Write(ship, [](Values& v) {
        Flyer(v, 18.0f, 60.0f);
        v.Set("thrust", 0.8f).Set("top speed", 1.2f).Set("angular thrust", 1.2f);
        Armed(v, "tracer", 9.0f, 0.2f);
        v.Set("task: auto pursue", 1);
    });
}

void WriteBomber(UnitWriter& w) {
    auto* bomb = UnitPrototype<Weapon>("bomb");
    bomb->AddChild(MakeSphere("casing", 0.3f, 3, 6, HullLook(0xFF404040)));
    w.Write(bomb, [](Values& v) {
        v.Set("affected by gravity", 0).Set("task: auto attack", 0).Set("task: auto repair", 0);
        v.Set("lifespan", 10.0f).Set("speed", 0.5f).Set("damage", 8.0f);
    });

    auto* bomber = UnitPrototype<Bomber>("bomber");
    bomber->AddChild(MakeWedge("hull", 3.6f, 3.2f, 0.8f, HullLook(0xFF708090)));
    for (const char* side : {"L", "R"})
        bomber->AddChild(Part(std::string(side) + "engine",
                              {side[0] == 'L' ? -1.1f : 1.1f, 0, -1.0f},
                              MakeWedge("nacelle", 1.2f, 0.5f, 0.5f, HullLook(0xFF505A68))));
    for (int t = 1; t <= Bomber::kTubes; ++t)
        bomber->AddChild(
            DownwardMount("tube" + std::to_string(t), {0.4f * float(t - 2), -0.5f, 0}));
    // The bay doors close by sliding together under the hull.
    FrameAnim* doors = MakeMovingMount("bombbay", {0, -0.45f, 0});
    doors->AddChild(MakeWedge("doors", 1.2f, 1.0f, 0.1f, HullLook(0xFF5A6470)));
    bomber->AddChild(doors);
    bomber->SetSequencer(
        BuildSequences({{"bombbay_close", doors, Pose({0, -0.65f, 0}), Pose({0, -0.45f, 0})}}));
    w.Write(bomber, [](Values& v) {
        Flyer(v, 30.0f, 70.0f);
        v.Set("thrust", 0.6f).Set("top speed", 1.0f).Set("angular thrust", 0.8f);
        Armed(v, "bomb", 40.0f, 3.0f);
    });
}

void WriteCatamaran(UnitWriter& w) {
    auto* boat = UnitPrototype<Catamaran>("catamaran");
    for (float x : {-0.9f, 0.9f})
        boat->AddChild(Part(x < 0 ? "port hull" : "starboard hull", {x, 0, 0},
                            MakeWedge("hull", 3.0f, 0.7f, 0.6f, HullLook(0xFFB0C8C0))));
    boat->AddChild(MakeMount("dummyweapon", {0, 0.2f, 1.6f}));
    // The drum turns a fifth of a turn for each cartridge.
    FrameAnim* drum = MakeMovingMount("drum", {0, 0.4f, 0});
    drum->AddChild(MakeWedge("drum", 0.8f, 0.8f, 0.8f, HullLook(0xFF807060)));
    boat->AddChild(drum);
    std::vector<NodeMotion> motions = {{"fire"}};
    static const char* const kCartridges[] = {"cartridge_1", "cartridge_2", "cartridge_3",
                                              "cartridge_4", "cartridge_5"};
    for (int c = 0; c < Catamaran::kClip; ++c) {
        const float step = 1.2566371f; // a fifth of a turn
        motions.push_back({kCartridges[c], drum, Pose({0, 0.4f, 0}, {0, 0, 1}, step * float(c)),
                           Pose({0, 0.4f, 0}, {0, 0, 1}, step * float(c + 1))});
    }
    boat->SetSequencer(BuildSequences(motions));
    w.Write(boat, [](Values& v) {
        Flyer(v, 20.0f, 60.0f);
        v.Set("thrust", 0.7f).Set("top speed", 1.1f).Set("angular thrust", 1.0f);
        Armed(v, "plasma", 10.0f, 0.5f);
        v.Set("task: auto pursue", 1);
    });
}

void WriteColonyShip(UnitWriter& w) {
    auto* settler = UnitPrototype<Ship>("settler");
    settler->AddChild(MakeWedge("hull", 1.4f, 1.0f, 0.5f, HullLook(0xFFE0D8B0)));
    w.Write(settler, [](Values& v) {
        Flyer(v, 8.0f, 30.0f);
        v.Set("thrust", 0.9f).Set("top speed", 1.3f).Set("angular thrust", 1.4f);
        v.Set("task: auto attack", 0);
    });

    auto* colony = UnitPrototype<ColonyShip>("colony ship");
    colony->AddChild(MakeSphere("habitat", 2.2f, 12, 24, HullLook(0xFFD8D0C0)));
    colony->AddChild(MakeRing("dock ring", 2.5f, 3.2f, 40, HullLook(0xFF8890A0)));
    colony->AddChild(MakeMount("dummyship", {0, 0, -3.6f}));
    w.Write(colony, [](Values& v) {
        Flyer(v, 80.0f, 60.0f);
        v.Set("mass", 8.0f).Set("thrust", 0.3f).Set("top speed", 0.6f).Set("angular thrust", 0.4f);
        v.Set("task: auto attack", 0);
    });
}

void WriteLightCraft(UnitWriter& w) {
    auto* interceptor = UnitPrototype<Interceptor>("interceptor");
    interceptor->AddChild(MakeWedge("hull", 2.2f, 1.6f, 0.5f, HullLook(0xFFD0D8E8)));
    for (const char* side : {"L", "R"})
        interceptor->AddChild(Part(std::string(side) + "engine",
                                   {side[0] == 'L' ? -0.8f : 0.8f, 0, -0.7f},
                                   MakeWedge("pod", 0.9f, 0.35f, 0.35f, HullLook(0xFF8090A0))));
    interceptor->AddChild(MakeMount("dummyweapon", {0, 0, 1.3f}));
    w.Write(interceptor, [](Values& v) {
        Flyer(v, 10.0f, 60.0f);
        v.Set("thrust", 1.0f).Set("top speed", 1.6f).Set("angular thrust", 1.6f);
        Armed(v, "tracer", 7.0f, 0.6f);
        v.Set("task: auto pursue", 1);
    });

    auto* probe = UnitPrototype<Probe>("probe");
    probe->AddChild(MakeSphere("body", 0.6f, 6, 12, HullLook(0xFFE0C060)));
    probe->AddChild(Part("EngineSpindle", {0, 0, -0.6f},
                         MakeWedge("spindle", 0.9f, 0.3f, 0.3f, HullLook(0xFF707070))));
    static const char* const kThrust[4] = {"llthrust", "lrthrust", "ulthrust", "urthrust"};
    Thrusters(*probe, kThrust, 0.4f, 0.6f);
    w.Write(probe, [](Values& v) {
        Flyer(v, 4.0f, 90.0f);
        v.Set("thrust", 0.9f).Set("top speed", 1.5f).Set("angular thrust", 1.5f);
        v.Set("task: auto attack", 0);
    });

    auto* boat = UnitPrototype<MissileBoat>("missile boat");
    boat->AddChild(MakeWedge("hull", 3.0f, 1.8f, 0.9f, HullLook(0xFF98A070)));
    std::vector<NodeMotion> loads;
    for (int l = 1; l <= MissileBoat::kLaunchers; ++l) {
        const Vec3 at{l == 1 ? -0.7f : 0.7f, 0.5f, 0.2f};
        FrameAnim* launcher = MakeMovingMount(l == 1 ? "missile1" : "missile2", at);
        launcher->AddChild(MakeWedge("missile", 1.0f, 0.25f, 0.25f, HullLook(0xFFE0E0E0)));
        boat->AddChild(launcher);
        // A fresh missile slides forward onto the rail.
        loads.push_back({l == 1 ? "missile1_load" : "missile2_load", launcher,
                         Pose(at - Vec3(0, 0, 0.8f)), Pose(at)});
    }
    for (const char* side : {"L", "R"})
        boat->AddChild(Part(std::string(side) + "engine", {side[0] == 'L' ? -0.9f : 0.9f, 0, -1.1f},
                            MakeWedge("nozzle", 0.7f, 0.4f, 0.4f, HullLook(0xFF606850))));
    boat->SetSequencer(BuildSequences(loads));
    w.Write(boat, [](Values& v) {
        Flyer(v, 22.0f, 70.0f);
        v.Set("thrust", 0.7f).Set("top speed", 1.1f).Set("angular thrust", 1.0f);
        Armed(v, "missile", 12.0f, 2.5f);
    });

    auto* sweeper = UnitPrototype<MineSweeper>("minesweeper");
    sweeper->AddChild(MakeWedge("hull", 2.6f, 1.8f, 0.7f, HullLook(0xFFC0A080)));
    w.Write(sweeper, [](Values& v) {
        Flyer(v, 16.0f, 50.0f);
        v.Set("thrust", 0.8f).Set("top speed", 1.2f).Set("angular thrust", 1.1f);
    });

    auto* shuttle = UnitPrototype<Shuttle>("shuttle");
    shuttle->AddChild(MakeWedge("hull", 1.8f, 1.3f, 0.8f, HullLook(0xFFF0F0F0)));
    w.Write(shuttle, [](Values& v) {
        Flyer(v, 8.0f, 40.0f);
        v.Set("thrust", 0.9f).Set("top speed", 1.3f).Set("angular thrust", 1.3f);
        v.Set("task: auto attack", 0);
    });
}

void WriteMineLayer(UnitWriter& w) {
    auto* layer = UnitPrototype<MineLayer>("mine layer");
    layer->AddChild(MakeWedge("hull", 3.6f, 2.2f, 1.2f, HullLook(0xFF8A7060)));
    layer->AddChild(MakeMount("dummyrack1", {-1.1f, 0, -1.8f}));
    layer->AddChild(MakeMount("dummyrack2", {1.1f, 0, -1.8f}));
    w.Write(layer, [](Values& v) {
        Flyer(v, 24.0f, 60.0f);
        v.Set("thrust", 0.6f).Set("top speed", 1.0f).Set("angular thrust", 0.9f);
        v.Set("fire range", 8.0f).Set("reload time", 1.5f).Set("reload time spread", 0.0f);
        v.Set("task: mine", 1).Set("task: comsat", 1);
    });
}

void WriteStations(UnitWriter& w) {
    auto* station = UnitPrototype<MiningStation>("mining station");
    station->AddChild(MakeSphere("base", 1.6f, 10, 18, HullLook(0xFF9A9080)));
    TransNode* body = MakeMount("bodytilt", {0, 1.2f, 0});
    body->AddChild(MakeWedge("drill arm", 4.0f, 1.0f, 1.0f, HullLook(0xFFC0A040)));
    body->AddChild(MakeRing("collar", 0.8f, 1.6f, 16, HullLook(0xFF606060)));
    station->AddChild(body);
    w.Write(station, [](Values& v) {
        Flyer(v, 60.0f, 40.0f);
        v.Set("mass", 10.0f).Set("task: move", 0).Set("task: auto attack", 0);
    });

    auto* kit = UnitPrototype<PrefabKit>("prefab kit");
    kit->AddChild(MakeWedge("crate", 2.0f, 1.6f, 1.6f, HullLook(0xFFB8B8A0)));
    // Four panels fold out of the crate.
    std::vector<NodeMotion> unfold;
    static const char* const kPanels[] = {"panel1", "panel2", "panel3", "panel4"};
    for (int p = 0; p < 4; ++p) {
        const float angle = kQuarterTurn * float(p);
        const Vec3 out{2.2f * std::sin(angle), 0, 2.2f * std::cos(angle)};
        FrameAnim* panel = MakeMovingMount(kPanels[p], {});
        panel->AddChild(MakeWedge("panel", 1.6f, 1.4f, 0.1f, HullLook(0xFFD0C890)));
        kit->AddChild(panel);
        unfold.push_back(
            {"deploy", panel, Pose({}, {0, 1, 0}, angle), Pose(out, {0, 1, 0}, angle)});
    }
    kit->SetSequencer(BuildSequences(unfold));
    w.Write(kit, [](Values& v) {
        Flyer(v, 30.0f, 40.0f);
        v.Set("thrust", 0.4f).Set("top speed", 0.6f).Set("angular thrust", 0.5f);
        v.Set("task: deploy", 1).Set("task: auto attack", 0);
    });
}

} // namespace

DATABUILDER_STEP(LumivaneUnitsClasses, "lumivane_units_classes") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    if (!databuilder::MakeUnitFolders(root, kStep)) return false;
    UnitWriter writer{root, kStep};
    WriteGunship(writer);
    WriteBomber(writer);
    WriteCatamaran(writer);
    WriteColonyShip(writer);
    WriteLightCraft(writer);
    WriteMineLayer(writer);
    WriteStations(writer);
    return writer.ok && databuilder::WriteHullTextures(root) && writer.CheckLibrary();
}
