#include "draw/pixel_format.h"

RgbMasks gRgbMasks;
uint32_t gRedMask5, gGreenMask5, gBlueMask5;
uint32_t gRedMask5Not, gGreenMask5Not, gBlueMask5Not;
int gRedShift, gGreenShift, gBlueShift;
uint32_t gRedUnit, gGreenUnit, gBlueUnit;
uint32_t gShiftMask1, gShiftMask2, gShiftMask3, gShiftMask4, gShiftMask5;
uint32_t gRedSteps[6], gGreenSteps[6], gBlueSteps[6];
uint32_t gRedSatTable[96], gGreenSatTable[96], gBlueSatTable[96];
uint32_t gColourKey, gShadowColour, gEdgeColour;
uint16_t gAlphaShadowColour;
uint16_t gRleMagic = 0xFFFF;
int gPixelFormat;

static void IdentityConv(uint16_t*, int) {}

PixelConverter gToScreenConv = IdentityConv;
PixelConverter gFromScreenConv = IdentityConv;

void ConvertPixels555To556(uint16_t* p, int count) {
    for (int i = 0; i < count; ++i) p[i] = static_cast<uint16_t>(p[i] << 1);
}

void ConvertPixels555To565(uint16_t* p, int count) {
    for (int i = 0; i < count; ++i) p[i] = static_cast<uint16_t>((p[i] & 0x001F) | ((p[i] & 0xFFE0) << 1));
}

void ConvertPixels565To555(uint16_t* p, int count) {
    for (int i = 0; i < count; ++i) p[i] = static_cast<uint16_t>(((p[i] >> 1) & 0xFFE0) | (p[i] & 0x001F));
}

void ConvertPixels555To655(uint16_t* p, int count) {
    for (int i = 0; i < count; ++i) p[i] = static_cast<uint16_t>((p[i] & 0x03FF) | ((p[i] & 0x7C00) << 1));
}

void ToScreenFormat(uint16_t* pixels, int count) {
    if (pixels && count > 0) gToScreenConv(pixels, count);
}

void FromScreenFormat(uint16_t* pixels, int count) {
    if (pixels && count > 0) gFromScreenConv(pixels, count);
}

uint16_t ToScreenPixel(uint16_t stored) {
    gToScreenConv(&stored, 1);
    return stored;
}

RgbMasks MasksOfFormat(int format) {
    switch (format) {
    case kFormat556: return {0xF800, 0x07C0, 0x003F};
    case kFormat565: return {0xF800, 0x07E0, 0x001F};
    case kFormat655: return {0xFC00, 0x03E0, 0x001F};
    default: return {0x7C00, 0x03E0, 0x001F};
    }
}

namespace {

struct LayoutRow {
    RgbMasks read;
    uint32_t red5, green5, blue5;
    int redShift, greenShift, blueShift;
    PixelConverter toScreen;
    PixelConverter fromScreen;  // null: keeps what it held
};

const LayoutRow kLayouts[4] = {
    {{0x7C00, 0x03E0, 0x001F}, 0x7C00, 0x03E0, 0x001F, 10, 5, 0, IdentityConv, IdentityConv},
    {{0xF800, 0x07C0, 0x003F}, 0xF800, 0x07C0, 0x003E, 11, 6, 1, ConvertPixels555To556, nullptr},
    {{0xF800, 0x07E0, 0x001F}, 0xF800, 0x07C0, 0x001F, 11, 6, 0, ConvertPixels555To565, ConvertPixels565To555},
    {{0xFC00, 0x03E0, 0x001F}, 0xF800, 0x03E0, 0x001F, 11, 5, 0, ConvertPixels555To655, nullptr},
};

// The bits of a field that stay inside it after a shift right by k.
uint32_t FieldAfterShift(uint32_t field, int k) {
    uint32_t f = field;
    for (int i = 0; i < k; ++i) f = (f >> 1) & field;
    return f;
}

uint32_t Doubled(uint32_t low) { return (low & 0xFFFF) | ((low & 0xFFFF) << 16); }

void FillSatTable(uint32_t* table, uint32_t unit, uint32_t field) {
    for (int i = -32; i < 64; ++i) {
        uint32_t v = i < 0 ? 0 : (i < 32 ? static_cast<uint32_t>(i) * unit : field);
        table[i + 32] = v;
    }
}

}  // namespace

void SetPixelMasks(uint32_t red, uint32_t green, uint32_t blue) {
    gRgbMasks = {red, green, blue};
    gRedMask5 = red;
    gGreenMask5 = green;
    gBlueMask5 = blue;
    gPixelFormat = -1;
    for (int i = 0; i < 4; ++i) {
        const LayoutRow& row = kLayouts[i];
        if (row.read.red != red || row.read.green != green || row.read.blue != blue) continue;
        gPixelFormat = i;
        gRedMask5 = row.red5;
        gGreenMask5 = row.green5;
        gBlueMask5 = row.blue5;
        gRedShift = row.redShift;
        gGreenShift = row.greenShift;
        gBlueShift = row.blueShift;
        gToScreenConv = row.toScreen;
        if (row.fromScreen) gFromScreenConv = row.fromScreen;
    }
    gRedMask5Not = ~gRedMask5;
    gGreenMask5Not = ~gGreenMask5;
    gBlueMask5Not = ~gBlueMask5;

    uint32_t* shiftMasks[5] = {&gShiftMask1, &gShiftMask2, &gShiftMask3, &gShiftMask4, &gShiftMask5};
    for (int k = 1; k <= 5; ++k) {
        uint32_t m = FieldAfterShift(gRedMask5, k) | FieldAfterShift(gGreenMask5, k) |
                     FieldAfterShift(gBlueMask5, k);
        *shiftMasks[k - 1] = Doubled(m);
    }
    gRedUnit = FieldAfterShift(gRedMask5, 4);
    gGreenUnit = FieldAfterShift(gGreenMask5, 4);
    gBlueUnit = FieldAfterShift(gBlueMask5, 4);
    for (uint32_t i = 1; i <= 5; ++i) {
        gRedSteps[i] = i << gRedShift;
        gGreenSteps[i] = i << gGreenShift;
        gBlueSteps[i] = i << gBlueShift;
    }
    FillSatTable(gRedSatTable, gRedUnit, gRedMask5);
    FillSatTable(gGreenSatTable, gGreenUnit, gGreenMask5);
    FillSatTable(gBlueSatTable, gBlueUnit, gBlueMask5);

    // The edge colour is the working green field: already a screen colour, so
    // it must not go through the converter.
    gEdgeColour = Doubled(gGreenMask5);
    gColourKey = Doubled(ToScreenPixel(kStoredColourKey));
    gShadowColour = Doubled(ToScreenPixel(kStoredShadowColour));
    gAlphaShadowColour = ToScreenPixel(kStoredAlphaShadow);
    gRleMagic = 0xFFFF;
}

void ResetPixelFormat() {
    gToScreenConv = IdentityConv;
    gFromScreenConv = IdentityConv;
    gRedShift = 10;
    gGreenShift = 5;
    gBlueShift = 0;
    SetPixelMasks(0x7C00, 0x03E0, 0x001F);
}

void GetRgbMasks(uint32_t* red, uint32_t* green, uint32_t* blue) {
    if (red) *red = gRgbMasks.red;
    if (green) *green = gRgbMasks.green;
    if (blue) *blue = gRgbMasks.blue;
}

uint32_t MakeColour(int red, int green, int blue) {
    uint16_t stored = static_cast<uint16_t>(((red & 31) << 10) | ((green & 31) << 5) | (blue & 31));
    return Doubled(ToScreenPixel(stored));
}
