// Renderers of run-length frames, modes 0 to 28, against a reference drawn
// pixel by pixel from the frame's stored pixels, in every screen layout.
#include <gtest/gtest.h>

#include <cmath>

#include "draw/span_render.h"
#include "draw_test_util.h"

using namespace drawtest;

namespace {

struct Params {
    int tintRed = 0, tintGreen = 0, tintBlue = 0;
    int alpha = 0;
    std::vector<uint8_t> alphaMap;  // 4 x level per frame pixel
};

std::vector<uint8_t> AlphaMapFor(const Frame& f) {
    std::vector<uint8_t> map(static_cast<size_t>(f.width) * f.height);
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) map[y * f.width + x] = static_cast<uint8_t>(4 * ((x + 3 * y) % 16));
    return map;
}

// What one frame pixel does to the destination in a mode; false leaves it.
bool RefPixel(int layout, int mode, const Frame& f, const Params& p, int fx, int fy, uint16_t d, uint16_t* out) {
    const int base = mode & ~1;
    const uint16_t stored = f.stored[fy * f.width + fx];
    if (f.IsShadow(fx, fy)) {
        if (mode != 8) return false;
        *out = ToLayout(layout, 0xFFF0);
        return true;
    }
    if (f.IsKey(fx, fy)) return false;
    const Rgb sc = Split(kFormat555, stored);
    const uint16_t s = Join(layout, sc);
    const Rgb dc = Split(layout, d);
    switch (base) {
    case 0:
    case 24: *out = s; return true;
    case 4:
        *out = Join(layout, {std::min(31, Clamp31(sc.r + p.tintRed) + dc.r), std::min(31, Clamp31(sc.g + p.tintGreen) + dc.g),
                             std::min(31, Clamp31(sc.b + p.tintBlue) + dc.b)});
        return true;
    case 8: {
        const int level = p.alphaMap[fy * f.width + fx] / 4;
        if (level == 0) return false;
        if (level == 15) {
            *out = s;
            return true;
        }
        *out = static_cast<uint16_t>(s + RefLevel(layout, 0, d, level));
        return true;
    }
    case 16:
        *out = Join(layout, {Clamp31(dc.r + p.tintRed), Clamp31(dc.g + p.tintGreen), Clamp31(dc.b + p.tintBlue)});
        return true;
    case 20: *out = RefLevel(layout, s, d, p.alpha); return true;
    case 28: {
        const int perLevel = (f.height + 16) >> 4;
        *out = RefLevel(layout, s, d, std::max(0, 15 - (fy + 1) / perLevel));
        return true;
    }
    }
    return false;
}

// The expected picture of a draw at (x, y), mirrored when the mode is odd.
void RefDraw(Target& t, int mode, const Frame& f, const Params& p, int x, int y, bool flip = false) {
    const bool mirror = mode & 1;
    for (int fy = 0; fy < f.height; ++fy) {
        const int sy = y + (flip ? f.height - 1 - fy : fy);
        for (int fx = 0; fx < f.width; ++fx) {
            const int sx = x + (mirror ? f.width - 1 - fx : fx);
            if (!Target::InClip(sx, sy)) continue;
            uint16_t v;
            if (RefPixel(t.layout(), mode, f, p, fx, fy, t.Expect(sx, sy), &v)) t.Expect(sx, sy) = v;
        }
        if ((mode & ~1) != 24) continue;
        // The outline: both ends of the visible part of every literal run.
        for (int fx = 0; fx < f.width;) {
            if (!f.Opaque(fx, fy)) {
                ++fx;
                continue;
            }
            int end = fx;
            while (end < f.width && f.Opaque(end, fy)) ++end;
            int lo = -1, hi = -1;
            for (int c = fx; c < end; ++c) {
                const int sx = x + (mirror ? f.width - 1 - c : c);
                if (!Target::InClip(sx, sy)) continue;
                if (lo < 0 || sx < lo) lo = sx;
                if (sx > hi) hi = sx;
            }
            if (lo >= 0) t.Expect(lo, sy) = t.Expect(hi, sy) = Join(t.layout(), {0, 31, 0});
            fx = end;
        }
    }
}

void SetParams(const Params& p) {
    gTintRed = p.tintRed;
    gTintGreen = p.tintGreen;
    gTintBlue = p.tintBlue;
    gAlphaLevel = p.alpha;
}

void Draw(const Frame& f, int mode, const Params& p, int x, int y, uint32_t extraFlags = 0) {
    SetParams(p);
    const std::vector<uint8_t> screen = f.Screen();
    gCurPic = screen.data();
    DrawPic(x, y, f.width, f.height, static_cast<uint32_t>(mode) | extraFlags, p.alphaMap.empty() ? nullptr : p.alphaMap.data());
}

struct ModeCase {
    const char* name;
    int mode;
    Params params;
};

std::vector<ModeCase> ModeCases(const Frame& f) {
    Params tint{-7, 3, 40, 0, {}};
    Params map;
    map.alphaMap = AlphaMapFor(f);
    std::vector<ModeCase> cases = {
        {"copy", 0, {}},
        {"additive", 4, {}},
        {"additive tinted", 4, tint},
        {"alpha map", 8, map},
        {"tint background", 16, tint},
        {"level 8", 20, {0, 0, 0, 8, {}}},
        {"level 3", 20, {0, 0, 0, 3, {}}},
        {"level 15", 20, {0, 0, 0, 15, {}}},
        {"edge", 24, {}},
        {"fade", 28, {}},
    };
    const size_t plain = cases.size();
    for (size_t i = 0; i < plain; ++i) {
        if (cases[i].mode == 28) continue;
        ModeCase m = cases[i];
        m.mode |= 1;
        cases.push_back(m);
    }
    return cases;
}

// Inside, cut on the left and top, cut on the right and bottom, and larger
// than the clip on every side.
const struct Place {
    int x, y;
} kPlaces[] = {{14, 12}, {5, 3}, {33, 27}, {-2, -1}};

class SpanRender : public ::testing::TestWithParam<int> {};

TEST_P(SpanRender, EveryModeMatchesTheReferenceInsideGuards) {
    for (const Place& place : kPlaces) {
      for (int period : {9, 29}) {
        const bool big = place.x < 0;
        const Frame f = big ? SampleFrame(52, 44, period) : SampleFrame(23, 10, period);
        for (const ModeCase& c : ModeCases(f)) {
            SCOPED_TRACE(testing::Message() << c.name << " mode " << c.mode << " at " << place.x << "," << place.y);
            Target t(GetParam());
            RefDraw(t, c.mode, f, c.params, place.x, place.y);
            Draw(f, c.mode, c.params, place.x, place.y);
            EXPECT_TRUE(t.Matches());
        }
      }
    }
}

TEST_P(SpanRender, MirroredDrawEqualsThePlainModeOnAMirroredFrame) {
    const Frame f = SampleFrame(29, 9, 31);
    std::vector<uint16_t> mirrored(f.stored.size());
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            uint16_t v = f.stored[y * f.width + f.width - 1 - x];
            if (v == kStoredShadowColour) v = kStoredColourKey;  // mode 9 leaves shadow runs that mode 8 paints
            mirrored[y * f.width + x] = v;
        }
    std::vector<uint16_t> noShadow = f.stored;
    for (uint16_t& v : noShadow)
        if (v == kStoredShadowColour) v = kStoredColourKey;
    const Frame plainFrame = MakeFrame(noShadow, f.width, f.height);
    const Frame mirroredFrame = MakeFrame(mirrored, f.width, f.height);
    for (const Place& place : {Place{10, 12}, Place{-1, 20}, Place{24, 6}}) {
        for (const ModeCase& c : ModeCases(f)) {
            if (!(c.mode & 1)) continue;
            SCOPED_TRACE(testing::Message() << c.name << " at " << place.x << "," << place.y);
            Params mirroredParams = c.params;
            if (!c.params.alphaMap.empty()) {
                for (int y = 0; y < f.height; ++y)
                    for (int x = 0; x < f.width; ++x)
                        mirroredParams.alphaMap[y * f.width + x] = c.params.alphaMap[y * f.width + f.width - 1 - x];
            }
            Target t(GetParam());
            Draw(mirroredFrame, c.mode & ~1, mirroredParams, place.x, place.y);
            const std::vector<uint16_t> plain = t.Pixels();
            Target u(GetParam());
            Draw(plainFrame, c.mode, c.params, place.x, place.y);
            EXPECT_EQ(u.Pixels(), plain);
        }
    }
}

TEST_P(SpanRender, FlippedDrawReversesRowsOnlyWhereAFlippedSlotExists) {
    const Frame f = SampleFrame(12, 30);  // taller than the clip
    std::vector<uint16_t> flipped(f.stored.size());
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) flipped[y * f.width + x] = f.stored[(f.height - 1 - y) * f.width + x];
    const Frame flippedFrame = MakeFrame(flipped, f.width, f.height);
    for (const Place& place : {Place{14, 12}, Place{5, 3}, Place{33, 20}}) {
        for (const ModeCase& c : ModeCases(f)) {
            if (c.mode == 8 || c.mode == 9) continue;  // no flipped slot; covered below with the others
            SCOPED_TRACE(testing::Message() << c.name << " at " << place.x << "," << place.y);
            const int base = c.mode & ~1;
            const bool hasFlippedSlot = base == 0 || base == 20;
            Target t(GetParam());
            const std::vector<uint16_t> before = t.Pixels();
            Draw(f, c.mode, c.params, place.x, place.y, kFlagFlip);
            if (!hasFlippedSlot) {
                EXPECT_EQ(t.Pixels(), before);
                continue;
            }
            Target u(GetParam());
            Draw(flippedFrame, c.mode, c.params, place.x, place.y);
            EXPECT_EQ(t.Pixels(), u.Pixels());
        }
    }
}

TEST_P(SpanRender, ClippedDrawEqualsTheUnclippedDrawCropped) {
    const Frame f = SampleFrame(20, 18);
    for (const Place& place : {Place{2, 3}, Place{30, 25}, Place{12, 1}}) {
        for (const ModeCase& c : ModeCases(f)) {
            // The outline modes mark the ends of what is drawn, so a cut run
            // gets its mark at the clip edge.
            if ((c.mode & ~1) == 24) continue;
            SCOPED_TRACE(testing::Message() << c.name << " at " << place.x << "," << place.y);
            Target whole(GetParam());
            SetClip(0, 0, Target::kWidth, Target::kHeight);
            Draw(f, c.mode, c.params, place.x, place.y);
            Target cut(GetParam());
            for (int y = 0; y < Target::kHeight; ++y)
                for (int x = 0; x < Target::kWidth; ++x)
                    if (Target::InClip(x, y)) cut.Expect(x, y) = whole.At(x, y);
            Draw(f, c.mode, c.params, place.x, place.y);
            EXPECT_TRUE(cut.Matches());
        }
    }
}

TEST_P(SpanRender, EightBitFramesDrawNothingInEveryMode) {
    const std::vector<uint8_t> frame = RleFromIndices({5, 6, 7, 8, 1, 9, 3, 3, 10}, 3, 3);
    Params map;
    map.alphaMap.assign(9, 60);
    for (int mode : {0, 1, 4, 5, 8, 9, 16, 17, 20, 21, 24, 25, 28}) {
        Target t(GetParam());
        const std::vector<uint16_t> before = t.Pixels();
        SetParams({-5, -5, -5, 8, {}});
        gCurPic = frame.data();
        DrawPic(15, 15, 3, 3, static_cast<uint32_t>(mode), map.alphaMap.data());
        EXPECT_EQ(t.Pixels(), before) << "mode " << mode;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, SpanRender, ::testing::Values(kFormat555, kFormat556, kFormat565, kFormat655));

// ---- Quirks of single modes ------------------------------------------------------

TEST(SpanRenderModes, AdditiveLightSaturatesWithoutCarry) {
    for (int layout : {kFormat555, kFormat565}) {
        Target t(layout);
        const Frame f = MakeFrame({Stored({31, 0, 0}), Stored({20, 31, 5})}, 2, 1);
        t.At(16, 16) = Join(layout, {31, 0, 0});
        t.At(17, 16) = Join(layout, {20, 1, 31});
        Draw(f, 4, {}, 16, 16);
        EXPECT_EQ(t.At(16, 16), Join(layout, {31, 0, 0}));
        EXPECT_EQ(t.At(17, 16), Join(layout, {31, 31, 31}));
    }
}

TEST(SpanRenderModes, TintModeClearsRedAndIsANoOpWithoutTints) {
    for (int layout : {kFormat555, kFormat565}) {
      for (int mode : {16, 17}) {
        SCOPED_TRACE(mode);
        Target t(layout);
        const Frame f = MakeFrame({Stored({1, 2, 3}), Stored({4, 5, 6})}, 2, 1);
        const std::vector<uint16_t> before = t.Pixels();
        const uint16_t under = t.At(16, 16);
        gWaveIndex = 3;
        Draw(f, mode, {}, 16, 16);
        EXPECT_EQ(t.Pixels(), before);
        EXPECT_EQ(gWavePhase, 0) << "a tint draw without tints walks nothing";
        gWaveIndex = 0;
        Draw(f, mode, {-31, 0, 0, 0, {}}, 16, 16);
        const Rgb b = Split(layout, under);
        EXPECT_EQ(t.At(16, 16), Join(layout, {0, b.g, b.b}));
      }
    }
}

TEST(SpanRenderModes, AlphaMapZeroKeepsSixtyCopiesAndOnlyModeEightPaintsShadows) {
    for (int layout : {kFormat555, kFormat565}) {
        const Frame f = MakeFrame({Stored({9, 9, 9}), Stored({12, 13, 14}), kStoredShadowColour}, 3, 1);
        const std::vector<uint8_t> map = {0, 60, 60};
        for (int mode : {8, 9}) {
            Target t(layout);
            const uint16_t keep = t.At(mode == 8 ? 16 : 18, 16), under = t.At(mode == 8 ? 18 : 16, 16);
            const std::vector<uint8_t> screen = f.Screen();
            gCurPic = screen.data();
            DrawPic(16, 16, 3, 1, static_cast<uint32_t>(mode), map.data());
            if (mode == 8) {
                EXPECT_EQ(t.At(16, 16), keep);
                EXPECT_EQ(t.At(17, 16), Join(layout, {12, 13, 14}));
                // The shadow value is given in 555 and shown in the screen's layout.
                EXPECT_EQ(t.At(18, 16), ToLayout(layout, 0xFFF0));
                EXPECT_NE(t.At(18, 16), under);
            } else {
                EXPECT_EQ(t.At(18, 16), keep);
                EXPECT_EQ(t.At(17, 16), Join(layout, {12, 13, 14}));
                EXPECT_EQ(t.At(16, 16), under) << "the shadow pixel lands mirrored and stays transparent";
            }
        }
    }
}

TEST(SpanRenderModes, FadeLevelsFollowTheFrameHeight) {
    const int layout = kFormat555;
    for (int height : {16, 15}) {
        Target t(layout);
        std::vector<uint16_t> px(static_cast<size_t>(height), Stored({31, 31, 31}));
        const Frame f = MakeFrame(px, 1, height);
        for (int y = 0; y < height; ++y) t.At(20, 8 + y) = 0;
        Draw(f, 28, {}, 20, 8);
        std::vector<int> levels;
        for (int y = 0; y < height; ++y) {
            const uint16_t got = t.At(20, 8 + y);
            int level = -1;
            for (int l = 0; l <= 15; ++l)
                if (RefLevel(layout, Join(layout, {31, 31, 31}), 0, l) == got) level = l;
            levels.push_back(level);
        }
        const std::vector<int> want16 = {15, 14, 14, 13, 13, 12, 12, 11, 11, 10, 10, 9, 9, 8, 8, 7};
        const std::vector<int> want15 = {14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
        EXPECT_EQ(levels, height == 16 ? want16 : want15);
    }
}

TEST(SpanRenderModes, EdgeColourIsTheGreenFieldInTheScreenLayout) {
    for (int layout : {kFormat555, kFormat556, kFormat565, kFormat655}) {
        Target t(layout);
        const Frame f = MakeFrame({Stored({1, 1, 1}), Stored({2, 2, 2}), Stored({3, 3, 3})}, 3, 1);
        Draw(f, 24, {}, 16, 16);
        EXPECT_EQ(t.At(16, 16), Join(layout, {0, 31, 0}));
        EXPECT_EQ(t.At(17, 16), Join(layout, {2, 2, 2}));
        EXPECT_EQ(t.At(18, 16), Join(layout, {0, 31, 0}));
    }
}

// Row steps: the modes with a flipped twin step by gRowStep, the others by
// the pitch. Called directly with a negative row step to tell them apart.
TEST(SpanRenderModes, RowStepOrPitchPerMode) {
    const struct {
        BlendFn fn;
        bool byRowStep;
    } kCases[] = {
        {RenderSpanMode0, true},   {RenderSpanMode1, true},   {RenderSpanMode4, false}, {RenderSpanMode5, false},
        {RenderSpanMode8, false},  {RenderSpanMode9, false},  {RenderSpanMode16, false}, {RenderSpanMode17, false},
        {RenderSpanMode20, true},  {RenderSpanMode21, true},  {RenderSpanMode24, false}, {RenderSpanMode25, false},
        {RenderSpanMode28, false},
    };
    const Frame f = MakeFrame({Stored({31, 0, 0}), Stored({0, 0, 31})}, 1, 2);
    const std::vector<uint8_t> opaqueMap(2, 60);  // modes 8 and 9: level 15, a copy
    for (const auto& c : kCases) {
        Target t(kFormat555);
        const std::vector<uint8_t> screen = f.Screen();
        gCurPic = screen.data();
        DrawPic(20, 16, 1, 2, 0);  // fills the span state of a plain draw
        t.At(20, 16) = t.At(20, 17) = t.At(20, 15) = 0;
        gRowStep = -gScreenPitch;
        gTintRed = 5;
        gAlphaLevel = 15;
        c.fn(20, 16, 1, 2, opaqueMap.data());
        EXPECT_NE(t.At(20, c.byRowStep ? 15 : 17), 0) << (c.byRowStep ? "row step" : "pitch");
        EXPECT_EQ(t.At(20, c.byRowStep ? 17 : 15), 0);
    }
}

// ---- The row wave ------------------------------------------------------------------

int WaveEntry(int window, int i) { return static_cast<int>(std::floor(window * std::sin(2 * M_PI * i / 33) + 0.5)); }

TEST(SpanRenderWave, RowsTakeConsecutiveEntriesAndDrawsStartOneApart) {
    const int layout = kFormat555;
    std::vector<uint16_t> px(10);
    for (int i = 0; i < 10; ++i) px[i] = Stored({i + 1, 0, 0});
    const Frame f = MakeFrame(px, 1, 10);
    for (int draw = 0; draw < 2; ++draw) {
        Target t(layout);
        gWavePhase = draw * 4;
        gWaveIndex = 3;
        Draw(f, 0, {}, 20, 10);
        for (int y = 0; y < 10; ++y) t.Expect(20 + WaveEntry(3, (draw + 1 + y) % 33), 10 + y) = Join(layout, {y + 1, 0, 0});
        EXPECT_TRUE(t.Matches());
        EXPECT_EQ(gWavePhase, draw * 4 + 4);
    }
}

TEST(SpanRenderWave, PhaseWrapsAndStaysWithoutAWave) {
    Target t(kFormat555);
    const Frame f = SampleFrame(4, 4);
    gWavePhase = 128;
    Draw(f, 0, {}, 16, 16);
    EXPECT_EQ(gWavePhase, 128);
    gWaveIndex = 1;
    Draw(f, 0, {}, 16, 16);
    EXPECT_EQ(gWavePhase, 0);
}

// A wavy row is placed first and cut to the clip afterwards, so it never
// reaches past the clip rectangle, in any mode.
TEST(SpanRenderWave, ShiftedRowsStayInsideTheClip) {
    const int layout = kFormat565;
    const Frame f = SampleFrame(Target::kClipRight - Target::kClipLeft, 33);
    for (const ModeCase& c : ModeCases(f)) {
        for (int phase = 0; phase < 132; phase += 44) {
            SCOPED_TRACE(testing::Message() << c.name << " phase " << phase);
            Target t(layout);
            // The reference: each row drawn as a one-row frame at its shift.
            // Rows cut away at the top take no entry of the wave.
            const int topSkip = Target::kClipTop - 2;
            for (int y = topSkip; y < f.height; ++y) {
                const int shift = WaveEntry(15, (phase / 4 + 1 + y - topSkip) % 33);
                Frame row;
                row.width = f.width;
                row.height = 1;
                row.stored.assign(f.stored.begin() + y * f.width, f.stored.begin() + (y + 1) * f.width);
                Params p = c.params;
                if (!p.alphaMap.empty()) p.alphaMap.assign(c.params.alphaMap.begin() + y * f.width, c.params.alphaMap.begin() + (y + 1) * f.width);
                if ((c.mode & ~1) == 28) continue;  // levels depend on the whole frame
                Target& ref = t;
                for (int fx = 0; fx < f.width; ++fx) {
                    const int sx = Target::kClipLeft + shift + ((c.mode & 1) ? f.width - 1 - fx : fx);
                    const int sy = 2 + y;
                    if (!Target::InClip(sx, sy)) continue;
                    uint16_t v;
                    if ((c.mode & ~1) != 24 && RefPixel(layout, c.mode, row, p, fx, 0, ref.Expect(sx, sy), &v)) {
                        ref.Expect(sx, sy) = v;
                    }
                }
            }
            gWavePhase = phase;
            gWaveIndex = 15;
            Draw(f, c.mode, c.params, Target::kClipLeft, 2);
            EXPECT_EQ(gWavePhase, (phase + 4) % 132) << "every walk with a wave moves the phase on";
            if ((c.mode & ~1) == 28 || (c.mode & ~1) == 24) {
                // Only the guards are checked for these.
                for (int y = 0; y < Target::kHeight; ++y)
                    for (int x = 0; x < Target::kWidth; ++x) {
                        if (!Target::InClip(x, y)) {
                            ASSERT_EQ(t.At(x, y), t.Expect(x, y)) << x << "," << y;
                        }
                    }
                continue;
            }
            EXPECT_TRUE(t.Matches());
        }
    }
}

}  // namespace
