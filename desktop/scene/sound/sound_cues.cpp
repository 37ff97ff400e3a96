// The table of logical sound names and the scene engine's link to the
// sound manager.
#include "desktop/scene/sound/sound_cues.h"

#include <algorithm>
#include <iterator>

#include "desktop/scene/sound/sound_manager.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

struct OtherCues {
    OtherCues() { std::fill(std::begin(ui), std::end(ui), -1); }
    int32_t ui[kInterfaceCueCount];
    int32_t scene = -1;
};

OtherCues& Cues() {
    static OtherCues cues;
    return cues;
}

// The scene engine's sound seams, played through the manager.
class SoundManagerLink : public SoundCues, public SceneSounds {
public:
    SoundManager* manager = nullptr;

    int32_t RegisterSound(std::string_view file, int32_t flags,
                          std::string_view requester) override {
        return manager->RegisterSound(file, flags, requester);
    }
    void QueueAnnouncement(int32_t index) override { manager->QueueAnnouncement(index); }
    void ClearAnnouncements() override { manager->ClearAnnouncements(); }

    void PlaySceneSound(std::string_view name) override { manager->PlaySceneSound(name); }
    void PlaySceneSoundExclusive(std::string_view name) override {
        manager->PlaySceneSoundExclusive(name);
    }
    void ToggleSound(int mode, bool fade) override { manager->ToggleSound(mode, fade); }
    void PlaySceneCue(float share) override {
        manager->PlaySound(Cues().scene, share * GetSoundLevels().sound);
    }
    void PlayInterfaceCue(InterfaceCue cue, float share) override {
        manager->PlaySound(InterfaceCueSound(cue), share * GetSoundLevels().sound);
    }
};

SoundManagerLink& Link() {
    static SoundManagerLink link;
    return link;
}

} // namespace

std::vector<CueBinding> SoundCueTable() {
    AnnouncementSounds& a = GetAnnouncementSounds();
    OtherCues& o = Cues();
    auto ui = [&](InterfaceCue cue) { return &o.ui[int(cue)]; };
    std::vector<CueBinding> table = {
        {"structureattacked", &a.structureAttacked},
        {"enemysighted", &a.enemySighted},
        {"allysighted", &a.allySighted},
        {"lowresources", &a.lowResources},
        {"hubdestroyed", &a.hubDestroyed},
        {"wormhole", &a.wormhole},
        {"hubbuilt", &a.hubBuilt},
        {"drydockbuilt", &a.drydockBuilt},
        {"hangarbuilt", &a.hangarBuilt},
        {"scenecue", &o.scene},
        {"squadselected", ui(InterfaceCue::SquadSelected)},
        {"squadempty", ui(InterfaceCue::SquadEmpty)},
        {"squadordered", ui(InterfaceCue::SquadOrdered)},
        {"unitselected", ui(InterfaceCue::UnitSelected)},
        {"unitsselected", ui(InterfaceCue::UnitsSelected)},
        {"orderrefused", ui(InterfaceCue::OrderRefused)},
        {"moveacknowledged", ui(InterfaceCue::MoveAcknowledged)},
        {"followacknowledged", ui(InterfaceCue::FollowAcknowledged)},
        {"attackacknowledged", ui(InterfaceCue::AttackAcknowledged)},
        {"viewtoggle", ui(InterfaceCue::ViewToggle)},
        {"cameramove", ui(InterfaceCue::CameraMove)},
    };
    for (int squad = 0; squad < kAnnouncedSquads; ++squad)
        table.push_back({"squad" + std::to_string(squad + 1) + "arrived", &a.squadArrived[squad]});
    return table;
}

int RegisterSoundCues(SoundManager& manager) {
    int found = 0;
    for (const CueBinding& cue : SoundCueTable()) {
        *cue.index = manager.RegisterMappedSound(cue.key, 0, "Sounds");
        if (*cue.index >= 0) ++found;
    }
    return found;
}

int32_t InterfaceCueSound(InterfaceCue cue) {
    const int i = int(cue);
    return i >= 0 && i < kInterfaceCueCount ? Cues().ui[i] : -1;
}

int32_t SceneCueSound() {
    return Cues().scene;
}

void ClearSoundCues() {
    for (const CueBinding& cue : SoundCueTable())
        *cue.index = -1;
}

void InstallSoundManager(SoundManager* manager) {
    SetSoundManager(manager);
    ClearSoundCues();
    if (!manager) {
        SetSoundCues(nullptr);
        SetSceneSounds(nullptr);
        Link().manager = nullptr;
        return;
    }
    Link().manager = manager;
    RegisterSoundCues(*manager);
    SetSoundCues(&Link());
    SetSceneSounds(&Link());
}

} // namespace lumivane
