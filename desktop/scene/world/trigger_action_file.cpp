// TriggerAction: the action block of the scene-state file in its current
// form and the older forms it is read from, and the actions' random draw.
#include "desktop/scene/world/trigger_action.h"

#include <bit>
#include <cstring>

#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_file_format.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

using namespace scene_file;

uint32_t randomRangeSeed = 0;

// The number of plain 32-bit values each kind stores (the kinds whose
// layout holds more than values are handled on their own).
size_t PlainValueCount(int32_t type) {
    switch (type) {
    case action::kJump:
    case action::kCameraSway:
        return 1;
    case action::kEnemies:
        return 36;
    case action::kStateWord:
        return 0;
    case action::kEffectParams:
        return 5;
    case action::kMarker:
        return 12;
    default:
        return 2; // the two values of the simple kinds
    }
}

bool IsTextKind(int32_t type) {
    return type == action::kShowText || type == action::kOverlay || type == action::kEndScene ||
           type == action::kSceneSound || type == action::kSettingsFlag;
}

bool IsOrderKind(int32_t type) {
    return type >= action::kFollow && type <= action::kGather;
}

bool ReadValues(platform::BinaryReader& file, std::vector<int32_t>& values, size_t count) {
    values.resize(count);
    for (int32_t& value : values)
        if (!file.ReadI32(value)) return false;
    return true;
}

void WriteValues(platform::BinaryWriter& file, const std::vector<int32_t>& values, size_t from,
                 size_t count) {
    for (size_t i = from; i < from + count; ++i)
        file.WriteI32(i < values.size() ? values[i] : 0);
}

bool ReadHandles(platform::BinaryReader& file, std::vector<EntityHandle>& handles) {
    uint32_t count = 0;
    if (!ReadCount(file, count, 4)) return false;
    handles.resize(count);
    for (EntityHandle& handle : handles)
        if (!file.ReadI32(handle)) return false;
    return true;
}

void WriteHandles(platform::BinaryWriter& file, const std::vector<EntityHandle>& handles) {
    file.WriteU32(uint32_t(handles.size()));
    for (EntityHandle handle : handles)
        file.WriteI32(handle);
}

int32_t FloatBits(float value) {
    return std::bit_cast<int32_t>(value);
}

} // namespace

TriggerAction::~TriggerAction() {
    if (type != action::kPassage) return;
    World* world = GetWorld();
    if (!world) return;
    // What was reserved for the arrivals is given back.
    for (const PassageRecord& record : passages)
        world->ClearReservation(record.values[PassageRecord::kReservedHandle]);
}

float TriggerAction::FloatValue(size_t index) const {
    return std::bit_cast<float>(Value(index));
}

void TriggerAction::Save(platform::BinaryWriter& file) const {
    file.WriteI32(type);
    if (type < action::kFirst || type > action::kLast) return;
    if (IsTextKind(type)) {
        WriteTextField(file, text);
        file.WriteI32(Value(0));
        file.WriteI32(id);
        WriteTextField(file, text2);
        file.WriteFixedString(sound, kPathSize);
        return;
    }
    if (IsOrderKind(type)) {
        WriteHandles(file, handles);
        file.WriteI32(Value(0));
        WriteVec3Fields(file);
        return;
    }
    switch (type) {
    case action::kCameraPath:
        file.WriteU32(uint32_t(cameraKeys.size()));
        for (const CameraKey& key : cameraKeys) {
            file.WriteFixedString(key.name, kNameSize);
            file.WriteU32(key.duration);
            file.WriteU32(key.kind);
            file.WriteU32(key.lookAt);
            key.view.Save(file);
        }
        return;
    case action::kPassage:
        WriteValues(file, values, 0, 3);
        file.WriteU32(uint32_t(passages.size()));
        for (const PassageRecord& record : passages) {
            file.WriteFixedString(record.name, kNameSize);
            for (int32_t value : record.values)
                file.WriteI32(value);
        }
        return;
    case action::kPlaySequence:
    case action::kComputerPlayer:
    case action::kRemoveUnits:
        file.WriteI32(Value(0));
        file.WriteFixedString(text, kNameSize);
        return;
    case action::kResources:
        WriteValues(file, values, 0, 2);
        file.WriteFixedString(text, kNameSize);
        return;
    case action::kMusic:
        file.WriteFixedString(text, kPathSize);
        WriteValues(file, values, 0, 6);
        return;
    case action::kGiveUnits:
    case action::kDamage:
        WriteHandles(file, handles);
        WriteValues(file, values, 0, 2);
        return;
    case action::kBuildList:
        file.WriteI32(Value(0));
        file.WriteU32(uint32_t(names.size()));
        for (const std::string& name : names)
            file.WriteFixedString(name, kNameSize);
        for (size_t i = 0; i < names.size(); ++i)
            file.WriteI32(i < weights.size() ? weights[i] : 1);
        return;
    case action::kApplicationHook: {
        file.WriteI32(Value(0));
        std::vector<uint8_t> bytes = hookBytes;
        bytes.resize(kHookBytes, 0);
        file.WriteBytes(bytes.data(), bytes.size());
        file.WriteI32(Value(1));
        file.WriteI32(id);
        return;
    }
    case action::kEffectParams:
        file.WriteFixedString(text, kPathSize);
        WriteValues(file, values, 0, 5);
        return;
    case action::kArithmetic:
        file.WriteFixedString(text, kNameSize);
        WriteValues(file, values, 0, 2);
        file.WriteFixedString(text2, kNameSize);
        return;
    case action::kRoute:
        WriteHandles(file, handles);
        WriteValues(file, values, 0, 3);
        file.WriteFixedString(text, kNameSize);
        return;
    default:
        WriteValues(file, values, 0, PlainValueCount(type));
        return;
    }
}

void TriggerAction::WriteVec3Fields(platform::BinaryWriter& file) const {
    file.WriteF32(point.x);
    file.WriteF32(point.y);
    file.WriteF32(point.z);
    file.WriteF32(offset.x);
    file.WriteF32(offset.y);
    file.WriteF32(offset.z);
}

bool TriggerAction::LoadText(platform::BinaryReader& file, uint32_t version, Scene& scene) {
    values.assign(1, 0);
    if (version < kTextFieldsFrom) {
        id = scene.TakeNextId();
        return file.ReadFixedString(text, kOldTextBytes);
    }
    if (!ReadTextField(file, text)) return false;
    if (version > kTextValueBAbove && !file.ReadI32(values[0])) return false;
    if (version >= kTextIdFrom) {
        if (!file.ReadI32(id)) return false;
    } else {
        id = scene.TakeNextId();
    }
    if (version > kTextSoundAbove)
        return ReadTextField(file, text2) && file.ReadFixedString(sound, kPathSize);
    return true;
}

bool TriggerAction::LoadPassages(platform::BinaryReader& file, uint32_t version) {
    values.assign(3, 0);
    if (version < kPassageListFrom) {
        // One passage: its reserved handle, the wormhole and its name, then
        // the action's two values, which the record shares.
        PassageRecord record;
        if (!file.ReadI32(record.values[PassageRecord::kReservedHandle]) ||
            !file.ReadI32(values[0]) || !file.ReadFixedString(record.name, kNameSize))
            return false;
        if (version > kPassageValuesAbove) {
            if (!file.ReadI32(values[1]) || !file.ReadI32(values[2])) return false;
            record.values[2] = values[1];
            record.values[3] = values[2];
        }
        record.values[4] = FloatBits(1.0f);
        passages.push_back(record);
        return true;
    }
    uint32_t count = 0;
    if (!ReadValues(file, values, 3)) return false;
    const uint64_t recordBytes = version >= kFullPassagesFrom ? 56 : 48;
    if (!ReadCount(file, count, recordBytes)) return false;
    passages.resize(count);
    for (PassageRecord& record : passages) {
        if (!file.ReadFixedString(record.name, kNameSize)) return false;
        const int stored = version >= kFullPassagesFrom ? 6 : 4;
        for (int i = 0; i < stored; ++i)
            if (!file.ReadI32(record.values[i])) return false;
        if (stored == 4) {
            record.values[4] = FloatBits(1.0f);
            record.values[5] = 0;
        }
    }
    return true;
}

bool TriggerAction::LoadMusic(platform::BinaryReader& file, uint32_t version) {
    values = {0, FloatBits(1.0f), FloatBits(1.0f), FloatBits(1.0f), FloatBits(1.0f), 1};
    if (version >= kMusicValuesFrom) {
        if (!file.ReadFixedString(text, kPathSize)) return false;
        const size_t stored = version == kMusicValuesFrom ? 4 : 6;
        for (size_t i = 0; i < stored; ++i)
            if (!file.ReadI32(values[i])) return false;
        return true;
    }
    if (version < kTextFieldsFrom) return file.ReadFixedString(text, kOldTextBytes);
    int32_t unused = 0;
    if (!ReadTextField(file, text)) return false;
    if (version > kMusicWordAbove && !file.ReadI32(unused)) return false;
    return version <= kMusicSecondWordAbove || file.ReadI32(unused);
}

bool TriggerAction::Load(platform::BinaryReader& file, uint32_t version, Scene& scene) {
    if (!file.ReadI32(type)) return false;
    if (type < action::kFirst || type > action::kLast) return true;
    if (IsTextKind(type)) return LoadText(file, version, scene);
    if (IsOrderKind(type)) {
        values.assign(1, 0);
        return ReadHandles(file, handles) && file.ReadI32(values[0]) && file.ReadF32(point.x) &&
               file.ReadF32(point.y) && file.ReadF32(point.z) && file.ReadF32(offset.x) &&
               file.ReadF32(offset.y) && file.ReadF32(offset.z);
    }
    switch (type) {
    case action::kCameraPath: {
        uint32_t count = 0;
        // A key takes at least its name, three words and a view record.
        if (!ReadCount(file, count, kNameSize + 12 + 64)) return false;
        cameraKeys.resize(count);
        for (CameraKey& key : cameraKeys)
            if (!file.ReadFixedString(key.name, kNameSize) || !file.ReadU32(key.duration) ||
                !file.ReadU32(key.kind) || !file.ReadU32(key.lookAt) ||
                !key.view.Load(file, version))
                return false;
        return true;
    }
    case action::kPassage:
        return LoadPassages(file, version);
    case action::kPlaySequence:
    case action::kComputerPlayer:
    case action::kRemoveUnits:
        return ReadValues(file, values, 1) && file.ReadFixedString(text, kNameSize);
    case action::kResources:
        return ReadValues(file, values, 2) &&
               (version < kVariableNamesFrom || file.ReadFixedString(text, kNameSize));
    case action::kMusic:
        return LoadMusic(file, version);
    case action::kGiveUnits:
    case action::kDamage:
        return ReadHandles(file, handles) && ReadValues(file, values, 2);
    case action::kBuildList: {
        values.assign(1, 0); // older files name no player: the first, as absent fields read 0
        if (version >= kBuildListPlayerFrom && !file.ReadI32(values[0])) return false;
        uint32_t count = 0;
        if (!ReadCount(file, count, kNameSize)) return false;
        names.resize(count);
        for (std::string& name : names)
            if (!file.ReadFixedString(name, kNameSize)) return false;
        weights.assign(count, 1);
        if (version > kBuildWeightsAbove)
            for (int32_t& weight : weights)
                if (!file.ReadI32(weight)) return false;
        return true;
    }
    case action::kApplicationHook: {
        values.assign(2, 0);
        const size_t bytes = version >= kHookBytesFrom ? kHookBytes : kOldHookBytes;
        if (!file.ReadI32(values[0]) || !file.ReadBytes(hookBytes, bytes) ||
            !file.ReadI32(values[1]))
            return false;
        if (version > kHookIdAbove) return file.ReadI32(id);
        id = scene.TakeNextId();
        return true;
    }
    case action::kEffectParams:
        return file.ReadFixedString(text, kPathSize) && ReadValues(file, values, 5);
    case action::kArithmetic:
        return file.ReadFixedString(text, kNameSize) && ReadValues(file, values, 2) &&
               (version < kVariableNamesFrom || file.ReadFixedString(text2, kNameSize));
    case action::kRoute:
        return ReadHandles(file, handles) && ReadValues(file, values, 3) &&
               file.ReadFixedString(text, kNameSize);
    default:
        return ReadValues(file, values, PlainValueCount(type));
    }
}

int32_t RandomRange(int32_t a, int32_t b) {
    randomRangeSeed = randomRangeSeed * 1664525u + 1013904223u;
    const uint32_t span = uint32_t(b) - uint32_t(a) + 1u;
    if (span == 0) return int32_t(uint32_t(a) + randomRangeSeed);
    return int32_t(uint32_t(a) + randomRangeSeed % span);
}

void SeedRandomRange(uint32_t seed) {
    randomRangeSeed = seed;
}

} // namespace lumivane
