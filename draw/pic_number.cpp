#include "draw/pic_number.h"

#include "draw/act_pack.h"
#include "draw/tsw_pack.h"

namespace {
constexpr uint32_t kAlphaMode = 20;
constexpr int32_t kFullAlpha = 16;
} // namespace

int32_t gNumberPulse = kFullAlpha;

int PicNumberDigits(int32_t value, uint8_t digits[10]) {
    uint32_t v = value < 0 ? 0u : static_cast<uint32_t>(value);
    int n = 0;
    do {
        digits[n++] = static_cast<uint8_t>(v % 10);
        v /= 10;
    } while (v > 0);
    return n;
}

int DrawPicNumber(int32_t x, int32_t y, int32_t value) {
    uint8_t digits[10];
    const int n = PicNumberDigits(value, digits);
    const int32_t alpha = gNumberPulse < 0 ? 0 : (gNumberPulse > kFullAlpha ? kFullAlpha : gNumberPulse);
    for (int i = 0; i < n; ++i) {
        const PicFrame* pic = GetTswPicture(kDigitPicture, digits[i]);
        if (!pic) continue;
        x -= pic->width;
        DrawPictureFrame(kDigitPicture, digits[i], x, y + 1, kAlphaMode, alpha);
    }
    DrawPictureFrame(kNumberSignPicture, 0, x - 24, y, kAlphaMode, alpha);
    return n;
}

void ResetPicNumber() { gNumberPulse = kFullAlpha; }
