// The map frame's debug overlay. With the settings' debug switch
// (gDebugAllowed) on, the map frame draws it over the finished scene, before
// it presents the frame; the two switches of the debug keys (Ctrl+F1 the
// text, Ctrl+F2 the colour bars, world/debug/debug_keys.h) choose what shows.
//
// The text: one line every 16 pixels from the screen's top, from x = 8:
//   MAct     the player's position in cells (x / 16, y / 16, one decimal)
//   LTCor    the camera's top-left cell
//   Mouse    the cell under the pointer (OnMap) and the pointer (OnScr)
//   MapID    the map number, MapCyc the tile animation period, then the
//            per-map speed value of the debug keys
//   ULck     the player-hold word of the talks (gDialogState), UIpt the game
//            keys down (bit k for record k), gTm the ms since the last frame,
//            Fsc fast mode, BtlM a battle runs (always 0 on the map), BtnIp
//            the mouse buttons
//   T.Gd     GUID and T.Tid talk number of the running-talk context (65535
//            while idle); dbg1 and dbg2 have no values yet and read 0
//   music    the track ids of the map's and the story's two slots, the track
//            that plays, and the repeat of the playing mode, of the map's and
//            of the story's music ("Rep1" repeat 1, "Cyc2" repeat 2, empty
//            for any other)
// then, for the cell under the pointer when its event number is not 0, its
// named point (number, [talk number, clickable], [story flag, passable]:
// clickable and not passable while that flag is set) or the number that
// names none; then two lines for each role (at most
// kOverlayRoles) whose footprint covers that cell, and a last line when more
// than one does.
//
// The colour bars: three bars at the screen's lower left (x 8..263, rows
// 432..479, 16 rows each), red, green and blue: each shows the 32 levels of
// its working colour field, 8 pixels a level, from black on the left to the
// full field on the right.
#pragma once

constexpr int kOverlayLeft = 8;
constexpr int kOverlayLineGap = 16;
constexpr int kOverlayRoles = 10;
constexpr int kOverlayFixedLines = 6;
constexpr int kOverlayMaxLines = kOverlayFixedLines + 1 + 2 * kOverlayRoles + 1;
constexpr int kOverlayLineBytes = 160;
constexpr int kOverlayBarTop = 432;
constexpr int kOverlayBarHeight = 16;
constexpr int kOverlayBarLevelWidth = 8;

// The text lines of the overlay for this frame, as Big5 bytes (filled in
// place: the overlay allocates nothing while it shows).
struct OverlayText {
    char lines[kOverlayMaxLines][kOverlayLineBytes];
    int count;
};
void MapDebugLines(OverlayText* out);
// Draws the three colour bars into the back buffer.
void DrawColourMaskBars();
// The overlay as the map frame draws it: nothing unless gDebugAllowed is on;
// the text with switch 0, the bars with switch 1. Returns the text lines drawn.
int DrawMapDebugOverlay();
