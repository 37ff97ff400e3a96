// Writes the sounds Lumivane's data asks for into "LumivaneData/sounds":
// every file of script.dat's [Sounds]<mapping>, every sound slot file of the
// prototypes' property files and every sound the scenes' triggers play.
// Each is synthesised and written as WAVE; a name with an extension is then
// encoded with lame as the ".mp3" of that name (which is what the program
// reads for it), a name without one stays WAVE. "elaphant.wav" is a stereo
// 44.1 kHz theme, which the program halves to 22.05 kHz.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <strings.h>
#include <unistd.h>

#include "desktop/scene/object/script_config.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"
#include "platform/riff.h"
#include "tools/databuilder/shared/sound_synth.h"

namespace {

using namespace lumivane;
using databuilder::SoundRecipe;
using databuilder::SoundShape;

constexpr int kRate = 22050;
constexpr int kThemeRate = 44100;

struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};
using NameSet = std::set<std::string, NameLess>;

// Collects the sound files the property files name.
class SoundRecorder : public SoundCues {
public:
    explicit SoundRecorder(NameSet& names) : names(names) {}
    int32_t RegisterSound(std::string_view file, int32_t, std::string_view) override {
        names.emplace(file);
        return -1;
    }
    void QueueAnnouncement(int32_t) override {}

private:
    NameSet& names;
};

void MappedSounds(const std::filesystem::path& root, NameSet& names) {
    ScriptConfig config;
    if (!config.Load(root)) return;
    if (const ScriptBlock* mapping = config.FindBlock("Sounds", "mapping"))
        for (const ScriptEntry& entry : mapping->entries)
            if (entry.text && !entry.text->empty()) names.insert(*entry.text);
}

void TriggerSounds(const Trigger& trigger, NameSet& names) {
    for (const auto& action : trigger.actions) {
        if (!action->sound.empty()) names.insert(action->sound);
        if (action->type == action::kSceneSound && !action->text.empty())
            names.insert(action->text);
    }
    for (const auto& child : trigger.children)
        TriggerSounds(*child, names);
}

// Loads the library (recording its sound files) and every scene below the
// root; false when something that is there cannot be read.
bool DataSounds(const std::filesystem::path& root, NameSet& names) {
    SoundRecorder recorder(names);
    SetSoundCues(&recorder);
    World world;
    world.Init();
    SetWorld(&world);
    ModelLibrary library;
    SetModelLibrary(&library);
    bool ok = library.LoadAll(root) != 0;
    SetSoundCues(nullptr);
    PlayerSet players;
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(root / "scenes", error)) {
        if (!platform::EqualsIgnoreCase(file.path().extension().string(), ".mis")) continue;
        Scene scene;
        SetScene(&scene);
        const bool loaded = scene.Load("scenes\\" + file.path().filename().string()) == 1;
        if (loaded)
            for (const auto& trigger : scene.triggers)
                TriggerSounds(*trigger, names);
        else
            std::fprintf(stderr, "lumivane_sounds: %s cannot be read\n", file.path().c_str());
        ok = ok && loaded;
        SetScene(nullptr);
    }
    world.Clear();
    SetWorld(nullptr);
    SetModelLibrary(nullptr);
    return ok;
}

SoundRecipe RecipeFor(const std::string& name) {
    uint32_t hash = 2166136261u;
    for (char c : name)
        hash = (hash ^ uint8_t(c | 0x20)) * 16777619u;
    static const SoundShape shapes[] = {SoundShape::Beep, SoundShape::Chirp, SoundShape::Fanfare,
                                        SoundShape::Thud};
    const bool hum = name.find("hum") != std::string::npos;
    return {name, hum ? SoundShape::Hum : shapes[hash % 4], hum ? 2.0f : 0.6f,
            220.0f + float(hash % 24) * 40.0f};
}

bool WriteWave(const std::filesystem::path& path, const std::vector<int16_t>& samples, int channels,
               int rate) {
    platform::RiffWriter writer;
    platform::BufferWriter fmt;
    fmt.WriteU16(1); // PCM
    fmt.WriteU16(uint16_t(channels));
    fmt.WriteU32(uint32_t(rate));
    fmt.WriteU32(uint32_t(rate * channels * 2));
    fmt.WriteU16(uint16_t(channels * 2));
    fmt.WriteU16(16);
    return writer.Create(path, platform::FourCC('W', 'A', 'V', 'E')) &&
           writer.BeginChunk(platform::FourCC('f', 'm', 't', ' ')) &&
           writer.Write(fmt.Data().data(), fmt.Data().size()) &&
           writer.BeginChunk(platform::FourCC('d', 'a', 't', 'a')) &&
           writer.Write(samples.data(), samples.size() * 2) && writer.Close();
}

// The file the program reads for a sound name.
std::string FileFor(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot) + ".mp3";
}

bool WriteSound(const std::filesystem::path& folder, const std::string& name) {
    const std::string file = FileFor(name);
    if (std::filesystem::exists(folder / file)) return true; // rebuilding stays quick
    const bool theme = platform::EqualsIgnoreCase(name, "elaphant.wav");
    const int channels = theme ? 2 : 1;
    const int rate = theme ? kThemeRate : kRate;
    SoundRecipe recipe = RecipeFor(name);
    if (theme) recipe = {name, SoundShape::Hum, 3.0f, 110.0f};
    const auto samples = databuilder::SynthesiseSound(recipe, rate, channels);
    if (file == name) return WriteWave(folder / file, samples, channels, rate);
    const auto wave = std::filesystem::temp_directory_path() /
                      ("databuilder_lvsound_" + std::to_string(getpid()) + ".wav");
    const bool ok =
        WriteWave(wave, samples, channels, rate) &&
        databuilder::EncodeMp3(wave, folder / file,
                               theme ? "-b 96 --resample 44.1" : "-b 64 --resample 22.05");
    std::error_code ignored;
    std::filesystem::remove(wave, ignored);
    return ok;
}

} // namespace

DATABUILDER_STEP_AFTER_SCENES(LumivaneSounds, "lumivane_sounds") {
    if (!databuilder::HaveLame()) {
        std::fprintf(stderr, "lumivane_sounds: the MP3 encoder lame is not installed\n");
        return false;
    }
    const std::filesystem::path root = context.runtime / "LumivaneData";
    const std::filesystem::path folder = root / "sounds";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    NameSet names;
    MappedSounds(root, names);
    bool ok = !error && DataSounds(root, names);
    for (const std::string& name : names)
        if (ok && !WriteSound(folder, name)) {
            std::fprintf(stderr, "lumivane_sounds: cannot write the sound %s\n", name.c_str());
            ok = false;
        }
    return ok;
}
