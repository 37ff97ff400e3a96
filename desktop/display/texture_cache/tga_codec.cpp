// The strict Targa subset: the header rules here, the pixel work in the
// platform's Targa reader and writer.
#include "desktop/display/texture_cache/tga_codec.h"

#include "platform/image/tga.h"

namespace lumivane {

namespace {

constexpr uint8_t kTrueColour = 2;
constexpr uint8_t kOrderBits = 0x30; // right-to-left and top-down

bool Refuse(std::string* error, const std::string& why) {
    if (error) *error = "cannot get info: " + why;
    return false;
}

} // namespace

bool TgaCodec::Validate(std::span<const uint8_t> bytes, std::string* error) {
    platform::image::TgaHeader header;
    if (!platform::image::ReadTgaHeader(bytes, header)) return Refuse(error, "header truncated");
    if (header.idLength != 0) return Refuse(error, "image id present");
    if (header.colourMapType != 0) return Refuse(error, "colour map present");
    if (header.imageType != kTrueColour)
        return Refuse(error, "image type " + std::to_string(header.imageType));
    if (header.bitsPerPixel != 24 && header.bitsPerPixel != 32)
        return Refuse(error, std::to_string(header.bitsPerPixel) + " bits a pixel");
    if ((header.descriptor & kOrderBits) != 0) return Refuse(error, "row order not bottom-up");
    if (header.width == 0 || header.height == 0) return Refuse(error, "no pixels");
    const uint64_t pixelBytes =
        uint64_t(header.width) * uint64_t(header.height) * (header.bitsPerPixel / 8u);
    if (bytes.size() - kHeaderSize < pixelBytes) return Refuse(error, "pixels truncated");
    return true;
}

bool TgaCodec::Decode(std::span<const uint8_t> bytes, platform::image::Image& out,
                      std::string* error) {
    if (!Validate(bytes, error)) return false;
    std::string why;
    if (!platform::image::DecodeTga(bytes, out, &why)) return Refuse(error, why);
    return true;
}

bool TgaCodec::Encode(const platform::image::Image& image, std::vector<uint8_t>& out,
                      std::string* error) {
    return platform::image::EncodeTga(image, out, error);
}

} // namespace lumivane
