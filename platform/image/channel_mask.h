// Internal helper of the BMP and DDS readers: pulls one colour channel out of
// a pixel word by its bit mask and widens it to 8 bits.
#pragma once

#include <bit>
#include <cstdint>

namespace platform::image {

class ChannelMask {
public:
    explicit ChannelMask(uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0),
          bits_(mask ? std::popcount(mask) : 0) {}

    bool Present() const { return mask_ != 0; }

    // The channel as 0..255; `absent` when the mask is empty. Narrow channels
    // repeat their bits so that all ones becomes 255.
    uint8_t Extract(uint32_t pixel, uint8_t absent = 255) const {
        if (!mask_) return absent;
        uint32_t value = (pixel & mask_) >> shift_;
        if (bits_ >= 8) return uint8_t(value >> (bits_ - 8));
        uint32_t wide = 0;
        int filled = 0;
        while (filled < 8) {
            wide = (wide << bits_) | value;
            filled += bits_;
        }
        return uint8_t(wide >> (filled - 8));
    }

private:
    uint32_t mask_;
    int shift_;
    int bits_;
};

} // namespace platform::image
