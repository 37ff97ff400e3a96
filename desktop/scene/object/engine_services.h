// What the scene engine asks of the program around it. The program shell and
// the display install the real services at start-up; until then (tools,
// tests) each has a quiet default, and tests install their own.
#pragma once

#include <cstdint>
#include <string_view>

namespace lumivane {

// Language-table entries of the messages the scene engine raises.
inline constexpr int kEntryBadFile = 11001;     // detail: the file's path
inline constexpr int kEntryNoScriptConfig = 26; // detail: "script.dat"

// Warnings and fatal errors, keyed by language entry. ShowFatalError of the
// real sink ends the program; a test's sink may return, and callers then
// fail the operation that raised it.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowWarning(int entry, std::string_view detail) = 0;
    virtual void ShowFatalError(int entry, std::string_view detail) = 0;
};

// Null restores the default: warnings to stderr, fatal errors end the process.
void SetMessageSink(MessageSink* sink);
void ReportWarning(int entry, std::string_view detail);
void ReportFatalError(int entry, std::string_view detail);

// A loaded texture; the texture manager owns it and the scene engine only
// keeps the pointer.
class TextureSet;

inline constexpr int kPixelKindPlain = 0;
inline constexpr int kPixelKindAlpha = 1;
inline constexpr int kPixelKindBump = 2;

class TextureSource {
public:
    virtual ~TextureSource() = default;
    // The set for a path below the data root ("models\textures\rock.dds"),
    // or null when it cannot be loaded. The group names the asker in the
    // missing-file report; user and extra are passed through as read.
    virtual TextureSet* GetTexture(std::string_view path, std::string_view group, int32_t user,
                                   int32_t extra) = 0;
    // kPixelKindPlain, kPixelKindAlpha or kPixelKindBump.
    virtual int GetPixelKind(const TextureSet* set) = 0;
    virtual int GetFrameCount(const TextureSet* set) = 0;
};

// Null (the default) loads no texture.
void SetTextureSource(TextureSource* source);
TextureSource* GetTextureSource();

// The display's choices that shape how models load.
struct DisplaySwitches {
    // Vertex alpha is drawn; when off, colours whose alphas differ become
    // the opaque grey of their alpha.
    bool vertexAlpha = true;
    // Per-vertex rotation data: 0 none, 1 normals onto +Z, 2 onto +X.
    int vertexRotationMode = 0;
    // The grid may carry its texture.
    bool gridTexture = true;
};

// Null restores the defaults above.
void SetDisplaySwitches(const DisplaySwitches* switches);
const DisplaySwitches& GetDisplaySwitches();

// The frame clock the main loop advances: game and real time in
// milliseconds, the game and real steps of this frame in seconds, and the
// number of the frame being made (counted from the scene's start).
struct SceneClock {
    uint32_t gameTime = 0;
    uint32_t realTime = 0;
    float frameTime = 0.0f;
    float realFrameTime = 0.0f;
    uint32_t frame = 0;
};

SceneClock& GetSceneClock();

} // namespace lumivane
