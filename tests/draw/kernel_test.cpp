// The drawing kernel: pixel formats, clipping, DrawPic's dispatch and its
// one-shot parameters, tile blits and the back-buffer lock.
#include <gtest/gtest.h>

#include <vector>

#include "draw/raw_render.h"
#include "draw/span_render.h"
#include "draw_test_util.h"

using namespace drawtest;

namespace {

class Kernel : public ::testing::Test {
protected:
    void SetUp() override { ResetDrawKernel(); }
    void TearDown() override { ResetDrawKernel(); }
};

TEST_F(Kernel, PixelFormatsDeriveTheirWorkingValues) {
    const struct {
        int format;
        uint32_t red5, green5, blue5;
        int rs, gs, bs;
        uint32_t mask1, mask4;
        uint32_t readRed;
    } kCases[] = {
        {kFormat555, 0x7C00, 0x03E0, 0x001F, 10, 5, 0, 0x3DEF3DEF, 0x04210421, 0x7C00},
        {kFormat556, 0xF800, 0x07C0, 0x003E, 11, 6, 1, 0x7BDE7BDE, 0x08420842, 0xF800},
        {kFormat565, 0xF800, 0x07C0, 0x001F, 11, 6, 0, 0x7BCF7BCF, 0x08410841, 0xF800},
        {kFormat655, 0xF800, 0x03E0, 0x001F, 11, 5, 0, 0x79EF79EF, 0x08210821, 0xFC00},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.format);
        ASSERT_EQ(InitDrawKernel(nullptr, c.format), 1);
        EXPECT_EQ(gRedMask5, c.red5);
        EXPECT_EQ(gGreenMask5, c.green5);
        EXPECT_EQ(gBlueMask5, c.blue5);
        EXPECT_EQ(gRedMask5Not, ~c.red5);
        EXPECT_EQ(gRedShift, c.rs);
        EXPECT_EQ(gGreenShift, c.gs);
        EXPECT_EQ(gBlueShift, c.bs);
        EXPECT_EQ(gShiftMask1, c.mask1);
        EXPECT_EQ(gShiftMask4, c.mask4);
        EXPECT_EQ(gShiftMask5, 0u);
        EXPECT_EQ(gRgbMasks.red, c.readRed);
        EXPECT_EQ(gRedUnit, 1u << c.rs);
        EXPECT_EQ(gBlueUnit, 1u << c.bs);
        EXPECT_EQ(gGreenSteps[3], 3u << c.gs);
        EXPECT_EQ(gRedSatTable[32 - 1], 0u);
        EXPECT_EQ(gRedSatTable[32 + 5], 5u << c.rs);
        EXPECT_EQ(gRedSatTable[32 + 40], c.red5);
        // Reserved colours in the screen's layout; the edge colour is the
        // green field itself, never converted a second time.
        EXPECT_EQ(gColourKey, ToLayout(c.format, 0x026B) * 0x10001u);
        EXPECT_EQ(gShadowColour, ToLayout(c.format, 0x319F) * 0x10001u);
        EXPECT_EQ(gEdgeColour, c.green5 * 0x10001u);
        EXPECT_EQ(MakeColour(31, 0, 0), c.red5 * 0x10001u);
        EXPECT_EQ(MakeColour(32 + 1, 2, 3), ToLayout(c.format, 0x0443) * 0x10001u);
    }
}

TEST_F(Kernel, ScreenToStoredConverterKeepsItsLastValueForSixBitLayouts) {
    InitDrawKernel(nullptr, kFormat565);
    InitDrawKernel(nullptr, kFormat556);
    uint16_t p = 0xF81F;
    FromScreenFormat(&p, 1);
    EXPECT_EQ(p, 0x7C1F);  // still the 565 converter
    uint16_t q[3] = {0x7C00, 0x03E0, 0x001F};
    ToScreenFormat(q, 3);
    EXPECT_EQ(q[0], 0xF800);
    EXPECT_EQ(q[1], 0x07C0);
    EXPECT_EQ(q[2], 0x003E);
}

TEST_F(Kernel, UnknownMasksKeepTheirValues) {
    SetPixelMasks(0x0F00, 0x00F0, 0x000F);
    EXPECT_EQ(gPixelFormat, -1);
    EXPECT_EQ(gRedMask5, 0x0F00u);
    EXPECT_EQ(gRedShift, 10);  // unchanged
}

TEST_F(Kernel, SurfaceGivesTheGeometryAndATallOneIsRefused) {
    Surface* s = CreateSurface(100, 50);
    ASSERT_EQ(InitDrawKernel(s, kFormat555), 1);
    EXPECT_EQ(gScreenWidth, 100);
    EXPECT_EQ(gScreenHeight, 50);
    EXPECT_EQ(gScreenPitch, 200);
    EXPECT_EQ(gRowOffsets[2047], 2047u * 200);
    EXPECT_EQ(gClip.width, 100);
    EXPECT_EQ(gClip.height, 50);
    Surface* tall = CreateSurface(4, 2049);
    EXPECT_EQ(InitDrawKernel(tall, kFormat565), 0);
    EXPECT_EQ(gScreenHeight, 50);
    EXPECT_EQ(gPixelFormat, kFormat555);
    FreeSurface(tall);
    EXPECT_EQ(LockBackBuffer(nullptr), nullptr);
    gPitchPixels = 7;
    EXPECT_EQ(LockBackBuffer(nullptr), nullptr);
    EXPECT_EQ(gPitchPixels, 7);
    EXPECT_NE(LockBackBuffer(s), nullptr);
    EXPECT_EQ(gPitchPixels, 100);
    UnlockBackBuffer(s, nullptr);
    FreeSurface(s);
}

TEST_F(Kernel, ClipSettersRefuseOrClamp) {
    InitDrawKernel(nullptr, kFormat555);
    const int32_t outside[4] = {0, 0, 641, 480};
    EXPECT_EQ(SetClipRect(outside), 0);
    EXPECT_EQ(gClip.width, 640);
    EXPECT_EQ(SetClip(-5, 10, 641, 470), 1);
    EXPECT_EQ(gClip.left, 0);
    EXPECT_EQ(gClip.top, 10);
    EXPECT_EQ(gClip.width, 640);
    EXPECT_EQ(gClip.height, 460);
}

TEST_F(Kernel, FramesOutsideTheClipDrawNothingAndStillSpendTheParameters) {
    Target t(kFormat555);
    const Frame f = SampleFrame(6, 5);
    const std::vector<uint8_t> screen = f.Screen();
    const std::vector<uint16_t> before = t.Pixels();
    for (const auto& p : {std::pair{2, 12}, std::pair{12, 3}, std::pair{40, 12}, std::pair{12, 32}}) {
        gTintRed = gTintGreen = gTintBlue = 3;
        gAlphaLevel = 5;
        gScaleHeight = 0;
        gShear = 4;
        gCurPic = screen.data();
        DrawPic(p.first, p.second, 6, 5, 4);
        EXPECT_EQ(t.Pixels(), before);
        EXPECT_EQ(gTintRed | gTintGreen | gTintBlue | gAlphaLevel | gScaleHeight | gShear, 0);
    }
}

TEST_F(Kernel, TheFrameDecidesWhetherItIsDrawnAsRuns) {
    // A raw frame passed with a stale run-length bit draws as the raw frame it
    // is, never as runs read out of its pixels.
    Target t(kFormat565);
    const std::vector<uint16_t> background = t.Pixels();
    std::vector<uint16_t> raw(4 * 6, 0x1234);
    gCurPic = reinterpret_cast<const uint8_t*>(raw.data());
    DrawPic(12, 12, 4, 6, 0);
    const std::vector<uint16_t> plain = t.Pixels();
    ASSERT_NE(plain, background);
    t.Restore(background);
    gCurPic = reinterpret_cast<const uint8_t*>(raw.data());
    DrawPic(12, 12, 4, 6, 0x80000000u);
    EXPECT_EQ(t.Pixels(), plain);
}

TEST_F(Kernel, ZeroSizedFramesAndNullPicturesDrawNothing) {
    Target t(kFormat555);
    const Frame f = SampleFrame(6, 5);
    const std::vector<uint8_t> screen = f.Screen();
    const std::vector<uint16_t> before = t.Pixels();
    gCurPic = screen.data();
    DrawPic(12, 12, 0, 5, 0);
    DrawPic(12, 12, 6, 0, 0);
    DrawPic(12, 12, -6, 5, 0);
    gCurPic = nullptr;
    DrawPic(12, 12, 6, 5, 0);
    EXPECT_EQ(t.Pixels(), before);
}

// Which renderer sits in which slot: the even slot plain, the odd mirrored,
// +2 flipped where a mode has a flipped twin, +64 for raw frames. Slots of
// the scaled, 32 to 48 and zoom renderers are theirs to check.
TEST_F(Kernel, BlendTableHoldsEachRendererInItsSlots) {
    ASSERT_EQ(InitDrawKernel(nullptr, kFormat555), 1);
    const struct {
        int slot;
        BlendFn fn;
    } kFilled[] = {
        {0, RenderSpanMode0},   {2, RenderSpanMode0},   {1, RenderSpanMode1},   {3, RenderSpanMode1},
        {4, RenderSpanMode4},   {5, RenderSpanMode5},   {8, RenderSpanMode8},   {9, RenderSpanMode9},
        {16, RenderSpanMode16}, {17, RenderSpanMode17}, {20, RenderSpanMode20}, {22, RenderSpanMode20},
        {21, RenderSpanMode21}, {23, RenderSpanMode21}, {24, RenderSpanMode24}, {25, RenderSpanMode25},
        {28, RenderSpanMode28}, {64, RenderSpanMode64}, {65, RenderSpanMode65}, {68, RenderSpanMode68},
        {69, RenderSpanMode69}, {72, RenderSpanMode72}, {84, RenderSpanMode84},
    };
    const BlendFn empty = gBlendTable[127];
    ASSERT_NE(empty, nullptr);
    for (const auto& f : kFilled) {
        EXPECT_EQ(gBlendTable[f.slot], f.fn) << "slot " << f.slot;
        EXPECT_NE(f.fn, empty);
    }
    auto filled = [&](int slot) {
        for (const auto& f : kFilled)
            if (f.slot == slot) return true;
        return false;
    };
    auto othersOwn = [](int slot) { return (slot >= 12 && slot <= 15) || (slot >= 32 && slot <= 51); };
    for (int slot = 0; slot < kFirstExtendedSlot; ++slot) {
        if (filled(slot) || othersOwn(slot)) continue;
        EXPECT_EQ(gBlendTable[slot], empty) << "slot " << slot << " should be empty";
    }
}

int gRecorded;
int gRecordedX[8], gRecordedY[8];
uint32_t gRecordedSlot[8];
template <uint32_t kSlot>
void Record(int32_t x, int32_t y, int32_t, int32_t, const void*) {
    if (gRecorded < 8) {
        gRecordedX[gRecorded] = x;
        gRecordedY[gRecorded] = y;
        gRecordedSlot[gRecorded] = kSlot;
    }
    ++gRecorded;
}

TEST_F(Kernel, EmptySlotsAndStrayModeBitsNeverCallThroughNull) {
    Target t(kFormat555);
    const Frame f = SampleFrame(6, 5);
    const std::vector<uint8_t> rle = f.Screen();
    std::vector<uint16_t> raw(30, 0x1234);
    const std::vector<uint16_t> before = t.Pixels();
    for (uint32_t flags = 0; flags < 64; ++flags) {
        for (const uint8_t* pic : {rle.data(), reinterpret_cast<const uint8_t*>(raw.data())}) {
            const bool rlePic = pic == rle.data();
            const uint32_t slot = flags + (rlePic ? 0 : 64);
            if (gBlendTable[slot] == nullptr) ADD_FAILURE() << "slot " << slot << " is null";
            gAlphaLevel = 8;
            gTintRed = 2;
            gCurPic = pic;
            DrawPic(12, 12, 6, 5, flags, nullptr);
        }
        t.Restore(before);
    }
    // High bits past the ordinary modes: bits 6 and 7 are masked away,
    // extended values past the table draw nothing.
    gCurPic = rle.data();
    gBlendTable[0] = Record<0>;
    DrawPic(12, 12, 6, 5, 0x40, nullptr);
    EXPECT_EQ(gRecorded, 1);
    DrawPic(12, 12, 6, 5, 0x10000, nullptr);
    DrawPic(12, 12, 6, 5, 0x3FFFFFFC, nullptr);
    DrawPic(12, 12, 6, 5, 196, nullptr);
    EXPECT_EQ(gRecorded, 1);
    EXPECT_EQ(t.Pixels(), before);
    gRecorded = 0;
}

TEST_F(Kernel, ExtendedModesPassTheFlagsAndKeepTheParameters) {
    Target t(kFormat555);
    const Frame f = SampleFrame(6, 5);
    const std::vector<uint8_t> rle = f.Screen();
    static uint32_t seenFlags;
    gBlendTable[132] = [](int32_t, int32_t, int32_t, int32_t, const void* extra) {
        seenFlags = static_cast<const ExtendedArgs*>(extra)->flags;
    };
    gCurPic = rle.data();
    gTintRed = 4;
    gAlphaLevel = 9;
    DrawPic(-500, 12, 6, 5, 132 | kFlagMirror);
    EXPECT_EQ(seenFlags, 132u | kFlagMirror | kFlagRle);
    EXPECT_EQ(gTintRed, 4);
    EXPECT_EQ(gAlphaLevel, 9);
}

TEST_F(Kernel, OutlineReplacesTheModeAndDrawsFourTimes) {
    Target t(kFormat555);
    const Frame f = SampleFrame(6, 5);
    const std::vector<uint8_t> rle = f.Screen();
    gBlendTable[36] = Record<36>;
    gBlendTable[37] = Record<37>;
    gCurPic = rle.data();
    gRecorded = 0;
    DrawOutlined(20, 20, 6, 5, 20 | kFlagMirror);
    ASSERT_EQ(gRecorded, 4);
    const int want[4][2] = {{21, 21}, {19, 19}, {19, 21}, {21, 19}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(gRecordedSlot[i], 37u);
        EXPECT_EQ(gRecordedX[i], want[i][0]);
        EXPECT_EQ(gRecordedY[i], want[i][1]);
    }
    gRecorded = 0;
}

TEST_F(Kernel, AlphaLevelZeroDrawsNothingAndSixteenCopies) {
    for (int layout : {kFormat555, kFormat565}) {
        Target t(layout);
        const Frame f = SampleFrame(6, 5);
        const std::vector<uint8_t> rle = f.Screen();
        const std::vector<uint16_t> before = t.Pixels();
        gCurPic = rle.data();
        gAlphaLevel = 0;
        DrawPic(12, 12, 6, 5, 20);
        EXPECT_EQ(t.Pixels(), before);
        gAlphaLevel = 16;
        DrawPic(12, 12, 6, 5, 20);
        EXPECT_EQ(gAlphaLevel, 0);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                if (f.Opaque(x, y)) t.Expect(12 + x, 12 + y) = ToLayout(layout, f.stored[y * 6 + x]);
        EXPECT_TRUE(t.Matches());
    }
}

TEST_F(Kernel, TileBlits) {
    for (int layout : {kFormat555, kFormat565}) {
        Target t(layout);
        std::vector<uint16_t> tile16(256);
        std::vector<uint8_t> tile8(256);
        std::vector<uint16_t> table(256);
        for (int i = 0; i < 256; ++i) {
            tile16[i] = i % 7 == 0 ? static_cast<uint16_t>(gColourKey) : ToLayout(layout, static_cast<uint16_t>(i * 41));
            tile8[i] = static_cast<uint8_t>(i % 5 == 0 ? 1 : i % 13);
            table[i] = ToLayout(layout, static_cast<uint16_t>(0x0421 * (i % 31)));
        }
        const struct {
            void (*fn)(int32_t, int32_t);
            bool eight, keyed;
        } kTiles[] = {
            {DrawTile16, false, false}, {DrawTile16Keyed, false, true}, {DrawTile8, true, false}, {DrawTile8Keyed, true, true}};
        int x = 0;
        for (const auto& k : kTiles) {
            gCurPic = k.eight ? tile8.data() : reinterpret_cast<const uint8_t*>(tile16.data());
            gColourTable = k.eight ? table.data() : nullptr;
            k.fn(x, 20);
            for (int i = 0; i < 256; ++i) {
                const bool skip = k.keyed && (k.eight ? tile8[i] == 1 : tile16[i] == static_cast<uint16_t>(gColourKey));
                if (!skip) t.Expect(x + i % 16, 20 + i / 16) = k.eight ? table[tile8[i]] : tile16[i];
            }
            // Tiles that would leave the buffer are not drawn.
            k.fn(-1, 0);
            k.fn(Target::kWidth - 15, 0);
            k.fn(0, Target::kHeight - 15);
            x += 8;
        }
        gColourTable = nullptr;
        EXPECT_TRUE(t.Matches());
    }
}

}  // namespace

namespace {

SpanState gSeenSpan;
int gSeenCalls;
void RecordSpan(int32_t, int32_t, int32_t, int32_t, const void*) {
    gSeenSpan = gSpan;
    ++gSeenCalls;
}

// The span state of a scaled draw: screen rows of the target height, the
// vertical step and the shear that always leans.
TEST_F(Kernel, ScaledDrawsPrepareTheirSpanState) {
    Target t(kFormat555);
    std::vector<uint16_t> px(4 * 96, Stored({9, 9, 9}));
    const Frame f = MakeFrame(px, 4, 96);
    const std::vector<uint8_t> screen = f.Screen();
    gBlendTable[12] = RecordSpan;
    const struct {
        int y, scale, shear;
        int rows, topSkip, vStep;
        bool enlarging;
        int shearStep, shearDir;
    } kCases[] = {
        {10, 16, 24, 16, 0, 96 * 1024 / 16 - 1024, false, 24 * 1024 / 16, -1},
        // Cut at the clip's bottom one row short: the scaled renderers draw row i
        // at y + i, from 1.
        {10, 192, -6, 21, 0, 512, true, 6 * 1024 / 192, 1},
        {4, 16, 0, 16 - 4 - 1, 4, 5120, false, 1024 / 16, -1},  // cut at the top; no shear leans by one
    };
    for (const auto& c : kCases) {
        gSeenCalls = 0;
        gCurPic = screen.data();
        gScaleHeight = c.scale;
        gShear = c.shear;
        DrawPic(12, c.y, 4, 96, 12);
        ASSERT_EQ(gSeenCalls, 1);
        EXPECT_EQ(gSeenSpan.rows, c.rows);
        EXPECT_EQ(gSeenSpan.topSkip, c.topSkip);
        EXPECT_EQ(gSeenSpan.vStep, c.vStep);
        EXPECT_EQ(gSeenSpan.enlarging, c.enlarging);
        EXPECT_EQ(gSeenSpan.shearStep, c.shearStep);
        EXPECT_EQ(gSeenSpan.shearDir, c.shearDir);
        EXPECT_EQ(gScaleHeight | gShear, 0);
    }
    // A raw frame is never scaled: its rows are the frame's own.
    std::vector<uint16_t> raw(4 * 6, 0x1111);
    gBlendTable[76] = RecordSpan;
    gSeenCalls = 0;
    gCurPic = reinterpret_cast<const uint8_t*>(raw.data());
    gScaleHeight = 40;
    DrawPic(12, 12, 4, 6, 12);
    ASSERT_EQ(gSeenCalls, 1);
    EXPECT_EQ(gSeenSpan.rows, 6);
}

}  // namespace
