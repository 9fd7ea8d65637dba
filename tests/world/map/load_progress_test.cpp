// The loading bar: hidden on the first load after the title screen, drawn
// on later loads as a shaded run of lines.
#include "world/map/load_progress.h"

#include <gtest/gtest.h>

#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/tsw_pack.h"
#include "platform/headless/headless.h"
#include "tests/support/temp_folder.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"
#include "tools/sample_art.h"
#include "tools/tsw_writer.h"
#include "world/story_flags.h"

namespace {

class LoadProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetStoryFlags();
        ResetLoadProgress();
        ResetDrawKernel();
        surface_ = CreateSurface(640, 480);
        InitDrawKernel(surface_, 0);
        gBackBuffer = surface_;
        Fill(0x1234);
    }
    void TearDown() override {
        gBackBuffer = nullptr;
        FreeSurface(surface_);
        ResetDrawKernel();
        ResetStoryFlags();
        ResetLoadProgress();
    }
    void Fill(uint16_t v) {
        uint16_t* p = LockBackBuffer(surface_);
        for (int i = 0; i < 640 * 480; ++i) p[i] = v;
        UnlockBackBuffer(surface_, p);
    }
    uint16_t At(int x, int y) {
        uint16_t* p = LockBackBuffer(surface_);
        uint16_t v = p[y * 640 + x];
        UnlockBackBuffer(surface_, p);
        return v;
    }
    Surface* surface_ = nullptr;
};

TEST_F(LoadProgressTest, TheFirstLoadDrawsNothingAndLaterLoadsDrawTheBar) {
    SetFlag(70);
    for (int p : {-1, 2, 10, 85, 90, 95, 100}) ShowLoadProgress(p);
    EXPECT_EQ(At(123, 445), 0x1234);
    EXPECT_FALSE(IsFlag(70));
    EXPECT_EQ(gLastLoadProgress, 100);

    ShowLoadProgress(-1);
    ShowLoadProgress(50);
    EXPECT_EQ(gLoadBar.last, 50);
    EXPECT_EQ(At(0, 0), 0);  // the screen is cleared first
    EXPECT_EQ(At(123, 445), uint16_t(MakeColour(31 >> 3, 115 >> 3, 255 >> 3)));
    // Column 186 (half of 372): red 31 + 111, green 115 + 41, blue 255 - 127.
    EXPECT_EQ(At(123 + 186, 474), uint16_t(MakeColour(142 >> 3, 156 >> 3, 128 >> 3)));
    EXPECT_EQ(At(123 + 187, 450), 0);
    EXPECT_EQ(At(123, 444), 0);
    EXPECT_EQ(At(123, 475), 0);
    // Past 100 the bar stops at its end.
    ShowLoadProgress(250);
    EXPECT_EQ(gLastLoadProgress, 100);
    EXPECT_NE(At(123 + 372, 445), 0);
}

// A map load's loading screen shows the loading picture (act 9002, qq 79)
// above the bar at every step, and nothing while flag 70 hides the bar.
TEST_F(LoadProgressTest, TheLoadingPictureStandsAboveTheBar) {
    TempFolder packs("loading");
    ASSERT_TRUE(WriteBytesToFile((packs.Path() + "all_sys.tsw").c_str(), BuildTswPack(SystemPictures())));
    ASSERT_TRUE(WriteBytesToFile((packs.Path() + "all_sys.act").c_str(), BuildActPack(SystemActs())));
    ASSERT_NE(MakePackPath(packs.Path().c_str()), nullptr);
    OpenTswPacks();
    ResetActPacks();
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s", packs.Path().c_str());
    const uint16_t shade = ToScreenPixel(ArtRgb(6, 6, 6));
    auto pictureShare = [this, shade] {
        int n = 0;
        for (int y = kLoadingPictureY; y < kLoadingPictureY + 40; ++y)
            for (int x = kLoadingPictureX; x < kLoadingPictureX + 200; ++x) n += At(x, y) == shade;
        return n;
    };

    SetFlag(70);
    StartLoadingScreen();
    EXPECT_EQ(gLoadingAct.act, 9002);
    EXPECT_EQ(gLoadingAct.qq, 79);
    EXPECT_EQ(pictureShare(), 0);
    EXPECT_EQ(At(kLoadingPictureX, kLoadingPictureY), 0x1234);

    ClearFlag(70);
    StartLoadingScreen();
    EXPECT_GT(pictureShare(), 200 * 40 / 2);
    for (int p : {2, 10, 85}) {
        ShowLoadProgress(p);
        EXPECT_GT(pictureShare(), 200 * 40 / 2) << p;
    }
    EXPECT_EQ(At(0, 0), 0);
    CloseTswPacks();
    ResetTswPacks();
    ResetActPacks();
    gInstallPath[0] = 0;
}

} // namespace
