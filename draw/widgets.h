// The small drawing widgets the world, the menus and the battle share: the
// rectangle fills, the framed box, shadowed text and a bar's fill width.
// Everything draws on the back buffer (gBackBuffer, gBackPixels).
#pragma once
#include <cstdint>

class cTextFont;

enum MenuFillMode : int {
    kFillTint = 0,     // 11/16 of the pixel plus 1/4 of the colour
    kFillAdd = 1,      // adds the signed (r, g, b), saturating
    kFillQuarter = 2,  // quarter brightness
    kFillGrey = 3,
    kFillEighth = 4,   // eighth brightness
    kFillGradient = 5, // (r, g, b) added, most at the middle rows
};

// The rectangle, clipped to the drawing clip (gClip), in one of the modes;
// any other mode draws nothing.
void FillMenuRect(int x, int y, int width, int height, int r, int g, int b, int mode);
// FillMenuRect(x - 8, y - 8, w + 16, h + 16, r, g, b, mode) and the window
// frame of picture 9019 around the rectangle.
void DrawFramedBox(int x, int y, int width, int height, int mode, int r, int g, int b);
// The text at (x + 2, y + 1) in the shadow colour, then at (x, y) and
// (x + 1, y) in the colour (screen colours).
void DrawShadowText(int x, int y, uint16_t colour, uint16_t shadow, const char* text, cTextFont& font);

// The bar's fill width for current / maximum over `width` pixels: 0 for a
// maximum of 0 or less, the whole width for a current above the maximum.
int BarFillWidth(int current, int maximum, int width);
