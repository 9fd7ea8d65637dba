// Text of the story dialog and of the screens that share its look: text in
// the colours of the two dialog colour tables, the word-wrapping message box
// and formatted debug text.
#pragma once
#include <cstdint>

// Text with gFontLarge into pixels (the font's target) in entry colour of
// the text colour table with entry shadow of the shadow table (indices are
// taken modulo 16) and the font mode. Returns DrawTextStr's result.
int DrawColourText(uint16_t* pixels, int32_t x, int32_t y, uint32_t colour, uint32_t shadow, const char* text,
                   uint32_t mode);

// A message box of text with gFontLarge (style 4) from (x, y) on the back
// buffer: colour (25, 23, 17) with shadow (6, 4, 3), or entry `colour` of the
// text colour table when it is 0..15. "%N" starts a line 25 pixels lower,
// "%C" and a digit takes that entry of the text colour table, "%Q" ends the
// text; a line also breaks when its characters, 11 pixels each, would pass
// width; at most `lines` lines are drawn. Returns the lines drawn.
int DrawMessageBox(const char* text, int32_t x, int32_t y, int32_t lines, int32_t width, int32_t colour = -1);

// Formats into a 600-byte buffer (longer text is cut at a character
// boundary) and draws it with gFontSmall, style 16, in the screen colour on
// the back buffer. mode is not used: every caller passes the same.
void PrintText(int32_t x, int32_t y, uint16_t colour, uint32_t mode, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 5, 6)))
#endif
    ;

constexpr int kPrintTextBytes = 600;
constexpr int kMessageLineGap = 25;
