// The HUD's small drawers: picture digits, frames of packs cut to a width,
// bars, the HUD's own act records, framed and sliding panels, the list
// scroll bar and the info boxes of the command menus. Everything draws on
// the back buffer (gBackPixels); nothing is drawn while it is not locked.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"

// Text colours of the panels (screen colours as the HUD stores them).
constexpr uint16_t kHudTextNormal = 65534;
constexpr uint16_t kHudTextSelected = 61440;
constexpr uint16_t kHudTextTitle = 65472;
constexpr uint16_t kHudTextWhite = 65535;
// The colours of an available and of an unavailable list entry.
uint16_t HudListColour();
uint16_t HudGreyColour();

// Packs of the digits: the HUD's numbers, and the party panel's life digits
// below 11 and up to a third of the maximum.
constexpr uint16_t kHudDigits = 9079;
constexpr uint16_t kHudDigitsMiddle = 9080;
constexpr uint16_t kHudDigitsLow = 9081;

// The HUD's act records, each reused by one drawer.
constexpr int kHudActSlots = 8;
struct HudActs {
    ActRecord frame;        // act 9110, the command panels' frame
    ActRecord marker;       // the selection marker
    ActRecord menuIcon;     // act 9130
    ActRecord reward;       // the reward act
    ActRecord memberIcon;   // act 9104
    ActRecord dimmed[4];    // act 9106 by party slot
    ActRecord slots[kHudActSlots];
    ActRecord coin[2];      // the coin spin's acts
};
extern HudActs gHudActs;

// Left-to-right digits: each digit at (pen x - 16, y), the pen advancing by
// the digit's width; no leading zeros, the ones always (0 shows "0").
void DrawBattleNumber(uint16_t pack, uint32_t value, int32_t x, int32_t y);
// Right-aligned digits: the ones digit at x, each further digit one frame
// width to the left.
void DrawDigitsRight(uint16_t pack, uint32_t value, int32_t x, int32_t y);
// A frame of pack 9072 at (x, y); its width (0 when missing).
int DrawPack9072Frame(int reuse, uint16_t frame, int32_t x, int32_t y);

// A frame of a pack at (x, y) cut to width w (nothing when w < 1).
void DrawPackFrame(uint16_t pack, uint16_t frame, int32_t x, int32_t y, int32_t w);
void DrawPackFrameAt(uint16_t pack, uint16_t frame, int32_t x, int32_t y);
void DrawPackFirstFrame(uint16_t pack, int32_t x, int32_t y);
void DrawHudFrame0(uint16_t pack, int32_t x, int32_t y);
// Frame 0, then frame 1 cut to w (none for 0).
void DrawBarFill1(uint16_t pack, int32_t x, int32_t y, int32_t w);
// Frame 0, then frame 2 cut to w; 1.
int DrawBarFill2(uint16_t pack, int32_t x, int32_t y, int32_t w);
// Frame 0, then frame 1 cut to w + 2.
void DrawBarFillWide(uint16_t pack, int32_t x, int32_t y, int32_t w);

// Steps an act record (restarted with the act and parameter) and draws it at
// (x, y) less its origin; 0 when the act cannot be stepped.
int DrawActSlot(uint16_t act, int slot, int32_t x, int32_t y);
int DrawSelMarker(uint16_t act, int32_t x, int32_t y);
int DrawHudAct9130(uint16_t param, int32_t x, int32_t y);
// Act 9104 with parameter n; outlined when highlighted, tinted when dim.
void DrawMemberIcon(uint16_t n, int32_t x, int32_t y, int dim, int highlighted);
void DrawDimmedAct9106(int32_t x, int32_t y, int slot);
// The reward act: 1 once it has ended.
int DrawPackFrameFlipped(uint16_t act, uint16_t param, int32_t x, int32_t y, int mirror);
void ClearRewardAct();

// A window of (cols + 2) x (rows + 2) tiles of 16 pixels from the nine
// frames of the pack over a translucent panel.
void DrawNinePartFrame(uint16_t pack, int32_t x, int32_t y, int cols, int rows, uint16_t fill);

// The scroll bar of a 7-row list of `count` entries whose first shown entry
// is `top`: act 9002's top cap, `rows` track pieces, the thumb and the
// bottom cap. Lists of 7 entries or fewer have nothing to scroll: the thumb
// fills the track.
void DrawListScrollBar(uint16_t act, int32_t x, int32_t y, int rows, int top, int count, int style);

// Panels that slide in from the right (tall, square) or from above (wide);
// the slide offset halves each frame. SetPanelSlide starts a slide.
int DrawSlidingPanelTall(int32_t x, int32_t y);
int DrawSlidingPanelSquare(int32_t x, int32_t y);
int DrawSlidingPanelWide(int32_t x, int32_t y);
void SetPanelSlide(int32_t tall, int32_t square, int32_t wide);

// The framed text box of the panels and result pages.
void DrawBattleTextBox(int32_t x, int32_t y, int32_t w, int32_t h, int32_t textX, int32_t textY, const char* text);

// Info boxes of the command lists.
void DrawSelectedItemInfo(int32_t x, int32_t y);
void DrawGuardianInfo(int32_t x, int32_t y);
void DrawItemCounts(int32_t x, int32_t y, int choice);

// Everything the HUD keeps back to its start (acts, slides, eased values).
void ResetBattleHud();
