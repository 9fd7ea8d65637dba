#include "draw/screenshot.h"

#include "base/bytes.h"
#include "base/file.h"
#include "draw/display.h"
#include "draw/pixel_format.h"

#include <bit>

namespace {
constexpr uint32_t kBmpHeadBytes = 54;
constexpr uint32_t kBmpInfoBytes = 40;

uint16_t Channel5(uint16_t pixel, uint16_t mask) {
    if (!mask) return 0;
    // The layouts' masks are one run of bits each.
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    uint16_t v = static_cast<uint16_t>((pixel & mask) >> shift);
    return static_cast<uint16_t>(bits > 5 ? v >> (bits - 5) : v << (5 - bits));
}
} // namespace

uint16_t ScreenTo555(uint16_t pixel, uint32_t formatCode) {
    RgbMasks m = MasksOfFormat(static_cast<int>(formatCode));
    return static_cast<uint16_t>(Channel5(pixel, static_cast<uint16_t>(m.red)) << 10 |
                                 Channel5(pixel, static_cast<uint16_t>(m.green)) << 5 |
                                 Channel5(pixel, static_cast<uint16_t>(m.blue)));
}

std::vector<uint8_t> BuildScreenShot(const uint16_t* pixels, int width, int height, uint32_t formatCode) {
    std::vector<uint8_t> out;
    if (!pixels || width <= 0 || height <= 0) return out;
    uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    uint32_t fileSize = kBmpHeadBytes + rowBytes * static_cast<uint32_t>(height);
    out.reserve(fileSize);
    ByteWriter w(out);
    w.u8('B');
    w.u8('M');
    w.u32(fileSize);
    w.u32(0);
    w.u32(kBmpHeadBytes);
    w.u32(kBmpInfoBytes);
    w.i32(width);
    w.i32(height);
    w.u16(1);
    w.u16(24);
    w.padding(24); // no compression; sizes, resolutions and colour counts 0
    for (int y = height - 1; y >= 0; --y) {
        const uint16_t* row = pixels + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            uint16_t p = ScreenTo555(row[x], formatCode);
            w.u8(static_cast<uint8_t>((p & 0x1F) << 3));
            w.u8(static_cast<uint8_t>(((p >> 5) & 0x1F) << 3));
            w.u8(static_cast<uint8_t>(((p >> 10) & 0x1F) << 3));
        }
        w.padding(rowBytes - static_cast<uint32_t>(width) * 3);
    }
    return out;
}

int SaveScreenShot(const uint16_t* pixels, int width, int height, const char* path) {
    std::vector<uint8_t> bmp = BuildScreenShot(pixels, width, height, gDisplay.PixelFormatCode());
    if (bmp.empty()) return 0;
    cFile f;
    if (!f.Open(path, kCreateAlways, kGenericRead | kGenericWrite)) return 0;
    int ok = f.WriteExact(bmp.data(), static_cast<uint32_t>(bmp.size()));
    return f.Close() && ok ? 1 : 0;
}
