// Picture files of any kind, decoded to 32-bit BGRA.
#include "platform/image/picture.h"

#include "platform/binary_io.h"
#include "platform/image/bmp.h"
#include "platform/image/convert.h"
#include "platform/image/dds.h"
#include "platform/image/image_error.h"
#include "platform/image/jpeg.h"
#include "platform/image/tga.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace platform::image {

PictureKind SniffPicture(std::span<const uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) return PictureKind::Jpeg;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return PictureKind::Bmp;
    if (bytes.size() >= 4 && bytes[0] == 'D' && bytes[1] == 'D' && bytes[2] == 'S' &&
        bytes[3] == ' ')
        return PictureKind::Dds;
    return PictureKind::Tga;
}

bool DecodePicture(std::span<const uint8_t> bytes, Image& out, std::string* error) {
    switch (SniffPicture(bytes)) {
    case PictureKind::Jpeg:
        return DecodeJpeg(bytes, out, error);
    case PictureKind::Bmp:
        return DecodeBmp(bytes, out, error);
    case PictureKind::Tga:
        return DecodeTga(bytes, out, error);
    case PictureKind::Dds: {
        TextureImage texture;
        if (!DecodeDds(bytes, texture, error)) return false;
        Image top = ToBgra8(texture.Level(0, 0));
        if (!HasAlphaChannel(texture.format)) top.format = PixelFormat::X8R8G8B8;
        out = std::move(top);
        return true;
    }
    }
    return ImageFail(error, "unknown picture kind");
}

bool ReadPictureSize(std::span<const uint8_t> bytes, int& width, int& height, std::string* error) {
    switch (SniffPicture(bytes)) {
    case PictureKind::Jpeg:
        return ReadJpegSize(bytes, width, height, error);
    case PictureKind::Bmp:
        return ReadBmpSize(bytes, width, height, error);
    case PictureKind::Tga: {
        TgaHeader header;
        if (!ReadTgaHeader(bytes, header, error)) return false;
        width = header.width;
        height = header.height;
        return true;
    }
    case PictureKind::Dds: {
        DdsHeader header;
        if (ReadDdsHeader(bytes, header) != DdsHeaderStatus::Ok)
            return ImageFail(error, "DDS header cannot be read");
        width = int(std::min(header.width, uint32_t(INT32_MAX)));
        height = int(std::min(header.height, uint32_t(INT32_MAX)));
        return true;
    }
    }
    return ImageFail(error, "unknown picture kind");
}

bool LoadPictureFile(const std::filesystem::path& path, Image& out, std::string* error) {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error, kMaxPictureFileBytes)) return false;
    if (DecodePicture(bytes, out, error)) return true;
    if (error) *error = path.string() + ": " + *error;
    return false;
}

} // namespace platform::image
