// The scene-state file (".mis") as a table: its magic, the version written,
// and every version gate of the scene, trigger, condition, action and player
// blocks ("Above" gates hold for versions above the number, "From" gates
// from it on), with the small readers the blocks share. Readers are
// suspicious: every count and length is checked against the bytes left.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/binary_io.h"

namespace lumivane::scene_file {

inline constexpr char kMagic[4] = {'M', 'I', 'S', 'S'};
inline constexpr char kObjectMagic[4] = {'V', 'R', 'N', 'M'};
inline constexpr uint32_t kVersion = 120;
inline constexpr uint32_t kOldestObjectVersion = 22;
inline constexpr size_t kSetupBlockBytes = 68;
inline constexpr size_t kIdentityTagBytes = 4;

// Scene header.
inline constexpr uint32_t kSetupFlagAbove = 119;
inline constexpr uint32_t kHeaderTextsFrom = 102;
inline constexpr uint32_t kSecondTitleFrom = 104;
inline constexpr uint32_t kSourcePathFrom = 105;
inline constexpr uint32_t kText5Above = 102;
inline constexpr uint32_t kRecordsAbove = 110;
inline constexpr uint32_t kRecordIdFrom = 118;
inline constexpr uint32_t kPermissionsAbove = 100;
inline constexpr uint32_t kStartTimeAbove = 27;
inline constexpr uint32_t kBoundsAbove = 4;
inline constexpr uint32_t kFirstCounterAbove = 5;
inline constexpr uint32_t kNextIdAbove = 24;
inline constexpr uint32_t kSlotsAndVariablesAbove = 118;
inline constexpr uint32_t kWorldAbove = 1;
inline constexpr uint32_t kDisplayStateAbove = 29;
inline constexpr uint32_t kWorldSectionFrom = 7;
inline constexpr uint32_t kPlayersAbove = 2;

// Trigger blocks.
inline constexpr uint32_t kTriggerIdAbove = 5;
inline constexpr uint32_t kTriggerActiveAbove = 0;
inline constexpr uint32_t kTriggerOnceAbove = 3;
inline constexpr uint32_t kTriggerFurtherFlagAbove = 12;
inline constexpr uint32_t kTriggerStageFrom = 28;

// Condition blocks.
inline constexpr uint32_t kLatchAbove = 0;
inline constexpr uint32_t kHandleListsFrom = 16;
inline constexpr uint32_t kDistanceListFrom = 17;
inline constexpr uint32_t kDistanceModeWordFrom = 15;
inline constexpr uint32_t kSecondVariableFrom = 112;

// Action blocks.
inline constexpr uint32_t kTextFieldsFrom = 10;
inline constexpr size_t kOldTextBytes = 100;
inline constexpr uint32_t kTextValueBAbove = 10;
inline constexpr uint32_t kTextIdFrom = 25;
inline constexpr uint32_t kTextSoundAbove = 105;
inline constexpr uint32_t kVariableNamesFrom = 112;
inline constexpr uint32_t kBuildListPlayerFrom = 110;
inline constexpr uint32_t kBuildWeightsAbove = 107;
inline constexpr uint32_t kHookBytesFrom = 114;
inline constexpr size_t kOldHookBytes = 64;
inline constexpr uint32_t kHookIdAbove = 24;
inline constexpr uint32_t kMusicValuesFrom = 26;
inline constexpr uint32_t kMusicWordAbove = 10;
inline constexpr uint32_t kMusicSecondWordAbove = 24;
inline constexpr uint32_t kPassageListFrom = 21;
inline constexpr uint32_t kPassageValuesAbove = 11;
inline constexpr uint32_t kFullPassagesFrom = 24;

// Player blocks (object-section version).
inline constexpr uint32_t kFloatResourcesFrom = 63;
inline constexpr uint32_t kBuildListAbove = 61;
inline constexpr uint32_t kPlayerWeightsFrom = 109;
inline constexpr uint32_t kComputerPlayerFrom = 119;
inline constexpr uint32_t kSquadTailBelow = 74;

// A count whose entries take at least `entryBytes` each: false (the reader
// failed) when more are announced than the bytes left could hold.
inline bool ReadCount(platform::BinaryReader& file, uint32_t& count, uint64_t entryBytes) {
    if (!file.ReadU32(count)) return false;
    if (entryBytes > 0 && uint64_t(count) * entryBytes > file.Remaining()) {
        file.Fail();
        return false;
    }
    return true;
}

// A counted text: a u32 length, then that many bytes without terminator.
inline bool ReadCountedText(platform::BinaryReader& file, std::string& text) {
    uint32_t length = 0;
    if (!ReadCount(file, length, 1)) return false;
    return file.ReadString(text, length);
}

inline void WriteCountedText(platform::BinaryWriter& file, std::string_view text) {
    file.WriteU32(uint32_t(text.size()));
    file.WriteString(text);
}

// A text field of an action: a u32 length that counts the terminating
// zero (0 for none), then the bytes. The text ends at its first zero.
inline bool ReadTextField(platform::BinaryReader& file, std::string& text) {
    uint32_t length = 0;
    if (!ReadCount(file, length, 1)) return false;
    text.clear();
    return length == 0 || file.ReadFixedString(text, length);
}

inline void WriteTextField(platform::BinaryWriter& file, std::string_view text) {
    if (text.empty()) {
        file.WriteU32(0);
        return;
    }
    file.WriteU32(uint32_t(text.size() + 1));
    file.WriteCString(text);
}

} // namespace lumivane::scene_file
