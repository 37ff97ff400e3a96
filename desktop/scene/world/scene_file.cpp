// Scene: the scene-state file (".mis"): the scene's header, triggers, text
// slots and variables, the display's block, the world as an object section
// and the six player blocks, read with every older version's gates.
#include <malloc.h>

#include <cstring>
#include <memory>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/node.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/object_table.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_file_format.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "desktop/scene/entity/unit.h"
#include "platform/binary_io.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

using namespace scene_file;

constexpr size_t kMusicPathBytes = 260;
// The least a trigger block takes (its name and the flags of the oldest
// form), which bounds the trigger count.
constexpr uint64_t kLeastTriggerBytes = 32 + 4 + 4 + 12;
constexpr uint64_t kRecordBytes = 56;
constexpr uint64_t kOldRecordBytes = 52;
constexpr uint64_t kVariableBytes = 36;

// Marks the world being read from a scene-state file for its lifetime.
class SceneStateLoading {
public:
    SceneStateLoading() { GetModelLoadState().sceneStateLoading = true; }
    ~SceneStateLoading() { GetModelLoadState().sceneStateLoading = false; }
};

// The application's six players, with a stand-in for any not made yet so
// every block can be read and written.
class PlayersForBlocks {
public:
    Player& At(int index) {
        if (Player* player = PlayerAt(index)) return *player;
        if (!spare[index]) spare[index] = std::make_unique<Player>(index);
        return *spare[index];
    }

private:
    std::unique_ptr<Player> spare[kPlayerCount];
};

std::filesystem::path DataRoot() {
    const std::filesystem::path& root = GetModelLoadState().dataRoot;
    return root.empty() ? std::filesystem::path(".") : root;
}

} // namespace

// The file code, a friend of Scene.
class SceneFile {
public:
    static bool Write(Scene& scene, platform::BinaryWriter& file);
    // 1 on success; a reader left failed when the bytes ran out.
    static bool Read(Scene& scene, platform::BinaryReader& file, bool restoring);
    static void ResetHeader(Scene& scene);
    static void ClearAfterFailure(Scene& scene);

private:
    static bool ReadHeader(Scene& scene, platform::BinaryReader& file, uint32_t v);
    static bool ReadTriggers(Scene& scene, platform::BinaryReader& file, uint32_t v);
    static bool ReadSlotsAndVariables(Scene& scene, platform::BinaryReader& file, bool restoring);
    static bool ReadObjectSection(platform::BinaryReader& file, uint32_t v, bool restoring);
};

bool SceneFile::Write(Scene& scene, platform::BinaryWriter& file) {
    file.WriteBytes(kMagic, sizeof kMagic);
    file.WriteU32(kVersion);
    file.WriteU8(0); // no multi-player setup in this program
    scene.identityTime = SceneIdentityTime();
    std::memset(scene.identityTag, 0, sizeof scene.identityTag);
    std::memcpy(scene.identityTag, scene.title.data(),
                std::min(scene.title.size(), sizeof scene.identityTag));
    file.WriteU32(scene.identityTime);
    file.WriteBytes(scene.identityTag, sizeof scene.identityTag);
    file.WriteU32(scene.extraValue);
    WriteCountedText(file, scene.title);
    WriteCountedText(file, scene.secondTitle);
    WriteCountedText(file, scene.sourcePath);
    WriteCountedText(file, scene.text4);
    WriteCountedText(file, scene.text5);
    file.WriteU32(uint32_t(scene.extraData.size()));
    file.WriteBytes(scene.extraData.data(), scene.extraData.size());
    file.WriteU32(uint32_t(scene.records.size()));
    for (const SceneRecord& record : scene.records) {
        file.WriteFixedString(record.name, SceneRecord::kNameSize);
        for (int32_t value : record.values)
            file.WriteI32(value);
        file.WriteI32(record.id);
    }
    const UserInputWords& words = GetUserInputWords();
    file.WriteU32(words.permission[0]);
    file.WriteU32(words.permission[1]);
    file.WriteU32(scene.startTime);
    file.WriteF32(scene.heightLimit);
    file.WriteF32(scene.radius);
    file.WriteI32(scene.firstCounter);
    file.WriteI32(scene.nextIdCounter);
    file.WriteU32(uint32_t(scene.triggers.size()));
    for (const auto& trigger : scene.triggers)
        trigger->Save(file);
    for (const std::string& text : scene.texts)
        file.WriteFixedString(text.substr(0, kSavedSceneTextBytes - 1), kSavedSceneTextBytes);
    for (int32_t value : scene.textValues)
        file.WriteI32(value);
    file.WriteU32(uint32_t(scene.UserVariables().size()));
    for (const SceneVariable& variable : scene.UserVariables()) {
        file.WriteFixedString(variable.name, SceneVariable::kNameSize);
        file.WriteI32(variable.value);
    }
    file.WriteU32(0); // no music plays in this program
    GetSceneDisplay().SaveState(file);

    file.WriteBytes(kObjectMagic, sizeof kObjectMagic);
    file.WriteU32(kVersion);
    ObjectTable table;
    if (World* world = GetWorld()) {
        world->Save(file, table);
    } else {
        World empty;
        empty.Init();
        empty.Save(file, table);
    }
    PlayersForBlocks players;
    file.WriteU32(kPlayerCount);
    for (int i = 0; i < kPlayerCount; ++i)
        players.At(i).Save(file, table);
    return file.Good();
}

bool Scene::Save(std::string_view path) {
    if (!path.empty()) scenePath = path;
    if (scenePath.empty()) return false;
    const std::string shown = scenePath;
    std::optional<std::filesystem::path> target =
        platform::ResolvePathForCreate(DataRoot(), scenePath);
    platform::FileWriter file;
    if (!target || !file.Open(*target)) {
        ReportWarning(kEntryCannotWrite, shown);
        return false;
    }
    if (!SceneFile::Write(*this, file) || !file.Commit()) {
        file.Discard();
        ReportWarning(kEntryCannotWrite, shown);
        return false;
    }
    return true;
}

void SceneFile::ResetHeader(Scene& scene) {
    scene.heightLimit = 15.0f;
    scene.radius = 500.0f;
    scene.setupFlag = 0;
    scene.firstCounter = 1;
    scene.nextIdCounter = 3;
    for (int i = 0; i < kSceneTextSlots; ++i) {
        scene.texts[i].clear();
        scene.textValues[i] = 1;
    }
    scene.title = GetSceneApplication().LanguageText(kEntryDefaultTitle);
    scene.secondTitle = scene.title;
    scene.extraValue = 0;
    scene.text4.clear();
    scene.text5.clear();
    scene.sourcePath = scene.scenePath;
    scene.identityTime = 0;
    std::memset(scene.identityTag, 0, sizeof scene.identityTag);
}

void SceneFile::ClearAfterFailure(Scene& scene) {
    scene.Clear();
    ResetHeader(scene);
    scene.ResetBuiltIns();
    if (World* world = GetWorld()) world->Reset();
    for (int i = 0; i < kPlayerCount; ++i)
        if (Player* player = PlayerAt(i)) {
            player->Reset();
            player->units.clear();
            player->visible.clear();
            for (Squad& squad : player->squads)
                squad = Squad{squad.index};
            player->resources = 0.0f;
        }
    GetSceneBounds() = {scene.heightLimit, scene.radius};
}

bool SceneFile::ReadHeader(Scene& scene, platform::BinaryReader& file, uint32_t v) {
    if (v > kSetupFlagAbove) {
        if (!file.ReadU8(scene.setupFlag)) return false;
        if (scene.setupFlag == 1 && !file.Skip(kSetupBlockBytes)) return false;
        scene.setupFlag = 0;
    }
    if (v < kHeaderTextsFrom) {
        uint32_t sum = 0;
        for (unsigned char c : scene.scenePath)
            sum += c;
        scene.identityTime = sum;
    } else {
        if (!file.ReadU32(scene.identityTime) ||
            !file.ReadBytes(scene.identityTag, sizeof scene.identityTag) ||
            !file.ReadU32(scene.extraValue) || !ReadCountedText(file, scene.title))
            return false;
        scene.secondTitle = scene.title;
        if (v >= kSecondTitleFrom && !ReadCountedText(file, scene.secondTitle)) return false;
        if (v >= kSourcePathFrom && !ReadCountedText(file, scene.sourcePath)) return false;
        if (!ReadCountedText(file, scene.text4)) return false;
        if (v > kText5Above && !ReadCountedText(file, scene.text5)) return false;
        uint32_t length = 0;
        if (!ReadCount(file, length, 1) || !file.ReadBytes(scene.extraData, length)) return false;
        if (v > kRecordsAbove) {
            const bool withIds = v >= kRecordIdFrom;
            uint32_t count = 0;
            if (!ReadCount(file, count, withIds ? kRecordBytes : kOldRecordBytes)) return false;
            scene.records.resize(count);
            for (SceneRecord& record : scene.records) {
                if (!file.ReadFixedString(record.name, SceneRecord::kNameSize)) return false;
                for (int32_t& value : record.values)
                    if (!file.ReadI32(value)) return false;
                record.id = -1;
                if (withIds && !file.ReadI32(record.id)) return false;
            }
        }
    }
    UserInputWords& words = GetUserInputWords();
    if (v > kPermissionsAbove &&
        !(file.ReadU32(words.permission[0]) && file.ReadU32(words.permission[1])))
        return false;
    if (v > kStartTimeAbove && !file.ReadU32(scene.startTime)) return false;
    if (v > kBoundsAbove) {
        if (!file.ReadF32(scene.heightLimit) || !file.ReadF32(scene.radius)) return false;
        scene.heightLimit = 50.0f;
    }
    if (v > kFirstCounterAbove && !file.ReadI32(scene.firstCounter)) return false;
    if (v > kNextIdAbove && !file.ReadI32(scene.nextIdCounter)) return false;
    for (SceneRecord& record : scene.records)
        if (record.id == -1) record.id = scene.TakeNextId();
    return true;
}

bool SceneFile::ReadTriggers(Scene& scene, platform::BinaryReader& file, uint32_t v) {
    uint32_t count = 0;
    if (!ReadCount(file, count, kLeastTriggerBytes)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        auto trigger = std::make_unique<Trigger>();
        if (!trigger->Load(file, v, scene)) return false;
        scene.AddTrigger(std::move(trigger));
    }
    for (const auto& trigger : scene.triggers)
        trigger->ResolveStages(scene);
    return true;
}

bool SceneFile::ReadSlotsAndVariables(Scene& scene, platform::BinaryReader& file, bool restoring) {
    for (std::string& text : scene.texts)
        if (!file.ReadFixedString(text, kSavedSceneTextBytes)) return false;
    for (int32_t& value : scene.textValues)
        if (!file.ReadI32(value)) return false;
    uint32_t count = 0;
    if (!ReadCount(file, count, kVariableBytes)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        int32_t value = 0;
        if (!file.ReadFixedString(name, SceneVariable::kNameSize) || !file.ReadI32(value))
            return false;
        scene.AddUserVariable(name).value = value;
    }
    uint32_t music = 0;
    if (!file.ReadU32(music)) return false;
    if (music) {
        std::string path;
        uint32_t value = 0;
        if (!file.ReadFixedString(path, kMusicPathBytes) || !file.ReadU32(value)) return false;
        if (restoring) GetSceneApplication().RestoreMusic(path, value);
    }
    return true;
}

bool SceneFile::ReadObjectSection(platform::BinaryReader& file, uint32_t v, bool restoring) {
    World* world = GetWorld();
    char magic[4] = {};
    uint32_t w = 0;
    if (!file.ReadBytes(magic, sizeof magic) || std::memcmp(magic, kObjectMagic, 4) != 0 ||
        !file.ReadU32(w) || w < kOldestObjectVersion || w > kVersion || !world)
        return false;
    // One table for the world and the player blocks, watched until both
    // are read: what the world drops cannot be reached from a player.
    ObjectTable table;
    ObjectTable::Watch watch(table);
    SceneStateLoading loading;
    if (v < kWorldSectionFrom) {
        // The oldest files hold the world as one node: its entities join.
        Unknown* object = ReadObjectReference(file, table, w, ClassId::Node);
        if (!object) return false;
        Node* root = static_cast<Node*>(object);
        root->AddRef();
        for (int i = 0; i < root->ChildCount(); ++i)
            if (Node* child = root->ChildAt(i); IsA(child, ClassId::Entity)) {
                child->AddRef();
                world->AddEntity(static_cast<Entity*>(child));
            }
        root->Release();
    } else if (!world->Load(file, table, w)) {
        return false;
    }
    if (v > kPlayersAbove) {
        uint32_t count = 0;
        if (!file.ReadU32(count)) return false;
        // The application has six players; more blocks have nobody to read them.
        if (count > uint32_t(kPlayerCount)) {
            file.Fail();
            return false;
        }
        PlayersForBlocks players;
        for (uint32_t i = 0; i < count; ++i)
            if (!players.At(int(i)).Load(file, table, w, restoring)) return false;
    }
    return true;
}

bool SceneFile::Read(Scene& scene, platform::BinaryReader& file, bool restoring) {
    char magic[4] = {};
    uint32_t v = 0;
    if (!file.ReadBytes(magic, sizeof magic) || std::memcmp(magic, kMagic, 4) != 0 ||
        !file.ReadU32(v) || v > kVersion)
        return false;
    if (!ReadHeader(scene, file, v) || !ReadTriggers(scene, file, v)) return false;
    if (v > kSlotsAndVariablesAbove && !ReadSlotsAndVariables(scene, file, restoring)) return false;
    if (v > kWorldAbove) {
        if (World* world = GetWorld()) world->Reset();
        if (v > kDisplayStateAbove && !GetSceneDisplay().LoadState(file, v)) return false;
    }
    return ReadObjectSection(file, v, restoring);
}

int Scene::Load(std::string_view path) {
    return LoadFile(path, false);
}

int Scene::LoadFile(std::string_view path, bool restoring) {
    if (!path.empty()) scenePath = path;
    std::optional<std::filesystem::path> resolved = platform::ResolvePath(DataRoot(), scenePath);
    platform::FileReader file;
    if (!resolved || !file.Open(*resolved)) return 0;
    return LoadFrom(file, restoring);
}

int Scene::LoadFrom(platform::BinaryReader& file, bool restoring) {
    Clear();
    if (!restoring) RunUnitSceneStartHook(); // a scene starts with the roster's first name
    SceneFile::ResetHeader(*this);
    if (!SceneFile::Read(*this, file, restoring)) {
        SceneFile::ClearAfterFailure(*this);
        ReportWarning(kEntryBadFile, scenePath);
        return 0;
    }
    if (!restoring) startTime = GetSceneClock().gameTime;
    GetSceneBounds() = {heightLimit, radius};
    OpenCompanionTable();
    // What the last scene's objects took is free now; the system gets it
    // back, so that scene after scene the program holds no more than the
    // largest of them.
    malloc_trim(0);
    return 1;
}

} // namespace lumivane
