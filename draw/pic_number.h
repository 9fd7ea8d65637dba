// Numbers drawn right-aligned with digit pictures (money, talk variable 0).
#pragma once
#include <cstdint>

constexpr uint16_t kDigitPicture = 9079;     // frames 0..9: the digits
constexpr uint16_t kNumberSignPicture = 9045; // frame 0: the sign left of the number

// Alpha level (0..16) of blend mode 20 the digits pulse with; the walking
// code lowers it by 2 each frame and starts it again.
extern int32_t gNumberPulse;

// Draws value right-aligned so that its last digit ends at x: from the lowest
// digit up, each digit picture moves x left by its width and is drawn at
// (x, y + 1); 0 draws one digit; then the sign at (x - 24, y). A negative
// value is drawn as 0 (the numbers shown never go below 0). Returns the
// number of digits drawn.
int DrawPicNumber(int32_t x, int32_t y, int32_t value);

// The digits of value, lowest first (negative as 0); returns their count.
int PicNumberDigits(int32_t value, uint8_t digits[10]);

void ResetPicNumber();
