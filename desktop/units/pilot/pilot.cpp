// Pilot: the roster, the property block and the voice files.
#include "desktop/units/pilot/pilot.h"

#include <cstdio>
#include <string>
#include <vector>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/scene_services.h"
#include "platform/binary_io.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

// The call signs, ended by an empty entry. A name starting with '_' is
// held back and skipped.
constexpr const char* kRoster[] = {"Bulldog", "Tombstone", "Octane", ""};
constexpr int kRosterEntries = int(sizeof kRoster / sizeof kRoster[0]);

struct RosterState {
    int cursor = 0;
    int32_t lastVoiceTime = -10000;
    int32_t lastSpeaker = -1;
};

RosterState& Roster() {
    static RosterState state;
    return state;
}

bool Usable(int entry) {
    return kRoster[entry][0] != '\0' && kRoster[entry][0] != '_';
}

// The entry at the cursor, or the next usable one after it (wrapping to the
// first at the empty end). The walk visits each entry once at most, so a
// roster with no usable name ends on the first entry instead of looping.
int NextUsableEntry(int cursor) {
    int entry = cursor >= 0 && cursor < kRosterEntries && kRoster[cursor][0] ? cursor : 0;
    for (int step = 0; step < kRosterEntries && !Usable(entry); ++step)
        entry = kRoster[entry + 1][0] ? entry + 1 : 0;
    return entry;
}

struct PilotFields {
    size_t name, faceShot, rank;
};

std::vector<PropDesc> BuildPilotTable() {
    PropTableBuilder b;
    b.Text("name", PropType::Name);
    b.Value("face shot", PropType::Integer, 0, 100, 0);
    b.Value("rank", PropType::Integer, 0, 2, 0);
    return b.End("Pilot", nullptr);
}

const PilotFields& Fields() {
    static const PilotFields fields = [] {
        PilotFields f{};
        PropDesc::Find(PilotPropDescs(), "name", f.name);
        PropDesc::Find(PilotPropDescs(), "face shot", f.faceShot);
        PropDesc::Find(PilotPropDescs(), "rank", f.rank);
        return f;
    }();
    return fields;
}

// Printed, not joined from "literal" + std::string pieces: GCC 12 at -O3
// stops the build on those with a false -Wrestrict.
std::string VoiceName(int face, int category, int k) {
    char name[48];
    std::snprintf(name, sizeof(name), "p%d-%d-%d.wav", face, category, k);
    return name;
}

bool CanOpen(const std::filesystem::path& root, const std::string& name) {
    const std::optional<std::filesystem::path> path =
        platform::ResolvePath(root, "sounds\\" + name);
    platform::FileReader reader;
    return path && reader.Open(*path);
}

} // namespace

const PropDesc* PilotPropDescs() {
    static const std::vector<PropDesc> table = BuildPilotTable();
    return table.data();
}

Pilot::Pilot() {
    classId = uint8_t(ClassId::Pilot);
    CreateProps();
    props->Set<int32_t>(Fields().rank, int32_t(MainRandom().Next() % 3));
    RosterState& roster = Roster();
    const int entry = NextUsableEntry(roster.cursor);
    props->Set<int32_t>(Fields().faceShot, entry);
    roster.cursor = kRoster[entry + 1][0] ? entry + 1 : 0;
    props->SetFixedText(Fields().name, kRoster[entry]);
    CountVoiceFiles();
}

void Pilot::CountVoiceFiles() {
    const std::filesystem::path& dataRoot = GetModelLoadState().dataRoot;
    const std::filesystem::path root = dataRoot.empty() ? std::filesystem::path(".") : dataRoot;
    SoundCues* cues = GetSoundCues();
    const int face = FaceShot();
    for (int category = 0; category < kVoiceCategories; ++category) {
        int count = 0;
        for (;; ++count) {
            const std::string name = VoiceName(face, category, count);
            if (!CanOpen(root, name)) break;
            if (cues) cues->RegisterSound(name, 0, "pilot");
        }
        voiceCounts[category] = count;
    }
}

bool Pilot::Load(platform::BinaryReader&, ObjectTable&, uint32_t) {
    return true; // a pilot keeps nothing in files
}

void Pilot::Traverse(int) {}

const PropDesc* Pilot::GetPropDescs() const {
    return PilotPropDescs();
}

void Pilot::CreateProps() {
    props = std::make_unique<PropBlock>(GetPropDescs());
}

void Pilot::PropChanged(int32_t) {}

size_t Pilot::GetPropsSize() const {
    return PropDesc::BlockSize(GetPropDescs());
}

std::string_view Pilot::Name() const {
    return props->FixedText(Fields().name);
}

int32_t Pilot::FaceShot() const {
    return props->Int(Fields().faceShot);
}

int32_t Pilot::Rank() const {
    return props->Int(Fields().rank);
}

int Pilot::VoiceCount(int category) const {
    return category >= 0 && category < kVoiceCategories ? voiceCounts[category] : 0;
}

void Pilot::ResetRoster() {
    Roster() = RosterState{};
}

void PilotVoiceHook(Ship&, int) {}

} // namespace lumivane
