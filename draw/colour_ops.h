// Colour operations on runs of 16-bit screen pixels, and the per-pixel rules
// the renderers share. Everything works through the working 5-bit fields of
// pixel_format.h, so one rule serves every screen layout.
#pragma once
#include <cstdint>
#include <cstring>

#include "draw/pixel_format.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// ---- Runs of pixels, changed in place (a count of 0 or less does nothing) ----
// Adds the offsets (in field steps) to the three fields, each saturating;
// bits outside the fields are cleared.
void AddRgbToPixels(uint16_t* pixels, int count, int red, int green, int blue);
// One field only, saturating; the pixel's other bits are kept.
void AddRedToPixels(uint16_t* pixels, int count, int offset);
void AddGreenToPixels(uint16_t* pixels, int count, int offset);
void AddBlueToPixels(uint16_t* pixels, int count, int offset);
// destination = source + destination per field, saturating (additive light).
void BlendPixels(const uint16_t* source, uint16_t* destination, int count);
// Each pixel becomes a grey of a quarter of its channel sum.
void GreyPixels(uint16_t* pixels, int count);
// 11/16 of each pixel plus 4/16 of the colour (a MakeColour value).
void BlendColourQuarter(uint16_t* pixels, uint32_t colour, int count);

// ---- Per-pixel rules ----------------------------------------------------------
// The shift masks of a level blend, low halves.
struct LevelMasks {
    uint32_t m1, m2, m3, m4;
};
inline LevelMasks LoadLevelMasks() {
    return {gShiftMask1 & 0xFFFF, gShiftMask2 & 0xFFFF, gShiftMask3 & 0xFFFF, gShiftMask4 & 0xFFFF};
}

// Level blend in sixteenths for a level of 1 to 14: the sum over k = 1..4 of
// ((X >> k) AND Mk), X the source when bit (4 - k) of the level is set, else
// the destination. No multiplication, and no field bleeds into the next.
inline uint16_t LevelBlend(uint32_t s, uint32_t d, int level, const LevelMasks& m) {
    const uint32_t x = s ^ d;
    const uint32_t p1 = d ^ (x & (0u - ((static_cast<uint32_t>(level) >> 3) & 1)));
    const uint32_t p2 = d ^ (x & (0u - ((static_cast<uint32_t>(level) >> 2) & 1)));
    const uint32_t p3 = d ^ (x & (0u - ((static_cast<uint32_t>(level) >> 1) & 1)));
    const uint32_t p4 = d ^ (x & (0u - (static_cast<uint32_t>(level) & 1)));
    return static_cast<uint16_t>(((p1 >> 1) & m.m1) + ((p2 >> 2) & m.m2) + ((p3 >> 3) & m.m3) + ((p4 >> 4) & m.m4));
}

// Level blend for any level: 0 or less keeps d, 15 or more gives s.
inline uint16_t LevelBlendAny(uint16_t s, uint16_t d, int level, const LevelMasks& m) {
    if (level <= 0) return d;
    if (level >= 15) return s;
    return LevelBlend(s, d, level, m);
}

// Premultiplied blend for a level of 1 to 14: s plus the destination terms of
// the level's clear bits, a plain 16-bit sum (the source carries its weight).
inline uint16_t PremultipliedBlend(uint32_t s, uint32_t d, int level, const LevelMasks& m) {
    return static_cast<uint16_t>(s + LevelBlend(0, d, level, m));
}

// One field with a signed offset: the step and the value a field that left
// its bits takes (the full field for an offset of 0 or more, 0 below).
struct FieldTint {
    int32_t mask;
    int32_t step;
    int32_t clamp;
};
inline FieldTint MakeFieldTint(uint32_t mask, uint32_t unit, int32_t tint) {
    // Offsets beyond a whole field saturate alike; bounding them keeps the
    // step from overflowing.
    if (tint > 32) tint = 32;
    if (tint < -32) tint = -32;
    return {static_cast<int32_t>(mask), tint * static_cast<int32_t>(unit), tint >= 0 ? static_cast<int32_t>(mask) : 0};
}

// The three fields of one draw's tint.
struct PixelTint {
    FieldTint red, green, blue;
    bool zero;
};
PixelTint MakePixelTint(int red, int green, int blue);

// The grey of a pixel: a quarter of its channel sum in every field.
inline uint16_t GreyPixel(uint32_t p) {
    const uint32_t v = (((p & gRedMask5) >> gRedShift) + ((p & gGreenMask5) >> gGreenShift) +
                        ((p & gBlueMask5) >> gBlueShift)) >> 2;
    return static_cast<uint16_t>((v << gRedShift) + (v << gGreenShift) + (v << gBlueShift));
}

// ---- Four pixels at a time ------------------------------------------------------
// The renderers apply each rule to four pixels at once, widened to 32-bit
// lanes so that a field's overflow bit has room, and to the pixels left over
// one by one. The rules below are templates over the lane type: the same
// code for an int32_t and for a Lanes value, so both give the same result.
using Lanes = int32_t __attribute__((vector_size(16)));
using Pixels4 = uint16_t __attribute__((vector_size(8)));
using Bytes4 = uint8_t __attribute__((vector_size(4)));
constexpr int kLaneCount = 4;

inline Lanes LoadLanes(const void* p) {
    Pixels4 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Lanes);
}
inline void StoreLanes(void* p, Lanes v) {
    const Pixels4 w = __builtin_convertvector(v, Pixels4);
    std::memcpy(p, &w, sizeof w);
}
inline Lanes LoadLaneBytes(const uint8_t* p) {
    Bytes4 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Lanes);
}
inline Lanes ReverseLanes(Lanes v) {
#if defined(__clang__)
    return __builtin_shufflevector(v, v, 3, 2, 1, 0);
#else
    return __builtin_shuffle(v, Lanes{3, 2, 1, 0});
#endif
}

// All ones where x is not 0 (where the condition holds), else 0.
inline int32_t MaskIf(int32_t condition) { return -static_cast<int32_t>(condition != 0); }
inline Lanes MaskIf(Lanes condition) { return condition != 0; }
inline int32_t MaskEq(int32_t a, int32_t b) { return -static_cast<int32_t>(a == b); }
inline Lanes MaskEq(Lanes a, Lanes b) { return a == b; }
template <class T>
inline T Select(T mask, T a, T b) {
    return (a & mask) | (b & ~mask);
}

// (v AND field) + step, saturated to the clamp value; T is one pixel
// (int32_t) or four (Lanes).
template <class T>
inline T TintFieldT(T v, const FieldTint& f) {
    const T t = (v & f.mask) + f.step;
    return Select<T>(MaskIf(t & ~f.mask), T{} + f.clamp, t);
}
// A sum that left its field becomes the full field.
template <class T>
inline T SaturateFieldT(T t, int32_t mask) {
    return Select<T>(MaskIf(t & ~mask), T{} + mask, t);
}

// The level blend with the four selections given as masks (all ones: take
// the source for that term).
template <class T>
inline T LevelBlendT(T s, T d, T sel1, T sel2, T sel3, T sel4, const LevelMasks& m) {
    const T x = s ^ d;
    const T p1 = d ^ (x & sel1), p2 = d ^ (x & sel2), p3 = d ^ (x & sel3), p4 = d ^ (x & sel4);
    return ((p1 >> 1) & static_cast<int32_t>(m.m1)) + ((p2 >> 2) & static_cast<int32_t>(m.m2)) +
           ((p3 >> 3) & static_cast<int32_t>(m.m3)) + ((p4 >> 4) & static_cast<int32_t>(m.m4));
}
template <class T>
inline T LevelBlendT(T s, T d, T level, const LevelMasks& m) {
    return LevelBlendT<T>(s, d, -((level >> 3) & 1), -((level >> 2) & 1), -((level >> 1) & 1), -(level & 1), m);
}

// The level blend at one level (1 to 14) as a rule for one pixel or four.
struct LevelRule {
    int32_t s1, s2, s3, s4;
    LevelMasks m = LoadLevelMasks();
    explicit LevelRule(int level)
        : s1(-((level >> 3) & 1)), s2(-((level >> 2) & 1)), s3(-((level >> 1) & 1)), s4(-(level & 1)) {}
    template <class T>
    T operator()(T s, T d) const { return LevelBlendT<T>(s, d, T{} + s1, T{} + s2, T{} + s3, T{} + s4, m); }
};

// Additive light of s onto d with s tinted first (rule of the glow modes).
template <class T>
inline T AddTintedT(T s, T d, const PixelTint& t) {
    return SaturateFieldT<T>(TintFieldT<T>(s, t.red) + (d & t.red.mask), t.red.mask) |
           SaturateFieldT<T>(TintFieldT<T>(s, t.green) + (d & t.green.mask), t.green.mask) |
           SaturateFieldT<T>(TintFieldT<T>(s, t.blue) + (d & t.blue.mask), t.blue.mask);
}
template <class T>
inline T TintPixelT(T d, const PixelTint& t) {
    return TintFieldT<T>(d, t.red) | TintFieldT<T>(d, t.green) | TintFieldT<T>(d, t.blue);
}

// Subtractive shadow: s tinted first (saturating), then taken from d per
// field, a field that would go below 0 becoming 0.
template <class T>
inline T SubFieldT(T s, T d, const FieldTint& f) {
    const T b = (d & f.mask) - TintFieldT<T>(s, f);
    return Select<T>(MaskIf(b & ~f.mask), T{}, b);
}
template <class T>
inline T SubTintedT(T s, T d, const PixelTint& t) {
    return SubFieldT<T>(s, d, t.red) | SubFieldT<T>(s, d, t.green) | SubFieldT<T>(s, d, t.blue);
}

// GreyPixel on one pixel (int32_t) or four (Lanes).
template <class T>
inline T GreyPixelT(T p) {
    const T v = (((p & static_cast<int32_t>(gRedMask5)) >> gRedShift) + ((p & static_cast<int32_t>(gGreenMask5)) >> gGreenShift) +
                 ((p & static_cast<int32_t>(gBlueMask5)) >> gBlueShift)) >> 2;
    return (v << gRedShift) + (v << gGreenShift) + (v << gBlueShift);
}

// Additive light of s onto d, then the tint on the sum (each step saturating).
template <class T>
inline T AddThenTintT(T s, T d, const PixelTint& t) {
    return TintFieldT<T>(SaturateFieldT<T>((s & t.red.mask) + (d & t.red.mask), t.red.mask), t.red) |
           TintFieldT<T>(SaturateFieldT<T>((s & t.green.mask) + (d & t.green.mask), t.green.mask), t.green) |
           TintFieldT<T>(SaturateFieldT<T>((s & t.blue.mask) + (d & t.blue.mask), t.blue.mask), t.blue);
}

// ---- Eight pixels at a time ------------------------------------------------------
// The hottest rules also run on eight pixels in 16-bit lanes (one SSE2
// register): without a widening to 32 bits, a field's overflow is found with
// carry arithmetic or by working on the field shifted down to 0..31.
using Wide = uint16_t __attribute__((vector_size(16)));
using WideS = int16_t __attribute__((vector_size(16)));
using Bytes8 = uint8_t __attribute__((vector_size(8)));
constexpr int kWideCount = 8;

inline Wide SplatWide(uint32_t v) {
    const uint16_t x = static_cast<uint16_t>(v);
    return Wide{x, x, x, x, x, x, x, x};
}
inline Wide LoadWide(const void* p) {
    Wide v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void StoreWide(void* p, Wide v) { std::memcpy(p, &v, sizeof v); }
inline Wide LoadWideBytes(const uint8_t* p) {
#if defined(__SSE2__)
    return reinterpret_cast<Wide>(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128()));
#else
    Bytes8 v;
    std::memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, Wide);
#endif
}
// GCC turns a general shuffle of eight 16-bit lanes into scalar moves on
// SSE2; three fixed shuffles do it in registers.
inline Wide ReverseWide(Wide v) {
#if defined(__SSE2__)
    __m128i x = reinterpret_cast<__m128i>(v);
    x = _mm_shufflelo_epi16(x, _MM_SHUFFLE(0, 1, 2, 3));
    x = _mm_shufflehi_epi16(x, _MM_SHUFFLE(0, 1, 2, 3));
    return reinterpret_cast<Wide>(_mm_shuffle_epi32(x, _MM_SHUFFLE(1, 0, 3, 2)));
#elif defined(__clang__)
    return __builtin_shufflevector(v, v, 7, 6, 5, 4, 3, 2, 1, 0);
#else
    return __builtin_shuffle(v, Wide{7, 6, 5, 4, 3, 2, 1, 0});
#endif
}

// The three fields together: their bits, and the top bit of each.
struct PackedFields {
    Wide fields, high;
};
inline PackedFields LoadPackedFields() {
    auto top = [](uint32_t m) { return m & ~(m >> 1); };
    return {SplatWide(gRedMask5 | gGreenMask5 | gBlueMask5), SplatWide(top(gRedMask5) | top(gGreenMask5) | top(gBlueMask5))};
}

// Saturating per-field sum of eight pixel pairs: the low four bits of each
// field are added apart from the top bit, the top bit and the carry out of
// the field are worked out by logic, and a field that carried out is filled.
// Bits outside the fields are cleared, as the one-pixel rule clears them.
inline Wide AddSaturateWide(Wide s, Wide d, const PackedFields& pf) {
    const Wide a = s & pf.fields, b = d & pf.fields;
    const Wide t = (a & ~pf.high) + (b & ~pf.high);
    const Wide carry = ((a & b) | (t & (a | b))) & pf.high;
    const Wide sum = t ^ ((a ^ b) & pf.high);
    return sum | carry | (carry - (carry >> 4));
}

// One field shifted down to 0..31, and a tint on it clamped to 0..31.
struct WideTint {
    int shift;
    WideS step;  // the tint in field steps, bounded to -32..32
};
inline WideTint MakeWideTint(int shift, int tint) {
    const int16_t t = static_cast<int16_t>(tint > 32 ? 32 : (tint < -32 ? -32 : tint));
    return {shift, WideS{t, t, t, t, t, t, t, t}};
}
inline WideS FieldOf(Wide p, int shift) { return reinterpret_cast<WideS>((p >> shift) & 31); }
inline WideS Clamp31Wide(WideS v) {
    const WideS zero{}, top = WideS{} + static_cast<int16_t>(31);
    v = v < zero ? zero : v;
    return v > top ? top : v;
}
inline Wide FieldBack(WideS v, int shift) { return reinterpret_cast<Wide>(v) << shift; }

struct WidePixelTint {
    WideTint red, green, blue;
};
inline WidePixelTint MakeWidePixelTint(int red, int green, int blue) {
    return {MakeWideTint(gRedShift, red), MakeWideTint(gGreenShift, green), MakeWideTint(gBlueShift, blue)};
}
// The background tinted per field (rule of the tint modes).
inline Wide TintWide(Wide d, const WidePixelTint& t) {
    return FieldBack(Clamp31Wide(FieldOf(d, t.red.shift) + t.red.step), t.red.shift) |
           FieldBack(Clamp31Wide(FieldOf(d, t.green.shift) + t.green.step), t.green.shift) |
           FieldBack(Clamp31Wide(FieldOf(d, t.blue.shift) + t.blue.step), t.blue.shift);
}
// The tinted source added to the background per field (glow with a tint).
inline Wide AddTintedWide(Wide s, Wide d, const WidePixelTint& t) {
    auto field = [&s, &d](const WideTint& f) {
        return FieldBack(Clamp31Wide(Clamp31Wide(FieldOf(s, f.shift) + f.step) + FieldOf(d, f.shift)), f.shift);
    };
    return field(t.red) | field(t.green) | field(t.blue);
}

// The subtractive shadow: the tinted source taken from the background per
// field, never below 0.
inline Wide SubTintedWide(Wide s, Wide d, const WidePixelTint& t) {
    auto field = [&s, &d](const WideTint& f) {
        return FieldBack(Clamp31Wide(FieldOf(d, f.shift) - Clamp31Wide(FieldOf(s, f.shift) + f.step)), f.shift);
    };
    return field(t.red) | field(t.green) | field(t.blue);
}

// The level blend at one level (1 to 14) for eight pixels: the same four
// shifted and masked terms as LevelBlend. The terms of a field never carry
// out of it, so 16-bit lanes hold the sum exactly.
struct WideLevel {
    Wide sel1, sel2, sel3, sel4;  // all ones: the term takes the source
    Wide m1, m2, m3, m4;
};
inline WideLevel MakeWideLevel(int level) {
    const LevelMasks m = LoadLevelMasks();
    auto sel = [level](int bit) { return SplatWide((level >> bit) & 1 ? 0xFFFF : 0); };
    return {sel(3), sel(2), sel(1), sel(0), SplatWide(m.m1), SplatWide(m.m2), SplatWide(m.m3), SplatWide(m.m4)};
}
inline Wide LevelBlendWide(Wide s, Wide d, const WideLevel& w) {
    const Wide x = s ^ d;
    return (((d ^ (x & w.sel1)) >> 1) & w.m1) + (((d ^ (x & w.sel2)) >> 2) & w.m2) +
           (((d ^ (x & w.sel3)) >> 3) & w.m3) + (((d ^ (x & w.sel4)) >> 4) & w.m4);
}

// The high half of the products of eight lane pairs (unsigned).
inline Wide MulHighWide(Wide a, Wide b) {
#if defined(__SSE2__)
    return reinterpret_cast<Wide>(_mm_mulhi_epu16(reinterpret_cast<__m128i>(a), reinterpret_cast<__m128i>(b)));
#else
    using Wide32 = uint32_t __attribute__((vector_size(32)));
    return __builtin_convertvector((__builtin_convertvector(a, Wide32) * __builtin_convertvector(b, Wide32)) >> 16, Wide);
#endif
}

// The premultiplied blend of the alpha map for eight pixels with their own
// levels (0..15): level 0 keeps d, otherwise s plus the destination terms of
// the level's clear bits, a plain 16-bit sum.
//
// With c = 15 - level, the terms are the sum over k = 1..4 of bit (4 - k) of
// c times ((d >> k) AND Mk). Gathered by destination bit instead: bit q of d
// enters the terms of the shifts 1..J that keep it inside its field (a field
// bit with J field bits below it, at most 4), with the weight
// 2^(q - J) x (c >> (4 - J)). So the destination bits fall into four planes
// by J, and each plane's share is one 16x16 multiply keeping the high half:
// (d AND plane J) x ((c >> (4 - J)) << (16 - J)), every product a whole
// multiple of 2^16. The levels need no per-bit masks and d no shifts.
struct WideLevelPlanes {
    Wide p1, p2, p3, p4;  // the destination bits with J = 1, 2, 3, 4
};
WideLevelPlanes MakeWideLevelPlanes();
// The levels come as the map's bytes (4 x level): bits 2..5 of the byte go
// to the top four bits of the lane, inverted, which is c << 12.
inline Wide PremultipliedWide(Wide s, Wide d, Wide mapBytes, const WideLevelPlanes& p) {
    const Wide top = SplatWide(0xF000);
    const Wide c = ~(mapBytes << 10) & top;
    const Wide terms = MulHighWide(d & p.p1, c & SplatWide(0x8000)) + MulHighWide(d & p.p2, c & SplatWide(0xC000)) +
                       MulHighWide(d & p.p3, c & SplatWide(0xE000)) + MulHighWide(d & p.p4, c);
    const Wide blended = s + terms;
    const Wide none = reinterpret_cast<Wide>(c == top);
    return blended ^ ((blended ^ d) & none);
}

// ---- Sixteen pixels at a time -----------------------------------------------------
// On x86-64 processors with AVX2 the alpha map's blend and the whole-screen
// tint also run sixteen pixels at a time over a whole run; the choice is made once, at start-up,
// and the eight-pixel forms above serve every other processor.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KYV_RUNS16 1
extern const bool gRuns16;  // the processor has AVX2
// PremultipliedWide over the n pixels (16 or more) of d, frame order left to
// right, with s the source pixels and levels the map bytes; like the
// eight-pixel runs it ends with a block over the run's last sixteen pixels
// computed from the destination as it was before the run.
void PremultipliedRun16(uint16_t* d, const uint8_t* s, const uint8_t* levels, int n, const WideLevelPlanes& p);
// AddRgbToPixels over the first count / 16 blocks of sixteen pixels; the
// pixels it did (the rest are left to the caller).
int TintRun16(uint16_t* pixels, int count, int red, int green, int blue);
#else
#define KYV_RUNS16 0
#endif
