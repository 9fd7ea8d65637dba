// The battle's keys and mouse: the repeat frames, the digits, back, the
// mouse zones and the target hit, written straight into the key states.
#include <set>

#include "draw/rle.h"
#include "tests/battle/input/input_fixture.h"
#include "tools/rle_writer.h"

namespace {

constexpr int kUp = 4, kPageDown = 8, kReturn = 12, kEsc = 0, kRightCtrl = 9;

// The frames of a 40-frame hold on which `fired` saw the step.
template <typename Step, typename Fired>
std::vector<uint32_t> HeldFrames(Step step, Fired fired) {
    std::vector<uint32_t> out;
    for (uint32_t f = 1; f <= 40; ++f) {
        step(f);
        if (fired()) out.push_back(f);
    }
    return out;
}

TEST_F(BattleInputTest, HoldingUpStepsOnFrames1And16ThenEveryThird) {
    fMenu = kMenuMagic;
    gMagicCount = 30;
    const auto frames = HeldFrames([](uint32_t f) { Frame(kUp, f); }, [] { return gScrollStep == 1; });
    EXPECT_EQ(frames, (std::vector<uint32_t>{1, 16, 19, 22, 25, 28, 31, 34, 37, 40}));
}

TEST_F(BattleInputTest, HoldingPageDownPagesEveryThirdFrame) {
    fMenu = kMenuItems;
    gListCount = 200;
    int lastCursor = gListCursor, lastTop = gListTop;
    const auto frames = HeldFrames([](uint32_t f) { Frame(kPageDown, f); },
                                   [&] {
                                       const bool moved = gListCursor != lastCursor || gListTop != lastTop;
                                       lastCursor = gListCursor;
                                       lastTop = gListTop;
                                       return moved;
                                   });
    ASSERT_GE(frames.size(), 5u);
    EXPECT_EQ(std::vector<uint32_t>(frames.begin(), frames.begin() + 5), (std::vector<uint32_t>{1, 4, 7, 10, 13}));
    EXPECT_EQ(gListCursor, 7);  // the first press went to the last row, the others paged
}

TEST_F(BattleInputTest, HoldingReturnConfirmsOnFrames1_19_25_31) {
    // On the level-up page a confirm first fast-forwards the page counter:
    // below 30 it becomes 29, which shows each confirm.
    fMenu = 110;
    gBattleEnding = 0;
    const auto frames = HeldFrames(
        [](uint32_t f) {
            gResultTimer = 0;
            Frame(kReturn, f);
        },
        [] { return gResultTimer == 29; });
    EXPECT_EQ(frames, (std::vector<uint32_t>{1, 19, 25, 31, 37}));
}

TEST_F(BattleInputTest, ADigitActsOnceOnItsEdge) {
    // Digit 2 opens the magic list; back returns to the icons while the
    // digit is still held: it does not open the list again.
    gInput.PressKey(0x03);
    Frame(kUp, 0);
    EXPECT_EQ(fMenu, kMenuMagic);
    BattleKeyBack();
    ASSERT_EQ(fMenu, kMenuIcons);
    for (int f = 0; f < 5; ++f) Frame(kUp, 0);
    EXPECT_EQ(fMenu, kMenuIcons);
    // Let go and pressed again: it acts again.
    gInput.ReleaseDInput();
    Frame(kUp, 0);
    gInput.PressKey(0x03);
    Frame(kUp, 0);
    EXPECT_EQ(fMenu, kMenuMagic);
}

TEST_F(BattleInputTest, DigitsTable) {
    struct Case {
        uint8_t scan;
        bool skillsReady;
        int menu, sel, chosen;
    };
    const Case cases[] = {
        {0x02, false, kMenuTarget, 20, 0},  // 1: attack
        {0x47, false, kMenuTarget, 20, 0},  // pad 7 is entry 1
        {0x03, false, kMenuMagic, 20, 0},   // 2: magic
        {0x04, false, kMenuItems, 20, 0},   // 3: items
        {0x05, false, kMenuIcons, 20, 0},   // 4: skills greyed (charge gauge not full): nothing
        {0x05, true, kMenuSkills, 20, 0},   // 4: skills
        {0x06, false, kMenuNone, 0, 5},     // 5: defend issued at once
        {0x4C, false, kMenuNone, 0, 5},     // pad 5 too
        {0x07, false, kMenuIcons, 20, 0},   // 6: no extra entry
    };
    for (const Case& c : cases) {
        SetUp();
        gMemberBattle[0].charge = c.skillsReady ? 48 : 0;
        gInput.PressKey(c.scan);
        Frame(kUp, 0);
        EXPECT_EQ(fMenu, c.menu) << int(c.scan);
        EXPECT_EQ(SEL, c.sel) << int(c.scan);
        EXPECT_EQ(gChosenCommand[0], c.chosen) << int(c.scan);
        TearDown();
    }
}

TEST_F(BattleInputTest, DigitsWaitWhileASubMenuIsOpen) {
    gCaptureMenuOpen = 1;
    gInput.PressKey(0x06);
    Frame(kUp, 0);
    EXPECT_EQ(SEL, 20);
    EXPECT_EQ(gChosenCommand[0], 0);
}

TEST_F(BattleInputTest, BackByEscRightButtonAndRightCtrl) {
    for (int key : {int(kEsc), int(kKeyMouseRight), int(kRightCtrl)}) {
        fMenu = kMenuMagic;
        gMagicCursor = 4;
        Press(key);
        EXPECT_EQ(fMenu, kMenuIcons) << key;
        EXPECT_EQ(gMagicCursor, 1) << key;
    }
}

TEST_F(BattleInputTest, BackTable) {
    struct Case {
        int from, entry, to;
    };
    const Case cases[] = {
        {kMenuMagic, 2, kMenuIcons},       {kMenuItems, 3, kMenuIcons},
        {kMenuGuardPlace, 3, kMenuItems},  {kMenuControl, 1, kMenuNone},
        {kMenuSkills, 4, kMenuIcons},      {kMenuSpiritTarget, 7, kMenuIcons},
        {kMenuFusion, 41, kMenuFusionList}, {kMenuThrow, 27, kMenuIcons},
        {kMenuRefine, 30, kMenuIcons},     {kMenuFusionList, 41, kMenuIcons},
        {kMenuCaptureItems, 6, kMenuIcons}, {kMenuTarget, 2, kMenuMagic},
        {kMenuTarget, 3, kMenuItems},      {kMenuTarget, 4, kMenuSkills},
        {kMenuTarget, 27, kMenuThrow},     {kMenuTarget, 80, kMenuCaptureItems},
        {kMenuTarget, 1, kMenuIcons},
    };
    for (const Case& c : cases) {
        fMenu = c.from;
        si = c.entry;
        gSavedEntry = 1;
        gOrderMenuOpen = gCaptureMenuOpen = 0;
        BattleKeyBack();
        EXPECT_EQ(fMenu, c.to) << c.from << "/" << c.entry;
        EXPECT_EQ(Seld, 1);
    }
    // Back from the spirit's target reopens the order sub-menu, from the
    // capture items the capture sub-menu.
    fMenu = kMenuSpiritTarget;
    BattleKeyBack();
    EXPECT_EQ(gOrderMenuOpen, 1);
    gOrderMenuOpen = 0;
    fMenu = kMenuCaptureItems;
    BattleKeyBack();
    EXPECT_EQ(gCaptureMenuOpen, 1);
    EXPECT_EQ(si, 6);
}

TEST_F(BattleInputTest, BackEndsTheAutomaticAttack) {
    gAutoAttack = 1;
    fMenu = kMenuTarget;
    BattleKeyBack();
    EXPECT_EQ(gAutoAttack, 0);
    EXPECT_EQ(fMenu, kMenuIcons);  // a member is commanding: its menu again, time halted
    EXPECT_EQ(Stop, 1);
}

TEST_F(BattleInputTest, HitZonesTable) {
    struct Case {
        int menu, x, y;
        int hit;
        int32_t* value;
        int expected;
    };
    gMagicCount = 10;
    gListCount = 20;
    gSkillCount = 3;
    const Case cases[] = {
        {kMenuIcons, 240 + 10 + 54 + 5, 140 + 45, 1, &si, 2},        // icon grid: column 1, row 0
        {kMenuIcons, 240 + 10 + 5, 140 + 40 + 24 + 5, 0, &si, 1},    // row 1: skills are greyed
        {kMenuIcons, 240 + 10 + 54 + 5, 140 + 69, 1, &si, 5},        // defend
        {kMenuMagic, 300, 195, 1, &gMagicCursor, 2},                 // (190, 210)
        {kMenuMagic, 300, 190, 0, &gMagicCursor, 1},                 // a row's edge is no row
        {kMenuItems, 300, 175, 1, &gListCursor, 1},
        {kMenuItems, 420, 165, 1, &gScrollZone, 1},                  // up arrow
        {kMenuItems, 420, 310, 1, &gScrollZone, 2},                  // down arrow
        {kMenuItems, 420, 290, 1, &gScrollZone, 4},                  // track below the thumb
        {kMenuGuardPlace, 250, 240, 1, &gPlaceChoice, 2},
        {kMenuSkills, 300, 190, 1, &gSkillCursor, 2},
        {kMenuSkills, 300, 240, 0, &gSkillCursor, 1},                // row 4 of 3 skills
        {kMenuRefine, 300, 180, 1, &gListCursor, 1},
        {kMenuRefine, 400, 200, 1, &gListCursor, 7},                 // second column, row 2
        {kMenuThrow, 300, 215, 1, &gListCursor, 3},
    };
    for (const Case& c : cases) {
        fMenu = c.menu;
        gMagicCursor = gListCursor = gSkillCursor = gPlaceChoice = si = 1;
        gScrollZone = 0;
        EXPECT_EQ(MouseAt(c.x, c.y), c.hit) << c.menu << " " << c.x << "," << c.y;
        EXPECT_EQ(*c.value, c.expected) << c.menu << " " << c.x << "," << c.y;
    }
}

TEST_F(BattleInputTest, TabsWaitForTheConfirm) {
    fMenu = kMenuItems;
    MouseAt(300, 140);  // tab 1 of four 42-pixel tabs from 224
    EXPECT_EQ(gItemTab, 0);
    DoMenuChoice();
    EXPECT_EQ(gItemTab, 1);
    EXPECT_EQ(gListCursor, 1);
}

TEST_F(BattleInputTest, AShortListTakesNoScrollBarClicks) {
    fMenu = kMenuItems;
    gListCount = 7;
    EXPECT_EQ(MouseAt(420, 165), 0);
    EXPECT_EQ(gScrollZone, 0);
}

TEST_F(BattleInputTest, PartyStripHoverAndClickSwapTheCommandingMember) {
    fMenu = kMenuNone;
    gWaitOrder[0] = 21;
    EXPECT_EQ(MouseAt(100, 400), 1);  // slot 1's strip: (79 - 24, 79 + 116)
    EXPECT_EQ(gHoverAlly, 21);
    Press(kKeyMouseLeft);
    EXPECT_EQ(SEL, 21);
    EXPECT_EQ(gWaitOrder[0], 20);
    EXPECT_EQ(gHoverAlly, kNoHover);
    EXPECT_EQ(MouseAt(300, 380), 0);  // above the strip
}

TEST_F(BattleInputTest, TheTargetHitTakesTheFrameOfThisFrame) {
    // The enemy's picture kept from an earlier frame covers the mouse, but
    // its wait frame cannot be taken now: nothing is hit.
    std::vector<uint16_t> px(64 * 64, 0x1234);
    std::vector<uint8_t> rle = RleFromPixels(px, 64, 64);
    PicFrame old{};
    old.data = rle.data();
    old.size = uint32_t(rle.size());
    old.width = old.height = 64;
    ASSERT_EQ(HitTestRleImage(&old, 10, 10, 0, 0), 1);
    gMonRoles[0].picture = &old;
    gMonRoles[1].picture = &old;
    fMenu = kMenuTarget;
    const int32_t before = MS;
    EXPECT_EQ(MouseAt(10, 10), 0);
    EXPECT_EQ(MS, before);  // no target taken
    gMonRoles[0].picture = gMonRoles[1].picture = nullptr;
}

TEST_F(BattleInputTest, RestartKeySwitchesNoPartyMember) {
    gWaitOrder[0] = 21;
    Press(2);
    EXPECT_EQ(SEL, 20);
    EXPECT_EQ(fMenu, kMenuIcons);
    EXPECT_EQ(si, 1);
    EXPECT_EQ(gHoverAlly, kNoHover);
}

TEST_F(BattleInputTest, AutomaticAttackKey) {
    Press(17);
    EXPECT_EQ(gAutoAttack, 1);
    EXPECT_EQ(fMenu, kMenuTarget);
    EXPECT_EQ(gChosenCommand[0], 1);
}

TEST_F(BattleInputTest, RetreatRefusedWhileOneIsUnderWay) {
    gRetreatState = 0x8000;
    Press(18);
    EXPECT_EQ(SEL, 20);
    EXPECT_EQ(Messages(), 0);
    gRetreatState = 0;
    Press(18);
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(gRetreatState, 0x4000);
    EXPECT_EQ(MS, 1);
    EXPECT_EQ(Stop, 1);
}

TEST_F(BattleInputTest, RetreatRefusedWithTheMessage) {
    gBattleOptions |= kOptionBit200;
    Press(18);
    EXPECT_EQ(SEL, 20);
    EXPECT_EQ(Messages(), 1);
}

}  // namespace

namespace {

TEST_F(BattleInputTest, AKeyboardStepIsNotUndoneByAMouseAtRest) {
    fMenu = kMenuMagic;
    gMagicCount = 10;
    ASSERT_EQ(MouseAt(300, 215), 1);
    ASSERT_EQ(gMagicCursor, 3);
    Press(4);  // Up
    EXPECT_EQ(gMagicCursor, 2);
    EXPECT_EQ(BattleMouseHitTest(), 0);  // the pointer has not moved
    EXPECT_EQ(gMagicCursor, 2);
}

TEST_F(BattleInputTest, TheIconGridDropsAStaleHover) {
    gWaitOrder[0] = 21;
    MouseAt(100, 400);  // member 1's strip
    ASSERT_EQ(gHoverAlly, 21);
    MouseAt(240 + 10 + 5, 140 + 45);  // on entry 1
    EXPECT_EQ(gHoverAlly, kNoHover);
    Press(kKeyMouseLeft);
    EXPECT_EQ(SEL, 20);  // a click on the grid chooses, it does not switch members
    EXPECT_EQ(fMenu, kMenuTarget);
}

}  // namespace

namespace {

TEST_F(BattleInputTest, ConfirmWaitsTable) {
    struct Case {
        const char* what;
        void (*set)();
    };
    const Case cases[] = {
        {"retreat", [] { gRetreatState = 0x4000; }},
        {"action wait", [] { gActionWait = 1; }},
        {"leaving", [] { gLeaveBattle = 1; }},
        {"paused", [] { gActionPause = 0x80000000u; }},
        {"last enemy going out", [] {
             gMonRoles[1].SetOut(1);
             gLastDowned = 1;
         }},
    };
    for (const Case& c : cases) {
        SetUp();
        c.set();
        si = 5;
        Seld = 1;
        ConfirmCommand();
        EXPECT_EQ(SEL, 20) << c.what;
        EXPECT_EQ(gChosenCommand[0], 0) << c.what;
        TearDown();
    }
    // Without them the same confirm defends.
    SetUp();
    si = 5;
    Seld = 1;
    ConfirmCommand();
    EXPECT_EQ(gChosenCommand[0], 5);
}

TEST_F(BattleInputTest, TheLastEnemyGoingOutClosesTheMenu) {
    gMonRoles[1].SetOut(1);
    gLastDowned = 1;
    ConfirmCommand();
    EXPECT_EQ(fMenu, kMenuNone);
    fMenu = 99;
    ConfirmCommand();
    EXPECT_EQ(fMenu, 99);
}

TEST_F(BattleInputTest, AFreshSpacePressAnswersTheActionsWait) {
    gActionWait = 1;
    Frame(kKeyConfirm, 2);
    EXPECT_EQ(gActionWaitWord, 0u);
    Press(kKeyConfirm);
    EXPECT_EQ(gActionWaitWord, 1u);
}

TEST_F(BattleInputTest, AScrollBarClickPagesAndChoosesNothing) {
    fMenu = kMenuItems;
    gListCount = 20;
    ASSERT_EQ(MouseAt(420, 290), 1);  // the track below the thumb
    Press(kKeyMouseLeft);
    EXPECT_EQ(gListTop, 7);
    EXPECT_EQ(gListCursor, 1);
    EXPECT_EQ(gScrollStep, 4);
    EXPECT_EQ(fMenu, kMenuItems);
    ASSERT_EQ(MouseAt(420, 165), 1);  // the up arrow
    Press(kKeyMouseLeft);
    EXPECT_EQ(gListTop, 6);
    EXPECT_EQ(fMenu, kMenuItems);
}

}  // namespace
