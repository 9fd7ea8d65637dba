// The small drawing widgets the menus, the battle HUD and the map share:
// the menu rectangle fills, the framed box, shadowed text, the vertical
// scroll bar and the menu's ways of drawing an act record. Everything draws
// on the locked back buffer (gBackPixels).
#pragma once
#include <cstdint>

struct ActRecord;
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

// Where DrawBar put the bar's parts.
struct BarPlaces {
    int top, thumbTop, thumbBottom, bottom;
};
// A vertical scroll bar of height h at (x, y); start and end (0..1) place
// the thumb; flags bit 0 and 1 light the top and bottom caps.
BarPlaces DrawBar(int x, int y, int h, uint32_t flags, float start, float end);

// The record's next frame, translucent at alpha (1..16); 0 when the act
// cannot be stepped (one box per act, then nothing is drawn).
int DrawActGhost(ActRecord* record, int x, int y, int alpha, const char* tag = "Act Err(Menu::DrawActGhost)");
// The frame outlined in white, then the frame.
int DrawActBorder(ActRecord* record, int x, int y);
int DrawActAlpha(ActRecord* record, int x, int y, int alpha);
// Steps the record; a record that cannot be stepped is reported with the
// tag once per tag, act, qq and dir until ResetMenuWidgets.
bool StepMenuAct(ActRecord* record, const char* tag);

// The bar's fill width for current / maximum over `width` pixels: 0 for a
// maximum of 0 or less, the whole width for a current above the maximum.
int BarFillWidth(int current, int maximum, int width);

// The back buffer cleared to black and shown (before a map is loaded).
void ShowBlackScreen();

// The once-only reports forgotten (a new menu, tests).
void ResetMenuWidgets();
