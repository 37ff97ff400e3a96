// Sounds the engine and the game play: short synthesised tones and noises,
// written as WAVE by the engine's own writer and encoded to MP3 with lame
// (every sound named "x.wav" is read from "sounds\x.mp3", and on low-memory
// machines from "soundslow\x.mp3").
#include "tools/databuilder/shared/data_step.h"

#include "Jentra/JTWaveWriter.h"
#include "tools/databuilder/shared/sound_synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

using databuilder::SoundRecipe;
using databuilder::SoundShape;

const SoundRecipe kSounds[] = {
    {"JTBeep_Alert", SoundShape::Beep, 0.12f, 880.0f},
    {"JTBeep_Default", SoundShape::Beep, 0.12f, 660.0f},
    {"JTBeep_Invalid", SoundShape::Beep, 0.25f, 220.0f},
    {"HoloStatic0", SoundShape::Noise, 0.75f, 0.0f},
    {"HoloStatic1", SoundShape::Noise, 0.75f, 1.0f},
    {"HoloStatic2", SoundShape::Noise, 0.75f, 2.0f},
    {"HoloStatic3", SoundShape::Noise, 0.75f, 3.0f},
    {"HoloStatic4", SoundShape::Noise, 0.75f, 4.0f},
    {"HoloStatic5", SoundShape::Noise, 0.75f, 5.0f},
    {"HoloStatic6", SoundShape::Noise, 0.75f, 6.0f},
    {"HoloStatic7", SoundShape::Noise, 0.75f, 7.0f},
    {"HoloStatic8", SoundShape::Noise, 0.75f, 8.0f},
    {"HoloStatic9", SoundShape::Noise, 0.75f, 9.0f},
    {"LV-BKG1", SoundShape::Hum, 3.0f, 110.0f},
    {"ParkSfx", SoundShape::Hum, 3.0f, 196.0f},
    {"FireIceSfx", SoundShape::Hum, 3.0f, 82.0f},
    {"HoloSfx", SoundShape::Hum, 3.0f, 147.0f},
    {"ParkMove", SoundShape::Thud, 0.3f, 140.0f},
    {"FireMove", SoundShape::Thud, 0.3f, 90.0f},
    {"IceMove", SoundShape::Chirp, 0.3f, 1200.0f},
    {"HoloMove", SoundShape::Chirp, 0.3f, 600.0f},
    {"ParkTaken", SoundShape::Noise, 0.4f, 20.0f},
    {"FireTaken", SoundShape::Noise, 0.5f, 21.0f},
    {"IceTaken", SoundShape::Chirp, 0.5f, 2400.0f},
    {"HoloTaken", SoundShape::Chirp, 0.5f, 300.0f},
    {"Unlock", SoundShape::Fanfare, 1.2f, 523.0f},
    {"GameOver", SoundShape::Fanfare, 1.2f, 262.0f},
    {"MenuOpen", SoundShape::Chirp, 0.2f, 700.0f},
};

constexpr int kRate = 22050;

bool WriteWave(const std::string& path, const std::vector<int16_t>& samples) {
    JTWaveWriter writer;
    if (writer.Open(path.c_str(), false, kRate, 16) != 0) return false;
    const bool written = writer.Write(static_cast<unsigned>(samples.size() * 2),
                                      reinterpret_cast<const unsigned char*>(samples.data())) == 0;
    return writer.Close() == 0 && written;
}

} // namespace

DATABUILDER_STEP(WriteSounds, "sounds") {
    if (!databuilder::HaveLame()) {
        std::fprintf(stderr, "sounds: the MP3 encoder lame is not installed\n");
        return false;
    }
    const auto sounds = context.runtime / "sounds";
    const auto slow = context.runtime / "soundslow";
    std::error_code error;
    std::filesystem::create_directories(sounds, error);
    std::filesystem::create_directories(slow, error);
    if (error) {
        std::fprintf(stderr, "sounds: cannot create the sound folders: %s\n",
                     error.message().c_str());
        return false;
    }
    const std::string wave = (std::filesystem::temp_directory_path() /
                              ("databuilder_sound_" + std::to_string(getpid()) + ".wav"))
                                 .string();
    bool ok = true;
    for (const SoundRecipe& recipe : kSounds) {
        const std::string file = recipe.name + ".mp3";
        // Written only when missing, so rebuilding the data stays quick.
        if (std::filesystem::exists(sounds / file) && std::filesystem::exists(slow / file))
            continue;
        if (!WriteWave(wave, databuilder::SynthesiseSound(recipe, kRate)) ||
            !databuilder::EncodeMp3(wave, sounds / file, "-b 64 --resample 22.05") ||
            !databuilder::EncodeMp3(wave, slow / file, "-b 32 --resample 11.025")) {
            std::fprintf(stderr, "sounds: cannot write %s\n", file.c_str());
            ok = false;
            break;
        }
    }
    std::filesystem::remove(wave, error);
    return ok;
}
