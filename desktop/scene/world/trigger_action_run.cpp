// TriggerAction::Run: what each of the 50 action kinds does, through the
// scene, the world, the players, the message queue and the seams of the
// display, camera, sound and application.
#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

constexpr int kTextNodeCount = 5;
constexpr float kCueShare = 0.75f;
// Scene code names that keep the game at full speed in cinematic mode.
constexpr const char* kFullSpeedScenes[] = {"ThrushWave", "mnmaknzx", "nininini"};

Entity* Resolve(EntityHandle handle) {
    const World* world = GetWorld();
    return world ? world->GetEntity(handle) : nullptr;
}

// Players 0..5, or every player for a negative index when `negativeMeansAll`.
template <class Visit> void ForPlayers(int32_t index, bool negativeMeansAll, Visit visit) {
    if (index < 0) {
        if (!negativeMeansAll) return;
        for (int i = 0; i < kPlayerCount; ++i)
            if (Player* player = PlayerAt(i)) visit(*player);
        return;
    }
    if (Player* player = PlayerAt(index)) visit(*player);
}

Entity* MakeOverlay(std::string_view name) {
    const ModelLibrary* library = GetModelLibrary();
    return library ? library->CreateInstance(name, false) : nullptr;
}

void PostOrder(std::unique_ptr<Message> order, const Unit& unit) {
    order->units.Append(unit.handle);
    QueueMessage(std::move(order), 0);
}

bool IsWorldSun(const Entity* entity) {
    const World* world = GetWorld();
    return entity && world && entity == world->Sun();
}

} // namespace

void TriggerAction::Run() {
    SceneApplication& application = GetSceneApplication();
    SceneDisplay& display = GetSceneDisplay();
    switch (type) {
    case action::kShowText:
        RunText();
        return;
    case action::kPermissions:
        GetUserInputWords().permission[0] = uint32_t(Value(0));
        GetUserInputWords().permission[1] = uint32_t(Value(1));
        return;
    case action::kJump:
        RunJump();
        return;
    case action::kLetterbox:
        display.SetLetterbox(Value(0), Value(1) != 0);
        return;
    case action::kDisplaySwitch:
        display.SetSwitch(Value(0), Value(1));
        return;
    case action::kSceneCue:
        GetSceneSounds().PlaySceneCue(kCueShare);
        return;
    case action::kGlobalSwitch:
    case action::kSwitch38:
    case action::kSwitch39:
    case action::kSwitch41:
        application.SetSwitch(type, Value(0));
        return;
    case action::kCameraPath:
        GetSceneCamera().StartSequence(this, 0, 0);
        return;
    case action::kOverlay:
        RunOverlay();
        return;
    case action::kDisplayHook:
        display.Hook(Value(0), text);
        return;
    case action::kHud:
        display.SetHudVisible(Value(0), Value(1) != 0);
        return;
    case action::kPassage:
        RunPassage();
        return;
    case action::kActivate:
        RunActivate();
        return;
    case action::kEndScene:
        RunEndScene();
        return;
    case action::kFollow:
    case action::kMove:
    case action::kAttack:
    case action::kHunt:
    case action::kGather:
        RunUnitOrders();
        return;
    case action::kPlaySequence:
        RunPlaySequence();
        return;
    case action::kResources:
        RunResources();
        return;
    case action::kComputerPlayer:
        ForPlayers(Value(0), true, [&](Player& player) { player.SetAIByName(text); });
        return;
    case action::kMusic:
        application.MusicAction(*this);
        return;
    case action::kSceneSound:
        GetSceneSounds().PlaySceneSound(text);
        return;
    case action::kSoundSwitch:
        GetSceneSounds().ToggleSound(Value(0), Value(1) != 0);
        return;
    case action::kCinematic:
        RunCinematic();
        return;
    case action::kFade:
        RunFade();
        return;
    case action::kDisplayFlags:
        display.SetFlags(Value(0));
        return;
    case action::kGiveUnits:
        RunGiveUnits();
        return;
    case action::kEnemies:
        RunEnemies();
        return;
    case action::kBuildList:
        RunBuildList();
        return;
    case action::kStateWord:
        application.SetStateWord(2);
        display.ClearPauseFlag();
        return;
    case action::kWireframe:
        display.SetWireframe(Value(0));
        return;
    case action::kApplicationHook:
        application.ActionHook(*this);
        return;
    case action::kCameraSway:
        GetSceneCamera().SetSway(float(Value(0)));
        return;
    case action::kDamage:
        RunDamage();
        return;
    case action::kSettingsFlag:
        if (!text.empty()) application.SetRegistryFlag(text);
        return;
    case action::kEffectParams:
        display.SetEffectParams(values);
        return;
    case action::kMarker:
        RunMarker();
        return;
    case action::kArithmetic:
        RunArithmetic();
        return;
    case action::kRoute:
        RunRoute();
        return;
    case action::kRemoveUnits:
        RunRemoveUnits();
        return;
    default:
        return; // 8-11, 37 and stored types outside 1..50 do nothing
    }
}

void TriggerAction::RunText() {
    SceneDisplay& display = GetSceneDisplay();
    const Scene* scene = GetScene();
    std::string shown = scene ? scene->CompanionText(id) : std::string();
    if (shown.empty()) shown = text;
    const int32_t slot = Value(0);
    if (slot == -1) {
        for (int number = 1; number <= kTextNodeCount; ++number)
            display.HideText(number);
    } else if (!shown.empty() && (slot == 0 || slot == 1)) {
        display.RemoveText(1);
        display.RemoveText(2);
    } else {
        display.HideText(slot + 1);
    }
    if (!shown.empty()) display.ShowText(slot, shown, true);
    if (!sound.empty()) GetSceneSounds().PlaySceneSoundExclusive(sound);
}

void TriggerAction::RunJump() {
    Scene* scene = GetScene();
    if (!scene || !owner) return;
    Trigger* target = scene->FindTrigger(Value(0));
    if (!target) return;
    Trigger& top = owner->Top();
    top.pendingJump = target;
    top.jumpRunsActions = 0;
}

void TriggerAction::RunOverlay() {
    SceneDisplay& display = GetSceneDisplay();
    if (display.HasOverlay(text)) {
        display.RemoveOverlay(text);
        return;
    }
    if (Entity* overlay = MakeOverlay(text)) display.AddOverlayModel(overlay);
}

void TriggerAction::RunPassage() {
    Entity* carrier = Resolve(Value(0));
    Wormhole* gate = AsWormhole(carrier);
    Unit* colony = IsA(carrier, ClassId::ColonyShip) ? AsUnit(carrier) : nullptr;
    if (!gate && !colony) return;
    std::vector<WormholeSpawn> arrivals;
    for (const PassageRecord& record : passages) {
        WormholeSpawn arrival;
        arrival.prototype = record.name;
        arrival.delay = record.values[PassageRecord::kDelay];
        arrival.handle = record.values[PassageRecord::kReservedHandle];
        arrival.player = record.values[PassageRecord::kPlayer];
        arrival.squad = record.values[PassageRecord::kSquad];
        arrival.healthFraction =
            std::bit_cast<float>(record.values[PassageRecord::kHealthFraction]);
        arrival.noDamage = record.values[PassageRecord::kNoDamage];
        arrivals.push_back(arrival);
    }
    if (gate)
        gate->QueueSpawns(arrivals);
    else
        colony->AddSpawns(arrivals);
}

void TriggerAction::RunActivate() {
    Scene* scene = GetScene();
    Trigger* target = scene ? scene->FindTrigger(Value(0)) : nullptr;
    if (!target) return;
    if (Value(1) != 0)
        target->Activate();
    else
        target->active = 0;
}

void TriggerAction::RunEndScene() {
    SceneApplication& application = GetSceneApplication();
    if (!text.empty()) {
        const std::string path = "scenes\\" + text;
        if (platform::ResolvePath(GetModelLoadState().dataRoot, path)) {
            application.RequestScene(path);
            return;
        }
    }
    application.Quit();
}

void TriggerAction::RunUnitOrders() {
    Entity* target = Resolve(Value(0));
    for (EntityHandle handle : handles) {
        Unit* unit = AsUnit(Resolve(handle));
        if (!unit) continue;
        switch (type) {
        case action::kFollow: {
            if (!target) return;
            auto order = std::make_unique<FollowOrder>();
            order->target = target->handle;
            const World* world = GetWorld();
            order->distance = IsWorldSun(target) ? world->Distance(unit->handle, target->handle)
                                                 : 2.0f * target->radius;
            order->offset = {0.0f, 1.0f, 0.0f};
            PostOrder(std::move(order), *unit);
            break;
        }
        case action::kMove: {
            auto order = std::make_unique<MoveOrder>();
            if (target && !IsWorldSun(target)) {
                Vec3 turned = offset;
                Vec3 toward = target->position;
                toward.Normalize();
                Quat::MakeRotationArc({1.0f, 0.0f, 0.0f}, toward).RotateVector(turned);
                order->destination = target->position + turned;
            } else {
                order->destination = point;
            }
            PostOrder(std::move(order), *unit);
            break;
        }
        case action::kAttack: {
            if (!target) return;
            auto order = std::make_unique<TargetOrder>(IsA(unit, ClassId::Tug) ? order::kTow
                                                                               : order::kAttack);
            order->target = target->handle;
            unit->MarkOrdered();
            PostOrder(std::move(order), *unit);
            break;
        }
        case action::kHunt: {
            auto order = std::make_unique<Message>();
            order->type = order::kHunt;
            unit->MarkOrdered();
            PostOrder(std::move(order), *unit);
            break;
        }
        case action::kGather: {
            auto order = std::make_unique<Message>();
            order->type = IsA(unit, ClassId::UtilityPod) ? order::kGather : order::kWork;
            PostOrder(std::move(order), *unit);
            break;
        }
        default:
            return;
        }
    }
}

void TriggerAction::RunPlaySequence() {
    Entity* entity = Resolve(Value(0));
    if (!entity || !entity->sequencer || entity->sequencer->FindSequence(text) < 0) return;
    entity->sequencer->Play(text, entity->sequenceStates, 0);
}

void TriggerAction::RunResources() {
    float amount = float(uint32_t(Value(1)));
    if (!text.empty()) {
        Scene* scene = GetScene();
        std::optional<int32_t> named = scene ? scene->VariableValue(text) : std::nullopt;
        if (!named) return;
        amount = float(*named);
    }
    const int32_t index = Value(0);
    if (index < -1) return;
    ForPlayers(index, true, [&](Player& player) { player.AddResources(amount); });
}

void TriggerAction::RunCinematic() {
    SceneApplication& application = GetSceneApplication();
    float scale = 1.0f;
    const int language = application.LanguageSetting();
    if (language >= 2 && language <= 4 && Value(0) == 1) {
        scale = 0.75f;
        const Scene* scene = GetScene();
        for (const char* name : kFullSpeedScenes)
            if (scene && scene->text5 == name) scale = 1.0f;
    }
    application.SetTimeScale(scale);
    GetSceneDisplay().SetCinematicMode(Value(0), Value(1) != 0);
}

void TriggerAction::RunFade() {
    SceneDisplay& display = GetSceneDisplay();
    display.RemoveOverlay("fadein");
    display.RemoveOverlay("fadeout");
    if (Value(0) == 1) {
        if (Entity* fade = MakeOverlay("fadein")) display.AddOverlayModel(fade);
    } else if (Value(0) == 0) {
        if (Entity* fade = MakeOverlay("fadeout")) display.AddOverlayModel(fade);
        display.SetHudVisible(0, true);
        GetUserInputWords().permission[0] = 0;
        GetUserInputWords().permission[1] = 0;
    }
}

void TriggerAction::RunGiveUnits() {
    Player* player = PlayerAt(Value(0));
    if (!player) return;
    Squad* squad = player->SquadAt(Value(1));
    for (EntityHandle handle : handles) {
        Unit* unit = AsUnit(Resolve(handle));
        if (!unit) continue;
        unit->SetPlayer(player);
        unit->SetSquad(squad, -1);
        if (unit->LosesTargetOnTransfer()) unit->target = kNoEntity;
    }
}

void TriggerAction::RunEnemies() {
    for (int i = 0; i < kPlayerCount; ++i)
        if (Player* player = PlayerAt(i))
            for (int j = 0; j < kPlayerCount; ++j)
                player->enemy[j] = Value(size_t(i * kPlayerCount + j));
}

void TriggerAction::RunBuildList() {
    ForPlayers(Value(0), true, [&](Player& player) { player.SetBuildList(names, weights); });
}

void TriggerAction::RunDamage() {
    const bool percent = Value(1) != 0;
    for (EntityHandle handle : handles) {
        Entity* entity = Resolve(handle);
        if (!entity) continue;
        float v = float(Value(0));
        if (percent) {
            if (v >= 100.0f) entity->noDamage = 0;
            v = entity->PropFloat("health max") * v * 0.01f;
        }
        if (PartSys* system = AsPartSys(entity)) {
            system->runsWithoutOwner = Value(0) < 100;
            continue;
        }
        if (v >= 0.0f)
            entity->TakeDamage(v);
        else
            entity->Repair(-v);
    }
}

void TriggerAction::RunMarker() {
    // Values: the marker's handle, remove, colour and place flags, the
    // colour (0xRRGGBB), the handle it rides on, its point (three floats)
    // and its turn about the vertical axis (a float).
    World* world = GetWorld();
    Scene* scene = GetScene();
    if (!world || !scene) return;
    const EntityHandle markerHandle = Value(0);
    Entity* marker = world->GetEntity(markerHandle);
    const Vec3 at{FloatValue(6), FloatValue(7), FloatValue(8)};
    if (!marker && Value(1) == 0) {
        SpawnRecord where;
        where.position = at;
        const float half = FloatValue(9) * 0.5f;
        where.orientation = {0.0f, std::sin(half), 0.0f, std::cos(half)};
        marker = scene->SpawnByName("marker", where);
        if (marker && marker->SetHandle(markerHandle) == 0) marker = nullptr;
    }
    PartSys* system = AsPartSys(marker);
    if (!system) return;
    if (Value(1) != 0) {
        world->QueueRemove(system, nullptr, false);
        return;
    }
    if (Value(2) != 0) {
        const uint32_t colour = uint32_t(Value(4));
        system->tint = {float((colour >> 16) & 0xff) / 255.0f, float((colour >> 8) & 0xff) / 255.0f,
                        float(colour & 0xff) / 255.0f};
    }
    if (Value(3) == 0) return;
    if (Entity* rider = world->GetEntity(Value(5))) {
        system->ownerHandle = rider->handle;
        system->targetLinkNode = nullptr;
        system->ownLinkNode = system;
        system->linkByte = 0;
        return;
    }
    Vec3 placed = at;
    if (const Entity* sun = world->Sun()) {
        // Markers in the open drift round the Sun with the scene's time,
        // slower about a larger Sun.
        const float seconds = float(GetSceneClock().gameTime - scene->startTime) * 0.001f;
        const float angle = seconds * 0.1f / std::max(sun->radius, 1.0f);
        const Vec3 arm = at - sun->position;
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        placed = sun->position + Vec3{arm.x * c + arm.z * s, arm.y, -arm.x * s + arm.z * c};
    }
    system->position = placed;
}

void TriggerAction::RunArithmetic() {
    Scene* scene = GetScene();
    if (!scene) return;
    int32_t operand = Value(1);
    if (!text2.empty()) {
        std::optional<int32_t> named = scene->VariableValue(text2);
        if (!named) return;
        operand = *named;
    }
    SceneVariable* target = scene->FindUserVariable(text);
    if (!target) target = scene->FindVariable(text);
    if (!target) target = &scene->AddUserVariable(text);
    switch (Value(0)) {
    case 0:
        target->value = operand;
        break;
    case 1:
        target->value = int32_t(uint32_t(target->value) + uint32_t(operand));
        break;
    case 2:
        target->value = int32_t(uint32_t(target->value) - uint32_t(operand));
        break;
    case 3:
        // A draw from 1 to the operand. A constant below 1 draws nothing,
        // and neither does an operand below 1 (there is nothing to draw from).
        target->value = Value(1) < 1 || operand < 1 ? 0 : RandomRange(1, operand);
        break;
    default:
        break;
    }
}

void TriggerAction::RunRoute() {
    const Player* routePlayer = PlayerAt(Value(2));
    if (!routePlayer) return;
    std::vector<EntityHandle> route;
    for (const Unit* unit : routePlayer->units) {
        if (route.size() == kMaxRoute) break;
        if (platform::EqualsIgnoreCase(unit->Name(), text)) route.push_back(unit->handle);
    }
    if (route.empty()) return;
    auto give = [&](Unit& unit) {
        auto order = std::make_unique<HandleListOrder>();
        order->route = route;
        unit.MarkOrdered();
        PostOrder(std::move(order), unit);
    };
    for (EntityHandle handle : handles)
        if (Unit* unit = AsUnit(Resolve(handle))) give(*unit);
    Player* idlePlayer = PlayerAt(Value(0));
    if (!idlePlayer) return;
    std::vector<Unit*> idle = idlePlayer->IdleUnits();
    const auto share = size_t(std::max(0.0, (1.001 - 0.01 * Value(1)) * double(idle.size())));
    for (size_t i = 0; i < std::min(share, idle.size()); ++i)
        give(*idle[i]);
}

void TriggerAction::RunRemoveUnits() {
    Player* player = PlayerAt(Value(0));
    if (!player) return;
    player->DestroyUnits(text.empty(), text.size() < 2);
}

} // namespace lumivane
