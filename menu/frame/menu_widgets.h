// The menus' own widgets: the vertical scroll bar and the menu's ways of
// drawing an act record, on the fills, the framed box and the shadowed text
// that the world, the menus and the battle share (draw/widgets.h). Everything
// draws on the locked back buffer (gBackPixels).
#pragma once
#include <cstdint>

#include "draw/widgets.h"

struct ActRecord;

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

// The back buffer cleared to black and shown (before a map is loaded).
void ShowBlackScreen();

// The once-only reports forgotten (a new menu, tests).
void ResetMenuWidgets();
