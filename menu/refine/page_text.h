// Text drawing shared by the refining and feeding pages.
#pragma once
#include <cstdint>

#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"

inline uint16_t PageColour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }

// Shadowed text on the locked back buffer (nothing when none is locked).
inline void PageText(int x, int y, const char* text, uint16_t colour, cTextFont& font = gFontLarge) {
    if (gBackPixels && text) font.DrawTextStr(gBackPixels, x, y, text, colour, kTextShadowed);
}

// A description's lines (split at line feeds and "%N"), 20 px apart, at
// most `rows` of them.
void PageTextLines(int x, int y, const char* text, int rows, uint16_t colour);
