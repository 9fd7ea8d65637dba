// Raw-frame renderers: 16-bit pixels and 8-bit indices, plain, mirrored,
// keyed, translucent and the one-colour gradient, clipped inside guards.
#include <gtest/gtest.h>

#include <vector>

#include "draw_test_util.h"

using namespace drawtest;

namespace {

constexpr int kW = 9, kH = 7;

struct RawFrame {
    std::vector<uint16_t> pixels;  // screen layout
    std::vector<uint8_t> indices;
    std::vector<uint16_t> table;   // screen layout
};

RawFrame MakeRaw(int layout) {
    RawFrame f;
    f.table.resize(256);
    for (int i = 0; i < 256; ++i) f.table[i] = ToLayout(layout, static_cast<uint16_t>((i * 1237) & 0x7FFF));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool key = (x + y) % 5 == 0;
            f.pixels.push_back(key ? static_cast<uint16_t>(gColourKey) : ToLayout(layout, Stored({x * 3 % 32, y * 4 % 32, (x + y) * 2 % 32})));
            f.indices.push_back(static_cast<uint8_t>(key ? 1 : (x * 7 + y * 3) % 256));
        }
    return f;
}

struct RawCase {
    const char* name;
    uint32_t mode;  // flags without bit 31
    bool eight;
    int alpha;
};

const RawCase kCases[] = {
    {"opaque", 0, false, 0},      {"opaque 8-bit", 0, true, 0},        {"mirrored", 1, false, 0},
    {"mirrored 8-bit", 1, true, 0}, {"keyed", 4, false, 0},            {"keyed 8-bit", 4, true, 0},
    {"keyed mirrored", 5, false, 0}, {"keyed mirrored 8-bit", 5, true, 0}, {"level 8", 20, false, 8},
    {"level 5", 20, false, 5},    {"level 15", 20, false, 15},         {"level 16 is opaque", 20, false, 16},
    {"level 8 8-bit", 20, true, 8},
};

const struct {
    int x, y;
} kPlaces[] = {{15, 12}, {3, 4}, {36, 29}};

class RawRender : public ::testing::TestWithParam<int> {};

TEST_P(RawRender, SlotsMatchTheirRulesInsideGuards) {
    const int layout = GetParam();
    for (const auto& place : kPlaces) {
        for (const RawCase& c : kCases) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << place.x << "," << place.y);
            Target t(layout);
            const RawFrame f = MakeRaw(layout);
            const bool mirror = c.mode & 1;
            const bool keyed = (c.mode & ~1u) != 0 && c.alpha < 16;
            for (int fy = 0; fy < kH; ++fy)
                for (int fx = 0; fx < kW; ++fx) {
                    const int sx = place.x + (mirror ? kW - 1 - fx : fx), sy = place.y + fy;
                    if (!Target::InClip(sx, sy)) continue;
                    const int i = fy * kW + fx;
                    const bool key = c.eight ? f.indices[i] == 1 : f.pixels[i] == static_cast<uint16_t>(gColourKey);
                    if (keyed && key) continue;
                    const uint16_t s = c.eight ? f.table[f.indices[i]] : f.pixels[i];
                    t.Expect(sx, sy) = c.alpha > 0 && c.alpha < 16 ? RefLevel(layout, s, t.Expect(sx, sy), c.alpha) : s;
                }
            gAlphaLevel = c.alpha;
            gColourTable = c.eight ? f.table.data() : nullptr;
            gCurPic = c.eight ? f.indices.data() : reinterpret_cast<const uint8_t*>(f.pixels.data());
            DrawPic(place.x, place.y, kW, kH, c.mode);
            gColourTable = nullptr;
            EXPECT_TRUE(t.Matches());
        }
    }
}

TEST_P(RawRender, FlippedRawFramesDrawNothing) {
    Target t(GetParam());
    const RawFrame f = MakeRaw(GetParam());
    const std::vector<uint16_t> before = t.Pixels();
    for (uint32_t mode : {2u, 3u, 6u, 7u, 22u}) {
        gAlphaLevel = 8;
        gCurPic = reinterpret_cast<const uint8_t*>(f.pixels.data());
        DrawPic(15, 12, kW, kH, mode);
    }
    EXPECT_EQ(t.Pixels(), before);
}

TEST_P(RawRender, GradientFadesOneColourDownTheRows) {
    const int layout = GetParam();
    for (const auto& place : kPlaces) {
        Target t(layout);
        const uint16_t colour = ToLayout(layout, Stored({31, 10, 2}));
        const int h = 40;  // one level every (40 >> 4) + 1 = 3 rows
        std::vector<uint16_t> frame(static_cast<size_t>(kW) * h, 0);
        frame[0] = colour;
        const int firstRow = std::max(place.y, Target::kClipTop);
        for (int y = firstRow; y < std::min(place.y + h, Target::kClipBottom); ++y)
            for (int x = std::max(place.x, Target::kClipLeft); x < std::min(place.x + kW, Target::kClipRight); ++x)
                t.Expect(x, y) = RefLevel(layout, colour, t.Expect(x, y), 15 - (y - firstRow) / 3);
        gCurPic = reinterpret_cast<const uint8_t*>(frame.data());
        DrawPic(place.x, place.y, kW, h, 8);
        EXPECT_TRUE(t.Matches());
    }
}

// An 8-bit frame names its gradient colour by its first index.
TEST_P(RawRender, GradientOfAnEightBitFrameTakesItsColourFromTheTable) {
    const int layout = GetParam();
    Target t(layout);
    std::vector<uint16_t> table(256, 0);
    table[5] = ToLayout(layout, Stored({3, 29, 17}));
    const std::vector<uint8_t> frame(4 * 16, 5);
    for (int y = 12; y < 12 + 16; ++y)
        for (int x = 15; x < 19; ++x) t.Expect(x, y) = RefLevel(layout, table[5], t.Expect(x, y), 15 - (y - 12) / 2);
    gColourTable = table.data();
    gCurPic = frame.data();
    DrawPic(15, 12, 4, 16, 8);
    gColourTable = nullptr;
    EXPECT_TRUE(t.Matches());
}

INSTANTIATE_TEST_SUITE_P(Layouts, RawRender, ::testing::Values(kFormat555, kFormat556, kFormat565, kFormat655));

}  // namespace
