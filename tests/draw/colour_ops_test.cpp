// Colour operations on runs of screen pixels, in 555 and 565.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"
#include "draw_test_util.h"

using namespace drawtest;

namespace {

class ColourOps : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ResetDrawKernel();
        InitDrawKernel(nullptr, GetParam());
    }
    void TearDown() override { ResetDrawKernel(); }
    uint16_t C(int r, int g, int b) const { return Join(GetParam(), {r, g, b}); }
};

TEST_P(ColourOps, AddRgbSaturatesEachFieldAndClearsSpareBits) {
    const int layout = GetParam();
    // A spare bit set: bit 15 in 555, the low green bit in 565.
    const uint16_t spare = layout == kFormat555 ? 0x8000 : 0x0020;
    std::vector<uint16_t> px = {C(3, 30, 0), static_cast<uint16_t>(C(31, 0, 16) | spare)};
    std::vector<uint16_t> a = px, b = px, c = px, d = px;
    AddRgbToPixels(a.data(), 2, 31, 31, 31);
    EXPECT_EQ(a, (std::vector<uint16_t>{C(31, 31, 31), C(31, 31, 31)}));
    AddRgbToPixels(b.data(), 2, -31, -31, -31);
    EXPECT_EQ(b, (std::vector<uint16_t>{0, 0}));
    AddRgbToPixels(c.data(), 2, 0, 0, 0);
    EXPECT_EQ(c, (std::vector<uint16_t>{C(3, 30, 0), C(31, 0, 16)}));
    AddRgbToPixels(d.data(), 2, 2, 2, -1);
    EXPECT_EQ(d, (std::vector<uint16_t>{C(5, 31, 0), C(31, 2, 15)}));
}

TEST_P(ColourOps, SingleFieldAddsKeepTheOtherBits) {
    const uint16_t spare = GetParam() == kFormat555 ? 0x8000 : 0x0020;
    std::vector<uint16_t> red = {static_cast<uint16_t>(C(4, 17, 9) | spare)};
    AddRedToPixels(red.data(), 1, -40);
    EXPECT_EQ(red[0], C(0, 17, 9) | spare);
    AddRedToPixels(red.data(), 1, 50);
    EXPECT_EQ(red[0], C(31, 17, 9) | spare);
    // Each pixel of a pair saturates by itself.
    std::vector<uint16_t> green = {C(1, 0, 2), C(3, 20, 4), C(5, 30, 6)};
    AddGreenToPixels(green.data(), 2, -1);
    EXPECT_EQ(green, (std::vector<uint16_t>{C(1, 0, 2), C(3, 19, 4), C(5, 30, 6)}));
    AddGreenToPixels(green.data(), 3, 2);
    EXPECT_EQ(green, (std::vector<uint16_t>{C(1, 2, 2), C(3, 21, 4), C(5, 31, 6)}));
    std::vector<uint16_t> blue = {C(1, 1, 30), C(2, 2, 0)};
    AddBlueToPixels(blue.data(), 2, 5);
    EXPECT_EQ(blue, (std::vector<uint16_t>{C(1, 1, 31), C(2, 2, 5)}));
    AddBlueToPixels(blue.data(), 0, 5);
    EXPECT_EQ(blue[1], C(2, 2, 5));
}

TEST_P(ColourOps, BlendPixelsAddsWithSaturation) {
    const std::vector<uint16_t> src = {C(20, 10, 31), C(10, 0, 1)};
    std::vector<uint16_t> dst = {C(20, 5, 1), C(5, 31, 1)};
    BlendPixels(src.data(), dst.data(), 2);
    EXPECT_EQ(dst, (std::vector<uint16_t>{C(31, 15, 31), C(15, 31, 2)}));
    BlendPixels(src.data(), dst.data(), 0);
    EXPECT_EQ(dst[0], C(31, 15, 31));
}

TEST_P(ColourOps, GreyIsAQuarterOfTheSum) {
    std::vector<uint16_t> px = {C(31, 31, 31), C(8, 4, 0), 0};
    GreyPixels(px.data(), 3);
    EXPECT_EQ(px, (std::vector<uint16_t>{C(23, 23, 23), C(3, 3, 3), 0}));
}

TEST_P(ColourOps, ColourQuarterMixesElevenAndFourSixteenths) {
    std::vector<uint16_t> px = {C(16, 31, 0), C(0, 8, 31), C(31, 0, 16)};
    BlendColourQuarter(px.data(), MakeColour(31, 0, 16), 3);
    auto mix = [](int p, int c) { return p / 2 + c / 4 + p / 8 + p / 16; };
    EXPECT_EQ(px[0], C(mix(16, 31), mix(31, 0), mix(0, 16)));
    EXPECT_EQ(px[1], C(mix(0, 31), mix(8, 0), mix(31, 16)));
    EXPECT_EQ(px[2], C(mix(31, 31), mix(0, 0), mix(16, 16)));
}

INSTANTIATE_TEST_SUITE_P(Layouts, ColourOps, ::testing::Values(kFormat555, kFormat565));

// The alpha map's blend eight pixels at a time (and sixteen, where the
// processor has them) against the one-pixel rule: every level, map bytes
// with stray bits outside the level, sums that wrap, in the four screen
// layouts and in masks of no known layout (fields of 6, 6 and 4 bits).
TEST(WideColourRules, AlphaMapBlendMatchesTheOnePixelRule) {
    struct Masks {
        const char* name;
        uint32_t red, green, blue;
    };
    const Masks layouts[] = {{"555", 0x7C00, 0x03E0, 0x001F}, {"556", 0xF800, 0x07C0, 0x003F},
                             {"565", 0xF800, 0x07E0, 0x001F}, {"655", 0xFC00, 0x03E0, 0x001F},
                             {"6-6-4", 0xFC00, 0x03F0, 0x000F}};
    constexpr int kPixels = 64, kRun = 61;  // the run of sixteen is not a multiple of sixteen
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (const Masks& layout : layouts) {
        SCOPED_TRACE(layout.name);
        ResetDrawKernel();
        SetPixelMasks(layout.red, layout.green, layout.blue);
        const LevelMasks m = LoadLevelMasks();
        const WideLevelPlanes planes = MakeWideLevelPlanes();
        std::vector<uint16_t> s(kPixels), d(kPixels), expected(kPixels);
        std::vector<uint8_t> map(kPixels);
        for (int i = 0; i < kPixels; ++i) {
            s[i] = static_cast<uint16_t>(next());
            d[i] = static_cast<uint16_t>(next());
            map[i] = static_cast<uint8_t>(4 * (i % 16) | (next() & 0xC3));
            const int level = (map[i] >> 2) & 15;
            expected[i] = level == 0 ? d[i] : PremultipliedBlend(s[i], d[i], level, m);
        }
        std::vector<uint16_t> eight(kPixels);
        for (int i = 0; i < kPixels; i += kWideCount)
            StoreWide(&eight[i], PremultipliedWide(LoadWide(&s[i]), LoadWide(&d[i]), LoadWideBytes(&map[i]), planes));
        EXPECT_EQ(eight, expected);
#if KYV_RUNS16
        if (gRuns16) {
            std::vector<uint16_t> sixteen = d;
            PremultipliedRun16(sixteen.data(), reinterpret_cast<const uint8_t*>(s.data()), map.data(), kRun, planes);
            EXPECT_TRUE(std::equal(sixteen.begin(), sixteen.begin() + kRun, expected.begin()));
            EXPECT_TRUE(std::equal(sixteen.begin() + kRun, sixteen.end(), d.begin() + kRun));
        }
#endif
    }
    ResetDrawKernel();
}

// The eight-pixel forms of the whole-screen tint and the level blend against
// their one-pixel rules: every level, tints past a whole field, runs that are
// not a multiple of eight, in the four screen layouts.
TEST(WideColourRules, TintAndLevelBlendMatchTheOnePixelRules) {
    constexpr int kPixels = 43;
    uint32_t seed = 777;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int layout : {kFormat555, kFormat556, kFormat565, kFormat655}) {
        SCOPED_TRACE(layout);
        ResetDrawKernel();
        InitDrawKernel(nullptr, layout);
        std::vector<uint16_t> s(kPixels), d(kPixels);
        for (int i = 0; i < kPixels; ++i) {
            s[i] = static_cast<uint16_t>(next());
            d[i] = static_cast<uint16_t>(next());
        }
        for (const auto& tint : std::vector<std::array<int, 3>>{{3, -2, 0}, {-31, 31, 5}, {40, -40, 1}, {0, 0, -1}}) {
            std::vector<uint16_t> run = d, expected = d;
            AddRgbToPixels(run.data(), kPixels, tint[0], tint[1], tint[2]);
            for (uint16_t& p : expected) AddRgbToPixels(&p, 1, tint[0], tint[1], tint[2]);
            EXPECT_EQ(run, expected) << tint[0] << " " << tint[1] << " " << tint[2];
        }
        const LevelMasks m = LoadLevelMasks();
        for (int level = 1; level <= 14; ++level) {
            const WideLevel wide = MakeWideLevel(level);
            for (int i = 0; i + kWideCount <= kPixels; i += kWideCount) {
                const Wide out = LevelBlendWide(LoadWide(&s[i]), LoadWide(&d[i]), wide);
                for (int k = 0; k < kWideCount; ++k)
                    EXPECT_EQ(out[k], LevelBlend(s[i + k], d[i + k], level, m)) << "level " << level;
            }
        }
    }
    ResetDrawKernel();
}

}  // namespace
