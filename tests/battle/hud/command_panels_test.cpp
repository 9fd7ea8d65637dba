// The command panels of the commanding member, drawn with the sample
// install's pictures and a one-dot face: the icon panel's opening, the
// magic list's scroll bar, the row the cursor arms, a confused member and
// the target's life box.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/edition.h"
#include "base/settings.h"
#include "battle/hud/battle_hud.h"
#include "battle/hud/hud_pieces.h"
#include "battle/input/command_menu.h"
#include "battle/input/command_panels.h"
#include "battle/input/input_state.h"
#include "battle/input/menu_choice.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/screenshot.h"
#include "draw/surface.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "platform/plat_font.h"
#include "tests/battle/manrole/man_fixture.h"
#include "tests/support/temp_folder.h"
#include "tools/file_writer.h"
#include "tools/sample_art.h"

namespace {

bool DotRasteriser(int, int, uint16_t, uint8_t* cell, int, int, int rowBytes) {
    cell[2 * rowBytes] |= 0x20;
    return true;
}

constexpr uint16_t kGround = 0x0C63;
constexpr uint16_t kMagic = 100;
constexpr uint16_t kActionHit = 1;

class CommandPanelTest : public ManRoleTest {
protected:
    void SetUp() override {
        ManRoleTest::SetUp();
        ResetPixelFormat();
        ResetDrawKernel();
        ResetTextFonts();
        surface_ = CreateSurface(640, 480);
        ASSERT_NE(surface_, nullptr);
        gBackBuffer = surface_;
        ASSERT_EQ(InitDrawKernel(surface_, kFormat555), 1);
        gBackPixels = LockBackBuffer(surface_);
        ASSERT_NE(gBackPixels, nullptr);
        ResetTswPacks();
        ResetActPacks();
        ASSERT_TRUE(WriteBytesToFile((install_.Path() + "all_sys.tsw").c_str(), BuildTswPack(SystemPictures())));
        ASSERT_TRUE(WriteBytesToFile((install_.Path() + "all_sys.act").c_str(), BuildActPack(SystemActs())));
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install_.Path().c_str());
        ASSERT_NE(MakePackPath(install_.Path().c_str()), nullptr);
        OpenTswPacks();
        PlatFontSetRasteriser(DotRasteriser);
        for (cTextFont* f : {&gFontLarge, &gFontMedium, &gFontSmall}) {
            f->Init(nullptr);
            f->SetFont(gEdition.fontFace, 16);
            f->SetTarget(640, 480);
            f->SetTextColour(kNoTextBox);
        }
        Table({{kMagic, ObjectRecordBytes("Fire", 0x10, {{11, 0x10}, {13, kActionHit}, {14, 0x8006}}, Fixed(17))}},
              {{kActionHit, ActionRecordBytes(80, 4, 0)}});
        Fill();
    }
    void TearDown() override {
        ResetTswPacks();
        ResetActPacks();
        ResetSettings();
        UnlockBackBuffer(surface_, gBackPixels);
        gBackPixels = nullptr;
        gBackBuffer = nullptr;
        FreeSurface(surface_);
        ResetDrawKernel();
        ResetTextFonts();
        PlatFontSetRasteriser(nullptr);
        ResetPixelFormat();
        ManRoleTest::TearDown();
    }
    static ObjFixedFields Fixed(uint16_t kind) {
        ObjFixedFields f;
        f.kind = kind;
        return f;
    }
    static void Fill() {
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) *BackPixel(x, y) = kGround;
    }
    static bool Touched(int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (*BackPixel(x, y) != kGround) return true;
        return false;
    }
    static int Count(uint16_t colour) {
        int n = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) n += *BackPixel(x, y) == colour;
        return n;
    }
    // The commanding member with `magics` spells.
    ManRole& Commander(int magics) {
        ManRole& r = Party(0, 0);
        r.name = "Hero";
        for (int i = 0; i < magics; ++i) Learn(0, kMagic);
        SEL = 20;
        return r;
    }

    TempFolder install_{"panels"};
    Surface* surface_ = nullptr;
};

TEST_F(CommandPanelTest, WhileTheIconPanelOpensNoEntryIsDrawnAndTimeStandsStill) {
    ManRole& r = Commander(0);
    // A full charge gauge lights the strong attack too: all five entries.
    if (r.battleRecord != nullptr) r.battleRecord->charge = kChargeFull;
    fMenu = 1;
    for (int frame = 1; frame <= 6; ++frame) {
        Fill();
        Stop = mStop = 0;
        DrawCommandMenu();
        EXPECT_EQ(Stop, 1) << frame;
        EXPECT_EQ(mStop, 1) << frame;
        EXPECT_EQ(Count(HudListColour()), 0) << frame;
        EXPECT_EQ(gBattleEnding, 1u);
    }
    Fill();
    Stop = mStop = 0;
    DrawCommandMenu();
    EXPECT_EQ(Stop, 0);
    // Five labels of two characters, one dot each; the selected one drawn
    // again one pixel up and left.
    EXPECT_EQ(Count(HudListColour()), 10);
    EXPECT_EQ(Count(kHudTextSelected), 2);
}

TEST_F(CommandPanelTest, ASevenEntryListHasNoScrollBarAndAnEightEntryListHasOne) {
    for (int magics : {7, 8}) {
        ClearBattleMessages();
        FreeItemLists();
        ResetBattleServices();
        Commander(magics);
        fMenu = 2;
        gPanelOpenStep = 7;
        Fill();
        DrawCommandMenu();
        EXPECT_EQ(gMagicCount, magics);
        EXPECT_EQ(Touched(420, 150, 440, 300), magics == 8) << magics;
    }
}

TEST_F(CommandPanelTest, OnlyARowWithAnEntryArmsTheChoice) {
    Commander(3);
    fMenu = 2;
    gPanelOpenStep = 7;
    struct Case {
        int cursor, top, seld, entry;
    };
    for (const Case& c : {Case{2, 0, 1, 2}, Case{3, 0, 1, 3}, Case{4, 0, 0, 0}, Case{7, 0, 0, 0}, Case{1, 2, 1, 3},
                          Case{2, 2, 0, 0}, Case{0, 0, 0, 0}, Case{-5, 0, 0, 0}}) {
        Seld = 0;
        gPanelEntry = 0;
        gMagicCursor = c.cursor;
        gMagicTop = c.top;
        DrawCommandMenu();
        EXPECT_EQ(Seld, c.seld) << c.cursor << " from " << c.top;
        EXPECT_EQ(gPanelEntry, c.entry) << c.cursor << " from " << c.top;
    }
}

TEST_F(CommandPanelTest, AConfusedMemberGetsNoMenu) {
    ManRole& r = Commander(0);
    r.effectBits |= kEffectConfuse;
    fMenu = 1;
    DrawCommandMenu();
    EXPECT_EQ(SEL, 0);
    EXPECT_FALSE(Touched(0, 0, 640, 480));
}

TEST_F(CommandPanelTest, ATargetBoxShowsLifeOnlyAfterTenDefeats) {
    Commander(0);
    MonRole& e = Enemy(0, 300);
    e.name = "Imp";
    e.spriteSet = 1000;
    MS = 1;
    for (int defeats : {9, 10}) {
        Fill();
        FreeFameLists();
        SetCount(&gFameList2, 1000, defeats);
        DrawTargetLifePanel(12, 14);
        EXPECT_TRUE(Touched(12, 14, 40, 40)) << defeats;
        EXPECT_EQ(Touched(60, 14, 200, 40), defeats >= 10) << defeats;
    }
    // A target outside the enemies draws nothing.
    Fill();
    MS = 25;
    DrawTargetLifePanel(12, 14);
    EXPECT_FALSE(Touched(0, 0, 640, 480));
}

TEST_F(CommandPanelTest, TheTargetCursorSkipsEnemiesThatAreOut) {
    Commander(0);
    for (int i = 0; i < 3; ++i) {
        MonRole& e = Enemy(i, 300);
        e.slot.homeX = int16_t(100 + 100 * i);
        e.slot.homeY = 200;
    }
    const uint16_t marker = uint16_t(MakeColour(31, 26, 4)), refused = uint16_t(MakeColour(28, 6, 6));
    auto markedAt = [&](int x, uint16_t colour) {
        for (int y = 186; y < 200; ++y)
            for (int dx = -8; dx < 8; ++dx)
                if (*BackPixel(x + dx, y) == colour) return true;
        return false;
    };
    fMenu = 3;
    gTargetEnemy = 0;
    gMonRoles[0].out = 1;
    DrawCommandMenu();
    EXPECT_EQ(gTargetEnemy, 1);
    EXPECT_EQ(MS, 2);
    EXPECT_TRUE(markedAt(200, marker));
    EXPECT_FALSE(markedAt(100, marker));
    // A capture aimed at an enemy that cannot be captured shows the refusal.
    Fill();
    si = 6;
    DrawCommandMenu();
    EXPECT_EQ(gTargetCapturable, 0);
    EXPECT_TRUE(markedAt(200, refused));
    // The whole side: every enemy that stands.
    Fill();
    si = 1;
    gWholeSide = 1;
    DrawCommandMenu();
    EXPECT_FALSE(markedAt(100, marker));
    EXPECT_TRUE(markedAt(200, marker));
    EXPECT_TRUE(markedAt(300, marker));
    // Nobody left: back to the icon menu.
    gWholeSide = 0;
    gMonRoles[1].out = gMonRoles[2].out = 1;
    DrawCommandMenu();
    EXPECT_EQ(fMenu, 1);
    for (const auto& box : HeadlessMessageBoxes()) ADD_FAILURE() << box.caption << ": " << box.text;
}

TEST_F(CommandPanelTest, TheOpenIconPanelStaysInItsFrameOverTheHud) {
    // The HUD strip, the commanding member's frame and panel, and the open
    // icon menu. Set KYV_BATTLE_MENU_DUMP to a path to keep the frame.
    ManRole& r = Commander(0);
    r.highlight = 1;
    r.gauge = uint16_t(gGaugeFull);
    fMenu = 1;
    for (int frame = 0; frame < 8; ++frame) {
        Fill();
        DrawPackFirstFrame(9077, 0, 384);
        DrawHudFrame0(9119, 239, 384);
        DrawPartyStatus();
        DrawCommandMenu();
    }
    if (const char* dump = std::getenv("KYV_BATTLE_MENU_DUMP")) SaveScreenShot(gBackPixels, 640, 480, dump);
    for (const auto& box : HeadlessMessageBoxes()) ADD_FAILURE() << box.caption << ": " << box.text;
    // The panel: 11 x 6 tiles of 16 pixels from (240, 140); nothing else
    // above the HUD.
    EXPECT_TRUE(Touched(240, 140, 416, 236));
    EXPECT_FALSE(Touched(0, 0, 640, 128));
    EXPECT_FALSE(Touched(0, 128, 228, 350));
    EXPECT_FALSE(Touched(420, 128, 640, 350));
    EXPECT_FALSE(Touched(228, 240, 420, 350));
}

}  // namespace
