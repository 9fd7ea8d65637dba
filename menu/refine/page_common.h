// Text drawing and the list window shared by the refining and feeding pages.
#pragma once
#include <algorithm>
#include <cstdint>

#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "menu/frame/menu_lists.h"

inline uint16_t PageColour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }

// Shadowed text on the locked back buffer (nothing when none is locked).
inline void PageText(int x, int y, const char* text, uint16_t colour, cTextFont& font = gFontLarge) {
    if (gBackPixels && text) font.DrawTextStr(gBackPixels, x, y, text, colour, kTextShadowed);
}

// A description's lines (split at line feeds and "%N", and where the text
// would pass `width` pixels: at its last blank, so words stay whole), 20 px
// apart, at most `rows` of them.
void PageTextLines(int x, int y, const char* text, int rows, int width, uint16_t colour);

// Holds a list window of `rows` inside a list of `total` entries after the
// list changed (a zeroed state becomes the window at the list's start).
inline void FitListWindow(ListState* s, int total, int rows) {
    s->total = total;
    s->top = std::clamp(s->top, 0, std::max(0, total - rows));
    s->shown = std::min(rows, total - s->top);
    s->cursor = std::clamp(s->cursor, 0, std::max(0, s->shown - 1));
}
