// Pilot: the crew member a unit may carry. It takes a call sign from a fixed
// roster (the next one each time a pilot is made, wrapping round), a face
// shot and a rank, and counts and registers the pilot's voice files so the
// sound manager has them ready. Voice events of piloted units of the local
// player reach PilotVoiceHook with a code; the program plays nothing for
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "desktop/scene/entity/prop_block.h"
#include "desktop/scene/entity/prop_container.h"
#include "desktop/scene/object/unknown.h"

namespace lumivane {

class Ship;

// Voice codes of the units.
inline constexpr int kVoiceHealthHalf = 3;
inline constexpr int kVoiceSquadChanged = 5;
inline constexpr int kVoiceAttack = 6;
inline constexpr int kVoiceMove = 7;
inline constexpr int kVoiceFollow = 8;
inline constexpr int kVoiceBuildQueued = 9;
inline constexpr int kVoiceSelfDestruct = 10;
inline constexpr int kVoiceGather = 11;
inline constexpr int kVoiceCollision = 12;

inline constexpr int kVoiceCategories = 15;
inline constexpr size_t kPilotPropsSize = 40;

// The Pilot table ("name", "face shot", "rank"; ends with "Pilot").
const PropDesc* PilotPropDescs();

class Pilot : public Unknown, public PropContainer {
public:
    // Takes the next name of the roster and counts its voice files.
    Pilot();

    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    void Traverse(int depth) override;

    const PropDesc* GetPropDescs() const override;
    void CreateProps() override;
    void PropChanged(int32_t field) override;
    size_t GetPropsSize() const override;

    std::string_view Name() const;
    int32_t FaceShot() const;
    int32_t Rank() const;
    // Voice files found in category 0..14 (counted up to the first gap).
    int VoiceCount(int category) const;

    // A scene starts: the roster begins again and nobody has spoken.
    static void ResetRoster();

    std::unique_ptr<PropBlock> props;
    int32_t voiceCounts[kVoiceCategories] = {};
    // Two words kept for the voice hook.
    int32_t voiceWords[2] = {-1, -1};

private:
    void CountVoiceFiles();
};

// Called with the unit and the voice code; plays nothing in this program.
void PilotVoiceHook(Ship& unit, int code);

} // namespace lumivane
