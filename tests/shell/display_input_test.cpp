// The display over the headless back-end, the keyboard and mouse, and the
// screenshot writer.
#include "shell_fixture.h"

#include "base/input.h"
#include "draw/display.h"
#include "draw/pixel_format.h"
#include "draw/screenshot.h"

namespace {

class DisplayTest : public ShellTest {};

TEST_F(DisplayTest, FormatCodeFollowsTheMasks) {
    const struct {
        uint16_t red, green, blue;
        uint32_t code;
    } cases[] = {
        {0x7C00, 0x03E0, 0x001F, 0},
        {0xF800, 0x07E0, 0x001F, 2},
        {0xF800, 0x07C0, 0x003F, 1},
        {0xFC00, 0x03E0, 0x001F, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PixelFormatCodeOf(c.red, c.green, c.blue), c.code);
        RgbMasks m = MasksOfFormat(static_cast<int>(c.code));
        EXPECT_EQ(m.red, c.red);
        EXPECT_EQ(m.green, c.green);
        EXPECT_EQ(m.blue, c.blue);
    }
}

TEST_F(DisplayTest, OpensWithTheBackEndsLayout) {
    const struct {
        PlatPixelLayout layout;
        uint32_t code;
        uint32_t pureRed;
    } cases[] = {{kLayout555, 0, 0x7C00}, {kLayout565, 2, 0xF800}};
    for (const auto& c : cases) {
        HeadlessReset();
        HeadlessSetLayout(c.layout);
        cDDraw display;
        ASSERT_EQ(display.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 1);
        EXPECT_EQ(display.PixelFormatCode(), c.code);
        EXPECT_EQ(display.CoopFlags(), kCoopExclusive);
        EXPECT_EQ(HeadlessWindowTitle(), "KYV3");
        // The full-screen display has only its primary.
        EXPECT_NE(display.GetDDSurface(kSurfacePrimary), nullptr);
        EXPECT_EQ(display.GetDDSurface(kSurfaceBack), nullptr);
        EXPECT_EQ(display.GetDDSurface(kSurfaceThird), nullptr);
        EXPECT_EQ(display.GetDDSurface(5), nullptr);
        uint32_t pitch = 0, height = 0;
        display.GetBackSize(&pitch, &height);
        EXPECT_EQ(pitch, 1280u);
        EXPECT_EQ(height, 480u);
        display.GetPrimarySize(nullptr, &height);
        EXPECT_EQ(height, 480u);
        display.ReleaseSurfaces();
        display.ReleaseDDraw();
        EXPECT_FALSE(PlatDisplayIsOpen());
    }
}

TEST_F(DisplayTest, WindowedModeHasABackSurface) {
    cDDraw display;
    ASSERT_EQ(display.InitDDraw("KYV3", kModeWindowed, 640, 480, 16), 1);
    EXPECT_EQ(display.CoopFlags(), kCoopNormal);
    EXPECT_NE(display.GetDDSurface(kSurfaceBack), nullptr);
    EXPECT_EQ(display.OffSurfaceBytes(), 640u * 480 * 2);
}

TEST_F(DisplayTest, FailedOpenShowsItsBoxAndReleasesNothingTwice) {
    HeadlessSetDisplayOpenFails(true);
    cDDraw display;
    EXPECT_EQ(display.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 0);
    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "DirectDraw SetDisplayMode Error!!");
    EXPECT_EQ(HeadlessMessageBoxes()[0].text, "DDERR_UNSUPPORTEDMODE  ");
    EXPECT_EQ(display.ReleaseSurfaces(), 0);
    display.ReleaseDDraw();
    EXPECT_EQ(display.GetDDSurface(kSurfacePrimary), nullptr);
}

TEST_F(DisplayTest, UnknownErrorCodeShowsNoBox) {
    EXPECT_EQ(DDErrorText(kDDErrSurfaceLost), nullptr);
    DDErrorBox("caption", kDDErrSurfaceLost);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    EXPECT_STREQ(DDErrorText(0x887600E6u), "DDERR_NOFLIPHW ");
}

TEST_F(DisplayTest, EveryOffSurfaceAddsToTheCount) {
    cDDraw display;
    ASSERT_EQ(display.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 1);
    Surface* a = display.CreateOffSurface(640, 480);
    Surface* b = display.CreateOffSurface(10, 3);
    EXPECT_EQ(display.CreateOffSurface(0, 3), nullptr);
    EXPECT_EQ(display.OffSurfaceBytes(), 640u * 480 * 2 + 10 * 3 * 2);
    FreeSurface(a);
    FreeSurface(b);
}

TEST_F(DisplayTest, BltShowsTheSourceOnScreen) {
    cDDraw display;
    ASSERT_EQ(display.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 1);
    Surface* back = display.CreateOffSurface(640, 480);
    back->pixels[0] = 0x1234;
    back->pixels[479 * 640 + 639] = 0x4321;
    uint32_t before = HeadlessPresentCount();
    EXPECT_TRUE(display.Blt(back));
    EXPECT_EQ(HeadlessPresentCount(), before + 1);
    EXPECT_EQ(HeadlessPixel(0, 0), 0x1234);
    EXPECT_EQ(HeadlessPixel(639, 479), 0x4321);
    EXPECT_FALSE(display.Blt(nullptr));
    FreeSurface(back);
    display.ReleaseDDraw();
    EXPECT_FALSE(display.Blt(back));
}

TEST_F(DisplayTest, RefusedPresentsAreTriedThriceThenDroppedWithOneBox) {
    ASSERT_EQ(gDisplay.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 1);
    Surface* back = gDisplay.CreateOffSurface(640, 480);
    HeadlessSetPresentFails(true);
    for (int frame = 1; frame <= 3; ++frame) {
        EXPECT_FALSE(gDisplay.Blt(back));
        EXPECT_EQ(HeadlessRefusedPresentCount(), uint32_t(frame * kPresentTries));
    }
    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "DirectDraw Present Error!!");
    EXPECT_EQ(HeadlessMessageBoxes()[0].text, "DDERR_GENERIC ");
    EXPECT_EQ(HeadlessPresentCount(), 0u);
    // The display takes frames again: play goes on, no second box.
    HeadlessSetPresentFails(false);
    EXPECT_TRUE(gDisplay.Blt(back));
    EXPECT_EQ(HeadlessPresentCount(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
    FreeSurface(back);
}

TEST_F(DisplayTest, ColourMatchGivesTheScreenValueOrNothing) {
    const struct {
        PlatPixelLayout layout;
        uint32_t rgb;
        uint32_t value;
    } cases[] = {
        {kLayout565, 0x0000FF, 0xF800}, {kLayout565, 0x00FF00, 0x07E0}, {kLayout565, 0xFFFFFF, 0xFFFF},
        {kLayout555, 0x0000FF, 0x7C00}, {kLayout555, 0xFF0000, 0x001F}, {kLayout555, 0x000000, 0x0000},
    };
    for (const auto& c : cases) {
        HeadlessReset();
        HeadlessSetLayout(c.layout);
        ASSERT_EQ(gDisplay.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 1);
        Surface* s = gDisplay.CreateOffSurface(4, 2);
        EXPECT_EQ(ColourMatch(s, c.rgb), c.value);
        EXPECT_TRUE(FillSurfaceRGB(s, c.rgb));
        EXPECT_EQ(s->pixels[7], c.value);
        FreeSurface(s);
        ResetDisplay();
    }
    // A surface that cannot be locked gives no colour and is not drawn.
    EXPECT_EQ(ColourMatch(nullptr, 0xFFFFFF), kNoColour);
    EXPECT_FALSE(FillSurfaceRGB(nullptr, 0xFFFFFF));
}

class InputTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        Mouse(1000, 2000, 0);
        ASSERT_EQ(gInput.InitDInput(), 0);
    }
    void Mouse(int32_t x, int32_t y, uint8_t buttons) {
        PlatMouseState m{x, y, {uint8_t(buttons & 1 ? 0x80 : 0), uint8_t(buttons & 2 ? 0x80 : 0)}};
        HeadlessQueueMouse(m);
    }
    int32_t x = 0, y = 0;
};

TEST_F(InputTest, SpeedScalesRawMovement) {
    gInput.SetMouseSpeed(2.0);
    EXPECT_EQ(gInput.MouseSpeed(), 20);
    gInput.SetMousePos(100, 100);
    Mouse(1010, 2005, 1);
    EXPECT_EQ(gInput.ReadMouse(&x, &y), 1);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 110);
    Mouse(1010, 2005, 2);
    EXPECT_EQ(gInput.ReadMouse(&x, &y), 2);
}

TEST_F(InputTest, EdgeDragsTheReferenceSoThePointerTurnsAtOnce) {
    gInput.SetMouseSpeed(2.0);
    gInput.SetMousePos(600, 240);
    Mouse(1000 + 500, 2000, 0);
    gInput.ReadMouse(&x, &y);
    EXPECT_EQ(x, 639);
    Mouse(1000 + 499, 2000, 0);
    gInput.ReadMouse(&x, &y);
    EXPECT_EQ(x, 637);
    Mouse(1000 - 900, 2000 - 900, 0);
    gInput.ReadMouse(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    Mouse(1000 - 899, 2000 - 899, 0);
    gInput.ReadMouse(&x, &y);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 2);
}

TEST_F(InputTest, SetMousePosPlacesThePointerExactly) {
    const struct {
        double speed;
        int32_t inX, inY, outX, outY;
    } cases[] = {
        {2.0, 700, -5, 639, 0}, {2.0, 321, 241, 321, 241}, {2.0, 639, 479, 639, 479},
        {1.5, 333, 1, 333, 1},  {1.0, 0, 480, 0, 479},
    };
    for (const auto& c : cases) {
        gInput.SetMouseSpeed(c.speed);
        gInput.SetMousePos(c.inX, c.inY);
        gInput.ReadMouse(&x, &y);
        EXPECT_EQ(x, c.outX) << c.inX;
        EXPECT_EQ(y, c.outY) << c.inY;
    }
}

TEST_F(InputTest, ClickBetweenTwoReadsIsKept) {
    Mouse(1000, 2000, 1);
    Mouse(1000, 2000, 0);
    Mouse(1000, 2000, 2);
    Mouse(1000, 2000, 0);
    EXPECT_EQ(gInput.ReadMouse(&x, &y), 3);
    EXPECT_EQ(gInput.ReadMouse(&x, &y), 0);
    // Placing the pointer reads the mouse too, and must not eat the click.
    Mouse(1000, 2000, 1);
    Mouse(1000, 2000, 0);
    gInput.SetMousePos(10, 10);
    EXPECT_EQ(gInput.ReadMouse(&x, &y), 1);
    EXPECT_EQ(gInput.ReadMouse(&x, &y), 0);
}

TEST_F(InputTest, FarMovementDoesNotOverflow) {
    gInput.SetMouseSpeed(2.0);
    gInput.SetMousePos(320, 240);
    Mouse(INT32_MIN + 5, INT32_MAX - 5, 0);
    gInput.ReadMouse(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 479);
}

TEST_F(InputTest, SpeedIsNeverZero) {
    gInput.SetMouseSpeed(0.01);
    EXPECT_EQ(gInput.MouseSpeed(), 1);
}

TEST_F(InputTest, KeysReadPressAndFirstDown) {
    EXPECT_EQ(gInput.FirstKeyDown(), 0);
    gInput.PressKey(kScanEnter);
    EXPECT_TRUE(gInput.IsKeyDown(kScanEnter));
    EXPECT_EQ(gInput.FirstKeyDown(), kScanEnter);
    gInput.ReadKeyboard();
    EXPECT_FALSE(gInput.IsKeyDown(kScanEnter));
    HeadlessQueueKey(0x30, true);
    HeadlessQueueKey(0x20, true);
    gInput.ReadKeyboard();
    EXPECT_EQ(gInput.FirstKeyDown(), 0x20);
}

TEST_F(InputTest, FocusLossForgetsKeysAndActivationReadsAgain) {
    HeadlessQueueKey(0xC8, true);
    gInput.ReadKeyboard();
    EXPECT_TRUE(gInput.IsKeyDown(0xC8));
    gInput.Unacquire();
    EXPECT_FALSE(gInput.IsKeyDown(0xC8));
    HeadlessQueueKey(0xCB, true);
    gInput.ReadKeyboard();
    EXPECT_EQ(gInput.FirstKeyDown(), 0);
    EXPECT_EQ(gInput.ReadMouse(&x, &y), 0);
    gInput.Acquire();
    HeadlessQueueKey(0xCB, true);
    gInput.ReadKeyboard();
    EXPECT_TRUE(gInput.IsKeyDown(0xCB));
}

TEST(ScreenShotTest, ScreenPixelsBecome555) {
    const struct {
        uint32_t code;
        uint16_t screen;
        uint16_t stored;
    } cases[] = {
        {0, 0x7C00, 0x7C00}, {0, 0x1234, 0x1234}, {2, 0xF800, 0x7C00}, {2, 0x07E0, 0x03E0},
        {2, 0x001F, 0x001F}, {2, 0xFFFF, 0x7FFF}, {1, 0x003F, 0x001F}, {3, 0xFC00, 0x7C00},
    };
    for (const auto& c : cases) EXPECT_EQ(ScreenTo555(c.screen, c.code), c.stored) << c.code << " " << c.screen;
}

TEST(ScreenShotTest, BmpIsBottomUpBgrWithPaddedRows) {
    // 3 x 2 pixels in 565: top row red, green, blue; bottom row white, black, grey.
    const uint16_t pixels[6] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000, 0x8410};
    std::vector<uint8_t> bmp = BuildScreenShot(pixels, 3, 2, 2);
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(bmp[2], 78);
    EXPECT_EQ(bmp[10], 54);
    EXPECT_EQ(bmp[14], 40);
    EXPECT_EQ(bmp[18], 3);
    EXPECT_EQ(bmp[22], 2);
    EXPECT_EQ(bmp[26], 1);
    EXPECT_EQ(bmp[28], 24);
    const std::vector<uint8_t> rows = {
        0xF8, 0xF8, 0xF8, 0, 0, 0, 0x80, 0x80, 0x80, 0, 0, 0, // bottom row first
        0, 0, 0xF8, 0, 0xF8, 0, 0xF8, 0, 0, 0, 0, 0,
    };
    EXPECT_EQ(std::vector<uint8_t>(bmp.begin() + 54, bmp.end()), rows);
}

} // namespace
