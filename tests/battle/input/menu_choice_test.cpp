// The command menus: state x input tables of the choices, the cursor steps
// and the targets.
#include <set>

#include "battle/input/input_common.h"
#include "tests/battle/input/input_fixture.h"

namespace {

class MenuChoiceTest : public BattleInputTest {
protected:
    // Member 0 carries a treasure whose skill kind is `code`.
    static void Treasure(int code) {
        ManRole& r = gManRoles[0];
        r.treasureId[0] = 700;
        r.treasure[0].w[17] = uint16_t(code);
        r.treasure[0].w[14] = 0;
    }
    static void Choose(int entry) {
        si = entry;
        Seld = 1;
        gPanelOpenStep = 6;
        DoMenuChoice();
    }
};

TEST_F(MenuChoiceTest, IconEntriesTable) {
    struct Case {
        int entry;
        int menu, sel, chosen;
    };
    const Case cases[] = {
        {1, kMenuTarget, 20, 0},
        {2, kMenuMagic, 20, 0},
        {3, kMenuItems, 20, 0},
        {4, kMenuIcons, 20, 0},  // skills wait for a full charge gauge
        {5, kMenuNone, 0, 5},
        {6, kMenuIcons, 20, 0},  // no extra entry
    };
    for (const Case& c : cases) {
        SEL = 20;
        fMenu = kMenuIcons;
        gChosenCommand[0] = 0;
        ResetCommandFlags();
        Choose(c.entry);
        EXPECT_EQ(fMenu, c.menu) << c.entry;
        EXPECT_EQ(SEL, c.sel) << c.entry;
        EXPECT_EQ(gChosenCommand[0], c.chosen) << c.entry;
    }
    EXPECT_EQ(gLastSel, 20);
    EXPECT_EQ(MS, 1);  // defend aims at the member itself
    EXPECT_EQ(gManCommands[0].commandSet, 1);
}

TEST_F(MenuChoiceTest, ExtraEntriesTable) {
    struct Case {
        int code;
        int menu, sel, chosen, wholeSide;
    };
    const Case cases[] = {
        {21, kMenuTarget, 20, 0, 0}, {22, kMenuTarget, 20, 0, 1}, {24, kMenuTarget, 20, 0, 1},
        {25, kMenuTarget, 20, 0, 0}, {27, kMenuThrow, 20, 0, 0},  {28, kMenuNone, 0, 28, 0},
        {30, kMenuRefine, 20, 0, 0}, {36, kMenuNone, 0, 36, 0},  {38, kMenuIcons, 20, 0, 0},
        {39, kMenuIcons, 20, 0, 0},  // greyed: its skill value is below 10
        {41, kMenuIcons, 20, 0, 0},  // greyed: no guard stands
        {41 + 100, kMenuIcons, 20, 0, 0},
    };
    for (const Case& c : cases) {
        SEL = 20;
        fMenu = kMenuIcons;
        gWholeSide = 0;
        gChosenCommand[0] = 0;
        Treasure(c.code);
        ResetCommandFlags();
        Choose(6);
        EXPECT_EQ(fMenu, c.menu) << c.code;
        EXPECT_EQ(SEL, c.sel) << c.code;
        EXPECT_EQ(gChosenCommand[0], c.chosen) << c.code;
        EXPECT_EQ(gWholeSide, c.wholeSide) << c.code;
        gElementMenuOpen = 0;
    }
}

TEST_F(MenuChoiceTest, ReleaseIsIssuedThenAimedAtATarget) {
    Treasure(40);
    ResetCommandFlags();
    Choose(6);
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(gChosenCommand[0], 40);
    EXPECT_EQ(gReleaseAlly, 20);
    // Next turn, the release is pending: the entry goes to the target.
    SEL = 20;
    fMenu = kMenuIcons;
    ResetCommandFlags();
    Choose(6);
    EXPECT_EQ(fMenu, kMenuTarget);
    EXPECT_EQ(gExtraCount, 0);
}

TEST_F(MenuChoiceTest, ElementSubMenuIssuesItsCodeAtOnce) {
    Treasure(38);
    ResetCommandFlags();
    Choose(6);
    ASSERT_EQ(gElementMenuOpen, 1);
    gElementChoice = 3;
    Seld = 1;
    DoMenuChoice();
    EXPECT_EQ(gElementMenuOpen, 0);
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(gChosenCommand[0], 38);
}

TEST_F(MenuChoiceTest, ChargingMemberAtItsLimitIsRefusedWithTheMessage) {
    gChargingAlly = 20;
    ResetCommandFlags();
    Choose(1);
    EXPECT_EQ(fMenu, kMenuIcons);
    EXPECT_EQ(SEL, 20);
    EXPECT_EQ(Messages(), 1);
    // Its second entry is the plain attack.
    Choose(2);
    EXPECT_EQ(fMenu, kMenuTarget);
    EXPECT_EQ(si, 1);
}

TEST_F(MenuChoiceTest, TargetConfirmFirstArmsThenIssues) {
    fMenu = kMenuTarget;
    si = 1;
    MS = 2;
    Seld = 0;
    DoMenuChoice();
    EXPECT_EQ(Seld, 1);
    EXPECT_EQ(SEL, 20);
    DoMenuChoice();
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(fMenu, kMenuNone);
    EXPECT_EQ(gChosenCommand[0], 1);
    EXPECT_EQ(gLastSel, 20);
    EXPECT_EQ(gCommandIssued, 1u);
    EXPECT_EQ(gManRoles[0].commandChosen, 1u);
}

TEST_F(MenuChoiceTest, CaptureNeedsACapturableTarget) {
    fMenu = kMenuTarget;
    si = 6;
    MS = 1;
    Seld = 1;
    gBattleInput.targetCapturable = 0;
    DoMenuChoice();
    EXPECT_EQ(SEL, 20);
    gBattleInput.targetCapturable = 1;
    DoMenuChoice();
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(gChosenCommand[0], 6);
}

TEST_F(MenuChoiceTest, NoChoiceWithoutAShownMenu) {
    gBattleEnding = 0;
    Choose(5);
    EXPECT_EQ(SEL, 20);
}

TEST_F(MenuChoiceTest, AnEmptyRowIsRefusedAndKeepsTheList) {
    fMenu = kMenuMagic;
    gMagicCount = 2;
    gMagicCursor = 5;
    Seld = 1;
    DoMenuChoice();
    EXPECT_EQ(fMenu, kMenuMagic);
    EXPECT_EQ(gMagicCursor, 5);
}

TEST_F(MenuChoiceTest, ResultPagesTable) {
    struct Case {
        int from;
        uint32_t timer, busy, ready;
        int32_t pick;
        int to;
        uint32_t leave;
    };
    const Case cases[] = {
        {98, 0, 0, 0, 255, 99, 0},   {100, 20, 0, 0, 255, 101, 0}, {100, 19, 0, 0, 255, 100, 0},
        {100, 20, 1, 0, 255, 100, 0}, {101, 30, 0, 1, 255, 102, 0}, {101, 30, 0, 1, 1, 110, 0},
        {101, 29, 0, 1, 255, 101, 0}, {110, 0, 0, 0, 1, 101, 0},    {111, 21, 0, 0, 255, 101, 0},
        {102, 20, 0, 0, 255, 0, 1},  {102, 19, 0, 0, 255, 102, 0}, {103, 20, 0, 0, 255, 0, 1},
        {104, 0, 0, 0, 255, 104, 1},
    };
    for (const Case& c : cases) {
        fMenu = c.from;
        gBattleEnding = 1;
        gLeaveBattle = 0;
        gResultTimer = c.timer;
        gResults.busy = decltype(gResults.busy)(c.busy);
        gResults.ready = decltype(gResults.ready)(c.ready);
        gResultPick = uint8_t(c.pick);
        DoMenuChoice();
        EXPECT_EQ(fMenu, c.to) << c.from << " at " << c.timer;
        EXPECT_EQ(gLeaveBattle, c.leave) << c.from << " at " << c.timer;
    }
}

TEST_F(MenuChoiceTest, ResetRequest) {
    fMenu = kMenuReset;
    Stop = mStop = 1;
    gLastCommand = 4;
    gMonRoles[1].SetHighlight(1);
    DoMenuChoice();
    EXPECT_EQ(fMenu, kMenuNone);
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(gLastCommand, 0);
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(gBattleEnding, 0u);
    EXPECT_EQ(gMonRoles[1].highlight, 0u);
}

TEST_F(MenuChoiceTest, ConfusedMemberChoosesDefendAttackOrRetreat) {
    std::set<int> seen;
    for (int round = 0; round < 60; ++round) {
        SEL = 0;
        fMenu = kMenuNone;
        gManCommands[0] = StoredCommand{};
        ChooseConfusedCommand(20);
        EXPECT_EQ(SEL, 0);
        const int c = gChosenCommand[0];
        seen.insert(c);
        EXPECT_TRUE(c == 1 || c == 5 || c == 17) << c;
        if (c == 1 && gManCommands[0].commandSet == 1) {
            EXPECT_EQ(MS, 2);  // never the member itself
        }
        if (c == 1 && gManCommands[0].commandSet == 0) {
            EXPECT_TRUE(MS == 1 || MS == 2);
        }
    }
    EXPECT_EQ(seen.size(), 3u);
}

TEST_F(MenuChoiceTest, ResetCommandFlagsForAWeakenedMember) {
    gManRoles[0].status |= kStatusWeakened;
    gMemberBattle[0].charge = 48;
    ResetCommandFlags();
    EXPECT_EQ(gIconEnabled[1], 1);
    EXPECT_EQ(gIconEnabled[2], 0);
    EXPECT_EQ(gIconEnabled[3], 0);
    EXPECT_EQ(gIconEnabled[4], 0);
    EXPECT_EQ(gIconEnabled[5], 1);
}

// ---- Cursor steps ----

TEST_F(MenuChoiceTest, IconGridStepsTable) {
    struct Case {
        int from, extras;
        void (*step)();
        int to;
    };
    const Case cases[] = {
        {1, 0, BattlePrevEntry, 4}, {2, 0, BattlePrevEntry, 5}, {3, 0, BattlePrevEntry, 3},
        {4, 0, BattleNextEntry, 1}, {5, 0, BattleNextEntry, 2}, {1, 2, BattleNextEntry, 4},
        {4, 2, BattleNextEntry, 7}, {6, 1, BattleNextEntry, 3}, {3, 1, BattlePrevEntry, 6},
        {4, 0, NextSubEntry, 5},    {5, 0, NextSubEntry, 4},    {4, 0, PrevSubEntry, 5},
        {6, 1, NextSubEntry, 4},    {7, 2, NextSubEntry, 7},    {7, 2, PrevSubEntry, 7},
    };
    for (const Case& c : cases) {
        fMenu = kMenuIcons;
        si = c.from;
        gExtraCount = c.extras;
        c.step();
        EXPECT_EQ(si, c.to) << c.from << " with " << c.extras << " extras";
    }
}

TEST_F(MenuChoiceTest, ShortListsNeverScrollBelowTheirFirstRow) {
    for (int menu : {int(kMenuItems), int(kMenuThrow), int(kMenuFusionList), int(kMenuCaptureItems)}) {
        fMenu = menu;
        gListCount = 3;
        gListCursor = 1;
        gListTop = 0;
        BattlePageDown();
        EXPECT_EQ(gListCursor, 3) << menu;  // the last row of three
        BattlePageDown();
        EXPECT_EQ(gListTop, 0) << menu;
        for (int i = 0; i < 10; ++i) BattleNextEntry();
        EXPECT_EQ(gListTop, 0) << menu;
        EXPECT_EQ(gListCursor, kListRows) << menu;
        for (int i = 0; i < 10; ++i) BattlePrevEntry();
        EXPECT_EQ(gListTop, 0) << menu;
        EXPECT_EQ(gListCursor, 1) << menu;
    }
    // The magic list pages only with 7 entries or more.
    fMenu = kMenuMagic;
    gMagicCount = 5;
    gMagicCursor = 2;
    BattlePageDown();
    EXPECT_EQ(gMagicCursor, 2);
    EXPECT_EQ(gMagicTop, 0);
}

TEST_F(MenuChoiceTest, PagesStopAtTheLastPage) {
    fMenu = kMenuItems;
    gListCount = 16;
    gListCursor = 7;
    gScrollStep = 4;  // a click on the track below the thumb
    BattlePageDown();
    EXPECT_EQ(gListTop, 7);
    BattlePageDown();
    EXPECT_EQ(gListTop, 9);
    gScrollStep = 0;
    BattlePageUp();
    EXPECT_EQ(gListCursor, 1);
    EXPECT_EQ(gListTop, 9);
    BattlePageUp();
    EXPECT_EQ(gListTop, 2);
    EXPECT_EQ(gItemTabTop[0], 2);  // remembered for the tab
}

TEST_F(MenuChoiceTest, EnemyTargetSkipsTheOutAndGivesUpWhenAllAre) {
    Enemy(2);
    gEnemyTargetOrder[2] = 2;
    gMonRoles[1].SetOut(1);
    fMenu = kMenuTarget;
    gEnemyPick = 1;
    MarkEnemyTarget(0);
    BattleNextEntry();
    EXPECT_EQ(MS, 3);
    EXPECT_EQ(gMonRoles[2].highlight, 1u);
    EXPECT_EQ(gMonRoles[0].highlight, 0u);
    BattleNextEntry();
    EXPECT_EQ(MS, 1);
    // All out: the cursor goes back to the icons.
    gMonRoles[0].SetOut(1);
    gMonRoles[2].SetOut(1);
    gTargetEnemy = 0;
    NextEnemyTarget();
    EXPECT_EQ(fMenu, kMenuIcons);
}

TEST_F(MenuChoiceTest, PartyTargetWalksOnlyTheMembersPresent) {
    Party(2, 2);
    gBattle.partyMask = 0x7;
    ManRole& guard = Member(3, 3);
    guard.member = 0;
    guard.SetGuardFlag(1);
    fMenu = kMenuTarget;
    si = 3;
    gManCommands[0].commandSet = 1;
    gEnemyPick = 1;
    std::vector<int> picks;
    for (int i = 0; i < 6; ++i) {
        BattleNextEntry();
        picks.push_back(MS);
    }
    EXPECT_EQ(picks, (std::vector<int>{2, 1, 3, 2, 1, 3}));  // screen order 2, 1, 0 by slot
    // Nobody left to point at: the cursor stays, the step ends.
    for (int s = 0; s < 3; ++s) gManRoles[s].SetRoleTargetFlag(1);
    const int before = MS;
    BattleNextEntry();
    BattlePrevEntry();
    EXPECT_EQ(MS, before);
}

TEST_F(MenuChoiceTest, WholeSideActionsTakeNoTargetStep) {
    fMenu = kMenuTarget;
    gWholeSide = 1;
    MS = 2;
    BattleNextEntry();
    EXPECT_EQ(MS, 2);
}

}  // namespace

namespace {

TEST_F(MenuChoiceTest, ControlledEnemyPanel) {
    gController = 0;
    gControlledEnemy = 1;
    fMenu = kMenuNone;
    OpenIconMenu();
    ASSERT_EQ(fMenu, kMenuControl);
    EXPECT_EQ(gControlRows, 2);  // attack and release: the enemy carries nothing
    // Attack: the target cursor on the first enemy standing; back returns here.
    gControlCursor = 1;
    DoMenuChoice();
    EXPECT_EQ(fMenu, kMenuTarget);
    EXPECT_EQ(si, 25);
    EXPECT_EQ(MS, 1);
    BattleKeyBack();
    EXPECT_EQ(fMenu, kMenuControl);
    // Release: 99 into the last command only.
    gChosenCommand[0] = 1;
    gControlCursor = 2;
    DoMenuChoice();
    EXPECT_EQ(gLastCommand, 99);
    EXPECT_EQ(gChosenCommand[0], 1);
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(MS, 1);
}

TEST_F(MenuChoiceTest, SpiritOrders) {
    ManRole& spirit = Member(2, 2);
    spirit.member = 0;
    spirit.spirit = 1;
    spirit.spiritOrder = 1;
    gOrderMenuOpen = 1;
    gOrderCursor = 3;
    Choose(7);
    EXPECT_EQ(spirit.GetGhostOrder(), 3);
    EXPECT_EQ(gOrderMenuOpen, 0);
    EXPECT_EQ(si, 7);
    // Order 8 asks for its target on the enemies first.
    gOrderMenuOpen = 1;
    gOrderCursor = 8;
    Choose(7);
    ASSERT_EQ(fMenu, kMenuSpiritTarget);
    EXPECT_EQ(MS, 1);
    BattleNextEntry();
    EXPECT_EQ(MS, 2);
    DoMenuChoice();
    EXPECT_EQ(fMenu, kMenuIcons);
    EXPECT_EQ(spirit.GetGhostOrder(), 8);
    EXPECT_EQ(spirit.target, 1);
    EXPECT_EQ(gMonRoles[1].highlight, 0u);
}

}  // namespace
