#include "draw/raw_render.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"

namespace {

// 16-bit screen pixels; the key colour is transparent.
struct Source16 {
    static constexpr int kBytes = 2;
    uint16_t key = static_cast<uint16_t>(gColourKey);
    bool Transparent(const uint8_t* p) const { return LoadU16(p) == key; }
    uint16_t Colour(const uint8_t* p) const { return LoadU16(p); }
};

// 8-bit indices into the colour table; index 1 is transparent.
struct Source8 {
    static constexpr int kBytes = 1;
    const uint16_t* table = gColourTable;
    bool Transparent(const uint8_t* p) const { return *p == kIndexKey; }
    uint16_t Colour(const uint8_t* p) const { return table[*p]; }
};

struct Put {
    template <class T>
    T operator()(T s, T) const { return s; }
};

// The level blend, with its eight-pixel form.
struct LevelMix : LevelRule {
    WideLevel wide;
    explicit LevelMix(int level) : LevelRule(level), wide(MakeWideLevel(level)) {}
    Wide Wide8(Wide s, Wide d) const { return LevelBlendWide(s, d, wide); }
};


// Rows top to bottom; kDir -1 reads each row right to left from the first
// source pixel (the rightmost visible one). 16-bit rows go eight pixels at a
// time where the rule has an eight-pixel form, then four; the key test is
// part of the pixel rule there.
template <class Src, int kDir, bool kKeyed, class Mix>
void WalkRaw(const Src& src, int32_t w, const Mix& mix) {
    const int cols = gSpan.columns;
    const size_t stride = static_cast<size_t>(w) * Src::kBytes;
    for (int r = 0; r < gSpan.rows; ++r) {
        const uint8_t* row = gSpan.rawSrc + r * stride;
        uint16_t* d = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(gSpan.firstRow) + static_cast<ptrdiff_t>(r) * gScreenPitch);
        int i = 0;
        if constexpr (Src::kBytes == 2) {
            if constexpr (kDir > 0 && !kKeyed && std::is_same_v<Mix, Put>) {
                std::memcpy(d, row, static_cast<size_t>(cols) * 2);
                continue;
            }
            if constexpr (requires(const Mix& m, Wide v) { m.Wide8(v, v); }) {
                const Wide wideKey = SplatWide(src.key);
                for (; i + kWideCount <= cols; i += kWideCount) {
                    const Wide s = kDir > 0 ? LoadWide(row + 2 * i) : ReverseWide(LoadWide(row - 2 * (i + kWideCount - 1)));
                    const Wide dv = LoadWide(d + i);
                    Wide out = mix.Wide8(s, dv);
                    if constexpr (kKeyed) {
                        const Wide keyed = reinterpret_cast<Wide>(s == wideKey);
                        out = (dv & keyed) | (out & ~keyed);
                    }
                    StoreWide(d + i, out);
                }
            }
            const Lanes key = Lanes{} + src.key;
            for (; i + kLaneCount <= cols; i += kLaneCount) {
                Lanes s = kDir > 0 ? LoadLanes(row + 2 * i) : ReverseLanes(LoadLanes(row - 2 * (i + kLaneCount - 1)));
                const Lanes dv = LoadLanes(d + i);
                Lanes out = mix(s, dv);
                if constexpr (kKeyed) out = Select<Lanes>(MaskEq(s, key), dv, out);
                StoreLanes(d + i, out);
            }
        }
        for (; i < cols; ++i) {
            const uint8_t* s = row + static_cast<ptrdiff_t>(kDir) * i * Src::kBytes;
            if (kKeyed && src.Transparent(s)) continue;
            d[i] = static_cast<uint16_t>(mix(static_cast<int32_t>(src.Colour(s)), static_cast<int32_t>(d[i])));
        }
    }
}

template <int kDir, bool kKeyed, class Mix>
void DrawRaw(int32_t w, const Mix& mix) {
    if (!gSpan.rawSrc) return;
    if (gColourTable) WalkRaw<Source8, kDir, kKeyed>(Source8{}, w, mix);
    else WalkRaw<Source16, kDir, kKeyed>(Source16{}, w, mix);
}

}  // namespace

void RenderSpanMode64(int32_t, int32_t, int32_t w, int32_t, const void*) { DrawRaw<1, false>(w, Put{}); }

// Mirrored raw slots read 8-bit frames through the colour table as well, so
// an 8-bit frame drawn mirrored shows its colours instead of index pairs.
void RenderSpanMode65(int32_t, int32_t, int32_t w, int32_t, const void*) { DrawRaw<-1, false>(w, Put{}); }

void RenderSpanMode68(int32_t, int32_t, int32_t w, int32_t, const void*) { DrawRaw<1, true>(w, Put{}); }

void RenderSpanMode69(int32_t, int32_t, int32_t w, int32_t, const void*) { DrawRaw<-1, true>(w, Put{}); }

void RenderSpanMode84(int32_t, int32_t, int32_t w, int32_t, const void*) {
    const int level = gAlphaLevel;
    if (level <= 0) return;
    if (level >= 15) return DrawRaw<1, true>(w, Put{});
    DrawRaw<1, true>(w, LevelMix(level));
}

// One colour (the frame's first pixel) laid over the area, fading by one
// level every (height >> 4) + 1 rows from the first drawn row.
void RenderSpanMode72(int32_t, int32_t, int32_t, int32_t h, const void*) {
    if (!gCurPic) return;
    const uint16_t colour = gColourTable ? gColourTable[gCurPic[0]] : LoadU16(gCurPic);
    const LevelMasks m = LoadLevelMasks();
    const int period = (h >> 4) + 1;
    int level = 15, counter = 0;
    for (int r = 0; r < gSpan.rows && level > 0; ++r) {
        uint16_t* d = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(gSpan.firstRow) + static_cast<ptrdiff_t>(r) * gScreenPitch);
        for (int i = 0; i < gSpan.columns; ++i) d[i] = LevelBlendAny(colour, d[i], level, m);
        if (++counter >= period) {
            counter = 0;
            --level;
        }
    }
}
