// JTSound: one sound. PCM files play from one buffer; compressed files stay
// compressed in memory and are decoded two seconds at a time into a pair of
// queued blocks, refilled by Update (on the music thread for the music).
#include "Jentra/JTAudio.h"
#include "Jentra/JTDataFolder.h"

#include "Jentra/core/sound/wave_file.h"
#include "platform/sound_device.h"

#include <algorithm>
#include <cstdio>

struct JTSound::Codec {
    platform::AdpcmFormat format;
};

JTSound::JTSound() = default;

JTSound::~JTSound() = default;

unsigned JTSound::GetSourcePosition() const {
    if (!streamed) return 0;
    return exhausted ? sourceSize : static_cast<unsigned>(readPos);
}

void JTSound::Play(bool loop) {
    if (!voice) return;
    playState = 1;
    loopCount = 0;
    looping = loop;
    if (!streamed) {
        voice->Play(loop);
        return;
    }
    readPos = 0;
    exhausted = false;
    sourceRemaining = sourceSize;
    ended = false;
    voice->BeginStream({outputFormat.nChannels, static_cast<int>(outputFormat.nSamplesPerSec), 16});
    playState = 2;
    Update();
    voice->Play(false);
}

void JTSound::Stop() {
    if (voice) voice->Stop();
    playState = 0;
}

void JTSound::Rewind() {
    if (voice && !streamed) voice->Rewind();
}

void JTSound::StopLooping() {
    looping = false;
    if (voice && !streamed) voice->SetLooping(false);
}

void JTSound::SetVolume(int hundredthsDb) {
    if (voice) voice->SetVolume(hundredthsDb);
}

// Decodes the next step of source data into one block; at the end of the
// data a looping sound starts over, any other runs out: one block of
// silence follows its last data, then it stops.
bool JTSound::WriteHalf() {
    if (ended) return false;
    if (exhausted) {
        std::fill(decompBuffer.begin(), decompBuffer.end(), int16_t(0));
        decompBuffer.resize(std::max<size_t>(decompBuffer.size(), halfSize / 2));
        if (halfSize > 0) voice->QueueBlock(decompBuffer.data(), halfSize);
        ended = true;
        return halfSize > 0;
    }
    const unsigned used = std::min(sourceStep, sourceRemaining);
    const int channels = outputFormat.nChannels;
    const size_t room = platform::AdpcmFrameCount(codec->format, used);
    decompBuffer.resize(std::max<size_t>(decompBuffer.size(), room * channels));
    const size_t frames = platform::AdpcmDecode(codec->format, sourceData.data() + readPos, used,
                                                decompBuffer.data(), room);
    if (frames > 0) voice->QueueBlock(decompBuffer.data(), frames * channels * 2);
    readPos += used;
    if (used < sourceRemaining) {
        sourceRemaining -= used;
    } else if (looping) {
        ++loopCount;
        readPos = 0;
        sourceRemaining = sourceSize;
    } else {
        exhausted = true;
    }
    return frames > 0 || !exhausted;
}

void JTSound::Update() {
    if (!voice || playState == 0) return;
    if (!streamed) {
        // A whole sound that has run out is stopped.
        if (!voice->IsPlaying()) playState = 0;
        return;
    }
    voice->UnqueueProcessed();
    const bool starting = playState == 2;
    playState = 1;
    // Bounded, so that data too short to give a sample cannot spin here.
    for (int fills = 0; fills < 4 && !ended && voice->QueuedBlocks() < 2; ++fills)
        if (!WriteHalf()) break;
    if (voice->QueuedBlocks() == 0) {
        // Everything queued has been heard: the stream is over.
        voice->Stop();
        playState = 0;
    } else if (!starting && !voice->IsPlaying()) {
        // Refilled late after the blocks ran dry: carry on.
        voice->Play(false);
    }
}

JTSound* JTAudio::LoadStreamed(const char* name) {
    auto* sound = new JTSound();
    if (!JTGetSoundOptions().sound.load() || !name) return sound;
    const std::string path = JTResolveDataPath(name);
    jentra_sound::WaveFile wave;
    std::string error;
    if (!jentra_sound::ReadWave(path, wave, error)) {
        std::fprintf(stderr, "Jentra: sound \"%s\" skipped: %s\n", name, error.c_str());
        return sound;
    }
    sound->sourceFormat = wave.format;
    sound->outputFormat = jentra_sound::PcmFormatOf(wave);
    if (!wave.compressed) {
        sound->voice = AllocateSound(sound->outputFormat, wave.data, wave.dataSize);
        sound->length = static_cast<unsigned>(uint64_t{wave.dataSize} * 1000 /
                                              sound->outputFormat.nAvgBytesPerSec);
        return sound;
    }
    auto voice = std::make_unique<platform::SoundVoice>(*device);
    const JTWaveFormat& out = sound->outputFormat;
    if (!voice->IsValid() ||
        !voice->BeginStream({out.nChannels, static_cast<int>(out.nSamplesPerSec), 16})) {
        std::fprintf(stderr, "Jentra: sound \"%s\" skipped: the sound device refused it\n", name);
        return sound;
    }
    voice->SetPositional(false);
    sound->voice = std::move(voice);
    sound->streamed = true;
    sound->codec = std::make_unique<JTSound::Codec>();
    sound->codec->format = wave.codec;
    sound->sourceData.assign(wave.data, wave.data + wave.dataSize);
    sound->sourceSize = static_cast<unsigned>(wave.dataSize);
    // Two seconds of source per block, in whole source blocks, never less
    // than one block and never more than the data.
    const uint64_t block = wave.format.nBlockAlign;
    uint64_t step = uint64_t{wave.format.nAvgBytesPerSec} * 2 / block * block;
    step = std::clamp<uint64_t>(step, block, wave.dataSize);
    sound->sourceStep = static_cast<unsigned>(step);
    sound->halfSize =
        static_cast<unsigned>(platform::AdpcmFrameCount(wave.codec, step) * out.nBlockAlign);
    sound->decompBuffer.resize(sound->halfSize / 2);
    sound->length =
        static_cast<unsigned>(uint64_t{wave.dataSize} * 1000 / wave.format.nAvgBytesPerSec);
    bytesAllocated += 2 * sound->halfSize;
    return sound;
}
