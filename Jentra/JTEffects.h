// The engine's fifteen effects. Two use the fixed-function pipeline
// (JTEffect_Simple, with JTEffect_Bump that behaves and saves as it, and
// the glowing trail JTEffect_StreamingLight); the others drive the effect
// file named after their class. Models name them by class name.
#pragma once

#include <cstdint>

#include "Jentra/JTEffect.h"

class JTTexture;

// Textured, lit by the fixed-function pipeline, blended when the node is
// faded or the texture has alpha.
class JTEffect_Simple : public JTEffect {
    JT_CLASS(JTEffect_Simple, JTEffect)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;
    bool GetTransparent() override;

    JTTexture* texture = nullptr;
    uint32_t frameIndex = 0;
    bool twoSided = false;
    float emissive[4] = {0, 0, 0, 1};
    bool depthTest = true;
    bool depthWrite = true;
};

// The same as JTEffect_Simple in every way, its class included: it is saved
// as a JTEffect_Simple and comes back as one.
class JTEffect_Bump : public JTEffect_Simple {};

// Fifteen copies of the node drifting behind it in its own space, the last
// one solid.
class JTEffect_StreamingLight : public JTEffect_Simple {
    JT_CLASS(JTEffect_StreamingLight, JTEffect_Simple)
public:
    void Render(JTDisplay* display, JTGeoNode* node) override;
    bool GetTransparent() override { return true; }

    bool darkFinalPass = false;
};

// The members every file-driven class has: the shared compiled file, its
// name and the function that releases it.
#define JT_FILE_EFFECT(T)                                                                          \
public:                                                                                            \
    static JTCompiledEffect* pD3DEffect;                                                           \
    static const char* const kFileName;                                                            \
    static void ReleaseShared();                                                                   \
                                                                                                   \
private:

class JTEffect_ParkPiece : public JTEffect {
    JT_CLASS(JTEffect_ParkPiece, JTEffect)
    JT_FILE_EFFECT(JTEffect_ParkPiece)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;

    JTTexture* diffuse = nullptr;
    JTTexture* bump = nullptr;
    JTTexture* specular = nullptr;
};

class JTEffect_FireKnight : public JTEffect {
    JT_CLASS(JTEffect_FireKnight, JTEffect)
    JT_FILE_EFFECT(JTEffect_FireKnight)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;

    JTTexture* diffuse = nullptr;
    JTTexture* bump = nullptr;
};

// A FireKnight whose light is tinted by a colour and faded with the node.
class JTEffect_FireKnightAlpha : public JTEffect {
    JT_CLASS(JTEffect_FireKnightAlpha, JTEffect)
    JT_FILE_EFFECT(JTEffect_FireKnightAlpha)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;
    bool GetTransparent() override { return true; }
    void SetColor(float r, float g, float b, float a) {
        color[0] = r;
        color[1] = g;
        color[2] = b;
        color[3] = a;
    }

    JTTexture* diffuse = nullptr;
    JTTexture* bump = nullptr;
    float color[4] = {1, 1, 1, 1};
};

// A FireKnight with a detail texture that receives the shadow pass.
class JTEffect_FireKnightShadow : public JTEffect {
    JT_CLASS(JTEffect_FireKnightShadow, JTEffect)
    JT_FILE_EFFECT(JTEffect_FireKnightShadow)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;

    JTTexture* diffuse = nullptr;
    JTTexture* bump = nullptr;
    JTTexture* detail = nullptr;
    float detailScaleU = 1.0f;
    float detailScaleV = 0.0f;
};

// A glowing screen.
class JTEffect_Monitor : public JTEffect {
    JT_CLASS(JTEffect_Monitor, JTEffect)
    JT_FILE_EFFECT(JTEffect_Monitor)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;
    bool GetTransparent() override { return true; }

    JTTexture* screen = nullptr;
};

// Translucent ice reflecting a turning cube map.
class JTEffect_WetIce : public JTEffect {
    JT_CLASS(JTEffect_WetIce, JTEffect)
    JT_FILE_EFFECT(JTEffect_WetIce)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;
    bool GetTransparent() override { return true; }

    JTTexture* surface = nullptr; // saved, not drawn
    JTTexture* bump = nullptr;

    // The reflected cube map is made once per device from "cubetest.dds"
    // and kept; this gives it back (at shut-down).
    static void ReleaseCube();
};

// A translucent grey glow, cut out by an opacity texture when it has one.
class JTEffect_WingDing : public JTEffect {
    JT_CLASS(JTEffect_WingDing, JTEffect)
    JT_FILE_EFFECT(JTEffect_WingDing)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;
    bool GetTransparent() override { return true; }

    JTTexture* opacity = nullptr;
};

// A scrolling translucent hologram with bursts of static and their sounds.
class JTEffect_Membrane : public JTEffect {
    JT_CLASS(JTEffect_Membrane, JTEffect)
    JT_FILE_EFFECT(JTEffect_Membrane)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;
    bool GetTransparent() override { return true; }

    JTTexture* diffuse = nullptr;
    JTTexture* opacity = nullptr;
    float staticTimeLeft = 0.0f; // seconds of the running burst
    uint32_t nextStaticTime = 0; // game milliseconds of the next burst; 0: none planned
};

class JTEffect_BumpDiffuse : public JTEffect {
    JT_CLASS(JTEffect_BumpDiffuse, JTEffect)
    JT_FILE_EFFECT(JTEffect_BumpDiffuse)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;

    JTTexture* diffuse = nullptr;
    JTTexture* bump = nullptr;
};

class JTEffect_BumpReflect : public JTEffect {
    JT_CLASS(JTEffect_BumpReflect, JTEffect)
    JT_FILE_EFFECT(JTEffect_BumpReflect)
public:
    bool SaveLoad(JTFile& f) override;
    void Render(JTDisplay* display, JTGeoNode* node) override;

    JTTexture* surface = nullptr; // saved, not drawn
    JTTexture* bump = nullptr;
};

// What the shadow pass draws every caster with: solid black.
class JTEffect_Shadow : public JTEffect {
    JT_CLASS(JTEffect_Shadow, JTEffect)
    JT_FILE_EFFECT(JTEffect_Shadow)
public:
    void Render(JTDisplay* display, JTGeoNode* node) override;
};

// A glow around the node that pulses once a second of real time and keeps
// its size whatever the node's scale.
class JTEffect_Halo : public JTEffect {
    JT_CLASS(JTEffect_Halo, JTEffect)
    JT_FILE_EFFECT(JTEffect_Halo)
public:
    void Render(JTDisplay* display, JTGeoNode* node) override;
    bool GetTransparent() override { return true; }
    void SetColor(float r, float g, float b, float a) {
        color[0] = r;
        color[1] = g;
        color[2] = b;
        color[3] = a;
    }

    uint32_t unused = 0;
    float color[4] = {1, 1, 1, 1};
    float size = 1.25f;
};

#undef JT_FILE_EFFECT
