// The game's three fonts on the display: large (20), medium (16) and small
// (12). Made at start-up, after a battle and when the window comes back.
#pragma once

class cTextFont;

// Rebuilds font on the display for a screen of width x height with the
// edition's face and this size: text height 24 for size 20, 18 for 16, the
// size itself otherwise; no box behind the text, black shadows.
void MakeFont(cTextFont& font, int screenWidth, int screenHeight, int size);
// The three fonts with the display's size.
void MakeGameFonts();
// The text heights the frame gives the three fonts before a menu frame and
// before the map is drawn: 22, 18 and 16.
void SetGameTextHeights();
// Lets the three fonts go (the window is minimised, or the game ends).
void ReleaseGameFonts();
