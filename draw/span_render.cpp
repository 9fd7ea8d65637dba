#include "draw/span_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"

void FillWaveTable() {
    const double kTwoPi = 6.283185307179586;
    for (int n = 1; n <= kWaveWindows; ++n) {
        for (int i = 0; i < kWaveEntries; ++i) {
            gWaveTable[n - 1][i] = static_cast<int32_t>(std::floor(n * std::sin(kTwoPi * i / kWaveEntries) + 0.5));
        }
    }
}

namespace {

// ---- The row wave ---------------------------------------------------------------
struct WaveCursor {
    const int32_t* window = nullptr;
    int entry = 0;

    // Each drawn row takes the next entry of the window, wrapping inside it.
    int Next() {
        if (++entry == kWaveEntries) entry = 0;
        return window[entry];
    }
};

WaveCursor StartWave() {
    WaveCursor w;
    if (gWaveIndex >= 1 && gWaveIndex <= kWaveWindows) {
        w.window = gWaveTable[gWaveIndex - 1];
        const int e = (gWavePhase >> 2) % kWaveEntries;
        w.entry = e < 0 ? 0 : e;
    }
    return w;
}

void AdvanceWavePhase() {
    gWavePhase += 4;
    if (gWavePhase >= kWaveEntries * 4 || gWavePhase < 0) gWavePhase = 0;
}

// ---- The walker -----------------------------------------------------------------
// Operations see each visible part of a literal run: d is the destination of
// its first pixel (stepping by kDir), s its first source pixel, c its frame
// column. Row(r) is called with the frame row before its runs.
struct OpBase {
    static constexpr bool kPaintsShadow = false;
    void Row(int) {}
    template <int kDir>
    void Shadow(uint16_t*, int) {}
};

// Applies f to each pixel of a visible run part, four at a time while it
// can. f takes (source, destination, index within the part) as int32_t or as
// Lanes, always in the frame's order, and returns the new destination.
template <int kDir, class F>
inline void EachPixel(uint16_t* d, const uint8_t* s, int n, F&& f) {
    int i = 0;
    for (; i + kLaneCount <= n; i += kLaneCount) {
        const Lanes sv = LoadLanes(s + 2 * i);
        if constexpr (kDir > 0) {
            StoreLanes(d + i, f(sv, LoadLanes(d + i), i));
        } else {
            uint16_t* dp = d - i - (kLaneCount - 1);
            StoreLanes(dp, ReverseLanes(f(sv, ReverseLanes(LoadLanes(dp)), i)));
        }
    }
    for (; i < n; ++i) {
        uint16_t* p = d + kDir * i;
        *p = static_cast<uint16_t>(f(static_cast<int32_t>(LoadU16(s + 2 * i)), static_cast<int32_t>(*p), i));
    }
}

template <int kDir>
inline void CopyRun(uint16_t* d, const uint8_t* s, int n) {
    if constexpr (kDir > 0) {
        std::memcpy(d, s, static_cast<size_t>(n) * 2);
    } else {
        EachPixel<kDir>(d, s, n, [](auto sp, auto, int) { return sp; });
    }
}

// The selections of a level blend at one level, as masks.
struct LevelSelect {
    int32_t s1, s2, s3, s4;
    explicit LevelSelect(int level)
        : s1(-((level >> 3) & 1)), s2(-((level >> 2) & 1)), s3(-((level >> 1) & 1)), s4(-(level & 1)) {}
};

template <int kDir>
inline void LevelRun(uint16_t* d, const uint8_t* s, int n, const LevelSelect& sel, const LevelMasks& m) {
    EachPixel<kDir>(d, s, n, [&sel, &m](auto sp, auto dp, int) {
        using T = decltype(sp);
        return LevelBlendT<T>(sp, dp, T{} + sel.s1, T{} + sel.s2, T{} + sel.s3, T{} + sel.s4, m);
    });
}

template <bool kMirror, class Op>
inline void WalkRow(const uint8_t* p, int fL, int fR, uint16_t* d0, Op& op) {
    constexpr int kDir = kMirror ? -1 : 1;
    int c = 0;
    for (;;) {
        const uint16_t word = LoadU16(p);
        p += 2;
        const int n = word & kRunCountMask;
        if (n == 0) return;
        const int e = c + n;
        const uint16_t kind = word & kRunKindMask;
        if (kind == kRunLiteral) {
            if (e > fL) {
                const int lo = std::max(c, fL), hi = std::min(e, fR);
                op.template Literal<kDir>(d0 + kDir * (lo - fL), p + 2 * (lo - c), hi - lo, lo);
            }
            p += 2 * n;
        } else if constexpr (Op::kPaintsShadow) {
            if (kind == kRunShadow && e > fL) {
                const int lo = std::max(c, fL), hi = std::min(e, fR);
                op.template Shadow<kDir>(d0 + kDir * (lo - fL), hi - lo);
            }
        }
        c = e;
        if (c >= fR) return;
    }
}

// Walks the frame's rows from the span state. Each row is placed (after its
// wave shift, if any) and then cut to the clip rectangle, so a wavy row never
// leaves the clip. kRowStep: rows step by gRowStep (the slots with a flipped
// twin) rather than by the pitch.
template <bool kMirror, bool kRowStep, class Op>
void WalkRle(int32_t w, Op& op) {
    const uint8_t* pic = gCurPic;
    if (!pic || LoadU16(pic) != kRleMagic || !(LoadU16(pic + 6) & 16)) return;  // 16-bit frames only
    WaveCursor wave = StartWave();
    const uint8_t* row = pic + kRleHeaderBytes;
    int r = 0;
    bool ended = false;
    for (int i = 0; i < gSpan.topSkip; ++i, ++r) {
        const uint16_t length = LoadU16(row) & 0x7FFF;
        if (length == 0) {
            ended = true;
            break;
        }
        row += length;
    }
    const intptr_t step = kRowStep ? gRowStep : gScreenPitch;
    uint8_t* firstBase = reinterpret_cast<uint8_t*>(gSpan.firstRow - gSpan.x);  // column 0 of the first row
    for (int drawn = 0; !ended && drawn < gSpan.rows; ++drawn, ++r) {
        const uint16_t length = LoadU16(row) & 0x7FFF;
        if (length == 0) break;
        const int px = gSpan.picX + (wave.window ? wave.Next() : 0);
        const int a = std::max(gSpan.clipLeft, px), b = std::min(gSpan.clipRight, px + w);
        if (a < b) {
            uint16_t* base = reinterpret_cast<uint16_t*>(firstBase + drawn * step);
            op.Row(r);
            if constexpr (kMirror) WalkRow<true>(row + 2, px + w - b, px + w - a, base + (b - 1), op);
            else WalkRow<false>(row + 2, a - px, b - px, base + a, op);
        }
        row += length;
    }
    if (wave.window) AdvanceWavePhase();
}

// ---- Pixel operations --------------------------------------------------------------
struct OpCopy : OpBase {
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) { CopyRun<kDir>(d, s, n); }
};

// Additive light; with a tint the source is tinted first (each step saturating).
struct OpAdd : OpBase {
    PixelTint t = MakePixelTint(gTintRed, gTintGreen, gTintBlue);
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) {
        EachPixel<kDir>(d, s, n, [this](auto sp, auto dp, int) { return AddTintedT<decltype(sp)>(sp, dp, t); });
    }
};

// The background under the frame's shape, tinted; the frame's colours unused.
struct OpTint : OpBase {
    PixelTint t = MakePixelTint(gTintRed, gTintGreen, gTintBlue);
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) {
        EachPixel<kDir>(d, s, n, [this](auto, auto dp, int) { return TintPixelT<decltype(dp)>(dp, t); });
    }
};

// Per-pixel levels from an alpha map of one byte (4 x level) per frame pixel:
// level 0 keeps d, 1 to 14 add the premultiplied source, 15 copies.
struct OpAlphaMap : OpBase {
    const uint8_t* map;
    int32_t width;
    uint16_t shadow;
    LevelMasks m = LoadLevelMasks();
    const uint8_t* mapRow = nullptr;
    OpAlphaMap(const uint8_t* alphaMap, int32_t w, uint16_t shadowColour) : map(alphaMap), width(w), shadow(shadowColour) {}

    void Row(int r) { mapRow = map + static_cast<size_t>(r) * width; }
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int c) {
        const uint8_t* levels = mapRow + c;
        EachPixel<kDir>(d, s, n, [this, levels](auto sp, auto dp, int i) {
            using T = decltype(sp);
            T level;
            if constexpr (std::is_same_v<T, Lanes>) level = (LoadLaneBytes(levels + i) >> 2) & 15;
            else level = (levels[i] >> 2) & 15;
            const T blended = sp + LevelBlendT<T>(T{}, dp, level, m);
            return Select<T>(MaskEq(level, T{}), dp, blended);
        });
    }
};

struct OpAlphaMapShadow : OpAlphaMap {
    static constexpr bool kPaintsShadow = true;
    using OpAlphaMap::OpAlphaMap;
    template <int kDir>
    void Shadow(uint16_t* d, int n) {
        for (int i = 0; i < n; ++i) d[kDir * i] = shadow;
    }
};

// Translucent at one level for the whole draw (1..14).
struct OpLevel : OpBase {
    LevelSelect sel;
    LevelMasks m = LoadLevelMasks();
    explicit OpLevel(int level) : sel(level) {}
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) { LevelRun<kDir>(d, s, n, sel, m); }
};

// A copy whose visible span ends are painted in the edge colour.
struct OpEdge : OpBase {
    uint16_t edge = static_cast<uint16_t>(gEdgeColour);
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) {
        CopyRun<kDir>(d, s, n);
        d[0] = edge;
        d[kDir * (n - 1)] = edge;
    }
};

// Fades out down the frame: frame row r at level 15 - (r + 1) / p.
struct OpFade : OpBase {
    int perLevel;
    int level = 15;
    LevelSelect sel{15};
    LevelMasks m = LoadLevelMasks();
    explicit OpFade(int32_t height) : perLevel((height + 16) >> 4) {}
    void Row(int r) {
        level = std::max(0, 15 - (r + 1) / perLevel);
        sel = LevelSelect(level);
    }
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) {
        if (level == 0) return;
        if (level == 15) return CopyRun<kDir>(d, s, n);
        LevelRun<kDir>(d, s, n, sel, m);
    }
};

template <bool kMirror>
void RenderLevel(int32_t w) {
    const int level = gAlphaLevel;
    if (level <= 0) return;
    if (level >= 15) {
        OpCopy op;
        return WalkRle<kMirror, true>(w, op);
    }
    OpLevel op(level);
    WalkRle<kMirror, true>(w, op);
}

}  // namespace

void RenderSpanMode0(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpCopy op;
    WalkRle<false, true>(w, op);
}

void RenderSpanMode1(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpCopy op;
    WalkRle<true, true>(w, op);
}

void RenderSpanMode4(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpAdd op;
    WalkRle<false, false>(w, op);
}

void RenderSpanMode5(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpAdd op;
    WalkRle<true, false>(w, op);
}

// The alpha map holds width bytes per frame row; without one nothing is drawn.
void RenderSpanMode8(int32_t, int32_t, int32_t w, int32_t, const void* extra) {
    if (!extra) return;
    OpAlphaMapShadow op(static_cast<const uint8_t*>(extra), w, gAlphaShadowColour);
    WalkRle<false, false>(w, op);
}

void RenderSpanMode9(int32_t, int32_t, int32_t w, int32_t, const void* extra) {
    if (!extra) return;
    OpAlphaMap op(static_cast<const uint8_t*>(extra), w, 0);
    WalkRle<true, false>(w, op);
}

// With all tints 0 there is nothing to do: not even the wave moves on.
void RenderSpanMode16(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpTint op;
    if (op.t.zero) return;
    WalkRle<false, false>(w, op);
}

void RenderSpanMode17(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpTint op;
    if (op.t.zero) return;
    WalkRle<true, false>(w, op);
}

void RenderSpanMode20(int32_t, int32_t, int32_t w, int32_t, const void*) { RenderLevel<false>(w); }

void RenderSpanMode21(int32_t, int32_t, int32_t w, int32_t, const void*) { RenderLevel<true>(w); }

void RenderSpanMode24(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpEdge op;
    WalkRle<false, false>(w, op);
}

void RenderSpanMode25(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpEdge op;
    WalkRle<true, false>(w, op);
}

void RenderSpanMode28(int32_t, int32_t, int32_t w, int32_t h, const void*) {
    if (h <= 0) return;
    OpFade op(h);
    WalkRle<false, false>(w, op);
}
