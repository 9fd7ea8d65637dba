#include "draw/text_font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/edition.h"
#include "base/text_convert.h"
#include "draw/pixel_format.h"
#include "platform/plat_font.h"

namespace {

constexpr int kW = 40;      // target width
constexpr int kH = 30;      // target height
constexpr int kGuard = 4;   // guard rows above and below the target
constexpr uint16_t kFree = 0xBEEF;
constexpr uint16_t kInk = 0x1234;
constexpr uint16_t kShade = 0x0F0F;
constexpr uint16_t kBox = 0x5555;
constexpr int kCell = 8;

// Glyph shapes of the fake rasteriser: 'a' one bit at (2, 2), 'v' two bits
// one above the other, 'F' the full cell; any other code one bit placed by
// its value, so every cached glyph can be told apart.
std::map<uint16_t, int> gRenders;

void SetBit(uint8_t* cell, int rowBytes, int x, int y) { cell[y * rowBytes + x / 8] |= uint8_t(0x80 >> (x % 8)); }

bool FakeRasteriser(int, int, uint16_t code, uint8_t* cell, int w, int h, int rowBytes) {
    ++gRenders[code];
    if (code == 'a') {
        SetBit(cell, rowBytes, 2, 2);
    } else if (code == 'v') {
        SetBit(cell, rowBytes, 2, 2);
        SetBit(cell, rowBytes, 2, 3);
    } else if (code == 'F') {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) SetBit(cell, rowBytes, x, y);
    } else {
        SetBit(cell, rowBytes, code % w, (code / w) % h);
    }
    return true;
}

struct Px {
    int x, y;
    uint16_t colour;
};

class TextFontTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetPixelFormat();
        gRenders.clear();
        PlatFontSetRasteriser(FakeRasteriser);
        font.Init(nullptr);
        font.SetFont(gEdition.fontFace, kCell);
        font.SetTarget(kW, kH);
        font.SetTextShadow(kShade);
        buffer.assign((kH + 2 * kGuard) * kW, kFree);
        expected = buffer;
    }
    void TearDown() override {
        font.Reset();
        PlatFontSetRasteriser(nullptr);
        ResetTextConvert();
        gEdition.convertText = true;
    }

    uint16_t* Target() { return buffer.data() + kGuard * kW; }
    // Marks what a draw is expected to leave at a target position.
    void Expect(int x, int y, uint16_t colour) { expected[(kGuard + y) * kW + x] = colour; }
    void ExpectRect(int left, int top, int right, int bottom, uint16_t colour) {
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x) Expect(x, y, colour);
    }
    int Draw(int x, int y, const char* text, uint32_t mode, uint16_t colour = kInk) {
        return font.DrawTextStr(Target(), x, y, text, colour, mode);
    }
    // Compares the whole buffer, guard rows included, naming the first difference.
    void CheckPixels() {
        for (size_t i = 0; i < buffer.size(); ++i) {
            int x = int(i % kW), y = int(i / kW) - kGuard;
            ASSERT_EQ(buffer[i], expected[i]) << "at (" << x << ", " << y << ")";
        }
    }

    cTextFont font;
    std::vector<uint16_t> buffer;
    std::vector<uint16_t> expected;
};

struct StyleCase {
    const char* name;
    uint32_t mode;
    const char* text;
    std::vector<Px> pixels;  // relative to the glyph's top-left
};

const uint16_t I = kInk, S = kShade;
const StyleCase kStyleCases[] = {
    {"plain", kTextPlain, "a", {{2, 2, I}}},
    {"shadowed", kTextShadowed, "a", {{2, 2, I}, {2, 3, S}, {3, 3, S}}},
    {"bold shadowed", kTextBoldShadowed, "a", {{2, 2, I}, {3, 2, I}, {3, 3, S}, {4, 3, S}}},
    {"outlined", kTextOutlined, "a", {{2, 1, S}, {1, 2, S}, {2, 2, I}, {1, 3, S}, {2, 3, S}, {3, 3, S}}},
    {"bold outlined",
     kTextBoldOutlined,
     "a",
     {{2, 1, S}, {1, 2, S}, {4, 2, S}, {1, 3, S}, {2, 3, S}, {3, 3, S}, {4, 3, S}, {2, 2, I}, {3, 2, I}}},
    // The face goes on top of every outline, also where a neighbour's outline fell.
    {"outlined pair",
     kTextOutlined,
     "v",
     {{2, 1, S}, {1, 2, S}, {1, 3, S}, {1, 4, S}, {2, 4, S}, {3, 4, S}, {3, 3, S}, {2, 2, I}, {2, 3, I}}},
    {"first style bit wins", kTextShadowed | kTextOutlined, "a", {{2, 2, I}, {2, 3, S}, {3, 3, S}}},
    {"no style draws nothing", kTextRampUp, "a", {}},
};

TEST_F(TextFontTest, EachStyleWritesItsPixels) {
    for (const StyleCase& c : kStyleCases) {
        SCOPED_TRACE(c.name);
        SetUp();
        for (const Px& p : c.pixels) Expect(10 + p.x, 10 + p.y, p.colour);
        EXPECT_EQ(Draw(10, 10, c.text, c.mode), 1);
        CheckPixels();
        TearDown();
    }
}

TEST_F(TextFontTest, SingleBytesAdvanceHalfAndDoubleBytesTheFullTextHeight) {
    gEdition.convertText = false;
    font.SetTextHeight(10);
    EXPECT_EQ(Draw(0, 0, "aa\xA4\xA4" "a", kTextPlain), 5);
    // "a" at 0, "a" at 5, the two-byte character at 10, "a" at 20.
    const uint16_t wide = 0xA4A4;
    Expect(2, 2, kInk);
    Expect(7, 2, kInk);
    Expect(10 + wide % kCell, (wide / kCell) % kCell, kInk);
    Expect(22, 2, kInk);
    CheckPixels();
}

TEST_F(TextFontTest, LeadByteBeforeTheTerminatorEndsTheText) {
    font.SetTextHeight(10);
    font.SetTextColour(kBox);
    // Exactly sized, so reading past the terminator would be caught.
    std::vector<char> text = {'a', '\xA4', '\0'};
    EXPECT_EQ(Draw(0, 0, text.data(), kTextPlain), 1);
    // "a" is the last character drawn: its box is cell - half + 2 wide.
    ExpectRect(0, 0, kCell - 5 + 2 - 1, kCell - 1, kBox);
    Expect(2, 2, kInk);
    CheckPixels();
    EXPECT_EQ(font.GlyphCount(), 1);
}

TEST_F(TextFontTest, BoxesSitBehindEveryCharacterOnlyWhenAsked) {
    gEdition.convertText = false;
    font.SetTextHeight(10);
    Draw(0, 0, "\xA4\xA4" "a", kTextPlain);
    const uint16_t wide = 0xA4A4;
    Expect(wide % kCell, (wide / kCell) % kCell, kInk);
    Expect(12, 2, kInk);
    CheckPixels();  // the no-box colour draws no box

    buffer.assign(buffer.size(), kFree);
    expected = buffer;
    font.SetTextColour(kBox);
    Draw(0, 0, "\xA4\xA4" "a", kTextPlain);
    ExpectRect(0, 0, 9, kCell - 1, kBox);                 // text height wide
    ExpectRect(10, 0, 10 + kCell - 5 + 2 - 1, kCell - 1, kBox);  // last: cell - half + 2
    Expect(wide % kCell, (wide / kCell) % kCell, kInk);
    Expect(12, 2, kInk);
    CheckPixels();
}

struct RampCase {
    const char* name;
    uint32_t mode;
    uint16_t colour;
    uint16_t rows[kCell];
};

const RampCase kRampCases[] = {
    {"up", kTextPlain | kTextRampUp, 0x0010, {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17}},
    {"up stops at full blue", kTextPlain | kTextRampUp, 0x7C1C, {0x7C1C, 0x7C1D, 0x7C1E, 0x7C1F, 0x7C1F, 0x7C1F, 0x7C1F, 0x7C1F}},
    {"down stops at no blue", kTextPlain | kTextRampDown, 0x0203, {0x203, 0x202, 0x201, 0x200, 0x200, 0x200, 0x200, 0x200}},
    {"down wins", kTextPlain | kTextRampUp | kTextRampDown, 0x0010, {0x10, 0xF, 0xE, 0xD, 0xC, 0xB, 0xA, 0x9}},
};

TEST_F(TextFontTest, ColourRampStepsEachRowWithinBlue) {
    for (const RampCase& c : kRampCases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Draw(0, 0, "F", c.mode, c.colour);
        for (int row = 0; row < kCell; ++row) ExpectRect(0, row, kCell - 1, row, c.rows[row]);
        CheckPixels();
        TearDown();
    }
}

TEST_F(TextFontTest, RampLeavesOutlinesInTheShadowColour) {
    Draw(5, 5, "v", kTextOutlined | kTextRampUp, 0x0010);
    for (const Px& p : kStyleCases[5].pixels) Expect(5 + p.x, 5 + p.y, p.colour == kInk ? uint16_t(0x10 + p.y) : kShade);
    CheckPixels();
}

struct ClipCase {
    const char* name;
    int clipLeft, clipTop, clipWidth, clipHeight;
    int x, y;
};

// A full 8 x 8 glyph crossing each edge of a clip, and of the target under
// clips that reach past it.
const ClipCase kClipCases[] = {
    {"clip left", 10, 5, 20, 20, 6, 8},
    {"clip right", 10, 5, 20, 20, 26, 8},
    {"clip top", 10, 5, 20, 20, 12, 2},
    {"clip bottom", 10, 5, 20, 20, 12, 22},
    {"target left", -50, -50, 200, 200, -3, 8},
    {"target right", -50, -50, 200, 200, kW - 5, 8},
    {"target top", -50, -50, 200, 200, 12, -6},
    {"target bottom", -50, -50, 200, 200, 12, kH - 2},
    {"far away", 0, 0, kW, kH, -100000, 2000000000},
};

TEST_F(TextFontTest, TextAndBoxesAreCutAtTheClipAndTheTarget) {
    for (const ClipCase& c : kClipCases) {
        SCOPED_TRACE(c.name);
        for (bool box : {false, true}) {
            SCOPED_TRACE(box ? "box only" : "plain full glyph");
            SetUp();
            font.SetTextClip(c.clipLeft, c.clipTop, c.clipWidth, c.clipHeight);
            // The last (here only) two-byte character's box is cell + 2 wide.
            int width = box ? kCell + 2 : kCell;
            int left = std::max({c.x, c.clipLeft, 0});
            int top = std::max({c.y, c.clipTop, 0});
            int right = std::min({c.x + width - 1, c.clipLeft + c.clipWidth - 1, kW - 1});
            int bottom = std::min({c.y + kCell - 1, c.clipTop + c.clipHeight - 1, kH - 1});
            ExpectRect(left, top, right, bottom, box ? kBox : kInk);
            if (box) {
                font.SetTextColour(kBox);
                Draw(c.x, c.y, "\xA4\xA4", 0);
            } else {
                Draw(c.x, c.y, "F", kTextPlain);
            }
            CheckPixels();
            TearDown();
        }
    }
}

TEST_F(TextFontTest, ShadowedBitsStopWhereTheirShadowWouldLeaveTheClip) {
    font.SetTextClip(0, 0, 20, 12);
    Draw(4, 6, "F", kTextShadowed);
    // Rows 6..10 fit with their shadow row; row 11 would shadow row 12,
    // outside, so its bits are not drawn at all.
    for (int y = 6; y <= 10; ++y) ExpectRect(4, y, 11, y, kInk);
    ExpectRect(12, 7, 12, 11, kShade);  // shadows right of the last column
    ExpectRect(4, 11, 12, 11, kShade);  // shadows of row 10's bits
    CheckPixels();
}

TEST_F(TextFontTest, FullCacheKeepsTheLowestCodesAndDropsTheHighest) {
    gEdition.convertText = false;
    std::vector<uint16_t> codes;
    for (int lead = 0xA4; codes.size() < kGlyphKeep + 1; ++lead)
        for (int trail = 0x40; trail <= 0x7E && codes.size() < kGlyphKeep + 1; ++trail)
            codes.push_back(uint16_t(lead | (trail << 8)));
    std::vector<uint16_t> order = codes;
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (uint16_t code : order) {
        char text[3] = {char(code & 0xFF), char(code >> 8), 0};
        Draw(0, 0, text, kTextPlain);
    }
    EXPECT_EQ(font.GlyphCount(), kGlyphKeep);
    std::sort(codes.begin(), codes.end());
    for (int i = 0; i < kGlyphKeep; ++i) ASSERT_EQ(font.GlyphCode(i), codes[i]) << i;

    // Kept glyphs moved with their codes and are drawn without rendering again.
    for (uint16_t code : {codes.front(), codes[kGlyphKeep / 2], codes[kGlyphKeep - 1]}) {
        buffer.assign(buffer.size(), kFree);
        expected = buffer;
        char text[3] = {char(code & 0xFF), char(code >> 8), 0};
        Draw(0, 0, text, kTextPlain);
        Expect(code % kCell, (code / kCell) % kCell, kInk);
        CheckPixels();
        EXPECT_EQ(gRenders[code], 1);
    }
    // The dropped code was drawn once and is rendered again when next used.
    uint16_t dropped = codes.back();
    char text[3] = {char(dropped & 0xFF), char(dropped >> 8), 0};
    Draw(0, 0, text, kTextPlain);
    EXPECT_EQ(gRenders[dropped], 2);
    EXPECT_EQ(font.GlyphCount(), kGlyphKeep);
}

TEST_F(TextFontTest, SimplifiedEditionLooksUpConvertedCodes) {
    ASSERT_TRUE(BuildBig5ToGbTable());
    Draw(0, 0, "\xC5\xE9", kTextPlain);  // Big5 "body"
    ASSERT_EQ(font.GlyphCount(), 1);
    EXPECT_EQ(font.GlyphCode(0), 0xE5CC);  // GB2312 CC E5

    gEdition.convertText = false;
    Draw(0, 0, "\xC5\xE9", kTextPlain);
    ASSERT_EQ(font.GlyphCount(), 2);
    EXPECT_EQ(font.GlyphCode(1), 0xE9C5);
}

TEST_F(TextFontTest, FontSizeIsCappedAt64) {
    font.SetFont(gEdition.fontFace, 100);
    EXPECT_EQ(font.CellWidth(), 64);
    EXPECT_EQ(font.CellHeight(), 64);
    EXPECT_EQ(font.TextHeight(), 64);
    EXPECT_EQ(font.GlyphCount(), 0);
}

TEST_F(TextFontTest, NoCacheDrawsNothing) {
    font.ReleaseTextFont();
    EXPECT_EQ(Draw(0, 0, "aa", kTextPlain), 0);
    cTextFont fresh;
    EXPECT_EQ(fresh.DrawTextStr(Target(), 0, 0, "a", kInk, kTextPlain), 0);
    CheckPixels();
}

TEST_F(TextFontTest, EmptyTextReturnsZero) {
    EXPECT_EQ(Draw(0, 0, "", kTextPlain), 0);
    CheckPixels();
}

TEST(TextFontsGlobal, ResetReleasesTheThreeFonts) {
    PlatFontSetRasteriser(FakeRasteriser);
    gFontLarge.SetFont(nullptr, 20);
    gFontSmall.SetFont(nullptr, 12);
    EXPECT_TRUE(gFontLarge.HasCache());
    ResetTextFonts();
    EXPECT_FALSE(gFontLarge.HasCache());
    EXPECT_FALSE(gFontSmall.HasCache());
    EXPECT_EQ(gFontLarge.CellWidth(), 16);
    PlatFontSetRasteriser(nullptr);
}

// The real face: a Big5 and a GB2312 character render to ink in their cells.
struct RealCase {
    int charset;
    int size;
    uint16_t code;
};
const RealCase kRealCases[] = {
    {kPlatCharsetBig5, 12, 0xA4A4},    // "middle" in Big5 (embedded bitmap size)
    {kPlatCharsetBig5, 20, 0xE9C5},    // "body" in Big5 (outline size)
    {kPlatCharsetGb2312, 16, 0xD0D6},  // "middle" in GB2312
    {kPlatCharsetGb2312, 20, 0xE5CC},  // "body" in GB2312
    {kPlatCharsetGb2312, 16, 'A'},
};

TEST(PlatFontReal, KnownCharactersRenderToInk) {
    PlatFontSetRasteriser(nullptr);
    for (const RealCase& c : kRealCases) {
        SCOPED_TRACE(testing::Message() << c.charset << " " << c.size << " " << std::hex << c.code);
        PlatFont* f = PlatFontOpen(c.size, c.charset);
        ASSERT_NE(f, nullptr);
        int rowBytes = (c.size + 7) / 8;
        std::vector<uint8_t> cell(rowBytes * c.size + 1, 0);
        cell.back() = 0xA5;  // guard byte past the cell
        PlatGlyphMetrics m{};
        EXPECT_TRUE(PlatFontRender(f, c.code, cell.data(), c.size, c.size, rowBytes, &m));
        EXPECT_GT(m.width, 0);
        EXPECT_GT(m.height, 0);
        EXPECT_LE(m.left + m.width, c.size);
        EXPECT_LE(m.top + m.height, c.size);
        EXPECT_EQ(cell.back(), 0xA5);
        int ink = 0;
        for (int i = 0; i + 1 < int(cell.size()); ++i) ink += __builtin_popcount(cell[i]);
        EXPECT_GT(ink, 4);
        PlatFontClose(f);
    }
}

TEST(PlatFontReal, TwoFullStopsDrawSideBySide) {
    PlatFontSetRasteriser(nullptr);
    PlatFont* f = PlatFontOpen(16, kPlatCharsetGb2312);
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> cell(2 * 16, 0);
    EXPECT_TRUE(PlatFontRender(f, kNoGbCode, cell.data(), 16, 16, 2, nullptr));
    // Columns holding ink, in two runs with a gap between them.
    std::string columns;
    for (int x = 0; x < 16; ++x) {
        bool ink = false;
        for (int y = 0; y < 16; ++y) ink = ink || (cell[y * 2 + x / 8] & (0x80 >> (x % 8)));
        columns += ink ? '#' : '.';
    }
    size_t first = columns.find('#');
    ASSERT_NE(first, std::string::npos) << columns;
    size_t gap = columns.find('.', first);
    ASSERT_NE(gap, std::string::npos) << columns;
    EXPECT_NE(columns.find('#', gap), std::string::npos) << columns;
    PlatFontClose(f);
}

TEST(PlatFontReal, CodesOutsideTheSetLeaveABlankCell) {
    PlatFontSetRasteriser(nullptr);
    PlatFont* f = PlatFontOpen(16, kPlatCharsetBig5);
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> cell(2 * 16, 0xFF);
    EXPECT_FALSE(PlatFontRender(f, 0x00A4, cell.data(), 16, 16, 2, nullptr));  // lone lead byte
    EXPECT_TRUE(std::all_of(cell.begin(), cell.end(), [](uint8_t b) { return b == 0; }));
    PlatFontClose(f);
}

TEST(PlatFontReal, TextFontDrawsRealGlyphs) {
    PlatFontSetRasteriser(nullptr);
    cTextFont font;
    font.Init(nullptr);
    font.SetFont(gEdition.fontFace, 16);
    font.SetTarget(64, 32);
    std::vector<uint16_t> target(64 * 32, 0);
    ASSERT_TRUE(BuildBig5ToGbTable());
    EXPECT_EQ(font.DrawTextStr(target.data(), 0, 0, "\xA4\xA4" "A", 0x7FFF, kTextPlain), 3);
    EXPECT_GT(std::count(target.begin(), target.end(), 0x7FFF), 10);
    FreeBig5ToGbTable();
}

}  // namespace
