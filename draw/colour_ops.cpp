#include "draw/colour_ops.h"

#include <algorithm>
#include <cstdlib>

#if KYV_RUNS16
#include <immintrin.h>
#endif

PixelTint MakePixelTint(int red, int green, int blue) {
    return {MakeFieldTint(gRedMask5, gRedUnit, red), MakeFieldTint(gGreenMask5, gGreenUnit, green),
            MakeFieldTint(gBlueMask5, gBlueUnit, blue), red == 0 && green == 0 && blue == 0};
}

WideLevelPlanes MakeWideLevelPlanes() {
    // Bit q lies in after[k] when bit q - k is in Mk: shift k keeps it in
    // its field. A bit kept by shift k is kept by every smaller one, so J is
    // the largest such k.
    const uint32_t masks[4] = {gShiftMask1, gShiftMask2, gShiftMask3, gShiftMask4};
    uint32_t after[5] = {};
    for (int k = 1; k <= 4; ++k) after[k - 1] = (masks[k - 1] << k) & 0xFFFF;
    uint32_t kept = 0xFFFF;
    uint32_t plane[4];
    for (int j = 1; j <= 4; ++j) {
        kept &= after[j - 1];
        plane[j - 1] = kept & ~after[j];
    }
    return {SplatWide(plane[0]), SplatWide(plane[1]), SplatWide(plane[2]), SplatWide(plane[3])};
}

void AddRgbToPixels(uint16_t* pixels, int count, int red, int green, int blue) {
    if (!pixels) return;
    int i = 0;
#if KYV_RUNS16
    if (gRuns16 && count >= 16) i = TintRun16(pixels, count, red, green, blue);
#endif
    if (count - i >= kWideCount) {
        // Eight pixels at a time (the tint modes' rule), the rest one by one.
        const WidePixelTint w = MakeWidePixelTint(red, green, blue);
        for (; i + kWideCount <= count; i += kWideCount) StoreWide(pixels + i, TintWide(LoadWide(pixels + i), w));
    }
    const PixelTint t = MakePixelTint(red, green, blue);
    for (; i < count; ++i) {
        const int32_t p = pixels[i];
        pixels[i] = static_cast<uint16_t>(TintPixelT<int32_t>(p, t));
    }
}

namespace {

// One field with the pixel's other bits kept. Each pixel saturates by itself.
void AddToField(uint16_t* pixels, int count, uint32_t mask, uint32_t unit, int offset) {
    if (!pixels) return;
    const FieldTint f = MakeFieldTint(mask, unit, offset);
    const int32_t keep = ~f.mask;
    for (int i = 0; i < count; ++i) {
        const int32_t p = pixels[i];
        pixels[i] = static_cast<uint16_t>((p & keep) | TintFieldT<int32_t>(p, f));
    }
}

}  // namespace

void AddRedToPixels(uint16_t* pixels, int count, int offset) {
    AddToField(pixels, count, gRedMask5, gRedUnit, offset);
}

void AddGreenToPixels(uint16_t* pixels, int count, int offset) {
    AddToField(pixels, count, gGreenMask5, gGreenUnit, offset);
}

void AddBlueToPixels(uint16_t* pixels, int count, int offset) {
    AddToField(pixels, count, gBlueMask5, gBlueUnit, offset);
}

void BlendPixels(const uint16_t* source, uint16_t* destination, int count) {
    if (!source || !destination) return;
    const uint32_t rm = gRedMask5, gm = gGreenMask5, bm = gBlueMask5;
    const int rs = gRedShift, gs = gGreenShift, bs = gBlueShift;
    for (int i = 0; i < count; ++i) {
        const uint32_t s = source[i], t = destination[i];
        // The sum of two fields indexes 0..62; the table saturates above 31.
        const uint32_t r = gRedSatTable[32 + (((s & rm) + (t & rm)) >> rs)];
        const uint32_t g = gGreenSatTable[32 + (((s & gm) + (t & gm)) >> gs)];
        const uint32_t b = gBlueSatTable[32 + (((s & bm) + (t & bm)) >> bs)];
        destination[i] = static_cast<uint16_t>(r + g + b);
    }
}

void GreyPixels(uint16_t* pixels, int count) {
    if (!pixels) return;
    for (int i = 0; i < count; ++i) pixels[i] = GreyPixel(pixels[i]);
}

void BlendColourQuarter(uint16_t* pixels, uint32_t colour, int count) {
    if (!pixels) return;
    const LevelMasks m = LoadLevelMasks();
    const uint32_t c = ((colour & 0xFFFF) >> 2) & m.m2;
    for (int i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        pixels[i] = static_cast<uint16_t>(((p >> 1) & m.m1) + c + ((p >> 3) & m.m3) + ((p >> 4) & m.m4));
    }
}

#if KYV_RUNS16

namespace {

bool DetectRuns16() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

struct Planes16 {
    __m256i p1, p2, p3, p4;
};

#define KYV_AVX2 __attribute__((target("avx2")))

KYV_AVX2 inline __m256i Splat16(int v) { return _mm256_set1_epi16(static_cast<int16_t>(v)); }

// One plane's share: (d AND plane) x c, the high halves.
KYV_AVX2 inline __m256i PlaneTerm(__m256i d, __m256i plane, __m256i c) {
    return _mm256_mulhi_epu16(_mm256_and_si256(d, plane), c);
}

KYV_AVX2 inline __m256i PremultipliedBlock16(const uint16_t* d, const uint8_t* s, const uint8_t* levels,
                                             const Planes16& p) {
    const __m256i top = Splat16(0xF000);
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
    const __m256i map = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(levels)));
    const __m256i c = _mm256_andnot_si256(_mm256_slli_epi16(map, 10), top);
    const __m256i terms =
        _mm256_add_epi16(_mm256_add_epi16(PlaneTerm(dv, p.p1, _mm256_and_si256(c, Splat16(0x8000))),
                                          PlaneTerm(dv, p.p2, _mm256_and_si256(c, Splat16(0xC000)))),
                         _mm256_add_epi16(PlaneTerm(dv, p.p3, _mm256_and_si256(c, Splat16(0xE000))),
                                          PlaneTerm(dv, p.p4, c)));
    const __m256i blended = _mm256_add_epi16(sv, terms);
    return _mm256_blendv_epi8(blended, dv, _mm256_cmpeq_epi16(c, top));
}

// One field of sixteen pixels moved to the top five bits of its lane, where
// an unsigned saturating add or subtract of the tint (at most 31 steps, which
// saturates every field alike) clamps it to 0..31, and moved back.
struct FieldTint16 {
    __m128i down, back;  // shift counts: to bit 0, and from the top to the field
    __m256i step;        // |tint| << 11
    bool add;
};

KYV_AVX2 inline __m256i TintField16(__m256i v, const FieldTint16& f) {
    const __m256i top = _mm256_slli_epi16(_mm256_srl_epi16(v, f.down), 11);
    const __m256i moved = f.add ? _mm256_and_si256(_mm256_adds_epu16(top, f.step), Splat16(0xF800))
                                : _mm256_subs_epu16(top, f.step);
    return _mm256_srl_epi16(moved, f.back);
}

KYV_AVX2 inline FieldTint16 MakeFieldTint16(int shift, int tint) {
    const int steps = std::min(31, std::abs(tint));
    return {_mm_cvtsi32_si128(shift), _mm_cvtsi32_si128(11 - shift), Splat16(steps << 11), tint >= 0};
}

KYV_AVX2 inline __m256i SplatPlane(Wide w) { return _mm256_broadcastsi128_si256(reinterpret_cast<__m128i>(w)); }

}  // namespace

const bool gRuns16 = DetectRuns16();

KYV_AVX2 int TintRun16(uint16_t* pixels, int count, int red, int green, int blue) {
    const FieldTint16 r = MakeFieldTint16(gRedShift, red), g = MakeFieldTint16(gGreenShift, green),
                      b = MakeFieldTint16(gBlueShift, blue);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        auto* p = reinterpret_cast<__m256i*>(pixels + i);
        const __m256i v = _mm256_loadu_si256(p);
        _mm256_storeu_si256(p, _mm256_or_si256(_mm256_or_si256(TintField16(v, r), TintField16(v, g)), TintField16(v, b)));
    }
    return i;
}

KYV_AVX2 void PremultipliedRun16(uint16_t* d, const uint8_t* s, const uint8_t* levels, int n, const WideLevelPlanes& wp) {
    const Planes16 p{SplatPlane(wp.p1), SplatPlane(wp.p2), SplatPlane(wp.p3), SplatPlane(wp.p4)};
    const int last = n - 16;
    const __m256i lastOut = PremultipliedBlock16(d + last, s + 2 * last, levels + last, p);
    for (int i = 0; i < last; i += 16)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), PremultipliedBlock16(d + i, s + 2 * i, levels + i, p));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + last), lastOut);
}

#endif
