// The name-entry field drawn for the player: its frame picture, its text and
// its cursor.
#pragma once
#include <cstdint>

class cTextRecord;

constexpr uint16_t kTextEntryFramePicture = 9038;
constexpr int kTextEntryShownBytes = 64;

// Draws the field at its x and y: with `frame` picture 9038 frame 0 at
// (x - 98, y - 54); the first 64 bytes of its text (a lead byte without its
// second byte shown as '@') with gFontLarge in colour (21, 15, 8), style 4;
// the cursor cell 11 x 22 at its column tinted (20, 13, 0) when `active`,
// else (10, 3, 0).
void DrawTextEntryBox(const cTextRecord* record, int active, int frame);
