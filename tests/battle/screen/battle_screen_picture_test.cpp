// A frame of the battle field with the sample install's system pictures and
// the real face: the banner and two stacked strips, tinted with the field as
// the battle frame tints it (after the messages). Set
// KYV_BATTLE_SCREEN_DUMP to a path to keep the frame as a BMP file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "battle/screen/battle_messages.h"
#include "battle/screen/battle_tint.h"
#include "battle_screen_fixture.h"
#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/game_fonts.h"
#include "draw/screenshot.h"
#include "draw/tsw_pack.h"
#include "tests/support/temp_folder.h"
#include "tools/sample_art.h"

namespace {

class BattleScreenPictureTest : public BattleScreenTest {
protected:
    void SetUp() override {
        BattleScreenTest::SetUp();
        ResetTswPacks();
        ResetActPacks();
        ASSERT_TRUE(WriteBytesToFile((install.Path() + "all_sys.tsw").c_str(), BuildTswPack(SystemPictures())));
        ASSERT_TRUE(WriteBytesToFile((install.Path() + "all_sys.act").c_str(), BuildActPack(SystemActs())));
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        ASSERT_NE(MakePackPath(install.Path().c_str()), nullptr);
        OpenTswPacks();
        MakeFont(gFontLarge, 640, 480, 20);
    }
    void TearDown() override {
        ResetTswPacks();
        ResetActPacks();
        ResetSettings();
        BattleScreenTest::TearDown();
    }
    // A field of sky over ground, and the HUD's dark band below it.
    static void DrawField() {
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                *BackPixel(x, y) = y >= 384 ? Rgb(3, 3, 5) : y < 240 ? Rgb(8 + y / 24, 14 + y / 40, 24) : Rgb(10, 14 - (y - 240) / 24, 6);
    }
    TempFolder install{"battle"};
};

TEST_F(BattleScreenPictureTest, MessagesOverATintedField) {
    StartBattleTint(0, 0, 0, 6, 0, -4, 4);
    ASSERT_EQ(AddBattleMessage(280, 10, 40, "$1Battle$0 begins", 0x80000002), 0);
    ASSERT_EQ(AddBattleMessage(280, 10, 40, "$2Ember Imp$0 resists fire", 0x41000002), 0);
    ASSERT_EQ(AddBattleMessage(280, 10, 40, "$3Cannot flee!!", 0x41000002), 0);
    for (int frame = 0; frame < 8; ++frame) {
        DrawField();
        DrawBattleMessages();
        FadeBackBattleTint();
        StepBattleTint(1);
    }
    if (const char* dump = std::getenv("KYV_BATTLE_SCREEN_DUMP")) SaveScreenShot(gBackPixels, 640, 480, dump);
    for (const auto& box : HeadlessMessageBoxes()) ADD_FAILURE() << box.caption << ": " << box.text;
    EXPECT_EQ(gBattleMsgs->next->y, 42);
    EXPECT_EQ(gBattleMsgs->next->next->y, 74);
    // The tint (6, 0, -4) lies over everything on the field: the banner's
    // frame in the window's edge colour (24, 20, 10) at its top-left corner,
    // the strips' panels (0, 7, 31), the red of the third line; the HUD
    // below is untinted.
    bool edge = false;
    for (int y = 6; y < 14; ++y)
        for (int x = 6; x < 14; ++x) edge |= At(x, y) == Rgb(30, 20, 6);
    EXPECT_TRUE(edge);
    EXPECT_EQ(At(10, 42), Rgb(6, 7, 27));
    EXPECT_EQ(At(10, 74), Rgb(6, 7, 27));
    bool red = false;
    for (int y = 80; y < 106; ++y)
        for (int x = 200; x < 440; ++x) red |= At(x, y) == gMsgColours[3];
    EXPECT_TRUE(red);
    EXPECT_EQ(At(5, 400), Rgb(3, 3, 5));
}

}  // namespace
