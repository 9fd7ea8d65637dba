// The message dialog's pictures and acts are in the sample install, and a
// dialog drawn from them shows its window, text, name box and button.
#include "shell_fixture.h"

#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/game_fonts.h"
#include "draw/screenshot.h"
#include "draw/surface.h"
#include "draw/text_colours.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "world/dialog/dlg_message.h"
#include "world/dialog/story_timer.h"
#include "world/story_flags.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

class DialogSampleTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::string tool = BuildTreeProgram("make_sample");
        ASSERT_EQ(access(tool.c_str(), X_OK), 0) << tool;
        ASSERT_EQ(std::system(("'" + tool + "' '" + install.Path() + "' >/dev/null").c_str()), 0);
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        surface_ = CreateSurface(640, 480);
        InitDrawKernel(surface_, 0);
        gBackPixels = LockBackBuffer(surface_);
        ASSERT_NE(MakePackPath(install.Path().c_str()), nullptr);
        OpenTswPacks();
        InitDialogActs();
    }
    void TearDown() override {
        FreeDialogList();
        ResetDlgMessage();
        UnlockBackBuffer(surface_, gBackPixels);
        gBackPixels = nullptr;
        FreeSurface(surface_);
        ResetTswPacks();
        ResetActPacks();
        ShellTest::TearDown();
    }
    Surface* surface_ = nullptr;
};

TEST_F(DialogSampleTest, EveryPictureAndActTheDialogNamesIsThere) {
    for (uint16_t picture : {9035, 9036, 9037, 9039})
        for (uint16_t f = 0; f < 9; ++f) EXPECT_NE(GetTswPicture(picture, f), nullptr) << picture << " " << f;
    for (uint16_t f = 0; f < 10; ++f) EXPECT_NE(GetTswPicture(9079, f), nullptr) << "digit " << f;
    for (uint16_t f = 0; f <= 10; ++f) EXPECT_NE(GetTswPicture(9078, f), nullptr) << "timer " << f;
    for (uint16_t picture : {9038, 9045, 9160, 9161}) EXPECT_NE(GetTswPicture(picture, 0), nullptr) << picture;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(TakeActData(&gDialogFrames[i]), 1) << i;
        EXPECT_EQ(gDialogFrames[i].picNumber, 9034 + i);
        ASSERT_EQ(TakeActData(&gDialogCaptions[i]), 1) << i;
        EXPECT_EQ(gDialogCaptions[i].picNumber, kDialogCaptionWindow);
    }
    ASSERT_EQ(TakeActData(&gDialogNextButton), 1);
    EXPECT_EQ(gDialogNextButton.picNumber, 9160);
    ASSERT_EQ(TakeActData(&gDialogEndButton), 1);
    EXPECT_EQ(gDialogEndButton.picNumber, 9161);
    for (int qq = 0; qq <= kTimerSeparator; ++qq) {
        ActRecord r{};
        r.act = kTimerDigitAct;
        r.qq = qq;
        ASSERT_EQ(TakeActData(&r), 1) << qq;
        EXPECT_EQ(r.picFrame, qq);
    }
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(DialogSampleTest, ADialogDrawsItsWindowButtonAndNameBox) {
    BuildColourTables();
    MakeFont(gFontLarge, 640, 480, 20);
    MakeFont(gFontMedium, 640, 480, 16);
    TakeActData(&gDialogFrames[1]);
    auto* n = new DialogNode{};
    std::snprintf(n->text, sizeof n->text, "%s", "%C1HELLO %C3THERE%N%BYES.%N%BNO.%Q");
    std::snprintf(n->caption, sizeof n->caption, "%s", "\xA4\xA4\xA4\xE5");
    n->frameAct = &gDialogFrames[1];
    n->x = 120;
    n->y = 200;
    n->width = 20 * kDialogCharPixels;
    n->height = 6 * kDialogCharPixels;
    n->typeDelay = 0;
    gDialogList = n;
    for (int i = 0; i < 8; ++i) DlgMessage();
    EXPECT_TRUE(n->flags & kDlgPageComplete);
    EXPECT_EQ(CountEventRects(), 2);
    // The frame's corner, the button at the box's bottom right.
    EXPECT_NE(*BackPixel(120 - 8, 200 - 8), 0);
    EXPECT_NE(*BackPixel(120 + 220 - 4 + 2, 200 + 66 - 8 + 2), 0);
    if (const char* dump = std::getenv("KYV_DIALOG_DUMP")) SaveScreenShot(gBackPixels, 640, 480, dump);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    FreeEventRects();
}

} // namespace
