// Pilots: the roster wraps after its three names and starts over with a
// scene; voice files are counted up to the first gap of each category and
// registered with the sound manager.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/units/pilot/pilot.h"

namespace lumivane {
namespace {

struct Registration {
    std::string file;
    std::string group;
};

class RecordingCues : public SoundCues {
public:
    int32_t RegisterSound(std::string_view file, int32_t, std::string_view requester) override {
        registered.push_back({std::string(file), std::string(requester)});
        return int32_t(registered.size());
    }
    void QueueAnnouncement(int32_t) override {}
    std::vector<Registration> registered;
};

class LvPilot : public ::testing::Test {
protected:
    LvPilot() {
        root = std::filesystem::temp_directory_path() / ("lvpilot-" + std::to_string(getpid()));
        std::filesystem::create_directories(root / "Sounds");
        GetModelLoadState().dataRoot = root;
        SetSoundCues(&cues);
        MainRandom().Seed(0);
        Pilot::ResetRoster();
    }
    ~LvPilot() override {
        SetSoundCues(nullptr);
        GetModelLoadState().dataRoot.clear();
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    void Voice(const std::string& name) { std::ofstream(root / "Sounds" / name) << "RIFF"; }

    std::filesystem::path root;
    RecordingCues cues;
};

TEST_F(LvPilot, TheRosterWrapsAfterThreeNamesAndStartsOverWithAScene) {
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i) {
        Pilot* pilot = new Pilot;
        pilot->AddRef();
        names.emplace_back(pilot->Name());
        EXPECT_EQ(pilot->FaceShot(), i % 3);
        EXPECT_GE(pilot->Rank(), 0);
        EXPECT_LE(pilot->Rank(), 2);
        pilot->Release();
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Bulldog", "Tombstone", "Octane", "Bulldog"}));
    Pilot::ResetRoster();
    Pilot again;
    EXPECT_EQ(again.Name(), "Bulldog");
    EXPECT_EQ(again.GetPropsSize(), kPilotPropsSize);
}

TEST_F(LvPilot, VoiceFilesAreCountedUpToTheFirstGapAndRegistered) {
    for (const char* name : {"p0-3-0.wav", "p0-3-1.wav", "p0-3-3.wav", "p0-7-0.wav", "p1-3-0.wav"})
        Voice(name);
    Pilot bulldog; // face shot 0
    EXPECT_EQ(bulldog.VoiceCount(3), 2) << "k = 0, 1 and 3: counting stops at the gap";
    EXPECT_EQ(bulldog.VoiceCount(7), 1);
    EXPECT_EQ(bulldog.VoiceCount(0), 0);
    ASSERT_EQ(cues.registered.size(), 3u);
    EXPECT_EQ(cues.registered[0].file, "p0-3-0.wav");
    EXPECT_EQ(cues.registered[0].group, "pilot");
    EXPECT_EQ(cues.registered[2].file, "p0-7-0.wav");
    Pilot tombstone; // face shot 1
    EXPECT_EQ(tombstone.VoiceCount(3), 1);
}

} // namespace
} // namespace lumivane
