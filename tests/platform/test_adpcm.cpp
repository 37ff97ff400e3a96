// ADPCM blocks written by hand decode to the samples worked out on paper.
#include "platform/adpcm.h"

#include <gtest/gtest.h>

TEST(Adpcm, ImaMonoBlockDecodesKnownSamples) {
    // Header: predictor 100, step index 0; then 4 bytes = 8 nibbles.
    // Nibble 4 at step 7: diff = 0 + 0 + 0 + 7 (step) + 0 (step>>3) = 7+0 -> 107,
    // index 0 + 2 = 2 (step 9).
    const uint8_t block[8] = {100, 0, 0, 0, 0x04, 0x00, 0x00, 0x08};
    platform::AdpcmFormat format;
    std::string error;
    ASSERT_TRUE(
        platform::ParseAdpcmFormat(platform::kWaveFormatImaAdpcm, 1, 8, nullptr, 0, format, error))
        << error;
    EXPECT_EQ(format.samplesPerBlock, 9u);
    int16_t out[9] = {};
    ASSERT_EQ(platform::AdpcmDecode(format, block, 8, out, 9), 9u);
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(out[1], 107); // nibble 4: +7 (step 7 >> 3 = 0, + step)
    EXPECT_EQ(out[2], 108); // nibble 0 at step 9 (index 2): +9>>3 = 1; index 1
    EXPECT_EQ(out[3], 109); // step 8 (index 1): +1; index 0
    // Nibbles 0 until the last byte's high nibble 8 (sign only): -(7>>3) = 0.
    EXPECT_EQ(out[8], out[7]);
}

TEST(Adpcm, MsStereoBlockDecodesKnownSamples) {
    // Predictor 0 (coefficients 256, 0): each sample = previous + nibble x delta.
    // Left: delta 16, sample1 1000, sample2 900. Right: delta 32, sample1 -50, sample2 -40.
    const uint8_t block[16] = {0,    0,                // predictors
                               16,   0,    32,   0,    // deltas
                               0xE8, 0x03, 0xCE, 0xFF, // sample1: 1000, -50
                               0x84, 0x03, 0xD8, 0xFF, // sample2: 900, -40
                               0x1F,                   // left nibble 1, right nibble -1
                               0x70};                  // left nibble 7, right nibble 0
    platform::AdpcmFormat format;
    std::string error;
    ASSERT_TRUE(
        platform::ParseAdpcmFormat(platform::kWaveFormatMsAdpcm, 2, 16, nullptr, 0, format, error))
        << error;
    EXPECT_EQ(format.samplesPerBlock, 4u);
    int16_t out[8] = {};
    ASSERT_EQ(platform::AdpcmDecode(format, block, 16, out, 4), 4u);
    EXPECT_EQ(out[0], 900); // older start sample first
    EXPECT_EQ(out[1], -40);
    EXPECT_EQ(out[2], 1000);
    EXPECT_EQ(out[3], -50);
    EXPECT_EQ(out[4], 1016); // 1000 + 1 x 16; delta becomes max(16, 230*16/256) = 16
    EXPECT_EQ(out[5], -82);  // -50 - 1 x 32; delta 230*32/256 = 28
    EXPECT_EQ(out[6], 1128); // 1016 + 7 x 16
    EXPECT_EQ(out[7], -82);  // + 0 x 28
}

TEST(Adpcm, MsFullScaleSquareWaveStaysAtTheRails) {
    // Delta starts at its largest and alternating nibbles -8 and +7 grow it
    // at every sample; the samples must keep hitting the rails, never wrap.
    std::vector<uint8_t> block = {0, 0xFF, 0x7F, 0, 0, 0, 0}; // predictor 0, delta 32767
    block.resize(7 + 32, 0x87);
    platform::AdpcmFormat format;
    std::string error;
    ASSERT_TRUE(platform::ParseAdpcmFormat(platform::kWaveFormatMsAdpcm, 1, block.size(), nullptr,
                                           0, format, error))
        << error;
    std::vector<int16_t> out(format.samplesPerBlock);
    ASSERT_EQ(platform::AdpcmDecode(format, block.data(), block.size(), out.data(), out.size()),
              66u);
    for (size_t i = 2; i < out.size(); ++i)
        ASSERT_EQ(out[i], i % 2 == 0 ? -32768 : 32767) << "sample " << i;
}

TEST(Adpcm, ShortLastBlockAndBadFormats) {
    platform::AdpcmFormat format;
    std::string error;
    ASSERT_TRUE(platform::ParseAdpcmFormat(platform::kWaveFormatImaAdpcm, 1, 256, nullptr, 0,
                                           format, error));
    EXPECT_EQ(format.samplesPerBlock, 505u);
    // One full block and a last block with its header and one group.
    EXPECT_EQ(platform::AdpcmFrameCount(format, 256 + 8), 505u + 9);
    std::vector<uint8_t> data(256 + 8, 0x11);
    std::vector<int16_t> out(600);
    EXPECT_EQ(platform::AdpcmDecode(format, data.data(), data.size(), out.data(), out.size()),
              514u);
    // Room is respected.
    EXPECT_EQ(platform::AdpcmDecode(format, data.data(), data.size(), out.data(), 10), 10u);

    EXPECT_FALSE(platform::ParseAdpcmFormat(platform::kWaveFormatImaAdpcm, 3, 256, nullptr, 0,
                                            format, error));
    EXPECT_FALSE(
        platform::ParseAdpcmFormat(platform::kWaveFormatImaAdpcm, 1, 6, nullptr, 0, format, error));
    EXPECT_FALSE(platform::ParseAdpcmFormat(0x55, 2, 256, nullptr, 0, format, error));
    // A coefficient table longer than the bytes that hold it.
    const uint8_t extra[6] = {0xF4, 0x01, 0x07, 0x00, 0, 1};
    EXPECT_FALSE(platform::ParseAdpcmFormat(platform::kWaveFormatMsAdpcm, 1, 256, extra,
                                            sizeof extra, format, error));
}
