#include "draw/text_colours.h"

#include "draw/pixel_format.h"

#include <cstring>

// Entry 2 draws the selected option line and entry 4 a speaker's name.
const uint32_t kTextColourRgb[kTextColourCount] = {
    0x00F0F0F0, 0x0060E0F8, 0x00F8D070, 0x004848F0, 0x0040C8F8, 0x0070F070, 0x00F8A0C8, 0x00C0C0C0,
    0x00808080, 0x00F8F878, 0x0080B0F8, 0x00E0E0A0, 0x009090F8, 0x00F0C0A0, 0x00A0F8F8, 0x00F8F8F8,
};
const uint32_t kShadowColourRgb[kTextColourCount] = {
    0x00202020, 0x00103048, 0x00482810, 0x00101048, 0x00103040, 0x00104010, 0x00401830, 0x00303030,
    0x00101010, 0x00404010, 0x00102848, 0x00303018, 0x00181848, 0x00402818, 0x00184040, 0x00000000,
};

uint32_t gTextColours[kTextColourCount];
uint32_t gShadowColours[kTextColourCount];

uint16_t Rgb555Of(uint32_t bbggrr) {
    uint32_t r = bbggrr & 0xFF, g = (bbggrr >> 8) & 0xFF, b = (bbggrr >> 16) & 0xFF;
    return uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

namespace {

void Build(const uint32_t* rgb, uint32_t* out) {
    for (int i = 0; i < kTextColourCount; ++i) {
        uint16_t pixel = Rgb555Of(rgb[i]);
        ToScreenFormat(&pixel, 1);
        out[i] = uint32_t(pixel) | (uint32_t(pixel) << 16);
    }
}

} // namespace

void BuildColourTables() {
    Build(kTextColourRgb, gTextColours);
    Build(kShadowColourRgb, gShadowColours);
}

void ResetColourTables() {
    std::memset(gTextColours, 0, sizeof gTextColours);
    std::memset(gShadowColours, 0, sizeof gShadowColours);
}
