// The two 16-entry colour tables of dialog text: text colours and shadow
// colours, indexed by the text codes. Kept as 0x00BBGGRR values; at start-up
// each becomes a screen colour held in both 16-bit halves (two-pixel fills).
#pragma once
#include <cstdint>

constexpr int kTextColourCount = 16;

extern const uint32_t kTextColourRgb[kTextColourCount];
extern const uint32_t kShadowColourRgb[kTextColourCount];
extern uint32_t gTextColours[kTextColourCount];
extern uint32_t gShadowColours[kTextColourCount];

// The 555 value of a 0x00BBGGRR colour.
uint16_t Rgb555Of(uint32_t bbggrr);
// Converts both tables to the screen's layout (the pixel format must be set).
void BuildColourTables();
// Both tables zero (tests).
void ResetColourTables();
