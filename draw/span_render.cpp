#include "draw/span_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"
#include "draw/span_walk.h"

void FillWaveTable() {
    const double kTwoPi = 6.283185307179586;
    for (int n = 1; n <= kWaveWindows; ++n) {
        for (int i = 0; i < kWaveEntries; ++i) {
            gWaveTable[n - 1][i] = static_cast<int32_t>(std::floor(n * std::sin(kTwoPi * i / kWaveEntries) + 0.5));
        }
    }
}

namespace {

using namespace spanwalk;

// ---- Pixel operations --------------------------------------------------------------
struct OpCopy : OpBase {
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) { CopyRun<kDir>(d, s, n); }
};

// Per-pixel levels from an alpha map of one byte (4 x level) per frame pixel:
// level 0 keeps d, 1 to 14 add the premultiplied source, 15 copies.
struct OpAlphaMap : OpBase {
    const uint8_t* map;
    int32_t width;
    uint16_t shadow;
    LevelMasks m = LoadLevelMasks();
    WideLevelPlanes planes = MakeWideLevelPlanes();
    const uint8_t* mapRow = nullptr;
    OpAlphaMap(const uint8_t* alphaMap, int32_t w, uint16_t shadowColour) : map(alphaMap), width(w), shadow(shadowColour) {}

    void Row(int r) { mapRow = map + static_cast<size_t>(r) * width; }
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int c) {
        const uint8_t* levels = mapRow + c;
#if KYV_RUNS16
        if constexpr (kDir > 0) {
            if (gRuns16 && n >= 16) return PremultipliedRun16(d, s, levels, n, planes);
        }
#endif
        const LevelMasks lm = m;
        const WideLevelPlanes wp = planes;
        EachPixelWide<kDir>(
            d, s, n,
            [levels, wp](Wide sp, Wide dp, int i) {
                return PremultipliedWide(sp, dp, LoadWideBytes(levels + i), wp);
            },
            [levels, lm](auto sp, auto dp, int i) {
                using T = decltype(sp);
                T level;
                if constexpr (std::is_same_v<T, Lanes>) level = (LoadLaneBytes(levels + i) >> 2) & 15;
                else level = (levels[i] >> 2) & 15;
                const T blended = sp + LevelBlendT<T>(T{}, dp, level, lm);
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
    WideLevel wide;
    explicit OpLevel(int level) : sel(level), wide(MakeWideLevel(level)) {}
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) {
        // Copies of the constants: the stores could alias the members.
        const LevelSelect cs = sel;
        const LevelMasks cm = m;
        const WideLevel cw = wide;
        LevelRun<kDir>(d, s, n, cs, cm, cw);
    }
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
    if (op.rule.t.zero) return;
    WalkRle<false, false>(w, op);
}

void RenderSpanMode17(int32_t, int32_t, int32_t w, int32_t, const void*) {
    OpTint op;
    if (op.rule.t.zero) return;
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
