// The shipped armada scene run headless on the test clock: the carrier
// marks its bays for launch within two seconds, each fighter appears on its
// bay's seat 1.5 s after its launch time, leaves at 7 s with the carrier's
// target, fights, turns home when its fuel is spent, through
// "dummyrecovery2" then "dummyrecovery1", and docks; the carried count
// never passes 8; the turret ships fire from several turrets at once; a
// second run ends bit for bit where the first did.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/units/carrier/carrier.h"
#include "desktop/units/carrier/craft.h"
#include "desktop/units/turret/turret_ships.h"
#include "desktop/units/weapon/weapon.h"
#include "platform/paths.h"
#include "tools/scenerun/scene_runner.h"
#include "tools/scenerun/unit_watch.h"

namespace lumivane {
namespace {

constexpr int kFrames = 3000; // 100 s of the scene
constexpr int32_t kFrameMs = int32_t(SceneRunner::kFrameMs);

Vec3 NodePlace(Node* node) {
    return node ? node->WorldMatrix().GetTranslation() : Vec3();
}

// One fighter's life as seen from outside.
struct Sortie {
    int slot = 0;
    int32_t launchTime = 0; // the slot's, when it was marked
    int32_t appeared = -1;
    float seatGap = -1.0f; // connector to seat when first seen
    int32_t released = -1;
    bool tookTarget = false;
    bool fought = false;
    int32_t flightStart = 0;
    int32_t turnedHome = -1;
    int32_t onFinalApproach = -1;
    bool docked = false;
    bool lost = false;
};

struct ArmadaRun {
    SceneRunner run;
    bool loaded = false;
    EntityHandle carrierHandle = kNoEntity;
    float fuelMs = 0.0f;
    std::map<EntityHandle, Sortie> sorties; // by fighter handle
    std::vector<int32_t> markDelays;
    int mostAboard = 0;
    bool carriedMatchesSlots = true;
    std::map<EntityHandle, std::set<int>> turretShots; // per turret ship: blocks fired
    std::map<EntityHandle, std::vector<int32_t>> reloads;
    std::set<int> splitTargets; // classes with two turrets on different live targets

    ArmadaRun() {
        std::string error;
        loaded = run.Load(platform::ProgramFolder() / "LumivaneData", "scenes\\armada.mis", error);
        EXPECT_TRUE(loaded) << error;
        for (int i = 0; i < run.world.EntityCount(); ++i)
            if (IsA(run.world.EntityAt(i), ClassId::Carrier))
                carrierHandle = run.world.EntityAt(i)->handle;
    }

    Carrier* TheCarrier() {
        Entity* e = run.world.GetEntity(carrierHandle);
        return IsA(e, ClassId::Carrier) ? static_cast<Carrier*>(e) : nullptr;
    }

    void Play() {
        BaySlot before[kBaySlots];
        if (Carrier* c = TheCarrier())
            for (int i = 0; i < kBaySlots; ++i)
                before[i] = c->slots[i];
        std::map<EntityHandle, EntityHandle> shots; // weapon -> shooter, first seen
        for (int f = 0; f < kFrames; ++f) {
            run.Step();
            const int32_t now = int32_t(GetSceneClock().gameTime);
            Carrier* carrier = TheCarrier();
            if (!carrier) continue;
            int aboard = 0;
            for (int i = 0; i < kBaySlots; ++i) {
                const BaySlot& slot = carrier->slots[i];
                aboard += slot.aboard ? 1 : 0;
                if (slot.launched && !before[i].launched)
                    markDelays.push_back(slot.launchTime - now);
                before[i] = slot;
            }
            mostAboard = std::max(mostAboard, carrier->carried);
            carriedMatchesSlots = carriedMatchesSlots && aboard == carrier->carried;
            Observe(*carrier, now);
            ObserveTurrets();
            for (int i = 0; i < run.world.EntityCount(); ++i) {
                const Weapon* shot = AsWeapon(run.world.EntityAt(i));
                if (!shot || shot->shooter < 0 || shots.count(shot->handle)) continue;
                shots[shot->handle] = shot->shooter;
                if (auto s = sorties.find(shot->shooter); s != sorties.end())
                    s->second.fought = true;
            }
        }
    }

    // A block fired when its own reload moved on.
    void ObserveTurrets() {
        for (int i = 0; i < run.world.EntityCount(); ++i) {
            Entity* e = run.world.EntityAt(i);
            if (!IsA(e, ClassId::CapitolShip) && !IsA(e, ClassId::Cruiser) &&
                !IsA(e, ClassId::PatrolBoat) && !IsA(e, ClassId::PerimeterStation))
                continue;
            auto* ship = static_cast<TurretShip*>(e);
            std::vector<int32_t>& last = reloads[ship->handle];
            last.resize(size_t(ship->BlockCount()), 1);
            std::set<EntityHandle> targets;
            for (int b = 0; b < ship->BlockCount(); ++b) {
                if (ship->blocks[b].nextFireTime != last[size_t(b)])
                    turretShots[ship->handle].insert(b);
                last[size_t(b)] = ship->blocks[b].nextFireTime;
                if (run.world.GetEntity(ship->blocks[b].target))
                    targets.insert(ship->blocks[b].target);
            }
            if (targets.size() >= 2) splitTargets.insert(ship->classId);
        }
    }

    void Observe(Carrier& carrier, int32_t now) {
        World& world = run.world;
        for (int n = 1; n <= kBaySlots; ++n) {
            const BaySlot& slot = carrier.slots[n - 1];
            Entity* e = world.GetEntity(slot.unit);
            if (!IsA(e, ClassId::CarrierFighter)) continue;
            auto* fighter = static_cast<CarrierFighter*>(e);
            auto [it, fresh] = sorties.try_emplace(fighter->handle);
            Sortie& s = it->second;
            if (fresh) {
                s.slot = n;
                s.launchTime = slot.launchTime;
                s.appeared = now;
                s.seatGap = (NodePlace(fighter->FindByName("dummyconnector")) -
                             NodePlace(carrier.FindByName("fighter" + std::to_string(n))))
                                .Length();
                fuelMs = 1000.0f * fighter->ShipFloat(ShipFields().fuelTime, 0.0f);
            }
            if (s.released < 0 && fighter->ownerHandle != carrier.handle) {
                s.released = now;
                s.flightStart = fighter->launchTime;
                s.tookTarget =
                    fighter->orderState == kOrderAttack && fighter->target == carrier.target;
            }
            if (fighter->orderState == kOrderClassState11) {
                if (s.turnedHome < 0 && fighter->approachNode == "dummyrecovery2")
                    s.turnedHome = now;
                if (s.onFinalApproach < 0 && fighter->approachNode == "dummyrecovery1")
                    s.onFinalApproach = now;
            }
        }
        // Fighters gone from the world: docked when their slot is aboard.
        for (auto& [handle, s] : sorties) {
            if (s.docked || s.lost || world.GetEntity(handle)) continue;
            const BaySlot& slot = carrier.slots[s.slot - 1];
            (slot.aboard && slot.unit >= 0 && SlotOf(slot.unit) == SlotOf(handle) ? s.docked
                                                                                  : s.lost) = true;
        }
    }
};

TEST(LvArmada, TheCarrierLaunchesItsFightersWhichFightAndComeHome) {
    auto first = std::make_unique<ArmadaRun>();
    ASSERT_TRUE(first->loaded);
    ASSERT_NE(first->carrierHandle, kNoEntity);
    first->Play();

    ASSERT_GE(first->markDelays.size(), size_t(kBaySlots));
    for (int32_t delay : first->markDelays) {
        EXPECT_GE(delay, 0);
        EXPECT_LE(delay, kLaunchSpreadMs);
    }
    EXPECT_LE(first->mostAboard, kBaySlots);
    EXPECT_TRUE(first->carriedMatchesSlots) << "the carried count is the slots aboard";
    ASSERT_GE(first->sorties.size(), size_t(kBaySlots)) << "every bay launched";
    int fought = 0, docked = 0;
    for (const auto& [handle, s] : first->sorties) {
        SCOPED_TRACE("bay " + std::to_string(s.slot));
        // Made on the first frame at or after 1.5 s past the launch time.
        EXPECT_GE(s.appeared, s.launchTime + Carrier::kSpawnAfterMs);
        EXPECT_LT(s.appeared, s.launchTime + Carrier::kSpawnAfterMs + kFrameMs);
        EXPECT_LT(s.seatGap, 0.01f) << "it rides its bay's seat";
        if (s.released < 0) continue;
        EXPECT_GE(s.released, s.launchTime + Carrier::kReleaseAfterMs);
        EXPECT_LT(s.released, s.launchTime + Carrier::kReleaseAfterMs + kFrameMs);
        EXPECT_TRUE(s.tookTarget) << "it leaves with the carrier's target";
        fought += s.fought ? 1 : 0;
        if (s.turnedHome >= 0) {
            EXPECT_GE(s.turnedHome, s.flightStart + int32_t(first->fuelMs));
            if (s.onFinalApproach >= 0) {
                EXPECT_GT(s.onFinalApproach, s.turnedHome);
            }
        }
        if (s.docked) {
            ++docked;
            EXPECT_GE(s.onFinalApproach, 0) << "docked through dummyrecovery2, then 1";
        }
        // A fighter that turned home long enough ago is back aboard unless lost.
        if (s.turnedHome >= 0 && s.turnedHome + 30000 < int32_t(GetSceneClock().gameTime)) {
            EXPECT_TRUE(s.docked || s.lost);
        }
    }
    EXPECT_GT(fought, 0) << "the fighters fight";
    EXPECT_GT(docked, 0) << "and come home";

    // The turret ships fight with several turrets, on targets of their own.
    std::map<int, size_t> mostBlocks; // by class
    for (const auto& [handle, blocks] : first->turretShots) {
        const Entity* e = first->run.world.GetEntity(handle);
        if (e) mostBlocks[e->classId] = std::max(mostBlocks[e->classId], blocks.size());
    }
    EXPECT_GE(mostBlocks[int(ClassId::CapitolShip)], 2u);
    EXPECT_GE(mostBlocks[int(ClassId::Cruiser)], 2u);
    EXPECT_TRUE(first->splitTargets.count(int(ClassId::CapitolShip)));

    const uint32_t digest = UnitWatch::Digest(first->run.world);
    first.reset();
    ArmadaRun second;
    ASSERT_TRUE(second.loaded);
    second.Play();
    EXPECT_EQ(UnitWatch::Digest(second.run.world), digest);
}

} // namespace
} // namespace lumivane
