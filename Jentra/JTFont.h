// JTFont: the engine's bitmap font. It turns text into a geometry node whose
// mesh holds one textured quad per character, cut from a glyph atlas,
// placed and aligned in the node's own space and optionally wrapped at a
// width. Sizes are in the node's units; widths are measured in heights (a
// character drawn one unit high is advance units wide).
//
// The engine's one font, gpFont1, reads three files in "modules\": the
// atlas "font2-nocomp.jpg" (its alpha comes from "font2-nocomp_alpha.jpg"),
// a bump picture "font2_bump.jpg" and the glyph table "font1.dat": for each
// character code 0..255 its rectangle in the atlas (left, top, right,
// bottom as texture coordinates), then each code's advance (width / height),
// 1280 little-endian floats in all. The builder (CreateTexture) makes an
// atlas and a table from a system font.
#pragma once

#include <cstddef>
#include <string>

#include "Jentra/JTGlobals.h"
#include "Jentra/JTMath.h"

class JTGeoNode;
class JTTexture;

// Where MakeText's position lies on the text: the first line's top, the
// block's middle or its bottom; the lines' left ends, middles or right ends.
enum center {
    TOP_LEFT = 0,
    TOP_CENTER,
    TOP_RIGHT,
    MIDDLE_LEFT,
    MIDDLE_CENTER,
    MIDDLE_RIGHT,
    BOTTOM_LEFT,
    BOTTOM_CENTER,
    BOTTOM_RIGHT,
};

class JTFont {
public:
    static constexpr int kCodes = 256;
    // Bytes of a glyph table file.
    static constexpr size_t kSpacingFileBytes = (kCodes * 4 + kCodes) * sizeof(float);
    // Longer texts are cut: four vertices a character must fit 16-bit indices.
    static constexpr size_t kMaxTextLength = 16384;

    JTFont();
    JTFont(const JTFont&) = delete;
    JTFont& operator=(const JTFont&) = delete;

    // Keeps the name, loads the atlas, the bump picture and the glyph table.
    // Answers 0 whatever could be loaded.
    long Init(const char* name);
    void Term() {}

    // The two tables in the glyph-table layout, inside "modules\". A file
    // that cannot be read whole leaves the tables as they are (false); one
    // that cannot be written is not written (false).
    bool LoadSpacing(const char* file);
    bool SaveSpacing(const char* file) const;

    // The width of the first line of the text wrapped at maxWidth (no
    // wrapping at 0 or below), in heights.
    float GetTextWidth(const char* text, float maxWidth) const;
    // A new geometry node (owning its mesh and a JTEffect_StreamingLight on
    // the atlas) showing the text `size` high a line at pos, aligned by
    // align; stretch widens it, maxWidth wraps it (0: never), dynamic makes
    // the mesh draw through the display's dynamic buffers. The colour is
    // not part of the geometry.
    JTGeoNode* MakeText(const char* text, float size, center align, JTVec3 pos, float stretch,
                        unsigned long colour, float maxWidth, bool dynamic) const;
    // The same text placed in screen terms in front of a camera whose view
    // angles are angleX and angleY (radians): pos.x and pos.y run from -1 to
    // 1 across the view at depth pos.z, and size and maxWidth keep their
    // apparent size at any depth.
    JTGeoNode* MakeScreenText(float angleX, float angleY, const char* text, float size,
                              center align, JTVec3 pos, float stretch, unsigned long colour,
                              float maxWidth, bool dynamic) const;

    // Builder: renders codes 32..255 of the builder's face into a new atlas
    // texture of the texture manager and fills the tables.
    bool CreateTexture();
    void SetBuilderFace(const char* faceName, int pointSize, unsigned flags);

    const char* GetName() const { return name; }
    JTTexture* GetTexture() const { return texture; }
    JTTexture* GetBumpTexture() const { return bumpTexture; }
    const float* GetGlyphRect(unsigned char code) const { return glyphRect[code]; }
    float GetAdvance(unsigned char code) const { return advance[code]; }
    void SetGlyph(unsigned char code, const float rect[4], float width);
    // The part of the glyph's rectangle with ink in the atlas (the whole
    // rectangle while the atlas's ink is not known): text quads cover only
    // that part, so no pixel of the empty rest is drawn.
    const float* GetInkRect(unsigned char code) const;

    // The text as MakeText lays it out: carriage returns dropped, lines
    // broken at line feeds and wrapped at maxWidth (each character s wide a
    // unit of advance).
    std::string Wrap(const char* text, float maxWidth, float s) const;

private:
    // Looks for the ink of every glyph in the atlas (after the atlas or the
    // glyph table changed).
    void FindInk();

    char name[128] = {};
    JTTexture* texture = nullptr;
    JTTexture* bumpTexture = nullptr;
    char faceName[80] = {};
    int pointSize = 24;
    unsigned flags = 0;
    int atlasWidth = 512;
    int atlasHeight = 512;
    float glyphRect[kCodes][4] = {};
    float advance[kCodes] = {};
    float inkRect[kCodes][4] = {};
    bool inkKnown = false;
};
