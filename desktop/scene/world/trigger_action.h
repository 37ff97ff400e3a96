// TriggerAction: one action of a trigger, of 50 kinds (texts, display modes,
// jumps, camera paths, overlays, orders to units, resources, computer
// players, sounds, variables, markers, route orders ...), with its versioned
// block in the scene-state file, and RandomRange, the actions' own random
// draw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/camera_view.h"
#include "desktop/scene/world/entity_handle.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class Scene;
class Trigger;

// Action kinds by their stored type.
namespace action {
inline constexpr int32_t kShowText = 1;
inline constexpr int32_t kPermissions = 2;
inline constexpr int32_t kJump = 3;
inline constexpr int32_t kLetterbox = 4;
inline constexpr int32_t kDisplaySwitch = 5;
inline constexpr int32_t kSceneCue = 6;
inline constexpr int32_t kGlobalSwitch = 7;
inline constexpr int32_t kCameraPath = 12;
inline constexpr int32_t kOverlay = 13;
inline constexpr int32_t kDisplayHook = 14;
inline constexpr int32_t kHud = 15;
inline constexpr int32_t kPassage = 16;
inline constexpr int32_t kActivate = 17;
inline constexpr int32_t kEndScene = 18;
inline constexpr int32_t kFollow = 19;
inline constexpr int32_t kMove = 20;
inline constexpr int32_t kAttack = 21;
inline constexpr int32_t kHunt = 22;
inline constexpr int32_t kGather = 23;
inline constexpr int32_t kPlaySequence = 24;
inline constexpr int32_t kResources = 25;
inline constexpr int32_t kComputerPlayer = 26;
inline constexpr int32_t kMusic = 27;
inline constexpr int32_t kSceneSound = 28;
inline constexpr int32_t kSoundSwitch = 29;
inline constexpr int32_t kCinematic = 30;
inline constexpr int32_t kFade = 31;
inline constexpr int32_t kDisplayFlags = 32;
inline constexpr int32_t kGiveUnits = 33;
inline constexpr int32_t kEnemies = 34;
inline constexpr int32_t kBuildList = 35;
inline constexpr int32_t kStateWord = 36;
inline constexpr int32_t kSwitch38 = 38;
inline constexpr int32_t kSwitch39 = 39;
inline constexpr int32_t kWireframe = 40;
inline constexpr int32_t kSwitch41 = 41;
inline constexpr int32_t kApplicationHook = 42;
inline constexpr int32_t kCameraSway = 43;
inline constexpr int32_t kDamage = 44;
inline constexpr int32_t kSettingsFlag = 45;
inline constexpr int32_t kEffectParams = 46;
inline constexpr int32_t kMarker = 47;
inline constexpr int32_t kArithmetic = 48;
inline constexpr int32_t kRoute = 49;
inline constexpr int32_t kRemoveUnits = 50;
inline constexpr int32_t kFirst = 1;
inline constexpr int32_t kLast = 50;
} // namespace action

// One step of a camera path (action 12): 116 bytes in memory.
struct CameraKey {
    std::string name;
    uint32_t duration = 0; // milliseconds
    uint32_t kind = 0;     // 0..5 interpolation, 6 hold
    uint32_t lookAt = 0;
    CameraView view;
};

// An arrival through a wormhole (action 16): the prototype's name and six
// values: the delay after the previous arrival (ms), the handle reserved for
// the unit, the player and squad it joins, its health fraction (a float) and
// its no-damage flag.
struct PassageRecord {
    static constexpr int kDelay = 0;
    static constexpr int kReservedHandle = 1;
    static constexpr int kPlayer = 2;
    static constexpr int kSquad = 3;
    static constexpr int kHealthFraction = 4;
    static constexpr int kNoDamage = 5;

    std::string name;
    int32_t values[6] = {};
};

class TriggerAction {
public:
    static constexpr size_t kNameSize = 32;
    static constexpr size_t kPathSize = 260;
    static constexpr size_t kHookBytes = 66;
    static constexpr size_t kMaxRoute = 60;

    TriggerAction() = default;
    // An action of kind 16 gives back its reserved handles.
    ~TriggerAction();
    TriggerAction(const TriggerAction&) = delete;
    TriggerAction& operator=(const TriggerAction&) = delete;

    void Run();

    void Save(platform::BinaryWriter& file) const;
    // Reads a block of `version`; ids that older versions lack come from
    // the scene's next-id counter. False for a damaged block.
    bool Load(platform::BinaryReader& file, uint32_t version, Scene& scene);

    // The value at `index`, 0 past the stored ones.
    int32_t Value(size_t index) const { return index < values.size() ? values[index] : 0; }
    float FloatValue(size_t index) const;

    Trigger* owner = nullptr;
    int32_t type = 0;
    int32_t id = 0; // 1, 13, 18, 28, 45 (also their text's number) and 42
    // 1, 13, 18, 28, 45: text A; 24, 26, 49, 50: a name; 25: the variable
    // of the amount; 27, 46: a path; 48: the target variable.
    std::string text;
    // 1, 13, 18, 28, 45: text D; 48: the operand variable.
    std::string text2;
    std::string sound; // 1, 13, 18, 28, 45: the sound E
    // The kind's numbers in stored order (floats by their bits).
    std::vector<int32_t> values;
    std::vector<EntityHandle> handles;   // 19-23, 33, 44, 49
    Vec3 point;                          // 19-23
    Vec3 offset;                         // 19-23
    std::vector<CameraKey> cameraKeys;   // 12
    std::vector<PassageRecord> passages; // 16
    std::vector<std::string> names;      // 35
    std::vector<int32_t> weights;        // 35
    std::vector<uint8_t> hookBytes;      // 42

private:
    void RunText();
    void RunJump();
    void RunOverlay();
    void RunPassage();
    void RunActivate();
    void RunEndScene();
    void RunUnitOrders();
    void RunPlaySequence();
    void RunResources();
    void RunCinematic();
    void RunFade();
    void RunGiveUnits();
    void RunEnemies();
    void RunBuildList();
    void RunDamage();
    void RunMarker();
    void RunArithmetic();
    void RunRoute();
    void RunRemoveUnits();

    void WriteVec3Fields(platform::BinaryWriter& file) const;
    bool LoadText(platform::BinaryReader& file, uint32_t version, Scene& scene);
    bool LoadPassages(platform::BinaryReader& file, uint32_t version);
    bool LoadMusic(platform::BinaryReader& file, uint32_t version);
};

// a + (x mod (b - a + 1)) on the actions' own generator, unsigned; its seed
// is set at start-up (from the time in the program, fixed in tools).
int32_t RandomRange(int32_t a, int32_t b);
void SeedRandomRange(uint32_t seed);

} // namespace lumivane
