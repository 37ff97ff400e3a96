// Microsoft and IMA ADPCM block decoders.
#include "platform/adpcm.h"

#include "platform/binary_io.h"

#include <algorithm>
#include <climits>

namespace platform {

namespace {

const int kImaIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

const int kImaStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int kMsAdaptTable[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                               768, 614, 512, 409, 307, 230, 230, 230};

constexpr int kMaxMsDelta = INT_MAX / 768; // 768: the largest adaptation factor

const int16_t kMsDefaultCoefficients[14] = {256, 0,   512, -256, 0,    0,   192,
                                            64,  240, 0,   460,  -208, 392, -232};

int16_t Clamp16(int value) {
    return static_cast<int16_t>(std::clamp(value, -32768, 32767));
}

struct ImaChannel {
    int predictor = 0;
    int index = 0;

    int16_t Step(int nibble) {
        const int step = kImaStepTable[index];
        int diff = step >> 3;
        if (nibble & 1) diff += step >> 2;
        if (nibble & 2) diff += step >> 1;
        if (nibble & 4) diff += step;
        predictor = nibble & 8 ? predictor - diff : predictor + diff;
        predictor = Clamp16(predictor);
        index = std::clamp(index + kImaIndexTable[nibble], 0, 88);
        return static_cast<int16_t>(predictor);
    }
};

// One IMA block: a 4-byte header per channel, then groups of 4 bytes (8
// samples) per channel in turn, low nibble first.
size_t DecodeImaBlock(const AdpcmFormat& format, const uint8_t* block, size_t bytes, int16_t* out,
                      size_t roomFrames) {
    const int channels = format.channels;
    const size_t header = 4 * static_cast<size_t>(channels);
    if (bytes < header || roomFrames == 0) return 0;
    ImaChannel state[2];
    MemoryReader in(block, header);
    for (int c = 0; c < channels; ++c) {
        int16_t predictor = 0;
        uint8_t index = 0;
        in.ReadI16(predictor);
        in.ReadU8(index);
        in.Skip(1); // reserved
        state[c].predictor = predictor;
        state[c].index = std::min<int>(index, 88);
        out[c] = predictor;
    }
    const size_t groups = (bytes - header) / (4 * static_cast<size_t>(channels));
    size_t frames = std::min<size_t>({1 + groups * 8, format.samplesPerBlock, roomFrames});
    const uint8_t* data = block + header;
    for (size_t g = 0; g < groups; ++g) {
        for (int c = 0; c < channels; ++c) {
            const uint8_t* bytes4 = data + (g * channels + c) * 4;
            for (int i = 0; i < 8; ++i) {
                const size_t frame = 1 + g * 8 + i;
                const int nibble = (bytes4[i / 2] >> ((i & 1) * 4)) & 0x0F;
                const int16_t sample = state[c].Step(nibble);
                if (frame < frames) out[frame * channels + c] = sample;
            }
        }
    }
    return frames;
}

struct MsChannel {
    int coefficient1 = 0;
    int coefficient2 = 0;
    int delta = 0;
    int sample1 = 0;
    int sample2 = 0;

    int16_t Step(int nibble) {
        const int predicted = (sample1 * coefficient1 + sample2 * coefficient2) / 256;
        const int signedNibble = nibble & 8 ? nibble - 16 : nibble;
        const int16_t sample = Clamp16(predicted + signedNibble * delta);
        sample2 = sample1;
        sample1 = sample;
        // A long run of large nibbles grows the step by up to 3x per sample;
        // it is held where the next adaptation still fits an int.
        delta = std::clamp((kMsAdaptTable[nibble] * delta) / 256, 16, kMaxMsDelta);
        return sample;
    }
};

// One Microsoft ADPCM block: predictor numbers, deltas, then the two start
// samples per channel (the older one is played first), then nibbles, high
// nibble first, channels interleaved.
size_t DecodeMsBlock(const AdpcmFormat& format, const uint8_t* block, size_t bytes, int16_t* out,
                     size_t roomFrames) {
    const int channels = format.channels;
    const size_t header = 7 * static_cast<size_t>(channels);
    if (bytes < header || roomFrames == 0) return 0;
    MsChannel state[2];
    const size_t pairs = format.coefficients.size() / 2;
    if (pairs == 0) return 0;
    // The header holds each field for every channel in turn: predictor
    // numbers, then deltas, then the newer and the older start samples.
    MemoryReader in(block, header);
    for (int c = 0; c < channels; ++c) {
        uint8_t predictor = 0;
        in.ReadU8(predictor);
        const size_t pair = std::min<size_t>(predictor, pairs - 1);
        state[c].coefficient1 = format.coefficients[pair * 2];
        state[c].coefficient2 = format.coefficients[pair * 2 + 1];
    }
    for (int MsChannel::*field : {&MsChannel::delta, &MsChannel::sample1, &MsChannel::sample2}) {
        for (int c = 0; c < channels; ++c) {
            int16_t value = 0;
            in.ReadI16(value);
            state[c].*field = value;
        }
    }
    size_t frames = std::min<size_t>({format.samplesPerBlock, roomFrames,
                                      2 + (bytes - header) * 2 / static_cast<size_t>(channels)});
    for (int c = 0; c < channels; ++c) {
        out[c] = static_cast<int16_t>(state[c].sample2);
        if (frames > 1) out[channels + c] = static_cast<int16_t>(state[c].sample1);
    }
    const uint8_t* data = block + header;
    const size_t nibbles = (frames > 2 ? frames - 2 : 0) * channels;
    for (size_t n = 0; n < nibbles; ++n) {
        const int nibble = n & 1 ? data[n / 2] & 0x0F : data[n / 2] >> 4;
        const int c = static_cast<int>(n % channels);
        out[2 * channels + n] = state[c].Step(nibble);
    }
    return frames;
}

} // namespace

bool ParseAdpcmFormat(uint16_t tag, int channels, size_t blockAlign, const uint8_t* extra,
                      size_t extraSize, AdpcmFormat& format, std::string& error) {
    format = AdpcmFormat();
    if (channels != 1 && channels != 2) {
        error = "ADPCM with other than one or two channels";
        return false;
    }
    format.tag = tag;
    format.channels = channels;
    format.blockAlign = blockAlign;
    const size_t perChannel = blockAlign / static_cast<size_t>(channels);
    if (tag == kWaveFormatImaAdpcm) {
        if (blockAlign % (4 * static_cast<size_t>(channels)) != 0 || perChannel <= 4) {
            error = "IMA ADPCM block size does not hold whole sample groups";
            return false;
        }
        format.samplesPerBlock = (blockAlign - 4 * channels) * 2 / channels + 1;
        MemoryReader in(extra, extraSize);
        uint16_t samplesPerBlock = 0;
        if (in.ReadU16(samplesPerBlock) && samplesPerBlock != 0)
            format.samplesPerBlock = std::min<size_t>(format.samplesPerBlock, samplesPerBlock);
        return true;
    }
    if (tag == kWaveFormatMsAdpcm) {
        if (perChannel <= 7) {
            error = "Microsoft ADPCM block size too small";
            return false;
        }
        format.samplesPerBlock = (blockAlign - 7 * channels) * 2 / channels + 2;
        MemoryReader in(extra, extraSize);
        uint16_t samplesPerBlock = 0, coefficientCount = 0;
        if (extraSize >= 4 && in.ReadU16(samplesPerBlock) && in.ReadU16(coefficientCount)) {
            if (samplesPerBlock != 0)
                format.samplesPerBlock = std::min<size_t>(format.samplesPerBlock, samplesPerBlock);
            if (coefficientCount > in.Remaining() / 4) {
                error = "Microsoft ADPCM coefficient table runs past the format";
                return false;
            }
        }
        if (coefficientCount == 0) {
            format.coefficients.assign(kMsDefaultCoefficients, kMsDefaultCoefficients + 14);
        } else {
            format.coefficients.resize(coefficientCount * 2u);
            for (int16_t& coefficient : format.coefficients)
                in.ReadI16(coefficient);
        }
        return true;
    }
    error = "compressed sound format not supported";
    return false;
}

size_t AdpcmFrameCount(const AdpcmFormat& format, size_t sourceBytes) {
    if (format.blockAlign == 0 || format.channels <= 0) return 0;
    const size_t whole = sourceBytes / format.blockAlign;
    size_t frames = whole * format.samplesPerBlock;
    const size_t rest = sourceBytes % format.blockAlign;
    const size_t channels = static_cast<size_t>(format.channels);
    if (format.tag == kWaveFormatImaAdpcm && rest >= 4 * channels)
        frames += std::min(format.samplesPerBlock, 1 + (rest - 4 * channels) / (4 * channels) * 8);
    if (format.tag == kWaveFormatMsAdpcm && rest >= 7 * channels)
        frames += std::min(format.samplesPerBlock, 2 + (rest - 7 * channels) * 2 / channels);
    return frames;
}

size_t AdpcmDecode(const AdpcmFormat& format, const uint8_t* source, size_t sourceBytes,
                   int16_t* target, size_t roomFrames) {
    if (format.blockAlign == 0 || format.channels <= 0) return 0;
    size_t written = 0;
    for (size_t at = 0; at < sourceBytes && written < roomFrames; at += format.blockAlign) {
        const size_t bytes = std::min(format.blockAlign, sourceBytes - at);
        int16_t* out = target + written * static_cast<size_t>(format.channels);
        const size_t room = roomFrames - written;
        written += format.tag == kWaveFormatImaAdpcm
                       ? DecodeImaBlock(format, source + at, bytes, out, room)
                       : DecodeMsBlock(format, source + at, bytes, out, room);
    }
    return written;
}

} // namespace platform
