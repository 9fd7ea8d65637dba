// Zoom and shear slots 128 to 192 against the source mapping: destination
// column k of the zoomed frame shows source column 1024 k / zoom, row r source
// row 1024 r / zoom, each effect written per channel, in every screen layout
// inside guard bands.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "draw/act_pack.h"
#include "draw/zoom_render.h"
#include "draw_test_util.h"

using namespace drawtest;

namespace {

struct Effect {
    int slot;
    int tint = 0;   // all three channels
    int alpha = 0;
};

bool InKernelClip(int64_t x, int64_t y) {
    return x >= gClip.left && x < gClip.left + gClip.width && y >= gClip.top && y < gClip.top + gClip.height;
}

uint16_t RefZoomPixel(int layout, const Effect& e, uint16_t stored, uint16_t d) {
    const Rgb s = Split(kFormat555, stored), b = Split(layout, d);
    const int t = e.tint;
    switch (e.slot) {
    case 128: return Join(layout, s);
    case 132:
        return Join(layout, {Clamp31(std::min(31, s.r + b.r) + t), Clamp31(std::min(31, s.g + b.g) + t),
                             Clamp31(std::min(31, s.b + b.b) + t)});
    case 144: return Join(layout, {Clamp31(b.r + t), Clamp31(b.g + t), Clamp31(b.b + t)});
    case 148: return RefLevel(layout, Join(layout, s), d, e.alpha);
    case 164: return 0;
    case 168: {
        const int v = (b.r + b.g + b.b) >> 2;
        return Join(layout, {v, v, v});
    }
    case 172:
        return Join(layout, {std::max(0, b.r - Clamp31(s.r + t)), std::max(0, b.g - Clamp31(s.g + t)),
                             std::max(0, b.b - Clamp31(s.b + t))});
    }
    ADD_FAILURE() << "no reference for slot " << e.slot;
    return d;
}

struct Zoom {
    int anchorX, anchorY, zoomX, zoomY, shear;
};

// The reference: the zoomed rectangle around the anchor, each destination
// pixel from its source pixel, rows leaning away from the anchor's row.
void RefZoom(Target& t, const Frame& f, const Zoom& z, const Effect& e, int x, int y, bool mirror, bool flip) {
    const int64_t w = f.width, h = f.height;
    const int64_t ax = mirror ? w - z.anchorX : z.anchorX;
    const int64_t ay = flip ? h - z.anchorY : z.anchorY;
    const int64_t yy = flip ? y + 2 * z.anchorY - h : y;
    const int64_t left = x + ax - z.zoomX * ax / 1024, width = z.zoomX * w / 1024;
    const int64_t top = yy + ay - z.zoomY * ay / 1024, height = z.zoomY * h / 1024;
    const int64_t anchorRow = z.zoomY * ay / 1024;
    for (int64_t i = 0; i < height; ++i) {
        const int64_t sy = top + i;
        const int64_t r = flip ? height - 1 - i : i;
        const int64_t fr = r * 1024 / z.zoomY;
        const int64_t lean = anchorRow * z.shear / 1024 - i * z.shear / 1024;
        const int64_t rowLeft = left + (mirror ? -lean : lean);
        for (int64_t k = 0; k < width; ++k) {
            const int64_t fc = k * 1024 / z.zoomX;
            const int64_t sx = mirror ? rowLeft + width - 1 - k : rowLeft + k;
            if (!InKernelClip(sx, sy) || !f.Opaque(static_cast<int>(fc), static_cast<int>(fr))) continue;
            uint16_t& p = t.Expect(static_cast<int>(sx), static_cast<int>(sy));
            p = RefZoomPixel(t.layout(), e, f.stored[fr * w + fc], p);
        }
    }
}

void DrawZoomed(const Frame& f, const Zoom& z, const Effect& e, int x, int y, uint32_t flipFlags) {
    const std::vector<uint8_t> screen = f.Screen();
    gCurPic = screen.data();
    SetZoomFactor(z.anchorX, z.anchorY, z.zoomX, z.zoomY, z.shear);
    gTintRed = gTintGreen = gTintBlue = e.tint;
    gAlphaLevel = e.alpha;
    DrawPic(x, y, f.width, f.height, static_cast<uint32_t>(e.slot) | flipFlags);
}

class ZoomRender : public ::testing::TestWithParam<int> {};

TEST_P(ZoomRender, EverySlotFollowsTheSourceMappingInsideGuards) {
    const Frame f = SampleFrame(17, 13, 9);
    const Zoom kZooms[] = {
        {0, 0, 1024, 1024, 0},     {8, 6, 2048, 2048, 0},  {8, 12, 512, 512, 0},   {3, 2, 1536, 700, 0},
        {17, 13, 1024, 1024, 900}, {8, 13, 1024, 512, -256}, {5, 9, 3000, 1100, 1500}, {-4, 20, 800, 1300, 300},
    };
    const Effect kEffects[] = {{128}, {132, -3}, {144, 5}, {144, -6}, {148, 0, 9}, {148, 0, 14}, {148, 0, 15},
                               {164}, {168}, {172, 2}};
    const struct {
        int x, y;
    } kPlaces[] = {{16, 14}, {2, 1}, {30, 26}};
    for (const Zoom& z : kZooms)
        for (const Effect& e : kEffects)
            for (const auto& place : kPlaces)
                for (uint32_t flip : {0u, 1u, 2u, 3u}) {
                    SCOPED_TRACE(testing::Message() << "zoom " << z.zoomX << "x" << z.zoomY << " shear " << z.shear
                                                    << " slot " << e.slot << " at " << place.x << "," << place.y
                                                    << " flags " << flip);
                    Target t(GetParam());
                    RefZoom(t, f, z, e, place.x, place.y, flip & 1, flip & 2);
                    DrawZoomed(f, z, e, place.x, place.y, flip);
                    EXPECT_TRUE(t.Matches());
                    EXPECT_EQ(gTintRed | gTintGreen | gTintBlue | gAlphaLevel, 0) << "the zoom draw spends them";
                }
}

// 1:1 equals the ordinary draw: mode 0 plain, mode 1 mirrored, and flipped
// the frame reflected about the anchor's row (mode 2 at y + 2 anchorY - h).
TEST_P(ZoomRender, OneToOneEqualsTheOrdinaryDraw) {
    const Frame f = SampleFrame(21, 15, 29);
    const std::vector<uint8_t> screen = f.Screen();
    for (const auto& place : {std::pair{14, 12}, std::pair{-3, 2}, std::pair{30, 29}})
        for (uint32_t flip : {0u, 1u, 2u, 3u}) {
            const int anchorY = 9;
            const int y = (flip & 2) ? place.second + 2 * anchorY - f.height : place.second;
            Target ordinary(GetParam());
            gCurPic = screen.data();
            DrawPic(place.first, y, f.width, f.height, flip);
            Target zoomed(GetParam());
            gCurPic = screen.data();
            SetZoomSource(5, anchorY, 1024, 1024);
            DrawPic(place.first, place.second, f.width, f.height, 128 | flip);
            EXPECT_EQ(zoomed.Pixels(), ordinary.Pixels()) << place.first << "," << place.second << " flags " << flip;
        }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ZoomRender, ::testing::Values(kFormat555, kFormat556, kFormat565, kFormat655));

TEST(ZoomRenderCases, DoubleSizeGivesTwoByTwoBlocksAroundTheCentre) {
    const int layout = kFormat565;
    std::vector<uint16_t> px(6 * 4);
    for (int i = 0; i < 24; ++i) px[i] = Stored({i, 31 - i, i / 2});
    const Frame f = MakeFrame(px, 6, 4);
    Target t(layout);
    DrawZoomed(f, {3, 2, 2048, 2048, 0}, {128}, 20, 18, 0);
    // The frame covers x 20..25, y 18..21 at 1:1; doubled about its centre
    // (23, 20) it covers 17..28 and 16..23.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) t.Expect(17 + x, 16 + y) = Join(layout, Split(kFormat555, px[(y / 2) * 6 + x / 2]));
    EXPECT_TRUE(t.Matches());
    // The pixel right of and below the centre point is still source (3, 2).
    EXPECT_EQ(t.At(23, 20), Join(layout, Split(kFormat555, px[2 * 6 + 3])));
}

TEST(ZoomRenderCases, ShearMovesEachRowOnePixelFurtherAndKeepsTheAnchorRow) {
    const Frame f = MakeFrame(std::vector<uint16_t>(3 * 6, Stored({9, 9, 9})), 3, 6);
    Target t(kFormat555);
    SetClip(0, 0, Target::kWidth, Target::kHeight);
    DrawZoomed(f, {0, 3, 1024, 1024, 1024}, {164}, 20, 10, 0);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 3; ++c) t.Expect(20 + (3 - r) + c, 10 + r) = 0;
    EXPECT_TRUE(t.Matches());
}

TEST(ZoomRenderCases, FactorsBelowOneAreHeldAtOneAndLargeOnesAtTheLimit) {
    SetZoomSource(0, 0, 0, -2048);
    EXPECT_EQ(gZoomX, 1);
    EXPECT_EQ(gZoomY, 1);
    SetZoomFactor(0, 0, 1 << 30, 1024, -(1 << 30));
    EXPECT_EQ(gZoomX, kZoomMax);
    EXPECT_EQ(gZoomShear, -kZoomShearMax);
    ResetZoom();
    EXPECT_EQ(gZoomX, 1024);
    EXPECT_EQ(gZoomY, 1024);
    EXPECT_EQ(gZoomShear, 0);
}

// The faults of the zoom slots, each a case that wrote outside the buffer or
// the clip, or left state behind.
TEST(ZoomRenderFaults, LargeZoomsAndNegativeFactorsStayInsideTheClip) {
    const Frame f = SampleFrame(96, 40, 13);
    for (const Zoom& z : {Zoom{0, 0, 30000, 20000, 0}, Zoom{95, 39, 30000, 30000, 0}, Zoom{50, 20, -1024, -1024, 0},
                          Zoom{40, 30, 1100, 900, 60000}, Zoom{60, 10, 20000, 1024, -3000}}) {
        SCOPED_TRACE(testing::Message() << z.zoomX << " " << z.shear);
        Target t(kFormat565);
        Zoom held = z;
        held.zoomX = std::clamp(z.zoomX, 1, kZoomMax);
        held.zoomY = std::clamp(z.zoomY, 1, kZoomMax);
        RefZoom(t, f, held, {128}, -30, -10, false, false);
        DrawZoomed(f, z, {128}, -30, -10, 0);
        EXPECT_TRUE(t.Matches());
    }
}

TEST(ZoomRenderFaults, TintAndAlphaDoNotLeakIntoTheNextZoomDraw) {
    const Frame f = SampleFrame(10, 8);
    Target t(kFormat555);
    RefZoom(t, f, {0, 0, 1024, 1024, 0}, {144, -9}, 15, 15, false, false);
    DrawZoomed(f, {0, 0, 1024, 1024, 0}, {144, -9}, 15, 15, 0);
    const std::vector<uint8_t> screen = f.Screen();
    gCurPic = screen.data();
    DrawPic(15, 15, f.width, f.height, 144);  // no tint given: no change
    gAlphaLevel = 7;
    DrawPic(15, 15, f.width, f.height, 164 | 1);  // another slot spends the alpha too
    EXPECT_EQ(gAlphaLevel, 0);
    DrawPic(15, 15, f.width, f.height, 148);  // level 0 now: nothing
    RefZoom(t, f, {0, 0, 1024, 1024, 0}, {164}, 15, 15, true, false);
    EXPECT_TRUE(t.Matches());
}

TEST(ZoomRenderFaults, TablesAreBuiltBeforeAnySetZoomCall) {
    const Frame f = SampleFrame(10, 8);
    Target t(kFormat555);  // resets the kernel, and with it the zoom
    RefZoom(t, f, {0, 0, 1024, 1024, 0}, {128}, 12, 12, false, false);
    const std::vector<uint8_t> screen = f.Screen();
    gCurPic = screen.data();
    DrawPic(12, 12, f.width, f.height, 128);
    EXPECT_TRUE(t.Matches());
}

TEST(ZoomRenderCases, AlphaLevelZeroLeavesTheScreenAndFifteenCopies) {
    const Frame f = SampleFrame(10, 8);
    Target t(kFormat565);
    DrawZoomed(f, {5, 4, 1500, 1500, 0}, {148, 0, 0}, 15, 15, 0);
    EXPECT_TRUE(t.Matches());
    RefZoom(t, f, {5, 4, 1500, 1500, 0}, {128}, 15, 15, false, false);
    DrawZoomed(f, {5, 4, 1500, 1500, 0}, {148, 0, 15}, 15, 15, 0);
    EXPECT_TRUE(t.Matches());
}

// ---- Slot 192: 8-bit frames through the colour table ------------------------------------

TEST(ZoomRender8Bit, ColourTableFrameMirroredFlippedAndCut) {
    const int w = 7, h = 5;
    std::vector<uint8_t> idx(w * h);
    for (int i = 0; i < w * h; ++i) idx[i] = static_cast<uint8_t>(i % 4 == 0 ? 1 : (i % 9 == 0 ? 3 : 10 + i));
    const std::vector<uint8_t> frame = RleFromIndices(idx, w, h);
    std::vector<uint16_t> table(256);
    for (int i = 0; i < 256; ++i) table[i] = static_cast<uint16_t>(i * 131);
    for (uint32_t flags : {0u, 1u, 2u, 3u})
        for (const auto& place : {std::pair{15, 15}, std::pair{4, 5}, std::pair{37, 29}}) {
            Target t(kFormat555);
            for (int fy = 0; fy < h; ++fy)
                for (int fx = 0; fx < w; ++fx) {
                    const uint8_t v = idx[fy * w + fx];
                    if (v == 1 || v == 3) continue;  // key and shadow runs carry no pixels
                    const int sx = place.first + ((flags & 1) ? w - 1 - fx : fx);
                    const int sy = place.second + ((flags & 2) ? h - 1 - fy : fy);
                    if (Target::InClip(sx, sy)) t.Expect(sx, sy) = table[v];
                }
            gCurPic = frame.data();
            gColourTable = table.data();
            DrawPic(place.first, place.second, w, h, 192 | flags);
            gColourTable = nullptr;
            EXPECT_TRUE(t.Matches()) << "flags " << flags << " at " << place.first << "," << place.second;
        }
    // Without a colour table, or with a 16-bit frame, nothing is drawn.
    Target t(kFormat555);
    gCurPic = frame.data();
    DrawPic(15, 15, w, h, 192);
    const Frame f16 = SampleFrame(6, 4);
    const std::vector<uint8_t> screen = f16.Screen();
    gCurPic = screen.data();
    gColourTable = table.data();
    DrawPic(15, 15, 6, 4, 192);
    gColourTable = nullptr;
    EXPECT_TRUE(t.Matches());
}

// The act stream's "SC" reaches the zoom source by default.
TEST(ZoomRenderActs, ActZoomSourceIsSetZoomSource) {
    ResetActPacks();
    EXPECT_EQ(gActZoomSource, &SetZoomSource);
}

}  // namespace
