// The line tool: its direction table, the two walkers against the closed
// form of the step rule, the view and clip set-up, and the scaled draw
// against a per-pixel reference inside guard rows, in every layout.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>
#include <vector>

#include "draw/line_tool.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw_test_util.h"

using namespace drawtest;

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Where the walker from (0, 0) towards (dx, dy) stands after k steps: the
// long axis moves every step, the short one ceil((k |short| - |long| / 2) / |long|) times.
void ClosedForm(int64_t dx, int64_t dy, int64_t k, int64_t* x, int64_t* y) {
    const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1, ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    if (dx == 0) {
        *x = 0;
        *y = k * sy;
    } else if (dy == 0 || ax == ay) {
        *x = k * sx;
        *y = dy == 0 ? 0 : k * sy;
    } else if (ax > ay) {
        *x = k * sx;
        *y = std::max<int64_t>(0, CeilDiv(k * ay - ax / 2, ax)) * sy;
    } else {
        *y = k * sy;
        *x = std::max<int64_t>(0, CeilDiv(k * ax - ay / 2, ay)) * sx;
    }
}

TEST(LineTool, DirectionTableHoldsTheTangentSteps) {
    cLineTool tool;
    EXPECT_EQ(tool.DirY(1), -17);
    EXPECT_EQ(tool.DirY(45), -999);
    EXPECT_EQ(tool.DirY(89), -54816);
    EXPECT_EQ(tool.DirX(0), -1000);
    EXPECT_EQ(tool.DirY(0), 0);
    EXPECT_EQ(tool.DirX(90), 0);
    EXPECT_EQ(tool.DirY(90), -100000);
    EXPECT_EQ(tool.DirX(180), 100000);
    EXPECT_EQ(tool.DirY(270), 100000);
    for (int a = 1; a < 90; ++a) {
        EXPECT_EQ(tool.DirX(180 - a), 1000);
        EXPECT_EQ(tool.DirY(180 - a), tool.DirY(a));
        EXPECT_EQ(tool.DirX(180 + a), 1000);
        EXPECT_EQ(tool.DirY(180 + a), -tool.DirY(a));
        EXPECT_EQ(tool.DirX(360 - a), -1000);
        EXPECT_EQ(tool.DirY(360 - a), -tool.DirY(a));
    }
}

TEST(LineTool, StepLineFollowsItsClosedFormAndPassesTheEnd) {
    std::vector<std::pair<int, int>> ends;
    for (int dx = -9; dx <= 9; ++dx)
        for (int dy = -9; dy <= 9; ++dy) ends.push_back({dx, dy});
    ends.push_back({300, 7});
    ends.push_back({-5, 1234});
    ends.push_back({999, -1000});
    for (const auto& [dx, dy] : ends) {
        SCOPED_TRACE(testing::Message() << "to " << dx << "," << dy);
        const int x0 = 37, y0 = -12;
        LineWalker w{x0, y0, x0 + dx, y0 + dy, x0, y0, 0, 0};
        const int64_t length = std::max(std::abs(dx), std::abs(dy));
        for (int64_t k = 1; k <= 2 * length + 3; ++k) {
            const int reached = StepLine(&w);
            int64_t x, y;
            ClosedForm(dx, dy, k, &x, &y);
            ASSERT_EQ(w.x, x0 + x) << "step " << k;
            ASSERT_EQ(w.y, y0 + y) << "step " << k;
            ASSERT_EQ(reached, k == length && length > 0 ? 1 : 0) << "step " << k;
        }
    }
}

// Many steps at once are the same points and error terms as one at a time:
// every direction, lengths whose error leaves 32 bits, counts of 0 and less.
TEST(LineTool, StepLinesEqualsRepeatedSteps) {
    std::vector<std::pair<int64_t, int64_t>> ends;
    for (int dx = -7; dx <= 7; ++dx)
        for (int dy = -7; dy <= 7; ++dy) ends.push_back({dx, dy});
    ends.push_back({300, 7});
    ends.push_back({-5, 1234});
    ends.push_back({int64_t{INT32_MAX}, -3});
    ends.push_back({INT32_MIN + 1, int64_t{INT32_MAX} - 5});
    for (const auto& [dx, dy] : ends) {
        SCOPED_TRACE(testing::Message() << "to " << dx << "," << dy);
        const int32_t x0 = dx > 1000 ? INT32_MIN : (dx < -1000 ? INT32_MAX : 11);
        const int32_t y0 = dy > 1000 ? -6 : 4;
        LineWalker one{x0, y0, int32_t(x0 + dx), int32_t(y0 + dy), x0, y0, 0, 0};
        LineWalker many = one;
        for (int32_t n : {0, -4, 1, 2, 5, 17, 3}) {
            for (int32_t k = 0; k < n; ++k) StepLine(&one);
            StepLines(&many, n);
            ASSERT_EQ(std::make_tuple(many.x, many.y, many.steepError, many.flatError),
                      std::make_tuple(one.x, one.y, one.steepError, one.flatError))
                << n;
        }
    }
}

TEST(LineTool, StepLineShortLineExample) {
    LineWalker w{0, 0, 3, 1, 0, 0, 0, 0};
    EXPECT_EQ(StepLine(&w), 0);
    EXPECT_EQ(std::make_pair(w.x, w.y), std::make_pair(1, 0));
    EXPECT_EQ(StepLine(&w), 0);
    EXPECT_EQ(std::make_pair(w.x, w.y), std::make_pair(2, 1));
    EXPECT_EQ(StepLine(&w), 1);
    EXPECT_EQ(std::make_pair(w.x, w.y), std::make_pair(3, 1));
}

TEST(LineTool, StepAngleWalksTheDirectionTable) {
    cLineTool tool;
    AngleWalker left{0, 0, 0, 0, 0}, up{90, 0, 0, 0, 0}, diagonal{45, 0, 0, 0, 0};
    for (int k = 0; k < 1000; ++k) {
        tool.StepAngle(&left);
        tool.StepAngle(&up);
        tool.StepAngle(&diagonal);
    }
    EXPECT_EQ(std::make_pair(left.x, left.y), std::make_pair(-1000, 0));
    EXPECT_EQ(std::make_pair(up.x, up.y), std::make_pair(0, -1000));
    EXPECT_EQ(std::make_pair(diagonal.x, diagonal.y), std::make_pair(-1000, -999));
    // Each angle against the closed form of its table steps.
    for (int a = 0; a < 360; a += 7) {
        AngleWalker w{a, 5, 9, 0, 0};
        for (int k = 1; k <= 40; ++k) {
            tool.StepAngle(&w);
            int64_t x, y;
            ClosedForm(tool.DirX(a), tool.DirY(a), k, &x, &y);
            ASSERT_EQ(w.x, 5 + x) << "angle " << a << " step " << k;
            ASSERT_EQ(w.y, 9 + y) << "angle " << a << " step " << k;
        }
    }
}

// An angle outside 0..359 read outside the direction table; it is taken
// modulo 360.
TEST(LineTool, StepAngleTakesAnyAngleModulo360) {
    cLineTool tool;
    const std::pair<int, int> cases[] = {{360, 0}, {-90, 270}, {719, 359}, {100000, 100000 % 360}, {INT_MIN, 232}, {INT_MAX, 127}};
    for (const auto& [angle, same] : cases) {
        AngleWalker a{angle, 0, 0, 0, 0}, b{same, 0, 0, 0, 0};
        for (int k = 0; k < 30; ++k) {
            tool.StepAngle(&a);
            tool.StepAngle(&b);
            ASSERT_EQ(std::make_pair(a.x, a.y), std::make_pair(b.x, b.y)) << angle;
        }
    }
}

TEST(LineTool, ClipIsRaisedAndMovedIntoTheView) {
    cLineTool tool;
    struct Case {
        int x, y, w, h, left, top, right, bottom;
    };
    const Case cases[] = {
        {-10, 0, 100, 50, 0, 0, 90, 50},   {600, 0, 100, 50, 540, 0, 640, 50}, {0, 470, 10, 30, 0, 450, 10, 480},
        {-5, -5, 2000, 900, 0, 0, 640, 480}, {10, 20, 30, 40, 10, 20, 40, 60},
    };
    for (const Case& c : cases) {
        tool.SetClip(c.x, c.y, c.w, c.h);
        EXPECT_EQ(tool.clipLeft(), c.left);
        EXPECT_EQ(tool.clipTop(), c.top);
        EXPECT_EQ(tool.clipRight(), c.right);
        EXPECT_EQ(tool.clipBottom(), c.bottom);
    }
}

TEST(LineTool, TablesStartAtTheirDefaultSizes) {
    cLineTool tool;
    EXPECT_EQ(tool.viewWidth(), 640);
    EXPECT_EQ(tool.viewHeight(), 480);
    EXPECT_EQ(tool.rowTableWidth(), 1280);
    EXPECT_EQ(tool.rowTableHeight(), 768);
    EXPECT_EQ(tool.rowTable()[767], 767 * 1280);
    EXPECT_EQ(tool.viewRowTable()[479], 479 * 640);
    tool.FreeLineTool();
    EXPECT_EQ(tool.rowTable(), nullptr);
    EXPECT_EQ(tool.viewWidth(), 0);
}

// ---- DrawRotated -------------------------------------------------------------------

constexpr int kViewW = 24, kViewH = 18, kGuardRows = 3;

// A view of kViewW x kViewH pixels with guard rows above and below.
struct View {
    std::vector<uint16_t> buffer, expected;
    explicit View(int layout) {
        buffer.resize(static_cast<size_t>(kViewW) * (kViewH + 2 * kGuardRows));
        for (size_t i = 0; i < buffer.size(); ++i)
            buffer[i] = Join(layout, {static_cast<int>(i * 3 % 32), static_cast<int>(i * 5 % 29), static_cast<int>(i % 31)});
        expected = buffer;
    }
    uint16_t* pixels() { return buffer.data() + kGuardRows * kViewW; }
    uint16_t& Expect(int x, int y) { return expected[(y + kGuardRows) * kViewW + x]; }
};

struct Picture {
    int w, h;
    std::vector<uint16_t> px;  // screen layout, key and shadow stored as they are
};

Picture MakePicture(int layout, int w, int h) {
    Picture p{w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint16_t v = Join(layout, {(x * 7 + y) % 32, (y * 9 + 2) % 32, (x + y * 4 + 5) % 32});
            if ((x + 3 * y) % 7 == 0) v = kEffectKey;
            if ((x * y) % 11 == 5) v = kEffectShadow;
            p.px.push_back(v);
        }
    return p;
}

uint16_t RefAdd(int layout, uint16_t s, uint16_t d) {
    const Rgb a = Split(layout, s), b = Split(layout, d);
    return Join(layout, {Clamp31(a.r + b.r), Clamp31(a.g + b.g), Clamp31(a.b + b.b)});
}

struct RotCase {
    const char* name;
    int x, y, hStep, vStep;
    uint16_t flags;
};

const RotCase kRotCases[] = {
    {"1:1", 3, 2, 1024, 1024, 0},           {"half size", 2, 1, 2048, 2048, 0},
    {"double size", 1, 0, 512, 512, 0},     {"mirrored", 5, 4, 1024, 1024, kEffectMirror},
    {"additive", 4, 3, 1024, 1024, 0x02},   {"additive mirrored", 6, 1, 1024, 1024, 0x11},
    {"odd steps", 0, 0, 1500, 700, 0x04},   {"off the left and top", -4, -6, 1024, 1024, 0},
    {"off the right and bottom", 18, 12, 1024, 1024, 0}, {"far away", 500, -900, 1024, 1024, 0},
};

class DrawRotatedTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        const RgbMasks m = MasksOfFormat(GetParam());
        SetPixelMasks(m.red, m.green, m.blue);
    }
    void TearDown() override { ResetPixelFormat(); }
};

TEST_P(DrawRotatedTest, EveryScreenPixelShowsItsSourcePixel) {
    const int layout = GetParam();
    cLineTool tool;
    ASSERT_TRUE(tool.ResizeLineTool(kViewW, kViewH));
    const Picture pic = MakePicture(layout, 9, 7);
    for (const RotCase& c : kRotCases) {
        SCOPED_TRACE(c.name);
        View v(layout);
        const int n = pic.h * 1024 / c.vStep, m = pic.w * 1024 / c.hStep;
        for (int sy = 0; sy < kViewH; ++sy)
            for (int sx = 0; sx < kViewW; ++sx) {
                const int i = c.y + n - sy, k = sx - c.x;
                if (i < 0 || i >= n || k < 0 || k >= m) continue;
                int col = k * c.hStep >> 10;
                if (c.flags & kEffectMirror) col = pic.w - 1 - col;
                const uint16_t s = pic.px[(pic.h - 1 - (i * c.vStep >> 10)) * pic.w + col];
                if (s == kEffectKey || s == kEffectShadow) continue;
                v.Expect(sx, sy) = (c.flags & 0x16) ? RefAdd(layout, s, v.Expect(sx, sy)) : s;
            }
        const RotatedImage im{pic.px.data(), 9, 7, c.x, c.y, c.hStep, c.vStep, c.flags, nullptr};
        tool.DrawRotated(v.pixels(), &im);
        EXPECT_EQ(v.buffer, v.expected);
        if (c.x < 100) {
            EXPECT_NE(v.expected, View(layout).buffer) << "the case draws something";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, DrawRotatedTest, ::testing::Values(kFormat555, kFormat556, kFormat565, kFormat655));

TEST(LineTool, RotatedOneToOnePutsTheLastRowAtYPlusHeight) {
    cLineTool tool;
    tool.ResizeLineTool(kViewW, kViewH);
    const std::vector<uint16_t> px = {0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666};  // 2 x 3
    View v(kFormat555);
    const RotatedImage im{px.data(), 2, 3, 4, 5, 1024, 1024, 0, nullptr};
    tool.DrawRotated(v.pixels(), &im);
    EXPECT_EQ(v.pixels()[6 * kViewW + 4], 0x1111);  // first row at y + 1
    EXPECT_EQ(v.pixels()[8 * kViewW + 5], 0x6666);  // last row at y + height
}

// The angle turns the box about its centre. A 5 x 3 picture of distinct
// colours (no key) at 1:1: each quarter turn puts source pixel (c, r), at
// offset (dx, dy) from the centre, where the turn on screen carries it:
// 90 (counter-clockwise) to (dy, -dx), 180 to (-dx, -dy), 270 to (-dy, dx).
// Nothing outside the turned box changes.
TEST(LineTool, QuarterTurnsCarryEveryPixelAroundTheCentre) {
    cLineTool tool;
    tool.ResizeLineTool(kViewW, kViewH);
    constexpr int w = 5, h = 3, x = 6, y = 4;  // box columns 6..10, rows 5..7, centre (8, 6)
    std::vector<uint16_t> px;
    for (int i = 0; i < w * h; ++i) px.push_back(static_cast<uint16_t>(0x0400 + i * 3));
    const struct {
        int angle;
        int a, b, c, d;  // (dx, dy) -> (a*dx + b*dy, c*dx + d*dy)
    } turns[] = {{90, 0, 1, -1, 0}, {180, -1, 0, 0, -1}, {270, 0, -1, 1, 0}, {-90, 0, -1, 1, 0}, {450, 0, 1, -1, 0}};
    for (const auto& t : turns) {
        SCOPED_TRACE(t.angle);
        View v(kFormat555);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                const int dx = c - 2, dy = r - 1;
                v.Expect(8 + t.a * dx + t.b * dy, 6 + t.c * dx + t.d * dy) = px[size_t(r * w + c)];
            }
        const int32_t tint[4] = {0, 0, 0, t.angle};
        const RotatedImage im{px.data(), w, h, x, y, 1024, 1024, 0, tint};
        tool.DrawRotated(v.pixels(), &im);
        EXPECT_EQ(v.buffer, v.expected);
    }
}

// Angle 0 through the tint draws as the unturned draw; 360 is angle 0.
TEST(LineTool, AZeroTurnDrawsAsTheUnturnedDraw) {
    cLineTool tool;
    tool.ResizeLineTool(kViewW, kViewH);
    const Picture pic = MakePicture(kFormat555, 9, 7);
    for (int angle : {0, 360, -720}) {
        View plain(kFormat555), turned(kFormat555);
        const int32_t tint[4] = {0, 0, 0, angle};
        const RotatedImage a{pic.px.data(), 9, 7, 3, 2, 1500, 700, kEffectMirror, nullptr};
        const RotatedImage b{pic.px.data(), 9, 7, 3, 2, 1500, 700, kEffectMirror, tint};
        tool.DrawRotated(plain.pixels(), &a);
        tool.DrawRotated(turned.pixels(), &b);
        EXPECT_EQ(plain.buffer, turned.buffer) << angle;
    }
}

// Any angle: every pixel drawn lies within the box's half diagonal of its
// centre, keyed pixels stay undrawn, the guard rows are untouched, and a
// picture turned partly off the view draws only inside it.
TEST(LineTool, AnyTurnStaysInsideItsCircleAndTheView) {
    cLineTool tool;
    tool.ResizeLineTool(kViewW, kViewH);
    const Picture pic = MakePicture(kFormat555, 9, 7);
    for (int angle = 0; angle < 360; angle += 15) {
        for (const auto& [x, y] : {std::pair{7, 5}, {-5, -4}, {18, 13}}) {
            View v(kFormat555);
            const View before(kFormat555);
            const int32_t tint[4] = {0, 0, 0, angle};
            const RotatedImage im{pic.px.data(), 9, 7, x, y, 1024, 1024, 0, tint};
            tool.DrawRotated(v.pixels(), &im);
            const double cx = x + 4.5, cy = y + 1 + 3.5, reach = std::sqrt(81.0 + 49.0) / 2 + 1;
            for (int gy = -kGuardRows; gy < kViewH + kGuardRows; ++gy)
                for (int gx = 0; gx < kViewW; ++gx) {
                    const size_t i = size_t((gy + kGuardRows) * kViewW + gx);
                    if (v.buffer[i] == before.buffer[i]) continue;
                    ASSERT_TRUE(gy >= 0 && gy < kViewH) << angle << " drew on a guard row";
                    EXPECT_LE(std::hypot(gx + 0.5 - cx, gy + 0.5 - cy), reach) << angle;
                    EXPECT_FALSE(IsEffectKeyed(v.buffer[i]));
                }
        }
    }
}

// Steps of 0 divided by zero; negative steps have no size either.
TEST(LineTool, RotatedWithStepsOfZeroOrLessDrawsNothing) {
    cLineTool tool;
    tool.ResizeLineTool(kViewW, kViewH);
    const Picture pic = MakePicture(kFormat555, 9, 7);
    View v(kFormat555);
    for (const auto& [h, vs] : {std::pair{0, 1024}, {1024, 0}, {0, 0}, {-1024, 1024}, {1024, -3}}) {
        const RotatedImage im{pic.px.data(), 9, 7, 3, 3, h, vs, 0, nullptr};
        tool.DrawRotated(v.pixels(), &im);
    }
    EXPECT_EQ(v.buffer, v.expected);
}

// A failed table allocation left a null table with the old sizes, and the
// next draw indexed the null table.
TEST(LineTool, FailedTableSetUpKeepsTheOldTable) {
    cLineTool tool;
    ASSERT_TRUE(tool.ResizeLineTool(kViewW, kViewH));
    EXPECT_FALSE(tool.SetViewTable(kViewW, 1 << 30));
    EXPECT_FALSE(tool.ResizeLineTool(1 << 20, 1 << 20));
    EXPECT_FALSE(tool.SetRowTable(1280, -1));
    EXPECT_FALSE(tool.SetRowTable(0x40000000, 8));
    EXPECT_EQ(tool.viewWidth(), kViewW);
    EXPECT_EQ(tool.viewHeight(), kViewH);
    EXPECT_EQ(tool.rowTableHeight(), 768);
    ASSERT_NE(tool.viewRowTable(), nullptr);
    const std::vector<uint16_t> px(4, 0x1234);
    View v(kFormat555);
    const RotatedImage im{px.data(), 2, 2, 0, 0, 1024, 1024, 0, nullptr};
    tool.DrawRotated(v.pixels(), &im);
    v.Expect(0, 1) = v.Expect(1, 1) = v.Expect(0, 2) = v.Expect(1, 2) = 0x1234;
    EXPECT_EQ(v.buffer, v.expected);
}

// A target taller than 480 rows gets a view table of its own rows.
TEST(LineTool, SetTargetTakesTheSurfacesRows) {
    Surface* s = CreateSurface(20, 600);
    ASSERT_NE(s, nullptr);
    cLineTool tool;
    tool.SetTarget(s);
    EXPECT_EQ(tool.viewWidth(), s->pitch / 2);
    EXPECT_EQ(tool.viewHeight(), 600);
    EXPECT_EQ(tool.clipBottom(), 600);
    const std::vector<uint16_t> px(4, 0x4321);
    const RotatedImage im{px.data(), 2, 2, 3, 597, 1024, 1024, 0, nullptr};
    tool.DrawRotated(s->pixels, &im);
    EXPECT_EQ(s->pixels[599 * (s->pitch / 2) + 4], 0x4321);
    FreeSurface(s);
}

}  // namespace
