// The ripple against a plain reference: the step against the 8-neighbour
// rule, drops, and the draw against the displaced picture, with guard rows
// and columns around the destination; every index stays in the field and
// the picture however steep the wave.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/random.h"
#include "draw/ripple.h"

namespace {

constexpr int kPicW = 30, kPicH = 22;

std::vector<int16_t> Field(const cRipple& r) {
    const int16_t* f = r.CurrentField();
    return std::vector<int16_t>(f, f + r.width * r.height);
}

// One step of the plain rule: D = (sum of the 8 neighbours in S >> 2) - D,
// less its damping, on the interior cells.
void ReferenceStep(const std::vector<int16_t>& s, std::vector<int16_t>& d, int w, int h) {
    for (int r = 1; r + 1 < h; ++r)
        for (int c = 1; c + 1 < w; ++c) {
            int n = 0;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc)
                    if (dr || dc) n += s[(r + dr) * w + c + dc];
            const int v = (n >> 2) - d[r * w + c];
            d[r * w + c] = static_cast<int16_t>(v - (v >> 4));
        }
}

std::vector<uint16_t> Picture() {
    std::vector<uint16_t> px(kPicW * kPicH);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint16_t>(i * 97 + 5);
    return px;
}

// The destination: picture rows with guard columns and guard rows after them.
struct Dest {
    static constexpr int kPitchPixels = kPicW + 3, kRows = kPicH + 2;
    std::vector<uint16_t> px = std::vector<uint16_t>(kPitchPixels * kRows, 0xBEEF);
    uint16_t& At(int x, int y) { return px[y * kPitchPixels + x]; }
};

// The draw's reference: each interior cell shows the picture pixel displaced
// by the slope / 8, kept inside the picture.
Dest ReferenceDraw(const cRipple& r, const std::vector<uint16_t>& pic) {
    Dest d;
    for (int row = 1; row + 1 < r.height; ++row)
        for (int c = 1; c + 1 < r.width; ++c) {
            const int ox = (r.Cell(row, c) - r.Cell(row, c + 1)) >> 3;
            const int oy = (r.Cell(row, c) - r.Cell(row + 1, c)) >> 3;
            const int x = r.rectX + c - 1, y = r.rectY + row;
            d.At(x, y) = pic[std::clamp(y + oy, 0, kPicH - 1) * kPicW + std::clamp(x + ox, 0, kPicW - 1)];
        }
    return d;
}

class Ripple : public ::testing::Test {
protected:
    void SetUp() override { ResetRandom(); }
    void TearDown() override { ResetRandom(); }
    cRipple ripple;
};

TEST_F(Ripple, FreshRippleDrawsThePictureUnchanged) {
    ASSERT_TRUE(ripple.InitRipple(kPicW, kPicH, 4, 3, 16, 12));
    const std::vector<uint16_t> pic = Picture();
    ripple.CopyRipple(pic.data());
    Dest d;
    ripple.DrawRipple(d.px.data(), Dest::kPitchPixels * 2);
    Dest want;
    for (int r = 1; r < 11; ++r)
        for (int c = 1; c < 15; ++c) want.At(4 + c - 1, 3 + r) = pic[(3 + r) * kPicW + 4 + c - 1];
    EXPECT_EQ(d.px, want.px);
    EXPECT_TRUE(ripple.StepRipple());
}

TEST_F(Ripple, DropOfRadiusOneRaisesOneCellAndSpreadsToItsNeighbours) {
    ASSERT_TRUE(ripple.InitRipple(kPicW, kPicH, 0, 0, 10, 8));
    ripple.DropRipple(4, 3, 1, 700);
    std::vector<int16_t> want(80, 0);
    want[3 * 10 + 4] = 700;
    EXPECT_EQ(Field(ripple), want);
    EXPECT_FALSE(ripple.StepRipple());
    const int v = 700 >> 2;
    for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc)
            EXPECT_EQ(ripple.Cell(3 + dr, 4 + dc), dr || dc ? v - (v >> 4) : 0);
}

TEST_F(Ripple, StepsFollowTheEightNeighbourRule) {
    ASSERT_TRUE(ripple.InitRipple(kPicW, kPicH, 2, 2, 24, 17));
    SetCRandSeed(11);
    std::vector<int16_t> prev(24 * 17, 0), cur(24 * 17, 0);
    ripple.DropRipple(6, 5, 4, 300);
    ripple.DropRipple(-1, -1, 3, -250);
    ripple.DropRipple(20, 14, 6, 900);  // reaches past the border
    cur = Field(ripple);
    for (int step = 0; step < 40; ++step) {
        ReferenceStep(cur, prev, 24, 17);
        std::swap(prev, cur);
        const bool calm = ripple.StepRipple();
        ASSERT_EQ(Field(ripple), cur) << "step " << step;
        ASSERT_EQ(calm, std::all_of(cur.begin(), cur.end(), [](int16_t v) { return v == 0; }));
        for (int c = 0; c < 24; ++c) ASSERT_TRUE(cur[c] == 0 && cur[16 * 24 + c] == 0);
        for (int r = 0; r < 17; ++r) ASSERT_TRUE(cur[r * 24] == 0 && cur[r * 24 + 23] == 0);
    }
}

TEST_F(Ripple, DrawDisplacesByTheSlopeInsideGuards) {
    ASSERT_TRUE(ripple.InitRipple(kPicW, kPicH, 3, 4, 20, 14));
    const std::vector<uint16_t> pic = Picture();
    ripple.CopyRipple(pic.data());
    ripple.DropRipple(8, 6, 5, 40);
    ripple.DropRipple(13, 9, 3, -60);
    for (int step = 0; step < 6; ++step) {
        ripple.StepRipple();
        Dest d;
        ripple.DrawRipple(d.px.data(), Dest::kPitchPixels * 2);
        ASSERT_EQ(d.px, ReferenceDraw(ripple, pic).px) << "step " << step;
    }
}

// Offsets of the steep wave reached far outside the picture copy.
TEST_F(Ripple, SteepWaveReadsOnlyInsideThePicture) {
    ASSERT_TRUE(ripple.InitRipple(kPicW, kPicH, 0, 0, kPicW, kPicH));
    const std::vector<uint16_t> pic = Picture();
    ripple.CopyRipple(pic.data());
    ripple.DropRipple(2, 2, 8, 30000);
    ripple.DropRipple(kPicW - 3, kPicH - 3, 8, -30000);
    Dest d;
    ripple.DrawRipple(d.px.data(), Dest::kPitchPixels * 2);
    EXPECT_EQ(d.px, ReferenceDraw(ripple, pic).px);
}

// A negative corner was kept and the draw wrote before the picture.
TEST_F(Ripple, ClampKeepsTheRectangleInsideThePicture) {
    ASSERT_TRUE(ripple.InitRipple(kPicW, kPicH, 0, 0, 10, 8));
    const struct {
        int x, y, wantX, wantY;
    } cases[] = {{kPicW, 0, kPicW - 10 - 1, 0}, {0, kPicH, 0, kPicH - 8 - 1}, {-5, -7, 0, 0}, {20, 14, 20, 14}, {21, 15, 19, 13}};
    for (const auto& c : cases) {
        ripple.ClampRipple(c.x, c.y);
        EXPECT_EQ(ripple.rectX, c.wantX);
        EXPECT_EQ(ripple.rectY, c.wantY);
    }
    ASSERT_TRUE(ripple.InitRipple(kPicW, kPicH, -40, -40, kPicW, kPicH));
    EXPECT_EQ(ripple.rectX, 0);
    EXPECT_EQ(ripple.rectY, 0);
    const std::vector<uint16_t> pic = Picture();
    ripple.CopyRipple(pic.data());
    ripple.DropRipple(5, 5, 4, 200);
    std::vector<uint16_t> exact(kPicW * kPicH, 0);
    ripple.DrawRipple(exact.data());
    EXPECT_EQ(exact[0], 0) << "column 0 of row 0 is outside the interior";
}

// A random drop took rand() mod (w - 2r - 1), which is 0 or negative for a
// bump as wide as the field.
TEST_F(Ripple, RandomDropWiderThanTheFieldTakesTheCentre) {
    ASSERT_TRUE(ripple.InitRipple(kPicW, kPicH, 0, 0, 9, 7));
    ripple.DropRipple(-1, -1, 4, 100);  // w - 2r - 1 = 0
    EXPECT_GT(ripple.Cell(3, 4), 0);
    ripple.DropRipple(-1, 3, 9, 100);   // negative span
    ripple.DropRipple(4, -1, 3, 100);   // h - 2r - 1 = 0
    for (int c = 0; c < 9; ++c) EXPECT_TRUE(ripple.Cell(0, c) == 0 && ripple.Cell(6, c) == 0);
    ripple.DropRipple(-1, -1, 0, 100);
    ripple.DropRipple(-1, -1, -3, 100);
    ripple.DropRipple(1 << 30, -(1 << 30), 1 << 30, 1 << 30);
}

// The copy ignored the source's pitch and took the rows from the wrong place.
TEST_F(Ripple, CopyFollowsTheSourcePitch) {
    ASSERT_TRUE(ripple.InitRipple(kPicW, kPicH, 0, 0, 8, 8));
    const int pitchPixels = kPicW + 5;
    std::vector<uint16_t> surface(pitchPixels * kPicH, 0xDEAD);
    const std::vector<uint16_t> pic = Picture();
    for (int y = 0; y < kPicH; ++y) std::copy_n(pic.begin() + y * kPicW, kPicW, surface.begin() + y * pitchPixels);
    ripple.CopyRipple(surface.data(), pitchPixels * 2);
    EXPECT_TRUE(std::equal(pic.begin(), pic.end(), ripple.copy));
}

TEST_F(Ripple, SizesOutOfRangeLeaveAnEmptyRipple) {
    const struct {
        int pw, ph, w, h;
    } cases[] = {{30, 22, 2, 10}, {30, 22, 10, 2}, {30, 22, 31, 10}, {30, 22, 10, 23}, {0, 0, 3, 3}, {1 << 20, 1 << 20, 100, 100}};
    std::vector<uint16_t> dest(kPicW * kPicH, 0x1111);
    for (const auto& c : cases) {
        EXPECT_FALSE(ripple.InitRipple(c.pw, c.ph, 0, 0, c.w, c.h));
        EXPECT_EQ(ripple.fields, nullptr);
        ripple.DropRipple(1, 1, 2, 50);
        EXPECT_TRUE(ripple.StepRipple());
        ripple.DrawRipple(dest.data());
    }
    EXPECT_EQ(dest, std::vector<uint16_t>(kPicW * kPicH, 0x1111));
}

}  // namespace
