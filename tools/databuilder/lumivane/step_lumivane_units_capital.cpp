// Writes Lumivane's capital units into "LumivaneData/models" through the
// units' own Save, with their property files (the big hulls with the
// plates' relief for the bump pass): the "carrier" with eight
// bays of "carrierfighter"s, the "atr" with eight "spacemarine"s, and the
// turret ships "capitolship", "cruiser", "patrolboat" and
// "perimeterstation". Every model carries the nodes and sequences its class
// looks up by name: thrust mounts, bay doors ("bay%i_open"), the craft's
// seats ("fighter%i", "dummymarine%i") and the ways home
// ("dummyrecovery2", "dummyrecovery1", "dummyside1", "dummyside2"), the
// fighter's guns and folding wings, the marine's body moves, and each
// turret's yaw and pitch mounts with its "fire%i" recoil. The folder is
// read back through the model library.
#include "tools/databuilder/shared/data_step.h"

#include <functional>
#include <string>

#include "desktop/scene/object/trans_node.h"
#include "desktop/units/carrier/carrier.h"
#include "desktop/units/carrier/craft.h"
#include "desktop/units/turret/turret_ships.h"
#include "tools/databuilder/lumivane/lumivane_prop_values.h"
#include "tools/databuilder/lumivane/lumivane_hulls.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"
#include "tools/databuilder/lumivane/lumivane_unit_animation.h"
#include "tools/databuilder/lumivane/lumivane_unit_writer.h"

namespace {

using namespace lumivane;
using databuilder::BumpedHullLook;
using databuilder::HullLook;
using databuilder::MakeMount;
using databuilder::MakeSphere;
using databuilder::MakeWedge;
using databuilder::NodeMove;
using databuilder::Translation;
using databuilder::TurnAt;
using databuilder::UnitAnimation;
using databuilder::UnitPrototype;
using Values = databuilder::PropValues;

constexpr const char* kStep = "lumivane_units_capital";
constexpr float kHalfPi = 1.5707963f;
constexpr uint32_t kHullGrey = 0xFF8890A0;
constexpr uint32_t kGunMetal = 0xFF505860;
constexpr uint32_t kDoorColour = 0xFF6C7480;

FrameAnim* Animated(const std::string& name, const Matrix& local) {
    auto* node = new FrameAnim;
    node->SetName(name);
    node->local = local;
    return node;
}

void AddThrustMounts(Node& unit, float halfWidth, float halfHeight, float back, bool brake) {
    unit.AddChild(MakeMount("llthrust", {-halfWidth, -halfHeight, back}));
    unit.AddChild(MakeMount("ulthrust", {-halfWidth, halfHeight, back}));
    unit.AddChild(MakeMount("lrthrust", {halfWidth, -halfHeight, back}));
    unit.AddChild(MakeMount("urthrust", {halfWidth, halfHeight, back}));
    if (brake) unit.AddChild(MakeMount("thrustbrake", {0, 0, -back}));
}

// A barrel along +Z under `mount` that recoils for "fire<n>".
void AddRecoilingBarrel(UnitAnimation& animation, Node& mount, int n, float length) {
    const Matrix rest = Translation(0, 0, 0.1f * length);
    FrameAnim* barrel = Animated("barrel" + std::to_string(n), rest);
    barrel->AddChild(MakeWedge("gun", length, 0.2f * length, 0.2f * length, HullLook(kGunMetal)));
    mount.AddChild(barrel);
    animation.Animate(
        barrel, {{"fire" + std::to_string(n), rest, Translation(0, 0, -0.15f * length), 3, true}});
}

// Eight bay doors along the hull's flanks, four a side, each with the seat
// a craft rides on while the door is open.
void AddBays(Ship& unit, UnitAnimation& animation, float halfWidth, float length, float y,
             const char* seat) {
    for (int n = 1; n <= kBaySlots; ++n) {
        const float side = n <= 4 ? -1.0f : 1.0f;
        const float z = length * (0.3f - 0.18f * float((n - 1) % 4));
        const Matrix shut = Translation(side * halfWidth, y, z);
        FrameAnim* door = Animated("bay" + std::to_string(n) + "door", shut);
        door->AddChild(MakeWedge("door", 0.12f * length, 0.05f * length, 0.06f * length,
                                 HullLook(kDoorColour)));
        unit.AddChild(door);
        const Matrix open = TurnAt(0, 0, 1, side * 1.2f, side * halfWidth, y + 0.05f * length, z);
        animation.Animate(door, {{"bay" + std::to_string(n) + "_open", shut, open, 20, true}});
        unit.AddChild(MakeMount(seat + std::to_string(n), {side * (halfWidth + 1.0f), y, z}));
    }
}

using Writer = databuilder::UnitWriter;

// The model's sequences, then the prototype written as `tune` sets it.
void WriteAnimated(Writer& w, Entity* unit, Sequencer* sequences,
                   const std::function<void(Values&)>& tune) {
    if (sequences) unit->SetSequencer(sequences);
    w.Write(unit, tune);
}

void Mobile(Values& v, float health, float mass, float thrust, float topSpeed, float turning) {
    v.Set("race", 1).Set("health max", health).Set("mass", mass).Set("sensor range", 90.0f);
    v.Set("thrust", thrust).Set("top speed", topSpeed).Set("angular thrust", turning);
    v.Set("turn speed", turning);
}

void Armed(Values& v, const char* weapon, float range, float reload, float spread) {
    v.SetText("weapon", weapon).Set("fire range", range).Set("fire angle", 0.3f);
    v.Set("reload time", reload).Set("reload time spread", spread);
}

// --- The carriers and their craft -------------------------------------------

void WriteCarrier(Writer& w) {
    auto* carrier = UnitPrototype<Carrier>("carrier");
    UnitAnimation animation;
    carrier->AddChild(MakeWedge("hull", 10.0f, 3.2f, 1.7f, BumpedHullLook(kHullGrey)));
    carrier->AddChild(MakeWedge("deck", 7.5f, 1.3f, 2.2f, HullLook(0xFF707888)));
    AddThrustMounts(*carrier, 1.0f, 0.5f, -4.0f, false);
    AddBays(*carrier, animation, 1.3f, 10.0f, -0.3f, "fighter");
    // The way home: in over the stern, then down onto the deck.
    carrier->AddChild(MakeMount("dummyrecovery2", {0, 3.5f, -6.5f}));
    carrier->AddChild(MakeMount("dummyrecovery1", {0, 2.2f, -5.5f}));
    WriteAnimated(w, carrier, animation.Finish(), [](Values& v) {
        Mobile(v, 400.0f, 30.0f, 0.06f, 0.3f, 0.06f);
        Armed(v, "carrierfighter", 70.0f, 30.0f, 0.0f);
        v.Set("icon number", 5).Set("cost", 2400.0f).Set("task: recall", 1);
    });

    auto* fighter = UnitPrototype<CarrierFighter>("carrierfighter");
    UnitAnimation moves;
    fighter->AddChild(MakeWedge("hull", 1.3f, 0.45f, 0.3f, HullLook(0xFFC8D0E0)));
    fighter->AddChild(MakeMount("dummyconnector", {0, 0.3f, 0}));
    fighter->AddChild(MakeMount("gun1", {-0.4f, 0, 0.8f}));
    fighter->AddChild(MakeMount("gun2", {0.4f, 0, 0.8f}));
    for (int side : {-1, 1}) {
        const Matrix out = Translation(0.3f * float(side), 0, -0.2f);
        const Matrix in = TurnAt(0, 0, 1, float(side) * kHalfPi, 0.3f * float(side), 0.2f, -0.2f);
        FrameAnim* wing = Animated(side < 0 ? "lwing" : "rwing", out);
        wing->AddChild(MakeWedge("wing", 0.6f, 0.9f, 0.06f, HullLook(0xFFA8B4C8)));
        fighter->AddChild(wing);
        moves.Animate(wing, {{"wings_foldout", in, out, 12}, {"wings_foldin", out, in, 12}});
    }
    for (int n : {1, 2}) {
        const Matrix rest = Translation(n == 1 ? -0.4f : 0.4f, 0, 0.6f);
        FrameAnim* flash = Animated("muzzle" + std::to_string(n), rest);
        flash->AddChild(MakeSphere("flash", 0.08f, 2, 4, {.colour = 0xFFFFE0A0, .lit = false}));
        fighter->AddChild(flash);
        moves.Animate(flash, {{"fire" + std::to_string(n), rest,
                               Translation(n == 1 ? -0.4f : 0.4f, 0, 0.9f), 2, true}});
    }
    WriteAnimated(w, fighter, moves.Finish(), [](Values& v) {
        Mobile(v, 8.0f, 0.5f, 0.9f, 1.6f, 1.4f);
        Armed(v, "tracer", 8.0f, 0.5f, 0.15f);
        v.Set("fuel time", 24.0f).Set("icon number", 1).Set("task: auto pursue", 1);
    });
}

void WriteATR(Writer& w) {
    auto* atr = UnitPrototype<ATR>("atr");
    UnitAnimation animation;
    atr->AddChild(MakeWedge("hull", 8.0f, 3.4f, 2.2f, HullLook(0xFF98A088)));
    AddThrustMounts(*atr, 1.2f, 0.6f, -3.2f, true);
    AddBays(*atr, animation, 1.5f, 8.0f, 0.0f, "dummymarine");
    atr->AddChild(MakeMount("dummyside1", {-3.0f, 0, 0}));
    atr->AddChild(MakeMount("dummyside2", {3.0f, 0, 0}));
    WriteAnimated(w, atr, animation.Finish(), [](Values& v) {
        Mobile(v, 120.0f, 8.0f, 0.3f, 0.8f, 0.5f);
        Armed(v, "spacemarine", 40.0f, 20.0f, 0.0f);
        v.Set("icon number", 6).Set("cost", 900.0f).Set("task: recall", 1);
    });

    auto* marine = UnitPrototype<SpaceMarine>("spacemarine");
    UnitAnimation moves;
    const Matrix upright = Translation(0, 0, 0);
    const Matrix crouched = TurnAt(1, 0, 0, 0.5f, 0, -0.1f, 0);
    const Matrix stretched = TurnAt(1, 0, 0, -0.3f, 0, 0, 0);
    FrameAnim* body = Animated("body", upright);
    body->AddChild(MakeSphere("torso", 0.35f, 3, 6, HullLook(0xFFD8C8A0)));
    body->AddChild(MakeWedge("pack", 0.6f, 0.5f, 0.3f, HullLook(0xFF807060)));
    marine->AddChild(body);
    marine->AddChild(MakeMount("dummyweapon", {0, 0, 0.5f}));
    moves.Animate(body, {{"body_prepare", upright, crouched, 8},
                         {"body_fire", crouched, upright, 4},
                         {"body_flying", upright, stretched, 20, true}});
    WriteAnimated(w, marine, moves.Finish(), [](Values& v) {
        Mobile(v, 3.0f, 0.2f, 0.6f, 0.9f, 1.6f);
        Armed(v, "tracer", 6.0f, 1.5f, 0.3f);
        v.Set("fuel time", 15.0f).Set("icon number", 1).Set("task: auto pursue", 1);
    });
}

// --- The turret ships ---------------------------------------------------------

// A side-mounted turret of the capital ship: the pitch mount turns about
// the hull's forward axis from straight up (its own X lies along the bow,
// its Y to starboard, its Z up) and the yaw mount leans the barrel toward
// the bow.
void AddCapitolTurret(Ship& ship, UnitAnimation& animation, int n, float x, float y, float z) {
    auto* pitch = new TransNode;
    pitch->SetName("turretpitch" + std::to_string(n));
    pitch->local.MakeRotation(-0.5f, -0.5f, -0.5f, 0.5f);
    pitch->local.PostMultiply(Translation(x, y, z));
    pitch->AddChild(MakeSphere("base", 0.7f, 3, 6, HullLook(kGunMetal)));
    auto* yaw = new TransNode;
    yaw->SetName("turretyaw" + std::to_string(n));
    yaw->local = Translation(0, 0, 0.3f);
    AddRecoilingBarrel(animation, *yaw, n, 1.8f);
    pitch->AddChild(yaw);
    ship.AddChild(pitch);
}

void WriteCapitolShip(Writer& w) {
    auto* ship = UnitPrototype<CapitolShip>("capitolship");
    UnitAnimation animation;
    ship->AddChild(MakeWedge("hull", 20.0f, 6.0f, 3.4f, BumpedHullLook(0xFF7C8494)));
    // Three turrets a side: 1, 3, 5 to port, 2, 4, 6 to starboard.
    for (int n = 1; n <= 6; ++n) {
        const float side = n % 2 == 1 ? -1.0f : 1.0f;
        AddCapitolTurret(*ship, animation, n, side * 2.4f, 1.0f, 5.0f - 4.0f * float((n - 1) / 2));
    }
    WriteAnimated(w, ship, animation.Finish(), [](Values& v) {
        Mobile(v, 300.0f, 40.0f, 0.12f, 0.4f, 0.2f);
        Armed(v, "plasma", 24.0f, 1.6f, 0.4f);
        v.Set("turret speed", 1.2f).Set("icon number", 7).Set("cost", 3000.0f);
    });
}

void WriteCruiser(Writer& w) {
    auto* ship = UnitPrototype<Cruiser>("cruiser");
    UnitAnimation animation;
    ship->AddChild(MakeWedge("hull", 12.0f, 3.6f, 2.0f, BumpedHullLook(0xFF8C8C9C)));
    constexpr float kTurretZ[5] = {4.0f, 2.0f, 0.0f, -2.5f, -4.0f};
    for (int n = 1; n <= 5; ++n) {
        auto* turret = new TransNode;
        turret->SetName("turret" + std::to_string(n));
        turret->local = Translation(0, 1.2f, kTurretZ[n - 1]);
        turret->AddChild(MakeSphere("base", 0.5f, 3, 6, HullLook(kGunMetal)));
        AddRecoilingBarrel(animation, *turret, n, 1.4f);
        ship->AddChild(turret);
    }
    WriteAnimated(w, ship, animation.Finish(), [](Values& v) {
        Mobile(v, 140.0f, 16.0f, 0.2f, 0.6f, 0.35f);
        Armed(v, "plasma", 20.0f, 1.4f, 0.3f);
        v.Set("turret speed", 1.4f).Set("icon number", 8).Set("cost", 1600.0f);
    });
}

void WritePatrolBoat(Writer& w) {
    auto* boat = UnitPrototype<PatrolBoat>("patrolboat");
    UnitAnimation animation;
    boat->AddChild(MakeWedge("hull", 5.0f, 2.0f, 1.0f, HullLook(0xFFA09078)));
    for (int n : {1, 2}) {
        const float side = n == 1 ? 1.0f : -1.0f;
        const char* stem = n == 1 ? "rturret" : "lturret";
        auto* swivel = new TransNode;
        swivel->SetName(std::string(stem) + "swivel");
        swivel->local = Translation(side * 1.1f, 0.2f, 0.5f);
        auto* turret = new TransNode;
        turret->SetName(stem);
        turret->local = Translation(0, 0.2f, 0);
        turret->AddChild(MakeSphere("base", 0.3f, 3, 6, HullLook(kGunMetal)));
        AddRecoilingBarrel(animation, *turret, n, 0.9f);
        swivel->AddChild(turret);
        boat->AddChild(swivel);
    }
    WriteAnimated(w, boat, animation.Finish(), [](Values& v) {
        Mobile(v, 40.0f, 3.0f, 0.5f, 1.1f, 0.8f);
        Armed(v, "tracer", 12.0f, 0.8f, 0.2f);
        v.Set("turret speed", 2.0f).Set("icon number", 2).Set("cost", 500.0f);
    });
}

void WritePerimeterStation(Writer& w) {
    auto* station = UnitPrototype<PerimeterStation>("perimeterstation");
    station->AddChild(MakeSphere("base", 2.0f, 10, 20, HullLook(0xFF909AA8)));
    auto* tilt = new TransNode;
    tilt->SetName("bodytilt");
    tilt->AddChild(MakeWedge("tower", 3.0f, 1.4f, 1.4f, HullLook(0xFFA8B0BC)));
    for (int gun : {1, 2}) {
        auto* yaw = new TransNode;
        yaw->SetName("gun" + std::to_string(gun) + "yaw");
        yaw->local = Translation(0, gun == 1 ? 1.6f : -1.6f, 0);
        auto* pitch = new TransNode;
        pitch->SetName("gun" + std::to_string(gun) + "pitch");
        pitch->AddChild(MakeSphere("mount", 0.5f, 3, 6, HullLook(kGunMetal)));
        for (int barrel : {0, 1}) {
            const float x = barrel == 0 ? -0.3f : 0.3f;
            TransNode* muzzle =
                MakeMount("dummyweapon" + std::to_string(2 * gun - 1 + barrel), {x, 0, 1.2f});
            pitch->AddChild(muzzle);
        }
        pitch->AddChild(MakeWedge("guns", 1.4f, 0.9f, 0.2f, HullLook(kGunMetal)));
        yaw->AddChild(pitch);
        tilt->AddChild(yaw);
    }
    station->AddChild(tilt);
    w.Write(station, [](Values& v) {
        v.Set("race", 1).Set("health max", 160.0f).Set("mass", 50.0f).Set("sensor range", 80.0f);
        v.Set("task: move", 0).Set("affected by gravity", 0);
        Armed(v, "plasma", 22.0f, 1.0f, 0.3f);
        v.Set("turret speed", 1.6f).Set("icon number", 9).Set("cost", 1200.0f);
    });
}

} // namespace

DATABUILDER_STEP(LumivaneUnitsCapital, "lumivane_units_capital") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    if (!databuilder::MakeUnitFolders(root, kStep)) return false;
    Writer writer{root, kStep};
    WriteCarrier(writer);
    WriteATR(writer);
    WriteCapitolShip(writer);
    WriteCruiser(writer);
    WritePatrolBoat(writer);
    WritePerimeterStation(writer);
    return writer.ok && databuilder::WriteHullTextures(root) && writer.CheckLibrary();
}
