// Framed windows, digit numbers, the shimmer outline and the dialog texts.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "draw/dialog_text.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/pic_number.h"
#include "draw/tsw_pack.h"
#include "draw_test_util.h"
#include "pack_fixture.h"
#include "tools/tsw_writer.h"

namespace {

using drawtest::Target;
constexpr int kLayout = kFormat555;

TswFrameData Solid(uint16_t stored, uint16_t w, uint16_t h) {
    return {RawFrameBytes16(std::vector<uint16_t>(size_t(w) * h, stored)), w, h};
}
uint16_t DigitColour(int d) { return uint16_t(((d + 1) * 3) << 10 | 7); }
constexpr uint16_t kSign = 0x03E0;

class FurnitureTest : public PackFolderTest {
protected:
    void SetUp() override {
        PackFolderTest::SetUp();
        ResetPicNumber();
        ResetFrameWindow();
    }
    void TearDown() override {
        ResetPicNumber();
        PackFolderTest::TearDown();
    }
};

TEST(PicNumberDigits, Table) {
    struct Case {
        int32_t value;
        std::vector<uint8_t> digits;
    };
    const Case cases[] = {
        {0, {0}}, {7, {7}}, {10, {0, 1}}, {1234, {4, 3, 2, 1}}, {-5, {0}}, {INT_MIN, {0}},
        {INT_MAX, {7, 4, 6, 3, 8, 4, 7, 4, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        uint8_t digits[10] = {};
        const int n = PicNumberDigits(c.value, digits);
        EXPECT_EQ(std::vector<uint8_t>(digits, digits + n), c.digits);
    }
}

TEST_F(FurnitureTest, NumberEndsAtXWithItsSignLeftOfIt) {
    std::vector<TswFrameData> digits;
    for (int d = 0; d < 10; ++d) digits.push_back(Solid(DigitColour(d), 2, 2));
    Put("all_sys.tsw", BuildTswPack({{79, 16, {}, digits}, {45, 16, {}, {Solid(kSign, 2, 2)}}}));
    MakePackPath(Folder().c_str());
    Target t(kLayout);
    SetClip(0, 0, Target::kWidth, Target::kHeight);
    OpenTswPacks();
    EXPECT_EQ(DrawPicNumber(36, 10, 12), 2);
    for (int y = 11; y <= 12; ++y) {
        t.Expect(34, y) = t.Expect(35, y) = DigitColour(2);
        t.Expect(32, y) = t.Expect(33, y) = DigitColour(1);
    }
    for (int y = 10; y <= 11; ++y) t.Expect(8, y) = t.Expect(9, y) = kSign;
    EXPECT_TRUE(t.Matches());
    // A negative value shows one 0, not negative frame numbers.
    EXPECT_EQ(DrawPicNumber(36, 20, -3), 1);
    t.Expect(34, 21) = t.Expect(35, 21) = t.Expect(34, 22) = t.Expect(35, 22) = DigitColour(0);
    for (int y = 20; y <= 21; ++y) t.Expect(10, y) = t.Expect(11, y) = kSign;
    EXPECT_TRUE(t.Matches());
}

// Pieces 0..8 of 4 x 4, the fill in its own colour.
std::vector<TswFrameData> WindowPieces(uint16_t fill) {
    std::vector<TswFrameData> pieces;
    for (int i = 0; i < 9; ++i) pieces.push_back(Solid(i == 4 ? fill : uint16_t(0x1000 + i), 4, 4));
    return pieces;
}

TEST_F(FurnitureTest, FrameOnlyWindowLeavesTheInsideAlone) {
    Put("all_sys.tsw", BuildTswPack({{35, 16, {}, WindowPieces(0x7FFF)}}));
    MakePackPath(Folder().c_str());
    Target t(kLayout);
    OpenTswPacks();
    const uint16_t inside = t.At(20, 20);
    DrawFrameWindow(9035, 12, 12, 32, 28, 0, kFrameNoFill | 4);
    EXPECT_EQ(t.At(20, 20), inside);
    EXPECT_EQ(t.At(9, 9), 0x1000);      // top-left corner
    EXPECT_EQ(t.At(20, 9), 0x1001);     // top edge
    EXPECT_EQ(t.At(33, 29), 0x1008);    // bottom-right corner
    DrawFrameWindow(9035, 12, 12, 32, 28, 0, 4);
    EXPECT_EQ(t.At(20, 20), 0x7FFF);
    EXPECT_EQ(gClip.width, Target::kWidth); // the clip is the whole screen afterwards
}

// Every piece in its band, and picture 9034's side ornament right of the
// window at mid-height: the whole target is compared, so a missing side,
// corner or ornament shows.
TEST_F(FurnitureTest, EveryPieceAndTheOrnamentHaveTheirPlace) {
    std::vector<TswFrameData> pieces = WindowPieces(0x7FFF);
    pieces.push_back(Solid(0x1009, 8, 8));  // frame 9, the ornament
    Put("all_sys.tsw", BuildTswPack({{34, 16, {}, pieces}}));
    MakePackPath(Folder().c_str());
    OpenTswPacks();
    const int left = 8, top = 10, right = 28, bottom = 26;
    {
        Target t(kLayout);
        DrawFrameWindow(9034, left, top, right, bottom, 0, 4);
        auto fill = [&t](int x0, int y0, int x1, int y1, uint16_t colour) {
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) t.Expect(x, y) = colour;
        };
        fill(left + 24, 6, left + 32, 14, 0x1009);  // x = right + 8 - 4, y = (10 + 26) / 2 - 12
        fill(left, top, right, bottom, 0x7FFF);
        fill(left - 4, top - 4, left, top, 0x1000);
        fill(left, top - 4, right, top, 0x1001);
        fill(right, top - 4, right + 4, top, 0x1002);
        fill(left - 4, top, left, bottom, 0x1003);
        fill(right, top, right + 4, bottom, 0x1005);
        fill(left - 4, bottom, left, bottom + 4, 0x1006);
        fill(left, bottom, right, bottom + 4, 0x1007);
        fill(right, bottom, right + 4, bottom + 4, 0x1008);
        EXPECT_TRUE(t.Matches());
    }
    // Without its fill the ornament is not drawn either.
    Target bare(kLayout);
    DrawFrameWindow(9034, left, top, right, bottom, 0, kFrameNoFill | 4);
    EXPECT_EQ(bare.At(left + 28, 8), bare.Expect(left + 28, 8));
    EXPECT_EQ(bare.At(left + 10, top + 5), bare.Expect(left + 10, top + 5));
}

TEST_F(FurnitureTest, PiecesWithoutWidthOrHeightAreLeftOut) {
    // Every piece but the corners is 0 wide or 0 high: nothing may loop on them.
    std::vector<TswFrameData> pieces = WindowPieces(0x7FFF);
    for (int i : {1, 3, 4, 5, 7}) pieces[i] = {{}, uint16_t(i % 2 ? 0 : 4), uint16_t(i % 2 ? 4 : 0)};
    Put("all_sys.tsw", BuildTswPack({{36, 16, {}, pieces}}));
    MakePackPath(Folder().c_str());
    Target t(kLayout);
    OpenTswPacks();
    DrawFrameWindow(9036, 12, 12, 32, 28, 0, 4);
    EXPECT_EQ(t.At(9, 9), 0x1000);
    // A window far off the screen draws nothing and ends.
    DrawFrameWindow(9036, INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2, 0, 4);
}

TEST_F(FurnitureTest, ShimmerStaysInsideTheScreenAndMovesOn) {
    std::vector<uint16_t> screen(640 * 480, 0);
    DrawShimmerFrame(screen.data(), 630, 10, 10, 10, 640); // x + width reaches 640: nothing
    DrawShimmerFrame(screen.data(), -1, 10, 5, 5, 640);
    for (uint16_t p : screen) ASSERT_EQ(p, 0);
    DrawShimmerFrame(screen.data(), 10, 10, 4, 4, 640);
    EXPECT_EQ(screen[10 * 640 + 10], (31 << 10) | (31 << 5) | 31); // phase 0: grey 31
    EXPECT_EQ(screen[10 * 640 + 11], (30 << 10) | (30 << 5) | 30);
    DrawShimmerFrame(screen.data(), 10, 10, 4, 4, 640);
    EXPECT_EQ(screen[10 * 640 + 10], (30 << 10) | (30 << 5) | 30); // the start moved on
}

TEST(DialogText, PrintTextFormatsWithinItsBuffer) {
    std::vector<uint16_t> screen(640 * 480, 0);
    gBackPixels = screen.data();
    std::string longText(5000, 'x');
    PrintText(0, 0, 0xFFFF, 0, "%s %s", longText.c_str(), longText.c_str());
    gBackPixels = nullptr;
}

TEST(DialogText, MessageBoxWrapsAndStopsAtItsLines) {
    std::vector<uint16_t> screen(640 * 480, 0);
    gBackPixels = screen.data();
    struct Case {
        const char* text;
        int lines, width, drawn;
    };
    const Case cases[] = {
        {"ABCDEFGHIJ", 5, 44, 3},           // four characters a line
        {"A%NB%NC%ND%NE", 2, 200, 2},       // at most two lines
        {"AB%QCD%NEF", 5, 200, 1},          // "%Q" ends the text
        {"%C9A%CzB", 5, 200, 1},            // a colour code without a digit is text
        {"\xA4\xA4\xA4\xA4\xA4\xA4", 5, 44, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DrawMessageBox(c.text, 10, 10, c.lines, c.width), c.drawn);
    }
    gBackPixels = nullptr;
}

} // namespace
