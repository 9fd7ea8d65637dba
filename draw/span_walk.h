// The row-and-run walker every run-length renderer shares: the row wave,
// the walk of one row's runs cut to a column range, and the walk of a whole
// frame from the span state that DrawPic prepared. Operations receive each
// visible part of a literal run (and, when they ask, of a shadow run).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"

namespace spanwalk {

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

inline WaveCursor StartWave() {
    WaveCursor w;
    if (gWaveIndex >= 1 && gWaveIndex <= kWaveWindows) {
        w.window = gWaveTable[gWaveIndex - 1];
        const int e = (gWavePhase >> 2) % kWaveEntries;
        w.entry = e < 0 ? 0 : e;
    }
    return w;
}

inline void AdvanceWavePhase() {
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

// The same eight pixels at a time: fw takes (source, destination, index) as
// Wide values in the frame's order; f does runs shorter than eight. A run
// that is not a multiple of eight ends with one more block over its last
// eight pixels, computed from the destination as it was before the run, so
// the pixels the blocks share get the same values and nothing is read or
// written outside the run.
template <int kDir, class FW, class F>
inline void EachPixelWide(uint16_t* d, const uint8_t* s, int n, FW&& fw, F&& f) {
    if (n < kWideCount) return EachPixel<kDir>(d, s, n, f);
    auto block = [d](int i) { return kDir > 0 ? d + i : d - i - (kWideCount - 1); };
    auto load = [&block](int i) {
        const Wide v = LoadWide(block(i));
        return kDir > 0 ? v : ReverseWide(v);
    };
    auto store = [&block](int i, Wide v) { StoreWide(block(i), kDir > 0 ? v : ReverseWide(v)); };
    const int last = n - kWideCount;
    if (n % kWideCount == 0) {
        for (int i = 0; i <= last; i += kWideCount) store(i, fw(LoadWide(s + 2 * i), load(i), i));
        return;
    }
    const Wide lastOut = fw(LoadWide(s + 2 * last), load(last), last);
    for (int i = 0; i < last; i += kWideCount) store(i, fw(LoadWide(s + 2 * i), load(i), i));
    store(last, lastOut);
}

// Four pixels of the source reversed onto d[-3..0].
inline void CopyFourMirrored(uint16_t* d, const uint8_t* s) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d - 3), _mm_shufflelo_epi16(v, _MM_SHUFFLE(0, 1, 2, 3)));
#else
    for (int i = 0; i < 4; ++i) d[-i] = LoadU16(s + 2 * i);
#endif
}

// A mirrored run, copied in blocks the way a memory copy does by size: a
// copy does not read the destination, so the blocks that finish a run may
// overlap the ones before them. Short runs take two blocks and no loop, long
// ones rounds of four blocks, so a sprite's run ends after a round or two
// rather than a round per eight pixels.
__attribute__((always_inline)) inline void CopyRunMirrored(uint16_t* d, const uint8_t* s, int n) {
    auto block = [d, s](int i) { StoreWide(d - i - (kWideCount - 1), ReverseWide(LoadWide(s + 2 * i))); };
    if (n >= 2 * kWideCount) {
        int i = 0;
        for (; n - i > 4 * kWideCount; i += 4 * kWideCount) {
            block(i);
            block(i + kWideCount);
            block(i + 2 * kWideCount);
            block(i + 3 * kWideCount);
        }
        if (n - i > 2 * kWideCount) {
            block(i);
            block(i + kWideCount);
        }
        block(n - 2 * kWideCount);
        block(n - kWideCount);
    } else if (n >= kWideCount) {
        block(0);
        block(n - kWideCount);
    } else if (n >= 4) {
        CopyFourMirrored(d, s);
        CopyFourMirrored(d - (n - 4), s + 2 * (n - 4));
    } else {
        for (int i = 0; i < n; ++i) d[-i] = LoadU16(s + 2 * i);
    }
}

template <int kDir>
inline void CopyRun(uint16_t* d, const uint8_t* s, int n) {
    if constexpr (kDir > 0) std::memcpy(d, s, static_cast<size_t>(n) * 2);
    else CopyRunMirrored(d, s, n);
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
// The same with eight pixels at a time, for a level that holds for a whole draw.
template <int kDir>
inline void LevelRun(uint16_t* d, const uint8_t* s, int n, const LevelSelect& sel, const LevelMasks& m,
                     const WideLevel& wide) {
    EachPixelWide<kDir>(
        d, s, n, [&wide](Wide sp, Wide dp, int) { return LevelBlendWide(sp, dp, wide); },
        [&sel, &m](auto sp, auto dp, int) {
            using T = decltype(sp);
            return LevelBlendT<T>(sp, dp, T{} + sel.s1, T{} + sel.s2, T{} + sel.s3, T{} + sel.s4, m);
        });
}

template <bool kMirror, class Op>
inline void WalkRow(const uint8_t* p, int fL, int fR, uint16_t* d0, Op& op) {
    constexpr int kDir = kMirror ? -1 : 1;
    // The runs that end before the visible part are stepped over.
    int c = 0, n;
    uint16_t word;
    for (;;) {
        word = LoadU16(p);
        p += 2;
        n = word & kRunCountMask;
        if (n == 0) return;
        if (c + n > fL) break;
        if ((word & kRunKindMask) == kRunLiteral) p += 2 * n;
        c += n;
    }
    // The run that reaches it is cut to start there; from then on each run
    // starts at column fL + x and only the last visible one is cut, at fR.
    if ((word & kRunKindMask) == kRunLiteral) p += 2 * (fL - c);
    n -= fL - c;
    const int width = fR - fL;
    int x = 0;
    for (;;) {
        const uint16_t kind = word & kRunKindMask;
        const int m = std::min(n, width - x);
        if (kind == kRunLiteral) {
            op.template Literal<kDir>(d0 + kDir * x, p, m, fL + x);
            p += 2 * n;
        } else if constexpr (Op::kPaintsShadow) {
            if (kind == kRunShadow) op.template Shadow<kDir>(d0 + kDir * x, m);
        }
        x += n;
        if (x >= width) return;
        word = LoadU16(p);
        p += 2;
        n = word & kRunCountMask;
        if (n == 0) return;
    }
}

// Whether the picture is a 16-bit run-length frame, the only kind these
// renderers draw.
inline bool IsRle16(const uint8_t* pic) {
    return pic && LoadU16(pic) == kRleMagic && (LoadU16(pic + 6) & 16);
}

// The length of a row in bytes (0 at the end of the frame).
inline uint16_t RowBytes(const uint8_t* row) { return LoadU16(row) & 0x7FFF; }

// Walks one row placed with its frame column 0 at screen column px, cut to
// the clip's columns [clipLeft, clipRight); base is the row's column 0.
template <bool kMirror, class Op>
inline void WalkPlacedRow(const uint8_t* row, int px, int w, int clipLeft, int clipRight, uint16_t* base, Op& op) {
    const int a = std::max(clipLeft, px), b = std::min(clipRight, px + w);
    if (a >= b) return;
    if constexpr (kMirror) WalkRow<true>(row + 2, px + w - b, px + w - a, base + (b - 1), op);
    else WalkRow<false>(row + 2, a - px, b - px, base + a, op);
}

// Walks the frame's rows from the span state. Each row is placed (after its
// wave shift, if any) and then cut to the clip rectangle, so a wavy row never
// leaves the clip. kRowStep: rows step by gRowStep (the slots with a flipped
// twin) rather than by the pitch. kAdvanceWave: a draw with a wave moves the
// phase on (two mirrored slots of the sprite effects keep it).
template <bool kMirror, bool kRowStep, class Op, bool kAdvanceWave = true>
void WalkRle(int32_t w, Op& op) {
    const uint8_t* pic = gCurPic;
    if (!IsRle16(pic)) return;
    WaveCursor wave = StartWave();
    const uint8_t* row = pic + kRleHeaderBytes;
    int r = 0;
    bool ended = false;
    for (int i = 0; i < gSpan.topSkip; ++i, ++r) {
        const uint16_t length = RowBytes(row);
        if (length == 0) {
            ended = true;
            break;
        }
        row += length;
    }
    const intptr_t step = kRowStep ? gRowStep : gScreenPitch;
    uint8_t* firstBase = reinterpret_cast<uint8_t*>(gSpan.firstRow - gSpan.x);  // column 0 of the first row
    if (!wave.window) {
        // Every row is placed alike: the visible columns are worked out once.
        const int px = gSpan.picX;
        const int a = std::max(gSpan.clipLeft, px), b = std::min(gSpan.clipRight, px + w);
        if (ended || a >= b) return;
        const int fL = kMirror ? px + w - b : a - px, fR = kMirror ? px + w - a : b - px;
        uint8_t* base = firstBase + 2 * static_cast<intptr_t>(kMirror ? b - 1 : a);
        for (int drawn = 0; drawn < gSpan.rows; ++drawn, ++r, base += step) {
            const uint16_t length = RowBytes(row);
            if (length == 0) break;
            op.Row(r);
            WalkRow<kMirror>(row + 2, fL, fR, reinterpret_cast<uint16_t*>(base), op);
            row += length;
        }
        return;
    }
    for (int drawn = 0; !ended && drawn < gSpan.rows; ++drawn, ++r) {
        const uint16_t length = RowBytes(row);
        if (length == 0) break;
        const int px = gSpan.picX + (wave.window ? wave.Next() : 0);
        if (std::max(gSpan.clipLeft, px) < std::min(gSpan.clipRight, px + w)) {
            op.Row(r);
            WalkPlacedRow<kMirror>(row, px, w, gSpan.clipLeft, gSpan.clipRight,
                                   reinterpret_cast<uint16_t*>(firstBase + drawn * step), op);
        }
        row += length;
    }
    if (kAdvanceWave && wave.window) AdvanceWavePhase();
}

// ---- Scaled and sheared draws ---------------------------------------------------
// A scaled draw (modes 12 and 13, and the glow of mode 32 when a target height
// is set) shows the frame squashed or stretched to H screen rows and leaned
// sideways. Logical row j (1 to H) lies on screen row y + j, or y + H + 1 - j
// when flipped, so a flipped draw covers the rows of the unflipped one. Every
// logical row steps the frame rows and the shear whether it is visible or
// not: a clipped draw shows exactly the same part of the unclipped one.
// An unscaled draw in these modes is a scaled draw to the frame's own height
// (no vertical step) without the forced lean.
struct ScaledStep {
    const uint8_t* row;
    int32_t v;         // frame rows per screen row beyond the first, 1/1024 (enlarging: below 1024)
    bool enlarging;
    int32_t q, dir;    // shear step in 1/1024 pixel per row, and its direction
    int32_t shear;     // the running horizontal offset
    int32_t av = 0, as = 0;

    // Moves on n frame rows; false at the end of the frame.
    bool Move(int n) {
        for (int i = 0; i < n; ++i) {
            const uint16_t length = RowBytes(row);
            if (length == 0) return false;
            row += length;
        }
        return RowBytes(row) != 0;
    }
    void Shear() {
        as += q;
        shear += (as >> 10) * dir;
        as &= 1023;
    }
    int Rows() {
        av += v;
        const int k = av >> 10;
        av &= 1023;
        return k;
    }
};

template <bool kMirror, class Op>
void WalkScaledRle(int32_t w, int32_t h, Op& op) {
    const uint8_t* pic = gCurPic;
    const bool wave = gWaveIndex >= 1 && gWaveIndex <= kWaveWindows;
    if (IsRle16(pic) && h > 0) {
        const int32_t target = gSpan.scaleRows > 0 ? gSpan.scaleRows : h;
        ScaledStep st{pic + kRleHeaderBytes, gSpan.vStep, gSpan.enlarging, gSpan.shearStep, gSpan.shearDir, gShear};
        const bool flip = gRowStep < 0;
        const int64_t top = gClip.top, bottom = static_cast<int64_t>(gClip.top) + gClip.height;
        const int64_t y0 = gSpan.picY;
        bool more = RowBytes(st.row) != 0;
        if (more) {
            const int k = st.Rows();
            more = st.Move(1 + (st.enlarging ? (k != 0) : k));
            st.Shear();
        }
        for (int32_t j = 1; more && j <= target; ++j) {
            st.Shear();
            const int64_t sy = flip ? y0 + target + 1 - j : y0 + j;
            if (flip ? sy < top : sy >= bottom) break;
            if (sy >= top && sy < bottom) {
                op.Row(j);
                WalkPlacedRow<kMirror>(st.row, gSpan.picX + st.shear, w, gSpan.clipLeft, gSpan.clipRight,
                                       BackPixel(0, static_cast<int32_t>(sy)), op);
            }
            const int k = st.Rows();
            more = st.Move(st.enlarging ? (k != 0) : 1 + k);
        }
    }
    if (wave) AdvanceWavePhase();
}

// ---- Operations several renderers share ------------------------------------------
// Additive light; with a tint the source is tinted first (each step saturating).
struct OpAdd : OpBase {
    PixelTint t = MakePixelTint(gTintRed, gTintGreen, gTintBlue);
    WidePixelTint wt = MakeWidePixelTint(gTintRed, gTintGreen, gTintBlue);
    PackedFields pf = LoadPackedFields();
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) {
        // Copies of the constants: the stores could alias the members.
        const PixelTint tt = t;
        auto one = [tt](auto sp, auto dp, int) { return AddTintedT<decltype(sp)>(sp, dp, tt); };
        if (t.zero) {
            const PackedFields f = pf;
            EachPixelWide<kDir>(d, s, n, [f](Wide sp, Wide dp, int) { return AddSaturateWide(sp, dp, f); }, one);
        } else {
            const WidePixelTint w = wt;
            EachPixelWide<kDir>(d, s, n, [w](Wide sp, Wide dp, int) { return AddTintedWide(sp, dp, w); }, one);
        }
    }
};

// An operation from a pixel rule that has an eight-pixel form: rule(s, d)
// for one pixel or four, rule.Wide8(s, d) for eight.
template <class Rule>
struct OpWideRule : OpBase {
    Rule rule;
    template <int kDir>
    void Literal(uint16_t* d, const uint8_t* s, int n, int) {
        const Rule r = rule;  // a copy: the stores could alias the members
        EachPixelWide<kDir>(d, s, n, [r](Wide sp, Wide dp, int) { return r.Wide8(sp, dp); },
                            [r](auto sp, auto dp, int) { return r(sp, dp); });
    }
};

// The background under the frame's shape, tinted; the frame's colours unused.
struct TintRule {
    PixelTint t = MakePixelTint(gTintRed, gTintGreen, gTintBlue);
    WidePixelTint wt = MakeWidePixelTint(gTintRed, gTintGreen, gTintBlue);
    template <class T>
    T operator()(T, T d) const { return TintPixelT<T>(d, t); }
    Wide Wide8(Wide, Wide d) const { return TintWide(d, wt); }
};
using OpTint = OpWideRule<TintRule>;

// Subtractive shadow: the tinted source taken from the background.
struct SubtractRule {
    PixelTint t = MakePixelTint(gTintRed, gTintGreen, gTintBlue);
    WidePixelTint wt = MakeWidePixelTint(gTintRed, gTintGreen, gTintBlue);
    template <class T>
    T operator()(T s, T d) const { return SubTintedT<T>(s, d, t); }
    Wide Wide8(Wide s, Wide d) const { return SubTintedWide(s, d, wt); }
};
using OpSubtract = OpWideRule<SubtractRule>;

}  // namespace spanwalk
