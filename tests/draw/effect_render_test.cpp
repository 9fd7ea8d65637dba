// Scaled and sheared modes 12 and 13, and the sprite effects of modes 32 to
// 51, against references written per channel from the frame's stored pixels,
// in every screen layout, inside guard bands.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "draw/scaled_render.h"
#include "draw/sprite_fx_render.h"
#include "draw_test_util.h"

using namespace drawtest;

namespace {

struct Tint {
    int r = 0, g = 0, b = 0;
};

void SetTint(const Tint& t) {
    gTintRed = t.r;
    gTintGreen = t.g;
    gTintBlue = t.b;
}

Rgb TintOf(Rgb c, const Tint& t) { return {Clamp31(c.r + t.r), Clamp31(c.g + t.g), Clamp31(c.b + t.b)}; }

// Inside the kernel's current clip rectangle.
bool InKernelClip(int x, int y) {
    return x >= gClip.left && x < gClip.left + gClip.width && y >= gClip.top && y < gClip.top + gClip.height;
}

// ---- Modes 12 and 13 ------------------------------------------------------------------

struct Scaled {
    int height;  // gScaleHeight (0: unscaled)
    int shear;   // gShear
    Tint tint;
};

// The closed form of a scaled draw: logical row j (1..H) shows frame row
// j + jV/1024 (shrinking) or 1 + jV/1024 (enlarging), on screen row y + j
// (flipped: y + H + 1 - j), shifted by the running shear after j + 1 steps.
void RefScaled(Target& t, const Frame& f, const Scaled& p, int x0, int y0, bool mirror, bool flip) {
    const int h = f.height;
    const int H = p.height > 0 ? p.height : h;
    const bool enlarging = H > h;
    const int64_t V = enlarging ? int64_t{h} * 1024 / H : int64_t{h} * 1024 / H - 1024;
    const int s0 = p.height > 0 && p.shear == 0 ? 1 : p.shear;
    const int64_t q = s0 == 0 ? 0 : std::llabs(int64_t{s0}) * 1024 / H;
    const int dir = s0 > 0 ? -1 : 1;
    for (int j = 1; j <= H; ++j) {
        const int64_t fr = enlarging ? 1 + j * V / 1024 : j + j * V / 1024;
        if (fr >= h) break;
        const int sy = flip ? y0 + H + 1 - j : y0 + j;
        const int px = x0 + s0 + dir * static_cast<int>((j + 1) * q / 1024);
        for (int c = 0; c < f.width; ++c) {
            const int sx = px + (mirror ? f.width - 1 - c : c);
            if (!InKernelClip(sx, sy) || !f.Opaque(c, static_cast<int>(fr))) continue;
            t.Expect(sx, sy) = Join(t.layout(), TintOf(Split(t.layout(), t.Expect(sx, sy)), p.tint));
        }
    }
}

void DrawScaled(const Frame& f, const Scaled& p, int x, int y, uint32_t flags) {
    const std::vector<uint8_t> screen = f.Screen();
    gCurPic = screen.data();
    gScaleHeight = p.height;
    gShear = p.shear;
    SetTint(p.tint);
    DrawPic(x, y, f.width, f.height, flags);
}

class ScaledRender : public ::testing::TestWithParam<int> {};

TEST_P(ScaledRender, RowsFollowTheClosedFormInsideGuards) {
    const Frame f = SampleFrame(14, 30, 11);
    const Scaled kCases[] = {
        {10, 7, {-6, -6, -6}},   // the battle's shadow: a third of the height, leaning
        {10, -5, {3, -2, 9}},
        {45, 4, {-1, -1, -1}},   // enlarged
        {30, 0, {-4, 2, -9}},    // the frame's own height: leans by one pixel
        {7, 40, {-31, 0, 31}},
        {0, 0, {-3, -3, -3}},    // unscaled
        {0, 6, {2, 2, 2}},
    };
    const struct {
        int x, y;
    } kPlaces[] = {{14, 9}, {3, -4}, {30, 20}, {-10, -25}, {12, 24}};
    for (const Scaled& p : kCases)
        for (const auto& place : kPlaces)
            for (uint32_t flags : {12u, 13u, 14u, 15u}) {
                SCOPED_TRACE(testing::Message() << "H " << p.height << " shear " << p.shear << " at " << place.x << ","
                                                << place.y << " slot " << flags);
                Target t(GetParam());
                RefScaled(t, f, p, place.x, place.y, flags & 1, flags & 2);
                DrawScaled(f, p, place.x, place.y, flags);
                EXPECT_TRUE(t.Matches());
                EXPECT_EQ(gScaleHeight | gShear | gTintRed | gTintGreen | gTintBlue, 0);
            }
}

TEST_P(ScaledRender, TopClippedDrawEqualsTheSamePartOfTheUnclippedOne) {
    const Frame f = SampleFrame(10, 36, 7);
    for (const Scaled& p : {Scaled{12, 9, {-6, -6, -6}}, Scaled{50, -3, {4, -4, 4}}, Scaled{36, 2, {-2, 0, 0}}})
        for (int y : {-20, -7, 0, 3}) {
            Target whole(GetParam());
            SetClip(0, 0, Target::kWidth, Target::kHeight);
            DrawScaled(f, p, 16, y, 12);
            Target cut(GetParam());
            for (int yy = 0; yy < Target::kHeight; ++yy)
                for (int xx = 0; xx < Target::kWidth; ++xx)
                    if (Target::InClip(xx, yy)) cut.Expect(xx, yy) = whole.At(xx, yy);
            DrawScaled(f, p, 16, y, 12);
            EXPECT_TRUE(cut.Matches()) << "H " << p.height << " y " << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ScaledRender, ::testing::Values(kFormat555, kFormat556, kFormat565, kFormat655));

// An unscaled draw reaching the buffer's last row, after a scaled draw that
// left its vertical step behind, stays inside the buffer and steps no rows:
// it is a scaled draw to the frame's own height.
TEST(ScaledRenderFaults, UnscaledDrawAtTheBottomStaysInTheBufferAndIgnoresAStaleStep) {
    const Frame f = SampleFrame(12, 9, 7);
    for (uint32_t flags : {12u, 15u}) {
        Target t(kFormat565);
        SetClip(0, 0, Target::kWidth, Target::kHeight);
        const Scaled shadow{3, 5, {-5, -5, -5}};
        RefScaled(t, f, shadow, 20, 2, false, false);
        DrawScaled(f, shadow, 20, 2, 12);
        const Scaled plain{0, 0, {-7, -7, -7}};
        const int y0 = Target::kHeight - f.height;
        RefScaled(t, f, plain, 3, y0, flags & 1, flags & 2);
        DrawScaled(f, plain, 3, y0, flags);
        EXPECT_TRUE(t.Matches());
    }
}

TEST(ScaledRenderFaults, WaveStepsOnWithoutShiftingTheShadow) {
    const Frame f = SampleFrame(12, 9, 7);
    Target t(kFormat555);
    RefScaled(t, f, {3, 2, {-5, -5, -5}}, 14, 12, false, false);
    gWaveIndex = 5;
    gWavePhase = 8;
    DrawScaled(f, {3, 2, {-5, -5, -5}}, 14, 12, 12);
    gWaveIndex = 0;
    EXPECT_EQ(gWavePhase, 12);
    EXPECT_TRUE(t.Matches());
}

// ---- Modes 32 to 51 -----------------------------------------------------------------

// What one opaque frame pixel s does to d in a mode (refraction aside).
uint16_t RefEffect(int layout, int mode, uint16_t stored, uint16_t d, const Tint& tint, uint16_t flat) {
    const Rgb s = Split(kFormat555, stored), b = Split(layout, d);
    switch (mode & ~3) {
    case 32: {
        const Rgb a = TintOf(s, tint);
        return Join(layout, {std::min(31, a.r + b.r), std::min(31, a.g + b.g), std::min(31, a.b + b.b)});
    }
    case 36: return flat;
    case 40: {
        const int v = (b.r + b.g + b.b) >> 2;
        return Join(layout, {v, v, v});
    }
    case 44: {
        const Rgb a = TintOf(s, tint);
        return Join(layout, {std::max(0, b.r - a.r), std::max(0, b.g - a.g), std::max(0, b.b - a.b)});
    }
    }
    ADD_FAILURE() << "no reference for mode " << mode;
    return d;
}

void RefSprite(Target& t, int mode, const Frame& f, const Tint& tint, uint16_t flat, int x, int y) {
    const bool mirror = mode & 1, flip = mode & 2;
    for (int fy = 0; fy < f.height; ++fy)
        for (int fx = 0; fx < f.width; ++fx) {
            const int sx = x + (mirror ? f.width - 1 - fx : fx), sy = y + (flip ? f.height - 1 - fy : fy);
            if (!Target::InClip(sx, sy) || !f.Opaque(fx, fy)) continue;
            t.Expect(sx, sy) = RefEffect(t.layout(), mode, f.stored[fy * f.width + fx], t.Expect(sx, sy), tint, flat);
        }
}

void DrawSprite(const Frame& f, int mode, const Tint& tint, int x, int y, const void* extra) {
    const std::vector<uint8_t> screen = f.Screen();
    gCurPic = screen.data();
    SetTint(tint);
    DrawPic(x, y, f.width, f.height, static_cast<uint32_t>(mode), extra);
}

class SpriteFx : public ::testing::TestWithParam<int> {};

TEST_P(SpriteFx, EveryModeMatchesTheReferenceInsideGuards) {
    const int layout = GetParam();
    const int kModes[] = {32, 33, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45};
    const Tint kTints[] = {{}, {-7, 3, 40}, {-31, -31, -31}};
    const struct {
        int x, y;
    } kPlaces[] = {{14, 12}, {5, 3}, {33, 27}, {-2, -1}};
    for (const auto& place : kPlaces)
        for (int period : {9, 29}) {
            const bool big = place.x < 0;
            const Frame f = big ? SampleFrame(52, 44, period) : SampleFrame(23, 10, period);
            for (int mode : kModes)
                for (const Tint& tint : kTints) {
                    SCOPED_TRACE(testing::Message() << "mode " << mode << " at " << place.x << "," << place.y << " tint "
                                                    << tint.r);
                    Target t(layout);
                    // The flat colour's two halves differ: the low half is the colour.
                    const uint32_t colour = (uint32_t{Join(layout, {1, 2, 3})} << 16) | Join(layout, {30, 5, 17});
                    RefSprite(t, mode, f, tint, Join(layout, {30, 5, 17}), place.x, place.y);
                    DrawSprite(f, mode, tint, place.x, place.y, &colour);
                    EXPECT_TRUE(t.Matches());
                    EXPECT_EQ(gTintRed | gTintGreen | gTintBlue, 0);
                }
        }
}

// Slot 36 on a run of 5 pixels starting on an odd column, the case that was
// written as pairs of 32-bit stores.
TEST_P(SpriteFx, FlatColourUsesTheLowHalfOnOddAndEvenColumns) {
    const int layout = GetParam();
    const Frame f = MakeFrame(std::vector<uint16_t>(5, Stored({4, 4, 4})), 5, 1);
    for (int x : {13, 14}) {
        Target t(layout);
        const uint32_t colour = 0xFFFF0000u | Join(layout, {0, 31, 0});
        for (int i = 0; i < 5; ++i) t.Expect(x + i, 16) = Join(layout, {0, 31, 0});
        DrawSprite(f, 36, {}, x, 16, &colour);
        EXPECT_TRUE(t.Matches());
        // No colour given: nothing drawn.
        Target u(layout);
        DrawSprite(f, 36, {}, x, 16, nullptr);
        EXPECT_TRUE(u.Matches());
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, SpriteFx, ::testing::Values(kFormat555, kFormat556, kFormat565, kFormat655));

TEST(SpriteFxModes, GlowEdgeCases) {
    for (int layout : {kFormat555, kFormat565}) {
        Target t(layout);
        const Frame f = MakeFrame({Stored({31, 31, 31}), Stored({2, 3, 4})}, 2, 1);
        const uint16_t under = t.At(17, 16);
        DrawSprite(f, 32, {}, 16, 16, nullptr);
        EXPECT_EQ(t.At(16, 16), Join(layout, {31, 31, 31}));
        const Rgb u = Split(layout, under);
        EXPECT_EQ(t.At(17, 16), Join(layout, {std::min(31, u.r + 2), std::min(31, u.g + 3), std::min(31, u.b + 4)}));
        const std::vector<uint16_t> before = t.Pixels();
        DrawSprite(f, 32, {-31, -31, -31}, 16, 16, nullptr);
        EXPECT_EQ(t.Pixels(), before) << "a fully darkened glow adds nothing";
        DrawSprite(f, 44, {}, 16, 16, nullptr);
        EXPECT_EQ(t.At(16, 16), 0) << "a white shadow pixel leaves black";
    }
}

TEST(SpriteFxModes, EightBitFramesDrawNothingAndWavesStepWhereTheSlotSteps) {
    const std::vector<uint8_t> frame = RleFromIndices({5, 6, 7, 8, 1, 9, 3, 3, 10}, 3, 3);
    const uint32_t colour = 0x7FFF7FFF;
    for (int mode : {32, 33, 36, 37, 40, 41, 44, 45, 48, 49}) {
        Target t(kFormat555);
        const std::vector<uint16_t> before = t.Pixels();
        gCurPic = frame.data();
        gWaveIndex = 2;
        gWavePhase = 0;
        DrawPic(15, 15, 3, 3, static_cast<uint32_t>(mode), &colour);
        gWaveIndex = 0;
        EXPECT_EQ(t.Pixels(), before) << "mode " << mode;
        EXPECT_EQ(gWavePhase, mode == 37 || mode == 49 ? 0 : 4) << "mode " << mode;
    }
    // The same with a 16-bit frame.
    const Frame f = SampleFrame(6, 4);
    for (int mode : {36, 37, 48, 49}) {
        Target t(kFormat555);
        gWaveIndex = 2;
        gWavePhase = 0;
        DrawSprite(f, mode, {}, 15, 15, &colour);
        gWaveIndex = 0;
        EXPECT_EQ(gWavePhase, mode == 37 || mode == 49 ? 0 : 4) << "mode " << mode;
    }
}

TEST(SpriteFxModes, EmptySlotsDrawNothing) {
    const Frame f = SampleFrame(6, 4);
    for (int mode : {34, 35, 46, 47}) {
        Target t(kFormat555);
        DrawSprite(f, mode, {5, 5, 5}, 15, 15, nullptr);
        EXPECT_TRUE(t.Matches()) << mode;
    }
}

// ---- Refraction on a full-size back buffer ---------------------------------------------

class Screen640 {
public:
    explicit Screen640(int layout) {
        ResetDrawKernel();
        surface_ = CreateSurface(640, 480);
        InitDrawKernel(surface_, layout);
        gBackPixels = LockBackBuffer(surface_);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) At(x, y) = static_cast<uint16_t>(x * 37 + y * 1021 + (x ^ y) * 7);
    }
    ~Screen640() {
        UnlockBackBuffer(surface_, gBackPixels);
        FreeSurface(surface_);
        ResetDrawKernel();
    }
    uint16_t& At(int x, int y) { return surface_->pixels[y * (surface_->pitch / 2) + x]; }
    std::vector<uint16_t> Pixels() const { return std::vector<uint16_t>(surface_->pixels, surface_->pixels + 640 * 480); }

private:
    Surface* surface_;
};

// The sequential reference: visible literal pixels in drawing order, each
// taking its neighbour from the picture as it stands (pixels just written
// included), neighbours held inside the buffer.
void RefRefract(std::vector<uint16_t>& px, const Frame& f, int x, int y, bool mirror, bool flip, const ClipRect& clip) {
    int count = 0;
    auto at = [&px](int xx, int yy) -> uint16_t& { return px[yy * 640 + xx]; };
    for (int i = 0; i < f.height; ++i) {
        const int fy = i;
        const int sy = y + (flip ? f.height - 1 - fy : fy);
        if (sy < clip.top || sy >= clip.top + clip.height) continue;
        // The frame's columns in their own order: mirrored, right to left on screen.
        for (int fx = 0; fx < f.width; ++fx) {
            const int sx = x + (mirror ? f.width - 1 - fx : fx);
            if (sx < clip.left || sx >= clip.left + clip.width || !f.Opaque(fx, fy)) continue;
            const int c = ++count;
            uint16_t v = at(sx, sy);
            if (c <= 4) v = at(std::max(sx - 1, 0), sy);
            else if (c <= 10) v = at(sx, std::min(sy + 1, 479));
            else if (c <= 13) v = at(sx, std::max(sy - 1, 0));
            else if (c <= 16) v = at(std::min(sx + 1, 639), sy);
            else count = 0;
            at(sx, sy) = v;
        }
    }
}

TEST(SpriteFxRefraction, SequentialReferenceOnAFullScreenIncludingItsEdges) {
    for (int layout : {kFormat555, kFormat556, kFormat565, kFormat655}) {
        const struct {
            int x, y;
            bool clipped;
        } kPlaces[] = {{100, 200, false}, {-3, -2, false}, {640 - 20, 480 - 9, false}, {300, 100, true}, {-5, 470, false}};
        for (const auto& place : kPlaces)
            for (int mode : {48, 49, 50, 51}) {
                SCOPED_TRACE(testing::Message() << "layout " << layout << " mode " << mode << " at " << place.x << ","
                                                << place.y);
                Screen640 s(layout);
                const Frame f = SampleFrame(23, 11, 13);
                if (place.clipped) SetClip(305, 103, 317, 109);
                std::vector<uint16_t> want = s.Pixels();
                RefRefract(want, f, place.x, place.y, mode & 1, mode & 2, gClip);
                gRefractCount = 99;
                DrawSprite(f, mode, {}, place.x, place.y, nullptr);
                EXPECT_EQ(s.Pixels(), want);
            }
    }
}

TEST(SpriteFxRefraction, SeventeenPixelRunCyclesOnce) {
    Screen640 s(kFormat555);
    std::vector<uint16_t> run(17, Stored({9, 9, 9}));
    const Frame f = MakeFrame(run, 17, 1);
    for (int x = 0; x < 19; ++x) {
        s.At(100 + x, 50) = static_cast<uint16_t>(1000 + x);
        s.At(100 + x, 49) = static_cast<uint16_t>(2000 + x);
        s.At(100 + x, 51) = static_cast<uint16_t>(3000 + x);
    }
    s.At(99, 50) = 999;
    DrawSprite(f, 48, {}, 100, 50, nullptr);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(s.At(100 + i, 50), 999) << i;  // the left pixel, carried along
    for (int i = 4; i < 10; ++i) EXPECT_EQ(s.At(100 + i, 50), 3000 + i) << i;
    for (int i = 10; i < 13; ++i) EXPECT_EQ(s.At(100 + i, 50), 2000 + i) << i;
    for (int i = 13; i < 16; ++i) EXPECT_EQ(s.At(100 + i, 50), 1000 + i + 1) << i;
    EXPECT_EQ(s.At(116, 50), 1016);
    EXPECT_EQ(gRefractCount, 0);
}

}  // namespace

namespace {

TEST(EffectSlots, EachRendererSitsInItsSlots) {
    ResetDrawKernel();
    ASSERT_EQ(InitDrawKernel(nullptr, kFormat555), 1);
    const struct {
        int slot;
        BlendFn fn;
    } kFilled[] = {
        {12, RenderSpanMode12}, {14, RenderSpanMode12}, {13, RenderSpanMode13}, {15, RenderSpanMode13},
        {32, RenderSpanMode32}, {33, RenderSpanMode33}, {36, RenderSpanMode36}, {38, RenderSpanMode36},
        {37, RenderSpanMode37}, {39, RenderSpanMode37}, {40, RenderSpanMode40}, {42, RenderSpanMode40},
        {41, RenderSpanMode41}, {43, RenderSpanMode41}, {44, RenderSpanMode44}, {45, RenderSpanMode45},
        {48, RenderSpanMode48}, {50, RenderSpanMode48}, {49, RenderSpanMode49}, {51, RenderSpanMode49},
    };
    for (const auto& f : kFilled) EXPECT_EQ(gBlendTable[f.slot], f.fn) << "slot " << f.slot;
    const BlendFn empty = gBlendTable[127];
    for (int slot : {34, 35, 46, 47}) EXPECT_EQ(gBlendTable[slot], empty) << "slot " << slot;
    ResetDrawKernel();
}

}  // namespace
