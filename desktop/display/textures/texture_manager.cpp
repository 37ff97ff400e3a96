// The texture table's life: start-up for a device, asking for sets, giving
// the surfaces up before the device goes and making them again after, and
// the scene engine's view of it.
#include "desktop/display/textures/texture_manager.h"

#include "platform/image/convert.h"
#include "platform/image/dxt.h"
#include "platform/paths.h"
#include "platform/render/device.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace lumivane {

TextureManager* gpTextureManager = nullptr;

std::string QuotedPath(std::string_view path) {
    // Appended piece by piece: GCC 12 at -O3 takes "literal" + std::string
    // for an overlapping copy and stops the build with a false -Wrestrict.
    std::string quoted = "\"";
    quoted += path;
    quoted += '"';
    return quoted;
}

namespace {

uint64_t SystemPhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return UINT64_MAX;
    return uint64_t(pages) * uint64_t(pageSize);
}

bool IsBumpName(std::string_view path) {
    return path.find("_bump") != std::string_view::npos ||
           path.find("_Bump") != std::string_view::npos ||
           path.find("_BUMP") != std::string_view::npos;
}

} // namespace

TextureManager::TextureManager() : physicalMemory_(SystemPhysicalMemory()) {}

TextureManager::~TextureManager() {
    Destroy();
}

bool TextureManager::Init(TextureHost& host) {
    Destroy();
    host_ = &host;
    if (!ChooseFormats()) return false;
    workingMaxLevel_ = deviceMaxLevel_;
    if (physicalMemory_ < kLowMemoryBytes)
        workingMaxLevel_ = std::min(workingMaxLevel_, kLowMemoryMaxLevel);
    if (workingMaxLevel_ < 0) return false;
    return MakeStaging();
}

D3DFORMAT TextureManager::FormatOfKind(int kind) const {
    switch (kind) {
    case kPixelKindPlain:
        return plainFormat_;
    case kPixelKindAlpha:
        return alphaFormat_;
    case kPixelKindBump:
        return D3DFMT_V8U8;
    default:
        return D3DFMT_UNKNOWN;
    }
}

const platform::image::Image* TextureManager::TexelsFor(const TextureLevel& level, int kind) {
    namespace image = platform::image;
    if (!level.Loaded()) return nullptr;
    if (!image::IsCompressed(level.pixels.format)) return &level.pixels;
    if (!stagingMade_ || level.index < 0 || level.index >= kTextureLevelCount) return nullptr;
    // DXT blocks are decompressed one row of blocks at a time into the one
    // staging picture, in the slot's 16-bit format: no whole-level 32-bit
    // copy is made, and the staging picture keeps the room of the largest
    // level shown so far instead of one picture per level and kind.
    const image::PixelFormat to =
        image::PixelFormat(kind == kPixelKindAlpha ? alphaFormat_ : plainFormat_);
    const int width = level.pixels.width, height = level.pixels.height;
    const size_t rowBytes = image::RowPitch(to, width);
    const size_t blockRowBytes = image::LevelSize(level.pixels.format, width, 4);
    if (height % 4 != 0 || blockRowBytes * size_t(height / 4) != level.pixels.pixels.size())
        return nullptr;
    staging_.format = to;
    staging_.width = width;
    staging_.height = height;
    staging_.pixels.resize(rowBytes * size_t(height));
    stagingStrip_.format = level.pixels.format;
    stagingStrip_.width = width;
    stagingStrip_.height = 4;
    const uint8_t* blocks = level.pixels.pixels.data();
    for (int y = 0; y < height; y += 4, blocks += blockRowBytes) {
        stagingStrip_.pixels.assign(blocks, blocks + blockRowBytes);
        const image::Image bgra = image::DecompressDxt(stagingStrip_);
        if (bgra.Empty() || !image::ConvertImage(bgra, to, stagingRow_) ||
            stagingRow_.pixels.size() != rowBytes * 4)
            return nullptr;
        std::memcpy(staging_.pixels.data() + size_t(y) * rowBytes, stagingRow_.pixels.data(),
                    rowBytes * 4);
    }
    return &staging_;
}

TextureSet* TextureManager::GetTexture(std::string_view path, std::string_view group,
                                       int32_t resident, int32_t forceNew) {
    if (!host_) return nullptr;
    std::string name(path);
    if (IsBumpName(name) && !host_->Dot3()) {
        if (!host_->EnvironmentBump()) return nullptr;
        const size_t dot = name.rfind('.');
        name.insert(dot == std::string::npos ? name.size() : dot, "env");
    }
    if (!forceNew)
        if (TextureSet* found = Find(name)) return found;

    sets_.push_back(std::make_unique<TextureSet>());
    TextureSet& set = *sets_.back();
    set.resident_ = resident != 0;
    set.compressed_ = true;
    if (LoadSet(set, name, group)) return &set;
    ReleaseSet(set);
    sets_.pop_back();
    return nullptr;
}

TextureSet* TextureManager::Find(std::string_view path) const {
    for (const auto& set : sets_)
        if (platform::EqualsIgnoreCase(set->path_, path)) return set.get();
    return nullptr;
}

void TextureManager::ReleaseSet(TextureSet& set) {
    // Its dedicated slots go with it; pool slots only stop showing it.
    for (auto& frame : set.frames_)
        for (auto& level : frame->levels_) {
            if (level->slot) level->slot->Attach(nullptr);
            if (TextureSlot* own = level->dedicated) {
                level->dedicated = nullptr;
                std::erase_if(dedicated_, [own](const std::unique_ptr<TextureSlot>& s) {
                    return s.get() == own;
                });
            }
        }
    // Requests of this frame would point at freed frames.
    std::erase_if(requests_, [&set](const LevelRequest& r) { return r.frame->Owner() == &set; });
    set.frames_.clear();
}

bool TextureManager::Restore(TextureHost& host) {
    host_ = &host;
    if (!MakeStaging()) return false;
    const bool showProgress = modelsLoaded && modelsLoaded();
    bool allMade = true;
    const int count = DedicatedCount();
    for (int i = 0; i < count; ++i) {
        TextureSlot& slot = *dedicated_[size_t(i)];
        const int kind = slot.Shown() ? slot.Shown()->frame->PixelKind() : kPixelKindPlain;
        if (slot.CreateSurface(kind)) {
            slot.Refill();
        } else if (slot.Level() >= 4) {
            std::string path = slot.Shown() ? slot.Shown()->frame->Owner()->Path() : "";
            ReportFatalError(kEntrySurfaceFailed, QuotedPath(path));
            return false;
        } else {
            // Small levels may fail on a full card; the slot stays empty
            // rather than be filled without a surface.
            allMade = false;
        }
        if (showProgress && i % 10 == 0) host.DrawProgress(float(i) / float(count));
    }
    if (showProgress) {
        BuildSlotPool();
        host.DrawProgress(1.0f);
    }
    return allMade;
}

void TextureManager::ReleaseStaging() {
    staging_ = {};
    stagingStrip_ = {};
    stagingRow_ = {};
    stagingMade_ = false;
}

void TextureManager::ReleaseSurfaces() {
    for (auto& slot : dedicated_)
        slot->ReleaseSurface();
    for (auto& level : pool_)
        for (auto& slot : level) {
            slot->Attach(nullptr);
            slot->ReleaseSurface();
        }
    ReleaseStaging();
}

void TextureManager::Destroy() {
    FreePool();
    requests_.clear();
    for (auto& set : sets_)
        ReleaseSet(*set);
    sets_.clear();
    dedicated_.clear();
    ReleaseStaging();
    plainFormat_ = alphaFormat_ = D3DFMT_UNKNOWN;
    deviceMaxLevel_ = workingMaxLevel_ = -1;
    measuredTexels_ = 0;
}

int TextureManager::GetPixelKind(const TextureSet* set) {
    return set ? set->GetPixelKind() : kPixelKindPlain;
}

int TextureManager::GetFrameCount(const TextureSet* set) {
    return set ? set->FrameCount() : 0;
}

} // namespace lumivane
