// Scene: the one loaded scene of the program: the trigger tree that scripts
// it, its bounds, texts and title, its script variables and records, and the
// operations that create entities from prototypes at run time. Its file, the
// scene-state file, is read and written by scene_file.cpp.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/trigger.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class Entity;
class Node;
class ObjectTable;
class TextTable;

// A record of the scene whose meaning is the scene's own: kept and written
// back unchanged.
struct SceneRecord {
    static constexpr size_t kNameSize = 32;
    std::string name;
    int32_t values[5] = {};
    int32_t id = -1;
};

struct SceneVariable {
    static constexpr size_t kNameSize = 32;
    std::string name;
    int32_t value = 0;
};

// What Scene::Spawn makes: a clone of a library prototype placed in the
// world, optionally in orbit and given to a player's squad.
struct SpawnRecord {
    Node* prototype = nullptr;
    int32_t orbit = 0;
    Vec3 position;
    Vec3 orbitAxis{0.0f, 1.0f, 0.0f};
    Quat orientation;
    Quat spin;
    int32_t player = -1; // -1: none
    int32_t squad = -1;  // -1: none
};

inline constexpr int kSceneTextSlots = 20;
inline constexpr size_t kSceneTextSize = 210;
inline constexpr size_t kSavedSceneTextBytes = 70; // 69 characters and a zero
inline constexpr int kBuiltInVariableCount = 20;
// The language-table entries the scene uses.
inline constexpr int kEntryDefaultTitle = 5005;
inline constexpr int kEntryCannotWrite = 1059;
inline constexpr int kEntryCannotWriteCaption = 1018;

class Scene {
public:
    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Deletes the triggers, the extra data, the user variables and the
    // records.
    void Clear();
    // Once per frame: every top-level trigger in order.
    void UpdateTriggers();
    // Depth-first through `start` and its children, or through every
    // top-level trigger's subtree; the first with the id.
    Trigger* FindTrigger(int32_t triggerId, Trigger* start = nullptr);
    Trigger& AddTrigger(std::unique_ptr<Trigger> trigger);

    // --- Variables --------------------------------------------------------
    SceneVariable* FindUserVariable(std::string_view name);
    SceneVariable& AddUserVariable(std::string_view name);
    // A built-in variable, its value recomputed first.
    SceneVariable* FindVariable(std::string_view name);
    SceneVariable& RefreshVariable(int index);
    // The user variable, else the built-in one; nothing when unknown.
    std::optional<int32_t> VariableValue(std::string_view name);
    const std::vector<SceneVariable>& UserVariables() const { return userVariables; }

    // --- Spawning ---------------------------------------------------------
    // The entity placed, or a plain node prototype's clone placed in the
    // world's root; null when the prototype is unknown or the world took
    // nothing.
    Node* Spawn(const SpawnRecord& record);
    // Looks the prototype up by name in the model library. Answers only
    // entities: a plain node is placed all the same, but answers null.
    Entity* SpawnByName(std::string_view prototype, const SpawnRecord& rest);

    // --- Files ------------------------------------------------------------
    // Reads a scene-state file ("scenes\x.mis" below the data root); 1 on
    // success. A failure leaves an empty scene and an empty world.
    int Load(std::string_view path = {});
    // What Load does once the file is open: reads a scene-state file from
    // `file`, which the scene path names in warnings.
    int LoadFrom(platform::BinaryReader& file, bool restoring = false);
    // Writes the scene-state file; the old file is replaced only once the
    // new one is whole. False when nothing was written.
    bool Save(std::string_view path = {});
    void Restart();
    void SaveState(std::string_view path);
    void LoadState(std::string_view path);

    // The text of the companion table, empty without one.
    std::string CompanionText(int32_t id) const;
    // Hands out the next id to an action or record being loaded.
    int32_t TakeNextId() { return nextIdCounter++; }

    // --- Fields -----------------------------------------------------------
    float heightLimit = 15.0f;
    float radius = 500.0f;
    uint32_t startTime = 0;
    uint8_t setupFlag = 0;
    std::vector<std::unique_ptr<Trigger>> triggers;
    int32_t firstCounter = 1;
    int32_t nextIdCounter = 3;
    std::string texts[kSceneTextSlots];
    int32_t textValues[kSceneTextSlots];
    std::string title;
    std::string secondTitle;
    uint32_t extraValue = 0;
    std::string text4;
    std::string text5; // the scene's code name
    std::vector<uint8_t> extraData;
    std::string sourcePath;
    std::string scenePath;
    std::vector<SceneRecord> records;
    SceneVariable builtIns[kBuiltInVariableCount];
    // The identity stored in the file: a creation time and the title's tag.
    uint32_t identityTime = 0;
    char identityTag[4] = {};

private:
    friend class SceneFile;

    void ResetBuiltIns();
    void OpenCompanionTable();
    // Reads or writes with the scene's file code; `restoring` marks a
    // saved state being restored.
    int LoadFile(std::string_view path, bool restoring);

    std::vector<SceneVariable> userVariables;
    std::unique_ptr<TextTable> companion;
};

// The program's scene; null until the application makes it.
Scene* GetScene();
void SetScene(Scene* scene);

// The clock of the scene identity (seconds since 1970); the system time
// unless a tool or test installs its own. Null restores the system time.
void SetSceneTimeSource(std::function<uint32_t()> source);
uint32_t SceneIdentityTime();

} // namespace lumivane
