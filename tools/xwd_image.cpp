#include "tools/xwd_image.h"

#include <algorithm>

namespace {

constexpr uint32_t kHeadFields = 25;
constexpr uint32_t kHeadBytes = kHeadFields * 4;
constexpr uint32_t kVersion = 7;
constexpr uint32_t kZPixmap = 2;
constexpr uint32_t kColourBytes = 12;
// No screen comes near this; a larger size is a broken head.
constexpr uint32_t kMaxSide = 1u << 15;

enum Field : uint32_t {
    kHeadSize, kFileVersion, kFormat, kDepth, kWidth, kHeight, kXOffset, kByteOrder, kBitmapUnit,
    kBitOrder, kBitmapPad, kBitsPerPixel, kBytesPerLine, kVisualClass, kRedMask, kGreenMask, kBlueMask,
    kBitsPerRgb, kMapEntries, kColourCount,
};

uint32_t Big32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

} // namespace

bool ReadXwd(const uint8_t* data, size_t size, XwdImage* out) {
    if (!data || size < kHeadBytes) return false;
    uint32_t f[kHeadFields];
    for (uint32_t i = 0; i < kHeadFields; ++i) f[i] = Big32(data + 4 * i);
    if (f[kFileVersion] != kVersion || f[kFormat] != kZPixmap || f[kHeadSize] < kHeadBytes) return false;
    const uint32_t bpp = f[kBitsPerPixel];
    if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    if (f[kWidth] == 0 || f[kHeight] == 0 || f[kWidth] > kMaxSide || f[kHeight] > kMaxSide) return false;
    if (uint64_t(f[kBytesPerLine]) < uint64_t(f[kWidth]) * (bpp / 8)) return false;
    const uint64_t pixelsAt = uint64_t(f[kHeadSize]) + uint64_t(f[kColourCount]) * kColourBytes;
    const uint64_t pixelBytes = uint64_t(f[kBytesPerLine]) * f[kHeight];
    if (pixelsAt > size || pixelBytes > size - pixelsAt) return false;
    const uint32_t masks = f[kRedMask] | f[kGreenMask] | f[kBlueMask];
    *out = XwdImage{f[kWidth], f[kHeight], bpp, f[kBytesPerLine], f[kByteOrder] != 0,
                    masks ? masks : 0xFFFFFFFFu, f[kRedMask], f[kGreenMask], f[kBlueMask], data + pixelsAt};
    return true;
}

uint32_t XwdPixel(const XwdImage& image, uint32_t x, uint32_t y) {
    const uint32_t n = image.bitsPerPixel / 8;
    const uint8_t* p = image.pixels + size_t(y) * image.bytesPerLine + size_t(x) * n;
    uint32_t v = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t at = image.msbFirst ? i : n - 1 - i;
        v = v << 8 | p[at];
    }
    return v & image.colourMask;
}

size_t CountXwdColours(const XwdImage& image) {
    std::vector<uint32_t> seen;
    seen.reserve(size_t(image.width) * image.height);
    for (uint32_t y = 0; y < image.height; ++y) {
        for (uint32_t x = 0; x < image.width; ++x) seen.push_back(XwdPixel(image, x, y));
    }
    std::sort(seen.begin(), seen.end());
    return size_t(std::unique(seen.begin(), seen.end()) - seen.begin());
}

namespace {

// The channel under the mask, scaled to 0..255.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    uint32_t shift = 0;
    while (!(mask >> shift & 1)) ++shift;
    const uint64_t top = mask >> shift;
    return uint32_t(uint64_t((pixel & mask) >> shift) * 255 / top);
}

} // namespace

uint32_t XwdRgb(const XwdImage& image, uint32_t x, uint32_t y) {
    const uint32_t p = XwdPixel(image, x, y);
    return Channel(p, image.redMask) << 16 | Channel(p, image.greenMask) << 8 | Channel(p, image.blueMask);
}

namespace {
// Calls visit(col, row) for every pixel of the rectangle near the colour.
template <typename Visit>
void VisitXwdNear(const XwdImage& image, int x, int y, int width, int height, uint32_t rgb, int tolerance,
                  Visit visit) {
    if (image.redMask == 0 || width <= 0 || height <= 0) return;
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + width, image.width);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + height, image.height);
    auto near = [tolerance](uint32_t a, uint32_t b, int shift) {
        const int d = int(a >> shift & 0xFF) - int(b >> shift & 0xFF);
        return d <= tolerance && -d <= tolerance;
    };
    for (int64_t row = top; row < bottom; ++row)
        for (int64_t col = left; col < right; ++col) {
            const uint32_t p = XwdRgb(image, uint32_t(col), uint32_t(row));
            if (near(p, rgb, 16) && near(p, rgb, 8) && near(p, rgb, 0)) visit(col, row);
        }
}
} // namespace

bool CentreOfXwdNear(const XwdImage& image, int x, int y, int width, int height, uint32_t rgb, int tolerance,
                     int* centreX, int* centreY) {
    int64_t count = 0, sumX = 0, sumY = 0;
    VisitXwdNear(image, x, y, width, height, rgb, tolerance, [&](int64_t col, int64_t row) {
        ++count;
        sumX += col;
        sumY += row;
    });
    if (count == 0) return false;
    *centreX = int(sumX / count);
    *centreY = int(sumY / count);
    return true;
}

size_t CountXwdNear(const XwdImage& image, int x, int y, int width, int height, uint32_t rgb, int tolerance) {
    size_t count = 0;
    VisitXwdNear(image, x, y, width, height, rgb, tolerance, [&](int64_t, int64_t) { ++count; });
    return count;
}

std::vector<uint8_t> BuildXwd(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels) {
    static const char kName[] = "root";
    const uint32_t headSize = kHeadBytes + sizeof kName;
    const uint32_t fields[kHeadFields] = {
        headSize, kVersion, kZPixmap, 24, width, height, 0, 0, 32, 0, 32, 32, width * 4, 4,
        0xFF0000, 0x00FF00, 0x0000FF, 8, 256, 0, width, height, 0, 0, 0,
    };
    std::vector<uint8_t> out;
    for (uint32_t v : fields) PutBig32(out, v);
    out.insert(out.end(), kName, kName + sizeof kName);
    for (size_t i = 0; i < size_t(width) * height; ++i) {
        const uint32_t v = i < pixels.size() ? pixels[i] : 0;
        for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(v >> shift));
    }
    return out;
}
