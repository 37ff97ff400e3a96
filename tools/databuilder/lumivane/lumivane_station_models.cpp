// The station's models: plain shapes hung on the nodes the construction
// code looks for. A build site's +Z points away from what it sits on; a
// piece hangs with its link node facing the site (half a turn round), so
// "dummyconnector1" looks back along -Z and the piece reaches out along its
// +Z; a connector carries the module at "dummyconnector2".
#include "tools/databuilder/lumivane/lumivane_station_models.h"

#include <cmath>
#include <string>

#include "desktop/scene/object/trans_node.h"
#include "desktop/units/structure/hubble_scope.h"
#include "desktop/units/structure/station_parts.h"
#include "desktop/units/structure/turrets.h"
#include "tools/databuilder/lumivane/lumivane_unit_writer.h"
#include "tools/databuilder/lumivane/lumivane_hulls.h"
#include "tools/databuilder/lumivane/lumivane_shapes.h"

namespace databuilder {

namespace {

using namespace lumivane;
using Values = PropValues;

constexpr const char* kStep = "lumivane_units_base";
constexpr int kHubSites = 4;
constexpr float kHubRadius = 4.0f;
constexpr float kConnectorLength = 2.5f;
constexpr uint32_t kHull = 0xFFB8BCC8;
constexpr uint32_t kTrim = 0xFF6878A0;
constexpr float kHalfTurn = 3.1415927f;

// A mount turned by `yaw` about the vertical before it is moved to `at`.
TransNode* MountAt(const std::string& name, Vec3 at, float yaw = 0.0f) {
    TransNode* node = MakeMount(name, at);
    node->local.MakeRotation(0.0f, std::sin(0.5f * yaw), 0.0f, std::cos(0.5f * yaw));
    Matrix shift;
    shift.MakeTranslation(at.x, at.y, at.z);
    node->local.PostMultiply(shift);
    return node;
}

// A shape placed inside a node so that it can sit off the model's origin.
TransNode* Placed(const std::string& name, Vec3 at, Node* shape) {
    TransNode* node = MountAt(name, at);
    node->AddChild(shape);
    return node;
}

// What every station part shares: it stays where it is built.
void Fixed(Values& v, float health, float cost, float buildTime) {
    v.Set("race", 1).Set("health max", health).Set("cost", cost).Set("build time", buildTime);
    v.Set("task: move", 0).Set("affected by gravity", 0).Set("task: auto repair", 0);
}

void WriteHub(UnitWriter& w) {
    auto* hub = UnitPrototype<Hub>("hub");
    hub->AddChild(MakeSphere("core", kHubRadius, 14, 28, HullLook(kHull)));
    hub->AddChild(MakeRing("ring", kHubRadius + 0.6f, kHubRadius + 1.6f, 48, HullLook(kTrim)));
    hub->AddChild(MountAt("dummyship", {0, 0, kHubRadius + 1.0f}, kHalfTurn));
    // Sites behind and to the sides; ships leave from the front.
    const float yaws[kHubSites] = {kHalfTurn, 1.5707964f, -1.5707964f, 2.3561945f};
    for (int i = 0; i < kHubSites; ++i) {
        const float yaw = yaws[i];
        hub->AddChild(MountAt("connector" + std::to_string(i + 1),
                              {kHubRadius * std::sin(yaw), 0, kHubRadius * std::cos(yaw)}, yaw));
    }
    w.Write(hub, [](Values& v) {
        Fixed(v, 200.0f, 2000.0f, 30.0f);
        v.Set("mass", 40.0f).Set("sensor range", 80.0f).Set("Survive unlinked", 1);
        v.Set("Rotational speed", 0.05f).Set("task: auto attack", 0);
        v.Set("task: build", 1).Set("build spacing time", 0.5f);
        for (int i = 0; i < int(std::size(kHubChoices)); ++i)
            v.SetText(("construct" + std::to_string(i + 1)).c_str(), kHubChoices[i]);
        v.SetText("connector", "connector");
    });
}

void WriteConnector(UnitWriter& w) {
    auto* piece = UnitPrototype<Connector>("connector");
    piece->AddChild(Placed("strut", {0, 0, 0.2f * kConnectorLength},
                           MakeWedge("beam", kConnectorLength, 0.6f, 0.6f, HullLook(kTrim))));
    piece->AddChild(MountAt("dummyconnector1", {}, kHalfTurn));
    piece->AddChild(MountAt("dummyconnector2", {0, 0, kConnectorLength}));
    w.Write(piece, [](Values& v) { Fixed(v, 30.0f, 50.0f, 1.5f); });
}

// A module: its body reaches out along +Z from where it attaches.
template <class T> T* Module(const char* name, Node* body, float reach) {
    auto* module = UnitPrototype<T>(name);
    module->AddChild(Placed("body", {0, 0, reach}, body));
    module->AddChild(MountAt("dummyconnector1", {}, kHalfTurn));
    return module;
}

void WriteModules(UnitWriter& w) {
    w.Write(Module<Drydock>("drydock", MakeWedge("frame", 6.0f, 3.0f, 2.0f, HullLook(kHull)), 3.5f),
            [](Values& v) {
                Fixed(v, 80.0f, 400.0f, 5.0f);
                v.Set("task: build", 1).Set("build spacing time", 4.0f);
                v.SetText("construct1", "scout");
            });
    w.Write(Module<Hangar>("hangar", MakeSphere("shell", 1.8f, 10, 18, HullLook(0xFFA8B8A0)), 2.0f),
            [](Values& v) { Fixed(v, 60.0f, 300.0f, 4.0f); });
    auto* scope =
        Module<HubbleScope>("scope", MakeSphere("mount", 0.8f, 6, 12, HullLook(kHull)), 1.0f);
    TransNode* yaw = MountAt("yaw", {0, 0.8f, 1.0f});
    TransNode* pitch = MountAt("pitch", {});
    pitch->AddChild(
        Placed("tube", {0, 0, 0.4f}, MakeWedge("lens", 2.0f, 0.7f, 0.7f, HullLook(0xFFE0E0F0))));
    yaw->AddChild(pitch);
    scope->AddChild(yaw);
    w.Write(scope, [](Values& v) { Fixed(v, 40.0f, 350.0f, 4.0f); });

    auto* proxy = UnitPrototype<Ship>("HubbleProxy");
    proxy->AddChild(MakeSphere("eye", 0.3f, 3, 4, {.colour = 0xFF80FFFF, .lit = false}));
    w.Write(proxy, [](Values& v) {
        v.Set("race", 1).Set("health max", 5.0f).Set("sensor range", 120.0f);
        v.Set("thrust", 0.6f).Set("top speed", 2.0f).Set("affected by gravity", 0);
        v.Set("task: auto attack", 0).Set("target for enemies", 0);
    });
}

// A gun on a yaw and pitch mount with two barrels.
template <class T> T* Emplacement(const char* name, uint32_t colour, float barrelLength) {
    T* gun = Module<T>(name, MakeSphere("base", 1.0f, 6, 12, HullLook(kHull)), 1.0f);
    TransNode* yaw = MountAt("yaw", {0, 1.0f, 1.0f});
    TransNode* pitch = MountAt("pitch", {});
    for (int side = 0; side < 2; ++side) {
        const float x = side == 0 ? -0.3f : 0.3f;
        pitch->AddChild(Placed("barrel" + std::to_string(side + 1), {x, 0, 0.3f},
                               MakeWedge("bore", barrelLength, 0.2f, 0.2f, HullLook(colour))));
        pitch->AddChild(MountAt("dummyweapon" + std::to_string(side + 1), {x, 0, barrelLength}));
    }
    yaw->AddChild(pitch);
    gun->AddChild(yaw);
    return gun;
}

void Armed(Values& v, const char* weapon, float range, float reload) {
    v.SetText("weapon", weapon).Set("fire range", range).Set("fire angle", 0.2f);
    v.Set("reload time", reload).Set("reload time spread", 0.1f);
}

void WriteGuns(UnitWriter& w) {
    w.Write(Emplacement<Turret>("turret", 0xFF707070, 1.6f), [](Values& v) {
        Fixed(v, 50.0f, 250.0f, 4.0f);
        Armed(v, "tracer", 10.0f, 0.8f);
    });
    w.Write(Emplacement<MissileTurret>("missileturret", 0xFFC0C0C0, 1.2f), [](Values& v) {
        Fixed(v, 50.0f, 300.0f, 4.0f);
        Armed(v, "missile", 10.0f, 3.0f);
    });
    w.Write(Emplacement<ChaffeLauncher>("chafflauncher", 0xFF9090B0, 1.0f), [](Values& v) {
        Fixed(v, 40.0f, 200.0f, 4.0f);
        Armed(v, "decoy", 8.0f, 4.0f);
    });
}

void WriteShipsAndGhost(UnitWriter& w) {
    auto* scout = UnitPrototype<Ship>("scout");
    scout->AddChild(MakeWedge("hull", 2.0f, 1.4f, 0.6f, HullLook(0xFFD0C8A0)));
    scout->AddChild(MountAt("dummyweapon", {0, 0, 1.3f}));
    w.Write(scout, [](Values& v) {
        v.Set("race", 1).Set("health max", 12.0f).Set("cost", 120.0f).Set("build time", 4.0f);
        v.Set("sensor range", 50.0f).Set("thrust", 0.5f).Set("top speed", 1.5f);
        v.Set("angular thrust", 0.7f).Set("turn speed", 0.8f).Set("affected by gravity", 0);
        v.SetText("weapon", "tracer").Set("fire range", 8.0f).Set("reload time", 1.0f);
    });

    auto* ghost = UnitPrototype<StructPlacer>("structplacer");
    ghost->AddChild(MakeRing("outline", 1.6f, 2.0f, 24, {.colour = 0xFF40FF40, .lit = false}));
    w.Write(ghost, [](Values&) {});
}

} // namespace

bool WriteStationModels(const std::filesystem::path& root) {
    UnitWriter w{root, kStep};
    WriteHub(w);
    WriteConnector(w);
    WriteModules(w);
    WriteGuns(w);
    WriteShipsAndGhost(w);
    return w.ok && WriteHullTextures(root) && w.CheckLibrary();
}

} // namespace databuilder
