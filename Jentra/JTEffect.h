// JTEffect: the material of a geometry node. When the display draws a
// queued node, the node's effect draws it: most effects fill the named
// parameters of an effect file (matrices, camera, light 0, time, textures)
// and draw the node once per pass of the file's technique; a few use the
// fixed-function pipeline. The fifteen concrete effects are in JTEffects.h.
//
// An effect file is named after its class ("ParkPiece.eft" for
// JTEffect_ParkPiece), lies in the program's folder and is built once per
// class for the display's device, shared by all instances; a display-mode
// change releases it and the next use builds it again.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "Jentra/JTMath.h"
#include "Jentra/JTRandom.h"
#include "Jentra/JTUnknown.h"
#include "platform/render/device_types.h"

class JTDisplay;
class JTGeoNode;
class JTTexture;
class JTTextureFrame;
class JTCompiledEffect;

namespace platform::render {
class BaseTexture;
}

class JTEffect : public JTUnknown {
    JT_CLASS(JTEffect, JTUnknown)
public:
    JTEffect() = default;
    ~JTEffect() override = default;

    // Draws the node with whatever state stands.
    virtual void Render(JTDisplay* display, JTGeoNode* node);
    // Whether the output is blended (the display then sorts the node into
    // its transparent queue).
    virtual bool GetTransparent() { return false; }

    // Builds one effect file (a name below the program's folder) for the
    // current display's device. A file that is missing, does not read or
    // has no technique that builds shows the fatal box with its name and
    // the compiler's messages. Null only when there is no display to build
    // for yet.
    static JTCompiledEffect* LoadEffectFile(const char* fileName);
    // Releases every class's shared compiled effect (what a display-mode
    // change does); each is built again on its next use.
    static void ReleaseSharedEffects();

protected:
    // The render skeleton of the file-driven effects, in three steps:
    // Prepare builds the class's shared effect when needed (and keeps it
    // for the display's device) and fills the per-draw engine state; the
    // effect then sets its parameters; DrawPasses binds the bump-matrix
    // stream and draws the node once per pass.
    struct DrawState {
        JTMatrix world, view, projection, worldViewProj;
        JTMatrix worldInverse; // identity when the world matrix is singular
        D3DLIGHT8 light{};     // device light 0
        JTVec3 eyeWorld;       // camera position
        JTVec3 eyeObject;      // camera position in object space
        JTVec3 lightObject;    // unit direction towards the light, object space
    };
    static JTCompiledEffect* Prepare(JTCompiledEffect*& shared, const char* fileName,
                                     void (*release)(), JTDisplay* display, JTGeoNode* node,
                                     DrawState& state);
    static void DrawPasses(JTCompiledEffect& effect, JTDisplay* display, JTGeoNode* node);
    // The common light-0 colour vectors: "vDLC", "vALC", "vAL2", "vSLC".
    static void SetLightColours(JTCompiledEffect& effect, const D3DLIGHT8& light);
    // The device texture of a texture's first frame, or null.
    static platform::render::BaseTexture* DeviceTexture(JTTexture* texture);
    // Frame `index` of a texture, or null (none, or no such frame).
    static JTTextureFrame* TextureFrame(JTTexture* texture, uint32_t index);
    static bool TextureHasAlpha(JTTexture* texture);
    // A texture reference in a model stream (JTTextureMan::SaveLoadRef).
    static bool SaveLoadTexture(JTFile& f, JTTexture*& texture);
    // The start of every effect record: the object header, then the
    // class's own version word; false when the transfer failed.
    bool SaveLoadHead(JTFile& f);
    // Texture references in order; a reference that cannot be resolved
    // leaves its texture null and does not stop the record.
    static void SaveLoadTextures(JTFile& f, std::initializer_list<JTTexture**> textures);
    // The lit surface most file-driven effects share: "mWVP", the diffuse
    // and bump textures "mDIF" and "mBUM", "vEYE" and "vLDR".
    static void SetLitSurface(JTCompiledEffect& effect, const DrawState& state, JTTexture* diffuse,
                              JTTexture* bump);
    // A vector parameter from a point or direction.
    static void SetVector(JTCompiledEffect& effect, const char* name, const JTVec3& v,
                          float w = 0.0f);
    // After a loading SaveLoad: builds the class's file unless it is built.
    static void LoadIfNeeded(JTFile& f, JTCompiledEffect*& shared, const char* fileName,
                             void (*release)());
};
