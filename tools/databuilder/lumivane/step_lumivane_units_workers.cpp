// Writes Lumivane's working craft into "LumivaneData/models" through the
// units' own Save, with their property files: the "utilitypod" that mines
// and repairs (arms, claw and spotlight with their sequences, four thrust
// nodes), the "podbay" that launches four of them and takes their cargo
// through its "baymarker1-1" .. "baymarker4-2" nodes, the "tug" and the
// "TowCable" it strings (its first child the GeoNode the ribbon is drawn
// into), the "miningsparks" of a pod at work and the "orerock", a heavy
// asteroid for pods to mine and tugs to haul. The step sorts before the
// scene steps that place these craft; the folder is read back through the
// model library.
#include "tools/databuilder/shared/data_step.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/units/pod/pod_bay.h"
#include "desktop/units/pod/utility_pod.h"
#include "desktop/units/tug/tow_cable.h"
#include "desktop/units/tug/tug.h"
#include "tools/databuilder/lumivane/lumivane_hulls.h"
#include "tools/databuilder/lumivane/lumivane_prop_values.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"
#include "tools/databuilder/lumivane/lumivane_unit_writer.h"

namespace {

using namespace lumivane;
using databuilder::HullLook;
using databuilder::MakeMount;
using databuilder::MakeQuad;
using databuilder::MakeSphere;
using databuilder::MakeWedge;
using databuilder::UnitPrototype;
using Values = databuilder::PropValues;
using Writer = databuilder::UnitWriter;

constexpr const char* kStep = "lumivane_units_workers";
constexpr float kPodRadius = 0.22f;

Matrix At(Vec3 at) {
    Matrix m;
    m.MakeTranslation(at.x, at.y, at.z);
    return m;
}

// `at` turned by `angle` about X.
Matrix Tilted(Vec3 at, float angle) {
    Matrix m;
    m.MakeRotation(std::sin(angle / 2), 0.0f, 0.0f, std::cos(angle / 2));
    m.PostMultiply(At(at));
    return m;
}

// A frame channel that swings its node between two poses: 10 frames out,
// held 10, 10 frames back, held 10 (frames 0..40).
FrameChannel* Swing(FrameAnim* node, const Matrix& rest, const Matrix& out) {
    auto* channel = new FrameChannel;
    channel->AddKey(rest, -10);
    channel->AddKey(out, 10);
    channel->AddKey(out, -10);
    channel->AddKey(rest, 10);
    node->AddChannel(channel);
    return channel;
}

FrameAnim* Arm(const char* name, Vec3 at, GeoNode* shape) {
    auto* arm = new FrameAnim;
    arm->SetName(name);
    arm->local = At(at);
    arm->AddChild(shape);
    return arm;
}

void Worker(Values& v) {
    v.Set("race", 1).Set("affected by gravity", 0).Set("task: auto attack", 0);
}

// The pod's arms, claw and spotlight, and the nine sequences over them: each
// "out" or "open" runs frames 0..10 of its channel, each "in" or "close"
// frames 20..30; the tool change and the spotlight sweeps run a channel
// whole.
Sequencer* PodAnimations(UtilityPod& pod) {
    const float r = kPodRadius;
    const Vec3 clawAt(0.4f * r, -0.3f * r, 0.5f * r);
    const Vec3 toolAt(-0.4f * r, -0.3f * r, 0.5f * r);
    const Vec3 lampAt(0.0f, 0.7f * r, 0.6f * r);
    FrameAnim* claw = Arm("clawarm", clawAt,
                          MakeWedge("claw", 0.8f * r, 0.15f * r, 0.15f * r, HullLook(0xFFB0B0B8)));
    FrameAnim* jaw = Arm("claw", {0, 0, 0.8f * r},
                         MakeWedge("jaw", 0.3f * r, 0.3f * r, 0.1f * r, HullLook(0xFF909098)));
    claw->AddChild(jaw);
    FrameAnim* tool = Arm("toolarm", toolAt,
                          MakeWedge("tool", 0.7f * r, 0.12f * r, 0.12f * r, HullLook(0xFFA0A0A8)));
    FrameAnim* lamp =
        Arm("spotlight", lampAt,
            MakeSphere("lamp", 0.18f * r, 3, 5, {.colour = 0xFFFFF0A0, .lit = false}));
    pod.AddChild(claw);
    pod.AddChild(tool);
    pod.AddChild(lamp);

    auto* sequencer = new Sequencer;
    const float quarter = 1.5707964f;
    sequencer->AddChannel(Swing(claw, At(clawAt), Tilted(clawAt, quarter)));
    sequencer->AddChannel(Swing(tool, At(toolAt), Tilted(toolAt, quarter)));
    sequencer->AddChannel(Swing(jaw, At({0, 0, 0.8f * r}), Tilted({0, 0, 0.8f * r}, 0.6f)));
    sequencer->AddChannel(Swing(lamp, At(lampAt), Tilted(lampAt, -0.5f)));
    const float out = 10.0f / 30.0f, back = 20.0f / 30.0f, done = 30.0f / 30.0f;
    const float whole = 40.0f / 30.0f;
    sequencer->AddSequence({"clawarm_out", 1, 0.0f, out, {1, 0, 0, 0}});
    sequencer->AddSequence({"clawarm_in", 1, back, done, {1, 0, 0, 0}});
    sequencer->AddSequence({"toolarm_out", 2, 0.0f, out, {0, 1, 0, 0}});
    sequencer->AddSequence({"toolarm_in", 2, back, done, {0, 1, 0, 0}});
    sequencer->AddSequence({"claw_open", 3, 0.0f, out, {0, 0, 1, 0}});
    sequencer->AddSequence({"claw_close", 3, back, done, {0, 0, 1, 0}});
    sequencer->AddSequence({"Tool_Change", 4, 0.0f, whole, {0, 0, 1, 0}});
    sequencer->AddSequence({"spotlightmove", 5, 0.0f, whole, {0, 0, 0, 1}});
    sequencer->AddSequence({"spotlightfocus", 5, 0.0f, out, {0, 0, 0, 1}});
    return sequencer;
}

void WritePod(Writer& w) {
    auto* pod = UnitPrototype<UtilityPod>("utilitypod");
    pod->AddChild(MakeSphere("hull", kPodRadius, 4, 6, HullLook(0xFFE8C040)));
    const float r = kPodRadius;
    const char* thrusters[] = {"llthrust", "ulthrust", "lrthrust", "urthrust"};
    for (int i = 0; i < 4; ++i)
        pod->AddChild(MakeMount(
            thrusters[i], {(i < 2 ? -0.8f : 0.8f) * r, (i % 2 ? 0.5f : -0.5f) * r, -0.8f * r}));
    pod->SetSequencer(PodAnimations(*pod));
    w.Write(pod, [](Values& v) {
        Worker(v);
        v.Set("icon number", 6).Set("health max", 6.0f).Set("cost", 50.0f);
        v.Set("task: gather", 1).Set("task: attack", 0).Set("task: recall", 1);
        v.Set("gather amount total", 100.0f).Set("gather amount per", 25.0f);
        v.Set("repair units/sec", 2.0f);
        v.Set("thrust", 0.5f).Set("top speed", 1.4f).Set("angular thrust", 0.8f);
        v.Set("turn speed", 1.0f).Set("mass", 0.5f);
    });
}

// A squat hull with a hangar mouth on each side; a pod docks at the inner
// marker "baymarker<i>-1" after the outer "baymarker<i>-2".
void WriteBay(Writer& w) {
    auto* bay = UnitPrototype<PodBay>("podbay");
    bay->AddChild(MakeWedge("hull", 4.0f, 3.0f, 1.4f, HullLook(0xFF8890A0)));
    bay->AddChild(MakeSphere("dome", 0.9f, 4, 8, HullLook(0xFF6070A0)));
    const Vec3 mouths[kPodBayMarkers] = {{1, 0, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int i = 0; i < kPodBayMarkers; ++i) {
        const std::string name = "baymarker" + std::to_string(i + 1);
        bay->AddChild(MakeMount(name + "-1", mouths[i] * 2.0f));
        bay->AddChild(MakeMount(name + "-2", mouths[i] * 3.2f));
    }
    w.Write(bay, [](Values& v) {
        Worker(v);
        v.Set("icon number", 7).Set("health max", 60.0f).Set("cost", 400.0f);
        v.Set("build time", 12.0f).Set("mass", 50.0f);
        v.Set("task: move", 0).Set("task: attack", 0);
        v.Set("Survive unlinked", 1).Set("Rotational speed", 0.0f);
        v.SetText("weapon", "utilitypod");
    });
}

void WriteTug(Writer& w) {
    auto* tug = UnitPrototype<Tug>("tug");
    tug->AddChild(MakeWedge("hull", 2.2f, 1.4f, 0.8f, HullLook(0xFFC07040)));
    tug->AddChild(MakeMount("dummyhook", {0, 0, -1.1f}));
    w.Write(tug, [](Values& v) {
        Worker(v);
        v.Set("icon number", 8).Set("health max", 20.0f).Set("cost", 200.0f);
        v.Set("task: tow", 1).Set("task: attack", 0);
        v.Set("thrust", 0.6f).Set("top speed", 0.8f).Set("angular thrust", 0.4f);
        v.Set("turn speed", 0.6f).Set("mass", 8.0f);
    });

    // The ribbon replaces the rope's vertices; it is drawn unlit, both sides.
    auto* cable = UnitPrototype<TowCable>("TowCable");
    cable->AddChild(MakeQuad("rope", 0.1f, {.colour = 0xFFE0E0D0, .lit = false}));
    w.Write(cable, [](Values& v) {
        v.Set("affected by gravity", 0).Set("can collide", 0).Set("pickable", 0);
        v.Set("task: auto attack", 0).Set("task: auto repair", 0);
        v.Set("fire time", 0.6f).Set("release time", 2.78f);
    });
}

void WriteEffects(Writer& w) {
    auto* sparks = UnitPrototype<Weapon>("miningsparks");
    sparks->AddChild(MakeSphere("spark", 0.5f, 3, 5, {.colour = 0xFFFFE070, .lit = false}));
    w.Write(sparks, [](Values& v) {
        v.Set("affected by gravity", 0).Set("can collide", 0).Set("pickable", 0);
        v.Set("task: auto attack", 0).Set("task: auto repair", 0);
        v.Set("lifespan", 0.4f).Set("speed", 0.0f).Set("damage", 0.0f).Set("die on impact", 0);
    });

    auto* rock = UnitPrototype<Asteroid>("orerock");
    rock->AddChild(MakeSphere("rock", 1.4f, 6, 9, {.texture = "asteroid.dds"}));
    w.Write(rock, [](Values& v) {
        v.Set("affected by gravity", 0).Set("health max", 400.0f).Set("mass", 80.0f);
        v.Set("tug-able", 1);
    });
}

bool CheckLibrary(const std::filesystem::path& root) {
    ModelLibrary library;
    if (!library.LoadAll(root)) return false;
    const struct {
        const char* name;
        ClassId kind;
    } expected[] = {{"utilitypod", ClassId::UtilityPod},
                    {"podbay", ClassId::PodBay},
                    {"tug", ClassId::Tug},
                    {"TowCable", ClassId::TowCable},
                    {"miningsparks", ClassId::Weapon},
                    {"orerock", ClassId::Asteroid}};
    for (const auto& e : expected)
        if (!IsA(library.FindPrototype(e.name), int(e.kind))) {
            std::fprintf(stderr, "%s: %s did not load back\n", kStep, e.name);
            return false;
        }
    const Node* cable = library.FindPrototype("TowCable");
    if (cable->ChildCount() < 1 || !IsA(cable->ChildAt(0), ClassId::GeoNode)) {
        std::fprintf(stderr, "%s: the TowCable's first child is no GeoNode\n", kStep);
        return false;
    }
    return true;
}

} // namespace

// Named to run before the scene steps that place these craft.
DATABUILDER_STEP(LumivaneUnitsWorkers, "lumivane_units_a_workers") {
    const std::filesystem::path root = context.runtime / "LumivaneData";
    if (!databuilder::MakeUnitFolders(root, kStep)) return false;
    Writer w{root, kStep};
    WritePod(w);
    WriteBay(w);
    WriteTug(w);
    WriteEffects(w);
    return w.ok && databuilder::WriteHullTextures(root) && CheckLibrary(root);
}
