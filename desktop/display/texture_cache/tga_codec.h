// The texture converter's own Targa codec: the strict subset it writes and
// reads back between decoding a compressed texture and making its DDS.
// Uncompressed true colour of 24 or 32 bits, no id, no colour map, the
// bottom row first (so the DDS made from it is upright).
#pragma once

#include "platform/image/image.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumivane {

class TgaCodec {
public:
    static constexpr size_t kHeaderSize = 18;

    // The picture as X8R8G8B8 (24-bit file) or A8R8G8B8 (32-bit), or false
    // with "cannot get info" (and why) when the header breaks a rule or the
    // pixels it announces are not all in the file.
    static bool Decode(std::span<const uint8_t> bytes, platform::image::Image& out,
                       std::string* error = nullptr);
    // Header: id length 0, no colour map, type 2, origin 0, 0, the size,
    // 24 bits for X8R8G8B8 or R8G8B8, 32 for A8R8G8B8, descriptor 0; then
    // blue, green, red (and alpha) rows, bottom row first.
    static bool Encode(const platform::image::Image& image, std::vector<uint8_t>& out,
                       std::string* error = nullptr);
    // Whether the header (and the size it announces) is acceptable.
    static bool Validate(std::span<const uint8_t> bytes, std::string* error = nullptr);
};

} // namespace lumivane
