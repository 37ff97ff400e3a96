// Sound files made by the sound tests: a data folder of its own with
// "sounds\", WAVE files of known tones written chunk by chunk (with a choice
// of format record), and MP3 files encoded from them with lame.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/binary_io.h"
#include "platform/riff.h"

namespace lumivane::test {

struct ToneFormat {
    int channels = 1;
    int rate = 22050;
    int bits = 16;
    int frames = 2205;
    uint16_t formatTag = 1;
    uint32_t formatBytes = 16; // the "fmt " chunk's size (18 or more adds a tail)
};

inline bool HaveLame() {
    return std::system("command -v lame >/dev/null 2>&1") == 0;
}

class SoundFolder {
public:
    SoundFolder() {
        static int serial = 0;
        root = std::filesystem::temp_directory_path() /
               ("lvsound_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
        std::filesystem::create_directories(root / "sounds");
    }
    ~SoundFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    SoundFolder(const SoundFolder&) = delete;
    SoundFolder& operator=(const SoundFolder&) = delete;

    std::filesystem::path Sound(const std::string& file) const { return root / "sounds" / file; }

    // A WAVE file holding a tone of the given format; each channel has its own pitch.
    void WriteWave(const std::string& file, const ToneFormat& tone) const {
        platform::RiffWriter writer;
        ASSERT_TRUE(writer.Create(Sound(file), platform::FourCC('W', 'A', 'V', 'E')));
        platform::BufferWriter fmt;
        const uint16_t block = uint16_t(tone.channels * tone.bits / 8);
        fmt.WriteU16(tone.formatTag);
        fmt.WriteU16(uint16_t(tone.channels));
        fmt.WriteU32(uint32_t(tone.rate));
        fmt.WriteU32(uint32_t(tone.rate) * block);
        fmt.WriteU16(block);
        fmt.WriteU16(uint16_t(tone.bits));
        if (tone.formatBytes >= 18) fmt.WriteU16(uint16_t(tone.formatBytes - 18));
        while (fmt.Data().size() < tone.formatBytes)
            fmt.WriteU8(0xAB);
        ASSERT_TRUE(writer.BeginChunk(platform::FourCC('f', 'm', 't', ' ')));
        ASSERT_TRUE(writer.Write(fmt.Data().data(), fmt.Data().size()));
        ASSERT_TRUE(writer.BeginChunk(platform::FourCC('d', 'a', 't', 'a')));
        for (int i = 0; i < tone.frames; ++i)
            for (int c = 0; c < tone.channels; ++c) {
                const double value = std::sin(i * 0.05 * (c + 1));
                if (tone.bits == 8) {
                    const uint8_t s = uint8_t(128 + 100 * value);
                    ASSERT_TRUE(writer.Write(&s, 1));
                } else {
                    const int16_t s = int16_t(10000 * value);
                    ASSERT_TRUE(writer.Write(&s, 2));
                }
            }
        ASSERT_TRUE(writer.Close());
    }

    // Encodes a 16-bit tone as "file" (an .mp3) at the tone's own rate.
    void WriteMp3(const std::string& file, ToneFormat tone) const {
        const std::string wave = file + ".source.wav";
        WriteWave(wave, tone);
        const std::string rate = tone.rate == 44100   ? "44.1"
                                 : tone.rate == 22050 ? "22.05"
                                                      : "11.025";
        const std::string command = "lame --quiet -b 96 --resample " + rate + " '" +
                                    Sound(wave).string() + "' '" + Sound(file).string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::filesystem::remove(Sound(wave));
    }

    void WriteBytes(const std::string& file, const std::vector<uint8_t>& bytes) const {
        ASSERT_TRUE(platform::WriteWholeFile(Sound(file), bytes));
    }

    std::filesystem::path root;
};

} // namespace lumivane::test
