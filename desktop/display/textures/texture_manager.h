// TextureManager: the one texture table of the desktop program. Models,
// cursors, fonts, halos, grids, orbit lines and logos ask it for a
// TextureSet by file path; it reads the program's DDS files into system
// memory once, and shows their levels to the renderer through a bounded set
// of video-memory TextureSlots: dedicated slots that belong to one level
// for good, and a pool per level that each frame's requests fill by
// priority, least recently used first. Compressed files are decompressed
// into the chosen 16-bit formats when a level is shown; the device never
// draws compressed textures.
#pragma once

#include "desktop/display/textures/texture_set.h"
#include "desktop/display/textures/texture_slot.h"
#include "desktop/scene/object/engine_services.h"
#include "platform/image/image.h"
#include "platform/render/device_types.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::render {
class Device;
}

namespace lumivane {

class ScriptConfig;

// Language entries the texture manager raises.
inline constexpr int kEntryNoTextureFormats = 5; // fatal
inline constexpr int kEntrySurfaceFailed = 13;   // fatal, detail: the quoted path
inline constexpr int kEntryTextureRead = 14;     // warning, detail: the quoted path
inline constexpr int kEntryNotSquare = 15;       // warning, detail: the quoted path
inline constexpr int kEntryBadSide = 16;         // warning, detail: the quoted path

// What the texture manager asks of the display it works for.
class TextureHost {
public:
    virtual ~TextureHost() = default;
    virtual platform::render::Device* RenderDevice() = 0;
    // The display's bump paths; the manager turns DOT3 off when the device
    // has no 5:6:5 format.
    virtual bool Dot3() const = 0;
    virtual bool EnvironmentBump() const = 0;
    virtual void ClearDot3() = 0;
    virtual void DrawProgress(float fraction) = 0;
    // The display's output size: it names the "Textures" block of limits.
    virtual void DisplaySize(int& width, int& height) const = 0;
};

// One request of the frame: a frame's level, by priority.
struct LevelRequest {
    TextureFrame* frame = nullptr;
    float priority = 0.0f;
    int level = 0;
};

class TextureManager : public TextureSource {
public:
    TextureManager();
    ~TextureManager() override;
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // ---- Surroundings, given before Init.
    // Texture paths are resolved below this folder, any letter case.
    void SetDataRoot(std::filesystem::path root) { dataRoot_ = std::move(root); }
    const std::filesystem::path& DataRoot() const { return dataRoot_; }
    // The "Textures" limits; none: every dedicated limit is 8.
    void SetScriptConfig(const ScriptConfig* config) { config_ = config; }
    // Physical memory of the machine (default: as the system says); below
    // 65 MB no level above 256 x 256 is kept.
    void SetPhysicalMemory(uint64_t bytes) { physicalMemory_ = bytes; }
    // The model library's list of missing files, and whether the library
    // holds its prototypes (then restoring shows the progress bar).
    std::function<void(int32_t kind, std::string_view path, std::string_view group)> reportMissing;
    std::function<bool()> modelsLoaded;

    // ---- Life.
    // Chooses the formats and makes the staging surfaces for the display's
    // device. False when no level can be made at all; no usable formats or a
    // staging surface that cannot be made are fatal.
    bool Init(TextureHost& host);
    // The first set of that path, ignoring case; null when none.
    TextureSet* Find(std::string_view path) const;
    // Measures texture memory and shares it among the pool's levels; false
    // (no pool: only dedicated slots draw) when too little was measured.
    bool BuildSlotPool();
    // After the display made its device again: surfaces and pool anew, the
    // dedicated slots filled from system memory. False when a dedicated slot
    // cannot get its surface.
    bool Restore(TextureHost& host);
    // Lets go of every video-memory and staging surface (before the device
    // goes); the system-memory levels stay.
    void ReleaseSurfaces();
    // Frees everything.
    void Destroy();

    // ---- Each frame.
    void ClearRequests() { requests_.clear(); }
    void RequestLevel(TextureFrame* frame, float priority, int level);
    // Fills the pool from this frame's requests.
    void UploadRequested();
    const std::vector<LevelRequest>& Requests() const { return requests_; }

    // ---- TextureSource (the scene engine's view).
    // The set of a path, loaded when new: a bump texture ("_bump" in its
    // name) is taken as it is with DOT3, as the "env" file beside it with
    // environment bump mapping only, else refused. Unless forceNew is set, a
    // set already loaded under the path (any letter case) is answered. A
    // resident set (non-zero) gives every level a dedicated slot. The group
    // names the asker in the missing-file report. Null when it cannot load.
    TextureSet* GetTexture(std::string_view path, std::string_view group, int32_t resident,
                           int32_t forceNew) override;
    int GetPixelKind(const TextureSet* set) override;
    int GetFrameCount(const TextureSet* set) override;

    // ---- State, for the slots, the renderer and tests.
    platform::render::Device* Device() const { return host_ ? host_->RenderDevice() : nullptr; }
    D3DFORMAT PlainFormat() const { return plainFormat_; }
    D3DFORMAT AlphaFormat() const { return alphaFormat_; }
    int DeviceMaxLevel() const { return deviceMaxLevel_; }
    int WorkingMaxLevel() const { return workingMaxLevel_; }
    int SetCount() const { return int(sets_.size()); }
    TextureSet* Set(int index) const { return sets_[size_t(index)].get(); }
    int DedicatedCount() const { return int(dedicated_.size()); }
    TextureSlot* Dedicated(int index) const { return dedicated_[size_t(index)].get(); }
    int PoolCount(int level) const { return int(pool_[size_t(level)].size()); }
    TextureSlot* PoolSlot(int level, int index) const {
        return pool_[size_t(level)][size_t(index)].get();
    }
    uint64_t MeasuredTexels() const { return measuredTexels_; }
    uint32_t CurrentFrame() const { return frameStamp_; }

    // The device format a kind of pixels is shown in.
    D3DFORMAT FormatOfKind(int kind) const;
    // The 16-bit texels of a level for a surface of that kind, decompressing
    // DXT blocks through the staging surface of its size.
    const platform::image::Image* TexelsFor(const TextureLevel& level, int kind);

private:
    friend class TextureSlot;

    // Loading (texture_set_load.cpp, dds_level_reader.cpp).
    bool LoadSet(TextureSet& set, std::string_view path, std::string_view group);
    bool LoadFrame(TextureSet& set, TextureFrame& frame, const std::string& path);
    // Lets go of a set's frames, its dedicated slots and its requests.
    void ReleaseSet(TextureSet& set);
    int DedicatedLimit(const std::string& path) const;
    // Texture formats (texture_formats.cpp).
    bool ChooseFormats();
    bool MakeStaging();
    void ReleaseStaging();
    // Pool (slot_pool.cpp).
    uint64_t MeasureTexels();
    void FreePool();

    TextureHost* host_ = nullptr;
    std::filesystem::path dataRoot_;
    const ScriptConfig* config_ = nullptr;
    uint64_t physicalMemory_ = 0;

    std::vector<std::unique_ptr<TextureSet>> sets_;
    std::vector<std::unique_ptr<TextureSlot>> dedicated_;
    std::array<std::vector<std::unique_ptr<TextureSlot>>, kTextureLevelCount> pool_;
    std::vector<LevelRequest> requests_;

    D3DFORMAT plainFormat_ = D3DFMT_UNKNOWN;
    D3DFORMAT alphaFormat_ = D3DFMT_UNKNOWN;
    int deviceMaxLevel_ = -1;
    int workingMaxLevel_ = -1;
    // Staging: where compressed levels are decompressed on their way to a
    // slot, a row of blocks at a time (the strip, its 16-bit row) into one
    // picture of the level's size.
    platform::image::Image staging_;
    platform::image::Image stagingStrip_;
    platform::image::Image stagingRow_;
    bool stagingMade_ = false;
    uint64_t measuredTexels_ = 0;
    uint32_t frameStamp_ = 0;
};

// The program's texture table; null until start-up makes it.
extern TextureManager* gpTextureManager;

// A texture path in double quotes, as the texture warnings show it.
std::string QuotedPath(std::string_view path);

// Physical memory below this keeps no level above 256 x 256.
inline constexpr uint64_t kLowMemoryBytes = 0x4100000;
inline constexpr int kLowMemoryMaxLevel = 5;
// The pool is built from this many measured texels on.
inline constexpr uint64_t kPoolMinimumTexels = 0x80000;
inline constexpr uint64_t kMeasureCeilingTexels = 2200000;

} // namespace lumivane
