// Reading one frame of a texture from the program's DDS files. They are
// square, 8 to 1024 texels a side, and hold the whole chain of levels down to
// 8 x 8 whatever their headers say. DXT1 and DXT3 levels stay compressed in
// system memory until they are shown; uncompressed pixels are packed into
// the plain (5:6:5) or alpha format as the file is read; bump offsets stay
// as they are. Every size is checked against the bytes of the file, so a
// short file is refused instead of read as garbage.
#include "desktop/display/textures/texture_manager.h"

#include "platform/binary_io.h"
#include "platform/image/convert.h"
#include "platform/image/dds.h"
#include "platform/paths.h"

#include <algorithm>

namespace lumivane {

namespace {

namespace image = platform::image;

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// log2 of a side from the list 8 .. 1024; 0 for any other side.
int SideExponent(uint32_t side) {
    for (int e = 3; e <= 10; ++e)
        if (side == (1u << e)) return e;
    return 0;
}

// How the file's pixels are stored and what system-memory format they
// become.
struct FrameLayout {
    int kind = kPixelKindPlain;
    image::PixelFormat stored = image::PixelFormat::Unknown; // in the file
    image::PixelFormat kept = image::PixelFormat::Unknown;   // in system memory
};

// The file's uncompressed pixels by their bit count and masks: the exact
// format where the description names one, else 24 bits as blue, green, red
// and 32 bits as blue, green, red and alpha (when the file says it has
// alpha) or a pad byte.
image::PixelFormat StoredUncompressed(const image::DdsHeader& header) {
    const image::PixelFormat exact = image::DdsUncompressedFormat(header);
    if (exact != image::PixelFormat::Unknown) return exact;
    if (header.pixelFormat.flags & image::kDdsPixelBumpDuDv) return image::PixelFormat::Unknown;
    switch (header.pixelFormat.bits) {
    case 24:
        return image::PixelFormat::R8G8B8;
    case 32:
        return (header.pixelFormat.flags & image::kDdsPixelAlpha) ? image::PixelFormat::A8R8G8B8
                                                                  : image::PixelFormat::X8R8G8B8;
    default:
        return image::PixelFormat::Unknown;
    }
}

} // namespace

bool TextureManager::LoadFrame(TextureSet& set, TextureFrame& frame, const std::string& path) {
    if (!Contains(path, ".dds") && !Contains(path, ".DDS")) {
        ReportWarning(kEntryBadFile, QuotedPath(path));
        return false;
    }
    const auto resolved = platform::ResolvePath(dataRoot_, path);
    std::vector<uint8_t> bytes;
    if (!resolved ||
        !platform::ReadWholeFile(*resolved, bytes, nullptr, image::kMaxPictureFileBytes))
        return false;

    image::DdsHeader header;
    switch (image::ReadDdsHeader(bytes, header)) {
    case image::DdsHeaderStatus::Ok:
        break;
    case image::DdsHeaderStatus::Truncated:
        if (bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, "DDS ")) {
            ReportWarning(kEntryTextureRead, QuotedPath(path));
            return false;
        }
        [[fallthrough]];
    case image::DdsHeaderStatus::NotDds:
    case image::DdsHeaderStatus::BadSize:
        ReportWarning(kEntryBadFile, QuotedPath(path));
        return false;
    }
    if (header.height != header.width) {
        ReportWarning(kEntryNotSquare, QuotedPath(path));
        return false;
    }
    const int exponent = SideExponent(header.width);
    if (exponent == 0) {
        ReportWarning(kEntryBadSide, QuotedPath(path));
        return false;
    }

    FrameLayout layout;
    if (header.pixelFormat.flags & image::kDdsPixelFourCC) {
        if (header.pixelFormat.fourCC == uint32_t(image::PixelFormat::DXT1)) {
            layout = {kPixelKindPlain, image::PixelFormat::DXT1, image::PixelFormat::DXT1};
        } else if (header.pixelFormat.fourCC == uint32_t(image::PixelFormat::DXT3)) {
            layout = {kPixelKindAlpha, image::PixelFormat::DXT3, image::PixelFormat::DXT3};
        } else {
            ReportWarning(kEntryBadFile, QuotedPath(path));
            return false;
        }
    } else {
        set.compressed_ = false;
        if (header.pixelFormat.flags & image::kDdsPixelBumpDuDv)
            layout.kind = kPixelKindBump;
        else if (header.pixelFormat.flags & image::kDdsPixelAlpha)
            layout.kind = kPixelKindAlpha;
        layout.stored = StoredUncompressed(header);
        layout.kept = image::PixelFormat(FormatOfKind(layout.kind));
        // Bump offsets are kept as they are; colours must be convertible.
        const bool fits = layout.kind == kPixelKindBump
                              ? layout.stored == image::PixelFormat::V8U8
                              : layout.stored != image::PixelFormat::Unknown &&
                                    layout.stored != image::PixelFormat::V8U8;
        if (!fits || layout.kept == image::PixelFormat::Unknown) {
            ReportWarning(kEntryBadFile, QuotedPath(path));
            return false;
        }
    }

    // Every level down to 8 x 8 must be there.
    const int levelCount = exponent - 2;
    const int side = int(header.width);
    uint64_t needed = image::kDdsHeaderSize;
    for (int m = 0; m < levelCount; ++m)
        needed += image::LevelSize(layout.stored, side >> m, side >> m);
    if (needed > bytes.size()) {
        ReportWarning(kEntryTextureRead, QuotedPath(path));
        return false;
    }

    frame.pixelKind_ = layout.kind;
    frame.levels_.clear();
    const int kept = std::min(levelCount, workingMaxLevel_ + 1);
    for (int i = 0; i < kept; ++i) {
        auto level = std::make_unique<TextureLevel>();
        level->frame = &frame;
        level->index = i;
        frame.levels_.push_back(std::move(level));
    }
    // Levels from the largest down; those above the working maximum are
    // passed over in the file.
    size_t offset = image::kDdsHeaderSize;
    for (int m = 0; m < levelCount; ++m) {
        const int index = levelCount - 1 - m;
        const int levelSide = side >> m;
        const size_t size = image::LevelSize(layout.stored, levelSide, levelSide);
        const uint8_t* data = bytes.data() + offset;
        offset += size;
        if (index >= kept) continue;

        image::Image stored;
        stored.format = layout.stored;
        stored.width = stored.height = levelSide;
        stored.pixels.assign(data, data + size);
        TextureLevel& level = *frame.levels_[size_t(index)];
        if (stored.format == layout.kept || image::IsCompressed(stored.format)) {
            level.pixels = std::move(stored);
        } else if (!image::ConvertImage(stored, layout.kept, level.pixels)) {
            ReportWarning(kEntryTextureRead, QuotedPath(path));
            return false;
        }

        // Level 1 of every set, and every level of a resident one, gets a
        // slot of its own up to the texture's limit.
        if ((index == 1 || set.resident_) && DedicatedLimit(path) >= index) {
            dedicated_.push_back(std::make_unique<TextureSlot>(*this, index, true));
            level.dedicated = dedicated_.back().get();
        }
    }
    for (int i = kept - 1; i >= 0; --i) {
        TextureLevel& level = *frame.levels_[size_t(i)];
        if (level.dedicated) level.dedicated->Attach(&level);
    }
    return true;
}

} // namespace lumivane
