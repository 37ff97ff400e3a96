// Ship: building. The head of the build queue becomes a new unit over its
// "build time": the owner pays for it as it grows (the build stalls while
// the money is out), the unit fades in (a structure built on a site that is
// not a platform first grows a connector piece there), and when it is done
// the owner has paid exactly its cost and a ship departs from its builder.
#include <algorithm>
#include <cmath>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship_base/ship.h"
#include "desktop/units/ship_base/ship_build_rules.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

constexpr float kFastBuildSeconds = 0.1f;
constexpr int kFullSquad = 19; // a new unit joins a squad of at most this many
constexpr size_t kPlatformCompareLength = 17;
constexpr const char* kPlatformNode = "platformconnector";

bool IsPlatformSite(std::string_view node) {
    const std::string_view platform = kPlatformNode;
    const size_t n = std::min(kPlatformCompareLength, std::max(node.size(), platform.size()));
    for (size_t i = 0; i < n; ++i) {
        const char a =
            i < node.size() ? char(std::tolower(static_cast<unsigned char>(node[i]))) : 0;
        const char b = i < platform.size() ? platform[i] : 0;
        if (a != b) return false;
    }
    return true;
}

const Ship* ShipPrototype(const Node* node) {
    return IsA(node, ClassId::Ship) ? static_cast<const Ship*>(node) : nullptr;
}

float BuildTimeOf(const Entity& unit) {
    return unit.PropFloat("build time");
}

// The first squad from `first` (stepping up, or down from 9) with room.
int ChooseSquad(Player* owner, int first) {
    if (!owner) return first;
    const int step = first == kSquadCount - 1 ? -1 : 1;
    for (int i = 0; i < kSquadCount; ++i) {
        const int number = ((first + step * i) % kSquadCount + kSquadCount) % kSquadCount;
        if (const Squad* squad = owner->SquadAt(number); squad && squad->count <= kFullSquad)
            return number;
    }
    return first;
}

// The new unit's node where it hangs on its parent, by the node contract.
Node* OwnAttachNode(Ship& unit) {
    if (Node* platform = unit.FindByName(kPlatformNode)) return platform;
    if (IsA(&unit, ClassId::Structure))
        if (Node* node = unit.FindByName("dummyconnector1")) return node;
    if (Node* node = unit.FindByName("dummyconnector")) return node;
    return &unit;
}

} // namespace

bool FastBuildOn() {
    return GetSceneApplication().Switch(kFastBuildSwitch) != 0;
}

float ConnectorShare(float connectorTime, float unitTime) {
    if (FastBuildOn() || !(connectorTime > 0.0f)) return 0.0f;
    if (!(unitTime > 0.0f)) return 1.0f;
    return std::clamp(connectorTime / unitTime, 0.0f, 1.0f);
}

void Ship::UpdateBuild() {
    if (buildQueue.empty() || fadeFlag) return;
    World* world = GetWorld();
    const ModelLibrary* library = GetModelLibrary();
    const SceneClock& clock = GetSceneClock();
    const bool fast = FastBuildOn();
    BuildQueueItem& item = buildQueue.front();
    const Ship* prototype =
        library ? ShipPrototype(library->FindPrototype(BuildChoiceName(item.choice))) : nullptr;

    if (!building) {
        const float spacing =
            fast ? kFastBuildSeconds : ShipFloat(ShipFields().buildSpacingTime, 0);
        if (int64_t(clock.gameTime) < int64_t(lastBuildEnd) + int64_t(1000.0f * spacing)) return;
        if (!prototype || !world) return;
        if (!StartBuild(*prototype, item)) return;
    }
    if (!prototype) return;

    // Growth, paid as it goes.
    const float cost = prototype->PropFloat("cost");
    if (buildDuration > 0.0f)
        buildProgress = std::clamp(buildProgress + clock.frameTime / buildDuration, 0.0f, 1.0f);
    else
        buildProgress = 1.0f; // no build time: done at once
    PayForProgress(cost);

    // Fading in: the connector takes its share of the time first.
    Ship* unit = world ? AsShip(world->GetEntity(buildUnit)) : nullptr;
    Ship* connector = world ? AsShip(world->GetEntity(buildConnector)) : nullptr;
    if (!connector) {
        if (unit) unit->SetFade(buildProgress);
    } else {
        const float share = ConnectorShare(BuildTimeOf(*connector), unit ? BuildTimeOf(*unit) : 0);
        const float connectorLevel =
            share > 0.0f ? std::clamp(buildProgress / share, 0.0f, 1.0f) : 1;
        connector->SetFade(connectorLevel);
        if (connectorLevel >= 1.0f) connector->EndFade();
        float unitLevel = buildProgress >= 1.0f ? 1.0f : 0.0f;
        if (share < 1.0f)
            unitLevel = std::clamp((buildProgress - share) / (1.0f - share), 0.0f, 1.0f);
        if (unit) unit->SetFade(unitLevel);
    }

    if (buildProgress == 1.0f) {
        FinishBuild(cost, unit, connector);
        return;
    }
    if (sequencer && sequencer->IsDone("build", sequenceStates))
        sequencer->Play("build", sequenceStates, 0);
}

bool Ship::StartBuild(const Ship& prototype, BuildQueueItem& item) {
    World* world = GetWorld();
    Scene* scene = GetScene();
    building = 1;
    buildProgress = 0.0f;
    buildDuration = FastBuildOn() ? kFastBuildSeconds : BuildTimeOf(prototype);
    const Quat turned = orientation * Quat::MakeAxisAngle({0.0f, 1.0f, 0.0f}, kPi / 2.0f);
    const int playerIndex = PlayerIndexOf(owner);
    const int squadNumber = ChooseSquad(owner, item.squad);

    bool connectorMade = false;
    if (IsA(&prototype, ClassId::Structure) && item.site >= 0 && !IsPlatformSite(item.siteNode)) {
        const PropBlock* block = ShipBlock();
        const std::string connectorName(block ? block->FixedText(ShipFields().connector) : "");
        Entity* site = world->GetEntity(item.site);
        if (!connectorName.empty() && site && !IsA(site, ClassId::Connector)) {
            SpawnRecord record;
            record.position = position;
            record.orientation = turned;
            record.player = playerIndex;
            Ship* connector = scene ? AsShip(scene->SpawnByName(connectorName, record)) : nullptr;
            if (!connector) {
                building = 0;
                return false;
            }
            connector->ownerHandle = site->handle;
            connector->targetLinkNode = site->FindByName(item.siteNode);
            connector->ownLinkNode = connector->FindByName("dummyconnector1");
            if (!connector->ownLinkNode) connector->ownLinkNode = connector;
            item.site = connector->handle;
            item.siteNode = "dummyconnector2";
            buildConnector = connector->handle;
            connector->BeginFade();
            connectorMade = true;
        }
    }

    SpawnRecord record;
    record.prototype = const_cast<Ship*>(&prototype);
    record.position = position;
    record.orientation = turned;
    record.player = playerIndex;
    record.squad = squadNumber;
    Ship* unit = scene ? AsShip(scene->Spawn(record)) : nullptr;
    if (!unit) {
        building = 0;
        return false;
    }
    unit->velocity = velocity;
    unit->orderState = kOrderIdle;
    Entity* parent = world->GetEntity(item.site);
    unit->ownerHandle = parent ? parent->handle : kNoEntity;
    if (AsShip(parent)) {
        Node* platform = unit->FindByName(kPlatformNode);
        unit->targetLinkNode = connectorMade && platform ? parent->FindByName(kPlatformNode)
                                                         : parent->FindByName(item.siteNode);
    }
    unit->ownLinkNode = OwnAttachNode(*unit);
    unit->ownedCraft = 0;
    unit->BeginFade();
    buildUnit = unit->handle;
    PlayBuildStart();
    PlayEventSounds(SoundEvent::UnitSpecific1, 1);
    return true;
}

void Ship::PayForProgress(float cost) {
    if (!(cost > 0.0f) || !owner) return;
    const auto owed = int32_t(cost * buildProgress);
    const int32_t due = owed - amountPaid;
    if (due <= 0) return;
    if (owner->SpendResources(float(due))) {
        amountPaid = owed;
        return;
    }
    // Out of money: what there is goes in, and counts as paid so that a
    // cancel gives it back; the build waits at what has been paid for.
    const auto taken = int32_t(std::floor(std::max(owner->resources, 0.0f)));
    owner->resources -= float(taken);
    amountPaid += taken;
    buildProgress = std::clamp(float(amountPaid) / cost, 0.0f, 1.0f);
}

void Ship::FinishBuild(float cost, Ship* unit, Ship* connector) {
    if (owner) owner->AddResources(float(amountPaid) - cost);
    if (unit) unit->EndFade();
    if (connector) connector->EndFade();
    if (unit && !IsA(unit, ClassId::Structure)) {
        unit->ownerHandle = kNoEntity;
        unit->targetLinkNode = nullptr;
        unit->ownLinkNode = nullptr;
        unit->orderState = kOrderDepart;
        unit->target = handle;
    }
    if (owner && owner == GetPlayers().local) {
        const AnnouncementSounds& sounds = GetAnnouncementSounds();
        if (IsA(this, ClassId::Hub))
            QueueAnnouncement(sounds.hubBuilt);
        else if (IsA(this, ClassId::Drydock))
            QueueAnnouncement(sounds.drydockBuilt);
        else if (IsA(this, ClassId::Hangar) || platform::EqualsIgnoreCase(Name(), "hangar"))
            QueueAnnouncement(sounds.hangarBuilt);
    }
    OnBuildComplete();
    buildUnit = kNoEntity;
    buildConnector = kNoEntity;
    amountPaid = 0;
    queueChanged = 1;
    building = 0;
    lastBuildEnd = int32_t(GetSceneClock().gameTime);
    buildProgress = 0.0f;
    const int choice = buildQueue.front().choice;
    if (choice >= 0 && choice < kBuildChoices && queuedCounts[choice] > 0) --queuedCounts[choice];
    buildQueue.erase(buildQueue.begin());
    if (sequencer) sequencer->Play("build_end", sequenceStates, 0);
    StopEventSounds(SoundEvent::UnitSpecific1);
    PlayEventSounds(SoundEvent::UnitSpecific2, 0);
}

} // namespace lumivane
