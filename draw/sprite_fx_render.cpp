#include "draw/sprite_fx_render.h"

#include <algorithm>

#include "draw/span_walk.h"

int32_t gRefractCount;

namespace {

using namespace spanwalk;

// An 8-bit frame draws nothing in these modes; a wave still moves on where
// the slot moves it.
bool SixteenBitOrStepWave(bool advances) {
    if (IsRle16(gCurPic)) return true;
    if (advances && gWaveIndex >= 1 && gWaveIndex <= kWaveWindows) AdvanceWavePhase();
    return false;
}

template <bool kMirror, bool kRowStep, bool kAdvanceWave = true, class Op>
void Walk(int32_t w, Op& op) {
    if (SixteenBitOrStepWave(kAdvanceWave)) WalkRle<kMirror, kRowStep, Op, kAdvanceWave>(w, op);
}

// Every visible literal pixel in one colour; the frame's pixels unused.
struct OpFlat : OpBase {
    uint16_t colour;
    explicit OpFlat(uint16_t c) : colour(c) {}
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t*, int n, int) {
        uint16_t* p = kDir > 0 ? d : d - (n - 1);
        if (n < kWideCount) {
            std::fill_n(p, n, colour);
            return;
        }
        // Eight at a time, the last block overlapping the one before it.
        const Wide c = SplatWide(colour);
        for (int i = 0; i < n - kWideCount; i += kWideCount) StoreWide(p + i, c);
        StoreWide(p + n - kWideCount, c);
    }
};

struct OpGrey : OpBase {
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) {
        EachPixel<kDir>(d, s, n, [](auto, auto dp, int) { return GreyPixelT<decltype(dp)>(dp); });
    }
};

// Refraction: each visible literal pixel takes a neighbour's pixel, chosen by
// a counter that runs 1..17 across runs and rows: left (1-4), the row below
// (5-10), the row above (11-13), right (14-16), itself (17, and the counter
// starts again). It reads pixels it has just written, so it goes pixel by
// pixel in drawing order. Neighbours are found through the pitch and held
// inside the buffer: a pixel on the buffer's edge reads itself there.
struct OpRefract : OpBase {
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t*, int n, int) {
        const ptrdiff_t offset = reinterpret_cast<uint8_t*>(d) - reinterpret_cast<uint8_t*>(gBackPixels);
        const int y = static_cast<int>(offset / gScreenPitch);
        int x = static_cast<int>((offset % gScreenPitch) / 2);
        const ptrdiff_t below = y + 1 < gScreenHeight ? gScreenPitch / 2 : 0;
        const ptrdiff_t above = y > 0 ? -(gScreenPitch / 2) : 0;
        for (int i = 0; i < n; ++i, x += kDir) {
            uint16_t* p = d + kDir * i;
            const int c = ++gRefractCount;
            if (c <= 4) p[0] = p[x > 0 ? -1 : 0];
            else if (c <= 10) p[0] = p[below];
            else if (c <= 13) p[0] = p[above];
            else if (c <= 16) p[0] = p[x + 1 < gScreenWidth ? 1 : 0];
            else gRefractCount = 0;
        }
    }
};

template <bool kMirror>
void Glow(int32_t w, int32_t h) {
    OpAdd op;
    // A target height set for this draw scales the glow like a shadow.
    if (gSpan.scaleRows > 0) return WalkScaledRle<kMirror>(w, h, op);
    Walk<kMirror, false>(w, op);
}

template <bool kMirror, bool kAdvanceWave>
void Flat(int32_t w, const void* extra) {
    // No colour given: nothing to draw with.
    if (!extra) return;
    OpFlat op(static_cast<uint16_t>(*static_cast<const uint32_t*>(extra)));
    Walk<kMirror, true, kAdvanceWave>(w, op);
}

template <bool kMirror, bool kAdvanceWave>
void Refract(int32_t w) {
    gRefractCount = 0;
    if (!gBackPixels) return;
    OpRefract op;
    Walk<kMirror, true, kAdvanceWave>(w, op);
}

}  // namespace

void RenderSpanMode32(int32_t, int32_t, int32_t w, int32_t h, const void*) { Glow<false>(w, h); }

void RenderSpanMode33(int32_t, int32_t, int32_t w, int32_t h, const void*) { Glow<true>(w, h); }

void RenderSpanMode36(int32_t, int32_t, int32_t w, int32_t, const void* extra) { Flat<false, true>(w, extra); }

// The mirrored flat colour and refraction leave the wave's phase where it was.
void RenderSpanMode37(int32_t, int32_t, int32_t w, int32_t, const void* extra) { Flat<true, false>(w, extra); }

void RenderSpanMode40(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpGrey op;
    Walk<false, true>(w, op);
}

void RenderSpanMode41(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpGrey op;
    Walk<true, true>(w, op);
}

void RenderSpanMode44(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpSubtract op;
    Walk<false, false>(w, op);
}

void RenderSpanMode45(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpSubtract op;
    Walk<true, false>(w, op);
}

void RenderSpanMode48(int32_t, int32_t, int32_t w, int32_t, const void*) { Refract<false, true>(w); }

void RenderSpanMode49(int32_t, int32_t, int32_t w, int32_t, const void*) { Refract<true, false>(w); }
