// Game text: Big5 <-> GB2312 conversion of any codes, and the font's text
// walker drawing any byte string (single- and two-byte characters, a lead
// byte at the very end) in every style, clipped to a small target.
#include <cstdint>
#include <string>
#include <vector>

#include "base/edition.h"
#include "base/text_convert.h"
#include "draw/text_font.h"
#include "fuzz/support/fuzz_support.h"
#include "platform/plat_font.h"

namespace {
constexpr int kWidth = 40;
constexpr int kHeight = 24;

// A face of our own for half the inputs: quick, and the same on every machine.
bool BoxRasteriser(int, int, uint16_t code, uint8_t* cell, int w, int h, int rowBytes) {
    for (int y = 0; y < h; y += 2) cell[y * rowBytes] = uint8_t(code);
    return (code & 1) != 0 || w > 2;
}

std::vector<uint8_t> Input(uint8_t mode, uint8_t size, const std::string& text) {
    return FuzzJoin({mode, size, 3, 2}, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > 4096) return 0;
    static bool tableBuilt = false;
    if (!tableBuilt) tableBuilt = BuildBig5ToGbTable();
    for (size_t i = 4; i + 1 < size; i += 2) {
        const uint16_t code = uint16_t(data[i] | data[i + 1] << 8);
        GbToBig5(Big5ToGb(code));
    }
    // Head: draw mode and colour-ramp bits, font size and face, x, y.
    PlatFontSetRasteriser(data[1] & 0x80 ? nullptr : BoxRasteriser);
    gEdition.convertText = data[0] & 0x40;
    cTextFont font;
    font.SetFont("", data[1] & 0x3F);
    font.SetTarget(kWidth, kHeight);
    font.SetTextColour(data[0] & 0x20 ? 0x1234 : kNoTextBox);
    // The text is a C string: the walker stops at its NUL.
    std::string text(reinterpret_cast<const char*>(data + 4), size - 4);
    // One guard row below the target.
    std::vector<uint16_t> pixels(size_t(kWidth) * (kHeight + 1), 0xBEEF);
    const uint32_t mode = (data[0] & 0x1F) | (data[0] & 0x80 ? uint32_t(kTextRampUp) : 0u);
    font.DrawTextStr(pixels.data(), int8_t(data[2]), int8_t(data[3]), text.c_str(), 0x7FFF, mode);
    for (int x = 0; x < kWidth; ++x) {
        if (pixels[size_t(kHeight) * kWidth + x] != 0xBEEF) __builtin_trap();
    }
    font.Reset();
    PlatFontSetRasteriser(nullptr);
    gEdition.convertText = true;
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    WriteFuzzSeed(dir, "ascii", Input(0x01, 12, "Hello, world"));
    WriteFuzzSeed(dir, "big5", Input(0x42, 16, "\xA4\xFD\xA4\xFD\xB3\x5D\xA9\x77"));
    WriteFuzzSeed(dir, "mixed-real-face", Input(0x68, 0x80 | 14, "ab\xA4\xFD" "c\xB3"));
    WriteFuzzSeed(dir, "outlined", Input(0x10, 20, "\xA4\x40\xA4\x41 x"));
}
