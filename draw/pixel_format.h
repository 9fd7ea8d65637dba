// The screen's 16-bit pixel layout and the working values every colour
// operation uses. Whatever the layout, red, green and blue are handled as
// 5-bit fields with their masks, shifts and one-step units, derived once when
// the layout is known. Art is stored in 555 and converted to the screen's
// layout when it is loaded, so drawing never converts.
#pragma once
#include <cstdint>

// Layout codes, as the display reports them.
enum : int {
    kFormat555 = 0,
    kFormat556 = 1,  // six bits of blue
    kFormat565 = 2,
    kFormat655 = 3,  // six bits of red
};

// Stored (555) values of the two reserved colours of the art.
constexpr uint16_t kStoredColourKey = 0x026B;     // transparent
constexpr uint16_t kStoredShadowColour = 0x319F;  // shadow runs of run-length frames
// Stored value that the per-pixel alpha mode paints over shadow runs.
constexpr uint16_t kStoredAlphaShadow = 0xFFF0;

struct RgbMasks {
    uint32_t red, green, blue;
};

using PixelConverter = void (*)(uint16_t* pixels, int count);

// The masks as the surface reports them (before the 5-bit adjustment).
extern RgbMasks gRgbMasks;
// Working 5-bit fields and their complements.
extern uint32_t gRedMask5, gGreenMask5, gBlueMask5;
extern uint32_t gRedMask5Not, gGreenMask5Not, gBlueMask5Not;
extern int gRedShift, gGreenShift, gBlueShift;
extern uint32_t gRedUnit, gGreenUnit, gBlueUnit;
// Masks for a pixel shifted right by 1..5, repeated in both halves.
extern uint32_t gShiftMask1, gShiftMask2, gShiftMask3, gShiftMask4, gShiftMask5;
// i (1..5) shifted left by each channel's shift; index 0 unused.
extern uint32_t gRedSteps[6], gGreenSteps[6], gBlueSteps[6];
// Saturating tables indexed -32..63 (stored with an offset of 32): 0 below
// zero, i units for 0..31, the full field from 32 up.
extern uint32_t gRedSatTable[96], gGreenSatTable[96], gBlueSatTable[96];
extern PixelConverter gToScreenConv;
extern PixelConverter gFromScreenConv;
// Reserved colours in the screen's layout, in both halves. gEdgeColour is the
// working green field, already a screen colour.
extern uint32_t gColourKey, gShadowColour, gEdgeColour;
// The per-pixel alpha mode's shadow colour in the screen's layout (low half).
extern uint16_t gAlphaShadowColour;
extern uint16_t gRleMagic;
// Layout code of the working values, -1 for an unknown layout.
extern int gPixelFormat;

// Derives every working value from the screen's three masks. Unknown masks
// keep the working masks as read and the converters and shifts as they were.
void SetPixelMasks(uint32_t red, uint32_t green, uint32_t blue);
// The masks of a layout code (0..3); 555 for any other code.
RgbMasks MasksOfFormat(int format);
// Back to the start state: 555 working values, identity converters.
void ResetPixelFormat();

void GetRgbMasks(uint32_t* red, uint32_t* green, uint32_t* blue);
void ToScreenFormat(uint16_t* pixels, int count);
void FromScreenFormat(uint16_t* pixels, int count);
uint16_t ToScreenPixel(uint16_t stored);

void ConvertPixels555To556(uint16_t* pixels, int count);
void ConvertPixels555To565(uint16_t* pixels, int count);
void ConvertPixels565To555(uint16_t* pixels, int count);
void ConvertPixels555To655(uint16_t* pixels, int count);

// A screen colour from three 5-bit values (each taken modulo 32), in both halves.
uint32_t MakeColour(int red, int green, int blue);
