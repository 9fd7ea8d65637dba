// Glyphs of the system's Chinese Ming/Song face, one character at a time, as
// one-bit cells. Character codes are a character's text bytes read as a
// little-endian u16 (first byte low); a single-byte character has high byte 0.
#pragma once
#include <cstdint>

// Character sets of a font, as the game numbers them.
enum : int {
    kPlatCharsetGb2312 = 134,
    kPlatCharsetBig5 = 136,
};

struct PlatFont;

// Where the ink of a rendered glyph lies in its cell, and how far the pen moves.
struct PlatGlyphMetrics {
    int left, top;      // first ink column and row in the cell
    int width, height;  // ink size in the cell (0 x 0 for a blank glyph)
    int advance;        // pen advance in pixels
};

// Opens the face for a character set with an em of pixelSize pixels.
// Returns null when no face can be found or opened.
PlatFont* PlatFontOpen(int pixelSize, int charset);
void PlatFontClose(PlatFont* font);

// Renders one character into a cell of cellWidth x cellHeight pixels,
// rowBytes per row, bit 7 of a byte the leftmost pixel. A code whose two
// bytes are both single-byte characters ("..") draws them side by side. The
// cell is cleared first; ink outside it is cut. The em box of the face fills the cell from
// its top-left corner. Returns false (cell blank) when the code is not a
// character of the font's set or the face has no glyph for it.
bool PlatFontRender(PlatFont* font, uint16_t code, uint8_t* cell, int cellWidth, int cellHeight, int rowBytes,
                    PlatGlyphMetrics* metrics);

// A stand-in for the face, so tests get exact pixels: it is given a cleared
// cell and draws the character into it. While one is set, fonts open without
// a face and every render goes to it. Null puts the real face back.
using PlatGlyphRasteriser = bool (*)(int pixelSize, int charset, uint16_t code, uint8_t* cell, int cellWidth,
                                     int cellHeight, int rowBytes);
void PlatFontSetRasteriser(PlatGlyphRasteriser rasteriser);
