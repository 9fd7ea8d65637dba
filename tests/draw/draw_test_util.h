// A drawing target for the renderer tests: a surface larger than the clip
// rectangle, filled with a patterned background, and an expected copy of it.
// Tests write what they expect into the copy and compare the whole surface,
// so every guard pixel outside the clip is checked as well.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "tools/rle_writer.h"

namespace drawtest {

// Channel fields of each layout as the tests see them (5-bit working fields).
struct LayoutFields {
    int redShift, greenShift, blueShift;
};
inline LayoutFields FieldsOf(int layout) {
    switch (layout) {
    case kFormat556: return {11, 6, 1};
    case kFormat565: return {11, 6, 0};
    case kFormat655: return {11, 5, 0};
    default: return {10, 5, 0};
    }
}

struct Rgb {
    int r, g, b;
};

inline uint16_t Join(int layout, Rgb c) {
    const LayoutFields f = FieldsOf(layout);
    return static_cast<uint16_t>((c.r << f.redShift) | (c.g << f.greenShift) | (c.b << f.blueShift));
}
inline Rgb Split(int layout, uint16_t p) {
    const LayoutFields f = FieldsOf(layout);
    return {(p >> f.redShift) & 31, (p >> f.greenShift) & 31, (p >> f.blueShift) & 31};
}
// A stored 555 pixel in a screen layout, bits outside the fields included.
inline uint16_t ToLayout(int layout, uint16_t p) {
    switch (layout) {
    case kFormat556: return static_cast<uint16_t>(p << 1);
    case kFormat565: return static_cast<uint16_t>((p & 0x001F) | ((p & 0xFFE0) << 1));
    case kFormat655: return static_cast<uint16_t>((p & 0x03FF) | ((p & 0x7C00) << 1));
    default: return p;
    }
}

inline uint16_t Stored(Rgb c) { return static_cast<uint16_t>((c.r << 10) | (c.g << 5) | c.b); }

// Reference level blend: per channel the sum of the halves, quarters,
// eighths and sixteenths that the level's bits give to s or d.
inline uint16_t RefLevel(int layout, uint16_t s, uint16_t d, int level) {
    if (level <= 0) return d;
    if (level >= 15) return s;
    const Rgb a = Split(layout, s), b = Split(layout, d);
    auto ch = [level](int sv, int dv) {
        int sum = 0;
        for (int k = 1; k <= 4; ++k) sum += ((level >> (4 - k)) & 1 ? sv : dv) >> k;
        return sum;
    };
    return Join(layout, {ch(a.r, b.r), ch(a.g, b.g), ch(a.b, b.b)});
}

inline int Clamp31(int v) { return std::clamp(v, 0, 31); }

class Target {
public:
    static constexpr int kWidth = 48;
    static constexpr int kHeight = 40;
    static constexpr int kClipLeft = 8, kClipTop = 8, kClipRight = 40, kClipBottom = 32;

    explicit Target(int layout) : layout_(layout) {
        ResetDrawKernel();
        surface_ = CreateSurface(kWidth, kHeight);
        InitDrawKernel(surface_, layout);
        SetClip(kClipLeft, kClipTop, kClipRight, kClipBottom);
        gBackPixels = LockBackBuffer(surface_);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) At(x, y) = Background(x, y);
        expected_.assign(surface_->pixels, surface_->pixels + kWidth * kHeight);
    }
    ~Target() {
        UnlockBackBuffer(surface_, gBackPixels);
        FreeSurface(surface_);
        ResetDrawKernel();
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    int layout() const { return layout_; }
    uint16_t Background(int x, int y) const {
        return Join(layout_, {(x * 5 + y) % 32, (y * 7 + 3) % 32, (x + y * 3 + 11) % 32});
    }
    uint16_t& At(int x, int y) { return surface_->pixels[y * (surface_->pitch / 2) + x]; }
    uint16_t& Expect(int x, int y) { return expected_[y * kWidth + x]; }
    static bool InClip(int x, int y) { return x >= kClipLeft && x < kClipRight && y >= kClipTop && y < kClipBottom; }
    std::vector<uint16_t> Pixels() const { return std::vector<uint16_t>(surface_->pixels, surface_->pixels + kWidth * kHeight); }
    void Restore(const std::vector<uint16_t>& pixels) { std::copy(pixels.begin(), pixels.end(), surface_->pixels); }

    // Every pixel of the surface against the expected copy; names the first
    // few that differ.
    ::testing::AssertionResult Matches() {
        std::string diffs;
        int count = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (At(x, y) != Expect(x, y) && ++count <= 6) {
                    char buf[96];
                    snprintf(buf, sizeof buf, " (%d,%d) got %04X want %04X%s", x, y, At(x, y), Expect(x, y),
                             InClip(x, y) ? "" : " [guard]");
                    diffs += buf;
                }
        if (count == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << count << " pixels differ:" << diffs;
    }

private:
    int layout_;
    Surface* surface_;
    std::vector<uint16_t> expected_;
};

// A frame in stored pixels, made ready to draw as a load makes it: encoded
// with the fixture writer, its literal pixels converted to the screen.
struct Frame {
    int width = 0, height = 0;
    std::vector<uint16_t> stored;  // width x height, key and shadow values included
    std::vector<uint8_t> bytes;    // the run-length frame, stored layout

    // The frame as a load makes it for the current screen: literal pixels
    // converted to the screen's layout.
    std::vector<uint8_t> Screen() const {
        std::vector<uint8_t> out = bytes;
        ConvertRleToScreen(out.data(), static_cast<int>(out.size()), nullptr, nullptr, nullptr);
        return out;
    }
    bool IsShadow(int x, int y) const { return stored[y * width + x] == kStoredShadowColour; }
    bool IsKey(int x, int y) const { return stored[y * width + x] == kStoredColourKey; }
    bool Opaque(int x, int y) const { return !IsShadow(x, y) && !IsKey(x, y); }
};

inline Frame MakeFrame(const std::vector<uint16_t>& stored, int width, int height) {
    Frame f;
    f.width = width;
    f.height = height;
    f.stored = stored;
    f.bytes = RleFromPixels(stored, width, height);
    return f;
}

// A frame with literal runs of varied colours, key and shadow runs, runs
// that start on odd and even columns, and a one-pixel run. A longer period
// gives longer literal runs (the renderers take those four pixels at a time).
inline Frame SampleFrame(int width = 12, int height = 10, int period = 9) {
    std::vector<uint16_t> px(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint16_t v = Stored({(x * 3 + y * 5 + 1) % 32, (x * 7 + y * 2 + 4) % 32, (x * 11 + y + 9) % 32});
            const int m = (x + 2 * y) % period;
            if (m == 0) v = kStoredColourKey;
            else if (m == 4 || m == 5) v = kStoredShadowColour;
            if (y == 1 && x >= 3) v = Stored({31, 31, 31});
            px[y * width + x] = v;
        }
    return MakeFrame(px, width, height);
}

}  // namespace drawtest
