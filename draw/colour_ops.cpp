#include "draw/colour_ops.h"

PixelTint MakePixelTint(int red, int green, int blue) {
    return {MakeFieldTint(gRedMask5, gRedUnit, red), MakeFieldTint(gGreenMask5, gGreenUnit, green),
            MakeFieldTint(gBlueMask5, gBlueUnit, blue), red == 0 && green == 0 && blue == 0};
}

WideLevelPlanes MakeWideLevelPlanes() {
    // Bit q lies in after[k] when bit q - k is in Mk: shift k keeps it in
    // its field. A bit kept by shift k is kept by every smaller one, so J is
    // the largest such k.
    const uint32_t masks[4] = {gShiftMask1, gShiftMask2, gShiftMask3, gShiftMask4};
    uint32_t after[5] = {};
    for (int k = 1; k <= 4; ++k) after[k - 1] = (masks[k - 1] << k) & 0xFFFF;
    uint32_t kept = 0xFFFF;
    uint32_t plane[4];
    for (int j = 1; j <= 4; ++j) {
        kept &= after[j - 1];
        plane[j - 1] = kept & ~after[j];
    }
    return {SplatWide(plane[0]), SplatWide(plane[1]), SplatWide(plane[2]), SplatWide(plane[3])};
}

void AddRgbToPixels(uint16_t* pixels, int count, int red, int green, int blue) {
    if (!pixels) return;
    const PixelTint t = MakePixelTint(red, green, blue);
    for (int i = 0; i < count; ++i) {
        const int32_t p = pixels[i];
        pixels[i] = static_cast<uint16_t>(TintPixelT<int32_t>(p, t));
    }
}

namespace {

// One field with the pixel's other bits kept. Each pixel saturates by itself.
void AddToField(uint16_t* pixels, int count, uint32_t mask, uint32_t unit, int offset) {
    if (!pixels) return;
    const FieldTint f = MakeFieldTint(mask, unit, offset);
    const int32_t keep = ~f.mask;
    for (int i = 0; i < count; ++i) {
        const int32_t p = pixels[i];
        pixels[i] = static_cast<uint16_t>((p & keep) | TintFieldT<int32_t>(p, f));
    }
}

}  // namespace

void AddRedToPixels(uint16_t* pixels, int count, int offset) {
    AddToField(pixels, count, gRedMask5, gRedUnit, offset);
}

void AddGreenToPixels(uint16_t* pixels, int count, int offset) {
    AddToField(pixels, count, gGreenMask5, gGreenUnit, offset);
}

void AddBlueToPixels(uint16_t* pixels, int count, int offset) {
    AddToField(pixels, count, gBlueMask5, gBlueUnit, offset);
}

void BlendPixels(const uint16_t* source, uint16_t* destination, int count) {
    if (!source || !destination) return;
    const uint32_t rm = gRedMask5, gm = gGreenMask5, bm = gBlueMask5;
    const int rs = gRedShift, gs = gGreenShift, bs = gBlueShift;
    for (int i = 0; i < count; ++i) {
        const uint32_t s = source[i], t = destination[i];
        // The sum of two fields indexes 0..62; the table saturates above 31.
        const uint32_t r = gRedSatTable[32 + (((s & rm) + (t & rm)) >> rs)];
        const uint32_t g = gGreenSatTable[32 + (((s & gm) + (t & gm)) >> gs)];
        const uint32_t b = gBlueSatTable[32 + (((s & bm) + (t & bm)) >> bs)];
        destination[i] = static_cast<uint16_t>(r + g + b);
    }
}

void GreyPixels(uint16_t* pixels, int count) {
    if (!pixels) return;
    for (int i = 0; i < count; ++i) pixels[i] = GreyPixel(pixels[i]);
}

void BlendColourQuarter(uint16_t* pixels, uint32_t colour, int count) {
    if (!pixels) return;
    const LevelMasks m = LoadLevelMasks();
    const uint32_t c = ((colour & 0xFFFF) >> 2) & m.m2;
    for (int i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        pixels[i] = static_cast<uint16_t>(((p >> 1) & m.m1) + c + ((p >> 3) & m.m3) + ((p >> 4) & m.m4));
    }
}
