// Textures: a JTTextureFrame is one device texture; a JTTexture is a named
// sequence of frames (one, or an animation numbered in its file names); the
// JTTextureMan (gpJTTextureMan, one per display) keeps every JTTexture by
// name so that a file is loaded once. Loading is where the engine's texture
// policy lives (see Jentra/render/texture_source.h): the file name chooses
// the pixel format, a JPEG's "_alpha.jpg" companion gives it alpha, and
// conversions are cached beside their source as DDS files. Names are
// relative to "modules\" below the working folder. Models refer to
// textures by name (JTTextureMan::SaveLoadRef).
#pragma once

#include <memory>

#include "Jentra/JTArray.h"
#include "Jentra/render/texture_names.h"
#include "platform/render/device_types.h"

class JTDisplay;
class JTFile;
namespace platform::render {
class Texture;
}

// "R8G8B8", "A8R8G8B8", "X8R8G8B8", "R5G6B5", "X1R5G5B5", "A1R5G5B5",
// "A4R4G4B4", "X4R4G4B4", "DXT1" to "DXT5"; "XXX" for any other format.
const char* GetFormatString(D3DFORMAT format);

class JTTextureFrame {
public:
    JTTextureFrame();
    // Gives the device texture back.
    ~JTTextureFrame();
    JTTextureFrame(const JTTextureFrame&) = delete;
    JTTextureFrame& operator=(const JTTextureFrame&) = delete;

    platform::render::Texture* GetD3DTexture() const { return texture.get(); }
    bool HasAlpha() const { return hasAlpha; }

    // Loads the file `name` (below "modules\") by the engine's rules, with
    // every MIP level when mips is set. False, with a line on stderr, when
    // it cannot be read; the frame then has no texture.
    bool Load(JTDisplay* display, const char* name, bool mips, bool unused = false);
    // Writes every level as a DDS file below "modules\"; false for formats
    // a DDS of the engine cannot hold or when the file cannot be written.
    bool Save(JTDisplay* display, const char* name);
    // An empty managed texture, with all MIP levels when mips is set.
    bool CreateD3DTexture(JTDisplay* display, int width, int height, D3DFORMAT format, bool mips,
                          unsigned long usage);
    // Each level from 1 down made from the level above it (box filter).
    void CreateMIPLevels(JTDisplay* display);

protected:
    // Every level of a height map made into a normal map in place (32-bit
    // and R5G6B5 levels; others stay). Always 0.
    long HeightToNormal(platform::render::Texture* d3dTexture);

    std::unique_ptr<platform::render::Texture> texture;
    bool hasAlpha = false;
};

class JTTexture {
public:
    JTTexture();
    ~JTTexture();
    JTTexture(const JTTexture&) = delete;
    JTTexture& operator=(const JTTexture&) = delete;

    const char* GetName() const { return name; }
    // Keeps at most kJTTextureNameSize - 1 characters.
    void SetName(const char* newName);
    bool HasAlpha() const { return hasAlpha; }
    int GetNumFrames() const { return frames.GetCount(); }
    // Null for a frame that does not exist.
    JTTextureFrame* GetFrame(int i) const;
    platform::render::Texture* GetD3DTexture(int i) const;

    // One frame, or for a name holding "0000." every numbered file that
    // exists from it on. A frame that fails fails the texture.
    bool Load(JTDisplay* display, const char* fileName, const char* unused = "");
    // One frame under the name; several under numbered names ("smoke.dds"
    // gives smoke0000.dds, smoke0001.dds, ...).
    bool Save(JTDisplay* display, const char* fileName);
    bool CreateFrames(JTDisplay* display, int width, int height, D3DFORMAT format, bool mips,
                      unsigned long usage, int count);
    void CreateMIPLevels(JTDisplay* display);

private:
    void DeleteFrames();

    char name[kJTTextureNameSize];
    bool hasAlpha = false;
    JTArray<JTTextureFrame*> frames{4};
};

class JTTextureMan {
public:
    explicit JTTextureMan(JTDisplay* display);
    ~JTTextureMan();
    JTTextureMan(const JTTextureMan&) = delete;
    JTTextureMan& operator=(const JTTextureMan&) = delete;

    // The texture of that name (any letter case) already loaded, unless
    // reload; else a newly loaded one. Null when loading fails; nothing is
    // kept then. A reload never replaces the texture loaded first.
    JTTexture* Load(const char* name, const char* unused = "", bool reload = false);
    // A nameless texture of `frames` empty frames for code that fills it.
    JTTexture* Create(int width, int height, D3DFORMAT format, bool mips, unsigned long usage,
                      int frames);
    // A texture reference in a model stream: u16 version 1, a u32 presence
    // word (1 or 0), then a 260-byte name field (zero-filled) when present.
    // A loaded name without a folder is found beside the model file.
    // False when the stream fails.
    bool SaveLoadRef(JTFile& file, JTTexture** ref);

    // For drawing code that names textures every frame (particles, the
    // benchmark): the first frame of the texture, a name that failed to load
    // is not tried again.
    JTTextureFrame* FindFrame(const char* name);

    int GetNumTextures() const { return textures.GetCount(); }
    JTDisplay* GetDisplay() const { return display; }

protected:
    JTTexture* Lookup(const char* name);

private:
    JTDisplay* display;
    JTArray<JTTexture*> textures{32};
    JTArray<char*> failedNames{16};
};
