// Glyph atlas rendering in place of the system's font drawing: the
// characters of the Windows-1252 code page drawn white on black into one
// picture, row by row in code order, with each character's cell (its
// advance width by the font's line height).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::font {

struct GlyphCell {
    int x = 0, y = 0;   // top left of the cell in the picture
    int cx = 0, cy = 0; // advance width and line height; 0 for codes not drawn
};

struct GlyphAtlas {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage; // one byte a pixel, rows top first
    GlyphCell cells[256];
};

// The font file of a face ("DejaVu Sans", "DejaVuSansMono", ...) in the
// given style from the system's fonts; DejaVu Sans when the face is unknown
// or empty. Empty when no font file is there at all.
std::string FindFontFile(const char* faceName, bool bold, bool italic);

// Draws codes first..last of the font file `emPixels` pixels high (the
// em square) into a width x height picture: left to right with 2 pixels
// between cells, a new row (2 pixels below the last) when a cell would
// cross the right edge. Codes that no longer fit below are left undrawn.
// False with the reason when the font cannot be read.
bool RenderGlyphAtlas(const std::string& fontFile, int emPixels, int width, int height, int first,
                      int last, GlyphAtlas& out, std::string* error = nullptr);

// The Unicode character of a Windows-1252 code (0 for the five codes that
// have none).
uint32_t Cp1252ToUnicode(uint8_t code);

} // namespace platform::font
