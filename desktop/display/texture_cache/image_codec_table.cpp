// The converter's format table over the platform's picture codecs.
#include "desktop/display/texture_cache/image_codec_table.h"

#include "desktop/display/texture_cache/tga_codec.h"
#include "platform/binary_io.h"
#include "platform/image/bmp.h"
#include "platform/image/image_error.h"
#include "platform/image/jpeg2000.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

using platform::image::Image;
using platform::image::Jpeg2000Kind;

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

bool ValidateBmp(std::span<const uint8_t> bytes, std::string* error) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return true;
    return Fail(error, "not a bitmap");
}

template <Jpeg2000Kind kKind>
bool ValidateJpeg2000(std::span<const uint8_t> bytes, std::string* error) {
    if (platform::image::SniffJpeg2000(bytes) == kKind) return true;
    return Fail(error,
                kKind == Jpeg2000Kind::Jp2 ? "not a JP2 file" : "not a JPEG-2000 code stream");
}

template <Jpeg2000Kind kKind>
bool DecodeJpeg2000As(std::span<const uint8_t> bytes, Image& out, std::string* error) {
    if (!ValidateJpeg2000<kKind>(bytes, error)) return false;
    return platform::image::DecodeJpeg2000(bytes, out, error, kMaxSourceSide);
}

template <Jpeg2000Kind kKind>
bool EncodeJpeg2000As(const Image& image, std::vector<uint8_t>& out, std::string* error) {
    return platform::image::EncodeJpeg2000(image, kKind, out, error);
}

bool DecodeBmp(std::span<const uint8_t> bytes, Image& out, std::string* error) {
    return platform::image::DecodeBmp(bytes, out, error);
}

bool EncodeBmp(const Image& image, std::vector<uint8_t>& out, std::string* error) {
    return platform::image::EncodeBmp(image, out, error);
}

bool DecodeTga(std::span<const uint8_t> bytes, Image& out, std::string* error) {
    return TgaCodec::Decode(bytes, out, error);
}

bool EncodeTga(const Image& image, std::vector<uint8_t>& out, std::string* error) {
    return TgaCodec::Encode(image, out, error);
}

bool ValidateTga(std::span<const uint8_t> bytes, std::string* error) {
    return TgaCodec::Validate(bytes, error);
}

} // namespace

void ImageCodecTable::Init() {
    codecs_.clear();
    codecs_.push_back(
        {0, "bmp", "bmp", "Microsoft Bitmap (BMP)", DecodeBmp, EncodeBmp, ValidateBmp});
    codecs_.push_back({1, "tga", "tga", "Targa (TGA)", DecodeTga, EncodeTga, ValidateTga});
    codecs_.push_back({2, "jp2", "jp2", "JPEG-2000 JP2 File Format Syntax (ISO/IEC 15444-1)",
                       DecodeJpeg2000As<Jpeg2000Kind::Jp2>, EncodeJpeg2000As<Jpeg2000Kind::Jp2>,
                       ValidateJpeg2000<Jpeg2000Kind::Jp2>});
    codecs_.push_back({3, "jpc", "jpc", "JPEG-2000 Code Stream Syntax (ISO/IEC 15444-1)",
                       DecodeJpeg2000As<Jpeg2000Kind::CodeStream>,
                       EncodeJpeg2000As<Jpeg2000Kind::CodeStream>,
                       ValidateJpeg2000<Jpeg2000Kind::CodeStream>});
}

const ImageCodec* ImageCodecTable::Find(std::string_view name) const {
    for (const ImageCodec& codec : codecs_)
        if (platform::EqualsIgnoreCase(codec.name, name)) return &codec;
    return nullptr;
}

const ImageCodec* ImageCodecTable::FindByExtension(std::string_view extension) const {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    for (const ImageCodec& codec : codecs_)
        if (platform::EqualsIgnoreCase(codec.extension, extension)) return &codec;
    return nullptr;
}

bool ImageCodecTable::DecodeFile(const std::filesystem::path& path, std::string_view format,
                                 Image& out, std::string* error, bool* refused) const {
    if (refused) *refused = false;
    const ImageCodec* codec = Find(format);
    if (!codec) return Fail(error, "no picture format \"" + std::string(format) + "\"");
    std::vector<uint8_t> bytes;
    if (!platform::ReadWholeFile(path, bytes, error, platform::image::kMaxPictureFileBytes))
        return false;
    std::string why;
    if (codec->decode(bytes, out, &why)) return true;
    // A picture that only wanted more memory than there was is tried again
    // on a later start; a damaged one is not.
    if (refused) *refused = !platform::image::IsOutOfMemoryError(why);
    return Fail(error, path.string() + ": " + why);
}

bool ImageCodecTable::EncodeFile(const std::filesystem::path& path, std::string_view format,
                                 const Image& image, std::string* error) const {
    const ImageCodec* codec =
        format.empty() ? FindByExtension(path.extension().string()) : Find(format);
    if (!codec) return Fail(error, "no picture format for " + path.string());
    std::vector<uint8_t> bytes;
    std::string why;
    if (!codec->encode(image, bytes, &why)) return Fail(error, path.string() + ": " + why);
    return platform::WriteWholeFile(path, bytes, error);
}

} // namespace lumivane
