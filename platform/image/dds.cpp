// DDS reading and writing.
#include "platform/image/dds.h"

#include "platform/binary_io.h"
#include "platform/image/channel_mask.h"
#include "platform/image/image_error.h"

#include <new>

namespace platform::image {

namespace {

constexpr uint32_t kDescriptionSize = 124;
constexpr uint32_t kFlagsWritten = 0x1007; // caps, height, width, pixel format
constexpr uint32_t kCapsWritten = 0x1800;
constexpr uint32_t kCapsComplex = 0x8;
constexpr uint32_t kCaps2Cube = 0x200;
constexpr uint32_t kCaps2AllFaces = 0xFC00; // +X, -X, +Y, -Y, +Z, -Z
constexpr uint32_t kCaps2Volume = 0x200000;

constexpr uint32_t kPfAlphaPixels = kDdsPixelAlpha;
constexpr uint32_t kPfAlphaOnly = 0x2;
constexpr uint32_t kPfFourCC = kDdsPixelFourCC;
constexpr uint32_t kPfRgb = kDdsPixelRgb;
constexpr uint32_t kPfLuminance = kDdsPixelLuminance;
constexpr uint32_t kPfBumpDuDv = kDdsPixelBumpDuDv;

struct PixelLayout {
    PixelFormat format;
    uint32_t flags, bits, red, green, blue, alpha;
};

// The uncompressed formats as the writer describes them (and the reader
// recognises them).
constexpr PixelLayout kLayouts[] = {
    {PixelFormat::R8G8B8, 0x40, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {PixelFormat::A8R8G8B8, 0x41, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {PixelFormat::X8R8G8B8, 0x40, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {PixelFormat::R5G6B5, 0x40, 16, 0xF800, 0x7E0, 0x1F, 0},
    {PixelFormat::X1R5G5B5, 0x40, 16, 0x7C00, 0x3E0, 0x1F, 0},
    {PixelFormat::A1R5G5B5, 0x41, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
    {PixelFormat::A4R4G4B4, 0x41, 16, 0xF00, 0xF0, 0xF, 0xF000},
    {PixelFormat::X4R4G4B4, 0x40, 16, 0xF00, 0xF0, 0xF, 0},
    {PixelFormat::V8U8, kPfBumpDuDv, 16, 0xFF, 0xFF00, 0, 0},
};

// The known layout the file's description names exactly, or null.
const PixelLayout* ExactLayout(uint32_t flags, uint32_t bits, uint32_t red, uint32_t green,
                               uint32_t blue, uint32_t alpha) {
    const uint32_t kind = flags & (kPfRgb | kPfBumpDuDv);
    if (kind != kPfRgb && kind != kPfBumpDuDv) return nullptr;
    if (!(flags & (kPfAlphaPixels | kPfAlphaOnly))) alpha = 0;
    for (const PixelLayout& layout : kLayouts)
        if ((layout.flags & (kPfRgb | kPfBumpDuDv)) == kind && layout.bits == bits &&
            layout.red == red && layout.green == green && layout.blue == blue &&
            layout.alpha == alpha)
            return &layout;
    return nullptr;
}

struct FilePixelFormat {
    uint32_t flags = 0, fourCC = 0, bits = 0, red = 0, green = 0, blue = 0, alpha = 0;
};

// A layout the reader converts by masks into 32-bit BGRA.
struct MaskedLayout {
    int bytes = 0;
    bool luminance = false;
    uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

// Chooses how the file's pixels are read: a known format, or masks.
bool ChooseFormat(const FilePixelFormat& pf, PixelFormat& format, MaskedLayout& masked,
                  std::string* error) {
    masked = {};
    if (pf.flags & kPfFourCC) {
        for (PixelFormat f : {PixelFormat::DXT1, PixelFormat::DXT2, PixelFormat::DXT3,
                              PixelFormat::DXT4, PixelFormat::DXT5})
            if (pf.fourCC == uint32_t(f)) {
                format = f;
                return true;
            }
        // Some writers put the Direct3D format number in the code.
        for (const PixelLayout& layout : kLayouts)
            if (pf.fourCC == uint32_t(layout.format)) {
                format = layout.format;
                return true;
            }
        std::string code;
        for (int i = 0; i < 4; ++i) {
            const char c = char(pf.fourCC >> (8 * i));
            code += (c >= 32 && c < 127) ? c : '?';
        }
        return ImageFail(error, "DDS pixel format \"" + code + "\" is not read");
    }
    const uint32_t alpha = (pf.flags & (kPfAlphaPixels | kPfAlphaOnly)) ? pf.alpha : 0;
    if (const PixelLayout* layout =
            ExactLayout(pf.flags, pf.bits, pf.red, pf.green, pf.blue, pf.alpha)) {
        format = layout->format;
        return true;
    }
    if (pf.flags & kPfBumpDuDv)
        return ImageFail(error,
                         "DDS bump offsets of " + std::to_string(pf.bits) + " bits are not read");
    if ((pf.flags & (kPfRgb | kPfLuminance | kPfAlphaOnly)) &&
        (pf.bits == 8 || pf.bits == 16 || pf.bits == 24 || pf.bits == 32)) {
        masked.bytes = int(pf.bits / 8);
        masked.luminance = (pf.flags & kPfLuminance) != 0;
        masked.red = (pf.flags & (kPfRgb | kPfLuminance)) ? pf.red : 0;
        masked.green = (pf.flags & kPfRgb) ? pf.green : 0;
        masked.blue = (pf.flags & kPfRgb) ? pf.blue : 0;
        masked.alpha = alpha;
        format = masked.alpha ? PixelFormat::A8R8G8B8 : PixelFormat::X8R8G8B8;
        return true;
    }
    return ImageFail(error, "DDS pixel format (flags " + std::to_string(pf.flags) + ", " +
                                std::to_string(pf.bits) + " bits) is not read");
}

size_t StoredLevelSize(PixelFormat format, const MaskedLayout& masked, int width, int height) {
    if (masked.bytes) return size_t(width) * size_t(height) * size_t(masked.bytes);
    return LevelSize(format, width, height);
}

Image ReadMaskedLevel(const uint8_t* src, const MaskedLayout& masked, PixelFormat format, int width,
                      int height) {
    Image level = MakeImage(format, width, height);
    const ChannelMask red(masked.red), green(masked.green), blue(masked.blue), alpha(masked.alpha);
    const size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; ++i) {
        uint32_t pixel = 0;
        for (int b = 0; b < masked.bytes; ++b)
            pixel |= uint32_t(src[i * size_t(masked.bytes) + size_t(b)]) << (8 * b);
        uint8_t* dst = level.pixels.data() + i * 4;
        const uint8_t r = red.Extract(pixel, 0);
        dst[0] = masked.luminance ? r : blue.Extract(pixel, 0);
        dst[1] = masked.luminance ? r : green.Extract(pixel, 0);
        dst[2] = r;
        dst[3] = alpha.Extract(pixel, 255);
    }
    return level;
}

} // namespace

DdsHeaderStatus ReadDdsHeader(std::span<const uint8_t> bytes, DdsHeader& out) {
    MemoryReader in(bytes);
    uint8_t magic[4];
    if (!in.ReadBytes(magic, 4)) return DdsHeaderStatus::Truncated;
    if (magic[0] != 'D' || magic[1] != 'D' || magic[2] != 'S' || magic[3] != ' ')
        return DdsHeaderStatus::NotDds;
    DdsHeader h;
    uint32_t size = 0, pfSize = 0;
    in.ReadU32(size);
    in.ReadU32(h.flags);
    in.ReadU32(h.height);
    in.ReadU32(h.width);
    in.ReadU32(h.pitch);
    in.ReadU32(h.depth);
    in.ReadU32(h.mipCount);
    in.Skip(44);
    in.ReadU32(pfSize);
    in.ReadU32(h.pixelFormat.flags);
    in.ReadU32(h.pixelFormat.fourCC);
    in.ReadU32(h.pixelFormat.bits);
    in.ReadU32(h.pixelFormat.red);
    in.ReadU32(h.pixelFormat.green);
    in.ReadU32(h.pixelFormat.blue);
    in.ReadU32(h.pixelFormat.alpha);
    in.ReadU32(h.caps);
    in.ReadU32(h.caps2);
    in.Skip(12);
    if (in.Failed()) return DdsHeaderStatus::Truncated;
    if (size != kDescriptionSize) return DdsHeaderStatus::BadSize;
    out = h;
    return DdsHeaderStatus::Ok;
}

PixelFormat DdsUncompressedFormat(const DdsHeader& header) {
    const auto& pf = header.pixelFormat;
    if (pf.flags & kPfFourCC) return PixelFormat::Unknown;
    const PixelLayout* layout = ExactLayout(pf.flags, pf.bits, pf.red, pf.green, pf.blue, pf.alpha);
    return layout ? layout->format : PixelFormat::Unknown;
}

namespace {

bool DecodeDdsChecked(std::span<const uint8_t> bytes, TextureImage& out, std::string* error) {
    DdsHeader header;
    switch (ReadDdsHeader(bytes, header)) {
    case DdsHeaderStatus::Ok:
        break;
    case DdsHeaderStatus::Truncated:
        return ImageFail(error, bytes.size() < 4 ? "not a DDS file (no \"DDS \")"
                                                 : "DDS header is truncated");
    case DdsHeaderStatus::NotDds:
        return ImageFail(error, "not a DDS file (no \"DDS \")");
    case DdsHeaderStatus::BadSize:
        return ImageFail(error, "DDS header size is not 124");
    }
    const uint32_t width = header.width, height = header.height, mipField = header.mipCount;
    const uint32_t caps2 = header.caps2;
    FilePixelFormat pf;
    pf.flags = header.pixelFormat.flags;
    pf.fourCC = header.pixelFormat.fourCC;
    pf.bits = header.pixelFormat.bits;
    pf.red = header.pixelFormat.red;
    pf.green = header.pixelFormat.green;
    pf.blue = header.pixelFormat.blue;
    pf.alpha = header.pixelFormat.alpha;
    MemoryReader in(bytes);
    in.Skip(kDdsHeaderSize);
    if (width == 0 || height == 0 || width > uint32_t(kMaxImageSide) ||
        height > uint32_t(kMaxImageSide))
        return ImageFail(error, "DDS size " + std::to_string(width) + " x " +
                                    std::to_string(height) + " is out of range");
    if (caps2 & kCaps2Volume) return ImageFail(error, "DDS volume textures are not read");
    const bool cube = (caps2 & kCaps2Cube) != 0;
    if (cube && (caps2 & kCaps2AllFaces) != kCaps2AllFaces)
        return ImageFail(error, "DDS cube map lacks some of its six faces");
    if (!WithinPixelBound(width, height, cube ? 6 : 1))
        return ImageTooManyPixels(error, cube ? "the DDS cube map" : "the DDS texture", width,
                                  height, cube ? 6 : 1);

    PixelFormat format = PixelFormat::Unknown;
    MaskedLayout masked;
    if (!ChooseFormat(pf, format, masked, error)) return false;

    const int w = int(width), h = int(height);
    const int faces = cube ? 6 : 1;
    const int full = FullMipCount(w, h);
    auto bytesFor = [&](int levels) {
        uint64_t total = 0;
        for (int m = 0; m < levels; ++m)
            total += StoredLevelSize(format, masked, MipSide(w, m), MipSide(h, m));
        return total * uint64_t(faces);
    };
    // The count binds whether or not the flag says so: the engines' own
    // cache files carry it without the flag.
    int mipCount = 1;
    if (mipField > 1) {
        if (mipField > uint32_t(full))
            return ImageFail(error, "DDS claims " + std::to_string(mipField) +
                                        " mip levels for a size that has " + std::to_string(full));
        mipCount = int(mipField);
    }
    if (bytesFor(mipCount) > in.Remaining())
        return ImageFail(error, "DDS pixels are truncated: " + std::to_string(bytesFor(mipCount)) +
                                    " bytes needed, " + std::to_string(in.Remaining()) + " there");

    TextureImage texture;
    texture.format = format;
    texture.width = w;
    texture.height = h;
    texture.mipCount = mipCount;
    texture.cube = cube;
    texture.levels.reserve(size_t(faces * mipCount));
    const uint8_t* cursor = bytes.data() + in.Position();
    for (int f = 0; f < faces; ++f)
        for (int m = 0; m < mipCount; ++m) {
            const int lw = MipSide(w, m), lh = MipSide(h, m);
            const size_t levelBytes = StoredLevelSize(format, masked, lw, lh);
            if (masked.bytes) {
                texture.levels.push_back(ReadMaskedLevel(cursor, masked, format, lw, lh));
            } else {
                Image level;
                level.format = format;
                level.width = lw;
                level.height = lh;
                level.pixels.assign(cursor, cursor + levelBytes);
                texture.levels.push_back(std::move(level));
            }
            cursor += levelBytes;
        }
    out = std::move(texture);
    return true;
}

} // namespace

bool DecodeDds(std::span<const uint8_t> bytes, TextureImage& out, std::string* error) {
    try {
        return DecodeDdsChecked(bytes, out, error);
    } catch (const std::bad_alloc&) {
        return ImageOutOfMemory(error, "the DDS texture");
    }
}

bool EncodeDds(const TextureImage& texture, std::vector<uint8_t>& out, std::string* error) {
    FilePixelFormat pf;
    if (IsCompressed(texture.format)) {
        pf.flags = kPfFourCC;
        pf.fourCC = uint32_t(texture.format);
    } else {
        const PixelLayout* found = nullptr;
        for (const PixelLayout& layout : kLayouts)
            if (layout.format == texture.format) found = &layout;
        if (!found)
            return ImageFail(error, std::string("DDS cannot hold the format ") +
                                        FormatName(texture.format));
        pf = {found->flags, 0, found->bits, found->red, found->green, found->blue, found->alpha};
    }
    const int faces = texture.FaceCount();
    if (texture.width <= 0 || texture.height <= 0 || texture.mipCount < 1 ||
        texture.mipCount > FullMipCount(texture.width, texture.height) ||
        texture.levels.size() != size_t(faces * texture.mipCount))
        return ImageFail(error, "texture levels do not match its size and mip count");
    for (int f = 0; f < faces; ++f)
        for (int m = 0; m < texture.mipCount; ++m) {
            const Image& level = texture.Level(f, m);
            const int lw = MipSide(texture.width, m), lh = MipSide(texture.height, m);
            if (level.format != texture.format || level.width != lw || level.height != lh ||
                level.pixels.size() != LevelSize(texture.format, lw, lh))
                return ImageFail(error, "texture level " + std::to_string(m) + " of face " +
                                            std::to_string(f) + " does not match its size");
        }

    BufferWriter w;
    w.WriteBytes("DDS ", 4);
    w.WriteU32(kDescriptionSize);
    w.WriteU32(kFlagsWritten);
    w.WriteU32(uint32_t(texture.height));
    w.WriteU32(uint32_t(texture.width));
    w.WriteU32(0); // pitch
    w.WriteU32(0); // depth
    w.WriteU32(uint32_t(texture.mipCount));
    for (int i = 0; i < 11; ++i)
        w.WriteU32(0);
    w.WriteU32(32);
    w.WriteU32(pf.flags);
    w.WriteU32(pf.fourCC);
    w.WriteU32(pf.bits);
    w.WriteU32(pf.red);
    w.WriteU32(pf.green);
    w.WriteU32(pf.blue);
    w.WriteU32(pf.alpha);
    w.WriteU32(texture.cube ? kCapsWritten | kCapsComplex : kCapsWritten);
    w.WriteU32(texture.cube ? kCaps2Cube | kCaps2AllFaces : 0);
    for (int i = 0; i < 3; ++i)
        w.WriteU32(0);
    for (const Image& level : texture.levels)
        w.WriteBytes(level.pixels.data(), level.pixels.size());
    out = w.Take();
    return true;
}

bool WriteDdsFile(const std::filesystem::path& path, const TextureImage& texture,
                  std::string* error) {
    std::vector<uint8_t> bytes;
    return EncodeDds(texture, bytes, error) && WriteWholeFile(path, bytes, error);
}

TextureImage SingleLevelTexture(Image image) {
    TextureImage texture;
    texture.format = image.format;
    texture.width = image.width;
    texture.height = image.height;
    texture.mipCount = 1;
    texture.levels.push_back(std::move(image));
    return texture;
}

} // namespace platform::image
