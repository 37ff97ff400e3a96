// Scene: triggers, variables, spawning, restarts and saved states.
#include "desktop/scene/world/scene.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <string>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

Scene* currentScene = nullptr;
std::function<uint32_t()> identityTimeSource;

// Built-in variables past the first four read 0.
constexpr int kNumEntities = 0;
constexpr int kNumShips = 1;
constexpr int kNumPlayers = 2;
constexpr int kLocalPlayer = 3;

std::string BuiltInName(int index) {
    switch (index) {
    case kNumEntities:
        return "$NumEntities";
    case kNumShips:
        return "$NumShips";
    case kNumPlayers:
        return "$NumPlayers";
    case kLocalPlayer:
        return "$LocalPlayer";
    default:
        break;
    }
    if (index < 10) return "$P" + std::to_string(index - 3) + "Race";
    if (index < 16) return "$P" + std::to_string(index - 9) + "Team";
    return "$NumTeam" + std::to_string(index - 15);
}

// The joined squad: the first from s upwards (mod 10) that has room, else s.
Squad* SquadWithRoom(Player& player, int32_t first) {
    for (int step = 0; step < kSquadCount; ++step) {
        Squad* squad = player.SquadAt(first + step);
        if (squad->count < Squad::kSlots) return squad;
    }
    return player.SquadAt(first);
}

} // namespace

Scene::Scene() {
    for (int i = 0; i < kBuiltInVariableCount; ++i)
        builtIns[i].name = BuiltInName(i);
    std::fill(std::begin(textValues), std::end(textValues), 1);
    title = GetSceneApplication().LanguageText(kEntryDefaultTitle);
}

Scene::~Scene() {
    Clear();
    if (currentScene == this) currentScene = nullptr;
}

void Scene::Clear() {
    triggers.clear();
    extraData.clear();
    userVariables.clear();
    records.clear();
}

void Scene::UpdateTriggers() {
    for (const std::unique_ptr<Trigger>& trigger : triggers)
        trigger->Update();
}

Trigger* Scene::FindTrigger(int32_t triggerId, Trigger* start) {
    if (start) return start->Find(triggerId);
    for (const std::unique_ptr<Trigger>& trigger : triggers)
        if (Trigger* found = trigger->Find(triggerId)) return found;
    return nullptr;
}

Trigger& Scene::AddTrigger(std::unique_ptr<Trigger> trigger) {
    trigger->parent = nullptr;
    triggers.push_back(std::move(trigger));
    return *triggers.back();
}

SceneVariable* Scene::FindUserVariable(std::string_view name) {
    for (SceneVariable& variable : userVariables)
        if (platform::EqualsIgnoreCase(variable.name, name)) return &variable;
    return nullptr;
}

SceneVariable& Scene::AddUserVariable(std::string_view name) {
    userVariables.reserve(userVariables.size() + 1);
    userVariables.push_back({std::string(name.substr(0, SceneVariable::kNameSize - 1)), 0});
    return userVariables.back();
}

SceneVariable* Scene::FindVariable(std::string_view name) {
    for (int i = 0; i < kBuiltInVariableCount; ++i)
        if (platform::EqualsIgnoreCase(builtIns[i].name, name)) return &RefreshVariable(i);
    return nullptr;
}

SceneVariable& Scene::RefreshVariable(int index) {
    SceneVariable& variable = builtIns[std::clamp(index, 0, kBuiltInVariableCount - 1)];
    switch (index) {
    case kNumEntities: {
        const World* world = GetWorld();
        variable.value = world ? world->EntityCount() : 0;
        break;
    }
    case kNumShips: {
        variable.value = 0;
        for (int i = 0; i < kPlayerCount; ++i)
            if (const Player* player = PlayerAt(i)) variable.value += int32_t(player->units.size());
        break;
    }
    case kNumPlayers:
        variable.value = 1;
        break;
    case kLocalPlayer:
        variable.value = PlayerIndexOf(GetPlayers().local) + 1;
        break;
    default:
        variable.value = 0;
        break;
    }
    return variable;
}

std::optional<int32_t> Scene::VariableValue(std::string_view name) {
    if (const SceneVariable* user = FindUserVariable(name)) return user->value;
    if (const SceneVariable* builtIn = FindVariable(name)) return builtIn->value;
    return std::nullopt;
}

void Scene::ResetBuiltIns() {
    for (SceneVariable& variable : builtIns)
        variable.value = 0;
}

Node* Scene::Spawn(const SpawnRecord& record) {
    Node* made = InstantiatePrototype(record.prototype, true);
    if (!made) return nullptr;
    if (!IsA(made, ClassId::Entity)) {
        // A plain transform node only takes the position; other plain
        // nodes keep their prototype's place.
        if (made->classId == uint8_t(ClassId::TransNode))
            static_cast<TransNode*>(made)->local.SetTranslation(record.position);
        return made;
    }
    auto* entity = static_cast<Entity*>(made);
    Unit* ship = AsUnit(entity);
    if (ship) ship->TakeCrew();
    if (IsA(ship, ClassId::Weapon)) ship = nullptr;
    entity->position = record.position;
    entity->orientation = record.orientation;
    entity->spin = record.spin;
    entity->PlaceLocalMatrix();
    Vec3 axis = record.orbitAxis;
    axis.Normalize();
    const World* world = GetWorld();
    const Entity* sun = world ? world->Sun() : nullptr;
    if (record.orbit && sun && entity->PropFlag("affected by gravity")) {
        entity->velocity = OrbitVelocity(*sun, record.position, axis);
        Vec3 heading = entity->velocity;
        heading.Normalize();
        entity->orientation = Quat::MakeRotationArc({0.0f, 0.0f, 1.0f}, heading);
        entity->PlaceLocalMatrix();
    } else {
        entity->velocity = {};
    }
    if (!ship) return entity;
    // Players 6 and above do not exist; squads are taken mod 10.
    if (Player* player = PlayerAt(record.player)) {
        ship->SetPlayer(player);
        if (record.squad >= 0) ship->SetSquad(SquadWithRoom(*player, record.squad), -1);
    }
    if (record.orbit) ship->FinishOrder();
    return entity;
}

Entity* Scene::SpawnByName(std::string_view prototype, const SpawnRecord& rest) {
    const ModelLibrary* library = GetModelLibrary();
    SpawnRecord record = rest;
    record.prototype = library ? library->FindPrototype(prototype) : nullptr;
    Node* made = record.prototype ? Spawn(record) : nullptr;
    return IsA(made, ClassId::Entity) ? static_cast<Entity*>(made) : nullptr;
}

void Scene::Restart() {
    std::vector<std::unique_ptr<Trigger>> keptTriggers = std::move(triggers);
    triggers.clear();
    const int32_t keptFirst = firstCounter;
    const int32_t keptNext = nextIdCounter;
    firstCounter = 1;
    nextIdCounter = 3;
    Load(scenePath);

    // The reloaded triggers go, but what they reserved stays reserved.
    World* world = GetWorld();
    const std::vector<uint8_t> reservations =
        world ? world->Reservations() : std::vector<uint8_t>();
    triggers.clear();
    if (world) world->SetReservations(reservations);
    triggers = std::move(keptTriggers);
    firstCounter = keptFirst;
    nextIdCounter = keptNext;

    GetSceneDisplay().ResetForRestart();
    GetSceneCamera().StartSequence(nullptr, 0, 0);
    for (int i = 0; i < kSceneTextSlots; ++i) {
        texts[i].clear();
        textValues[i] = 1;
    }
    for (int i = 0; i < kPlayerCount; ++i)
        if (Player* player = PlayerAt(i)) player->Reset();
    for (const std::unique_ptr<Trigger>& trigger : triggers)
        trigger->Reset();
    userVariables.clear();
    ResetBuiltIns();
}

void Scene::SaveState(std::string_view path) {
    const std::string keptPath = scenePath;
    const std::string keptCode = text5;
    scenePath = path;
    text5.clear();
    Save();
    scenePath = keptPath;
    text5 = keptCode;
}

void Scene::LoadState(std::string_view path) {
    scenePath = path;
    LoadFile({}, true);
    std::string source = sourcePath;
    std::transform(source.begin(), source.end(), source.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (size_t at = source.find("scenes\\"); at != std::string::npos) source = source.substr(at);
    scenePath = source;
    OpenCompanionTable();
}

void Scene::OpenCompanionTable() {
    companion.reset();
    std::string path = scenePath;
    const std::string extension = GetSceneApplication().LanguageFileIsTxt() ? ".txt" : ".csv";
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        path += extension;
    else
        path = path.substr(0, dot) + extension;
    if (auto resolved = platform::ResolvePath(GetModelLoadState().dataRoot, path))
        companion = GetSceneApplication().LoadTextTable(*resolved);
}

std::string Scene::CompanionText(int32_t id) const {
    return companion ? companion->Text(id) : std::string();
}

Scene* GetScene() {
    return currentScene;
}

void SetScene(Scene* scene) {
    currentScene = scene;
}

void SetSceneTimeSource(std::function<uint32_t()> source) {
    identityTimeSource = std::move(source);
}

uint32_t SceneIdentityTime() {
    return identityTimeSource ? identityTimeSource() : uint32_t(std::time(nullptr));
}

} // namespace lumivane
