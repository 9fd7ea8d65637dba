// Colour operations on runs of 16-bit screen pixels, and the per-pixel rules
// the renderers share. Everything works through the working 5-bit fields of
// pixel_format.h, so one rule serves every screen layout.
#pragma once
#include <cstdint>

#include "draw/pixel_format.h"

// ---- Runs of pixels, changed in place (a count of 0 or less does nothing) ----
// Adds the offsets (in field steps) to the three fields, each saturating;
// bits outside the fields are cleared.
void AddRgbToPixels(uint16_t* pixels, int count, int red, int green, int blue);
// One field only, saturating; the pixel's other bits are kept.
void AddRedToPixels(uint16_t* pixels, int count, int offset);
void AddGreenToPixels(uint16_t* pixels, int count, int offset);
void AddBlueToPixels(uint16_t* pixels, int count, int offset);
// destination = source + destination per field, saturating (additive light).
void BlendPixels(const uint16_t* source, uint16_t* destination, int count);
// Each pixel becomes a grey of a quarter of its channel sum.
void GreyPixels(uint16_t* pixels, int count);
// 11/16 of each pixel plus 4/16 of the colour (a MakeColour value).
void BlendColourQuarter(uint16_t* pixels, uint32_t colour, int count);

// ---- Per-pixel rules ----------------------------------------------------------
// The shift masks of a level blend, low halves.
struct LevelMasks {
    uint32_t m1, m2, m3, m4;
};
inline LevelMasks LoadLevelMasks() {
    return {gShiftMask1 & 0xFFFF, gShiftMask2 & 0xFFFF, gShiftMask3 & 0xFFFF, gShiftMask4 & 0xFFFF};
}

// Level blend in sixteenths for a level of 1 to 14: the sum over k = 1..4 of
// ((X >> k) AND Mk), X the source when bit (4 - k) of the level is set, else
// the destination. No multiplication, and no field bleeds into the next.
inline uint16_t LevelBlend(uint32_t s, uint32_t d, int level, const LevelMasks& m) {
    const uint32_t x = s ^ d;
    const uint32_t p1 = d ^ (x & (0u - ((static_cast<uint32_t>(level) >> 3) & 1)));
    const uint32_t p2 = d ^ (x & (0u - ((static_cast<uint32_t>(level) >> 2) & 1)));
    const uint32_t p3 = d ^ (x & (0u - ((static_cast<uint32_t>(level) >> 1) & 1)));
    const uint32_t p4 = d ^ (x & (0u - (static_cast<uint32_t>(level) & 1)));
    return static_cast<uint16_t>(((p1 >> 1) & m.m1) + ((p2 >> 2) & m.m2) + ((p3 >> 3) & m.m3) + ((p4 >> 4) & m.m4));
}

// Level blend for any level: 0 or less keeps d, 15 or more gives s.
inline uint16_t LevelBlendAny(uint16_t s, uint16_t d, int level, const LevelMasks& m) {
    if (level <= 0) return d;
    if (level >= 15) return s;
    return LevelBlend(s, d, level, m);
}

// Premultiplied blend for a level of 1 to 14: s plus the destination terms of
// the level's clear bits, a plain 16-bit sum (the source carries its weight).
inline uint16_t PremultipliedBlend(uint32_t s, uint32_t d, int level, const LevelMasks& m) {
    return static_cast<uint16_t>(s + LevelBlend(0, d, level, m));
}

// One field with a signed offset: the step and the value a field that left
// its bits takes (the full field for an offset of 0 or more, 0 below).
struct FieldTint {
    int32_t mask;
    int32_t step;
    int32_t clamp;
};
inline FieldTint MakeFieldTint(uint32_t mask, uint32_t unit, int32_t tint) {
    // Offsets beyond a whole field saturate alike; bounding them keeps the
    // step from overflowing.
    if (tint > 32) tint = 32;
    if (tint < -32) tint = -32;
    return {static_cast<int32_t>(mask), tint * static_cast<int32_t>(unit), tint >= 0 ? static_cast<int32_t>(mask) : 0};
}
// (v AND field) + step, saturated to the clamp value.
inline int32_t TintField(int32_t v, const FieldTint& f) {
    const int32_t t = (v & f.mask) + f.step;
    return (t & ~f.mask) ? f.clamp : t;
}
// A sum that left its field becomes the full field.
inline int32_t SaturateField(int32_t t, int32_t mask) { return (t & ~mask) ? mask : t; }

// The three fields of one draw's tint.
struct PixelTint {
    FieldTint red, green, blue;
    bool zero;
};
PixelTint MakePixelTint(int red, int green, int blue);

// The grey of a pixel: a quarter of its channel sum in every field.
inline uint16_t GreyPixel(uint32_t p) {
    const uint32_t v = (((p & gRedMask5) >> gRedShift) + ((p & gGreenMask5) >> gGreenShift) +
                        ((p & gBlueMask5) >> gBlueShift)) >> 2;
    return static_cast<uint16_t>((v << gRedShift) + (v << gGreenShift) + (v << gBlueShift));
}
