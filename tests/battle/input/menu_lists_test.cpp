// The list states of the command menus with real records: the action is
// prepared, the target chosen, and the command issued at the target.
#include "battle/battle_start.h"
#include "battle/turn/turn_state.h"
#include "tests/battle/input/input_fixture.h"

namespace {

constexpr uint16_t kBattleUse = 0x10;
constexpr uint16_t kFlameAct = 6004;  // the flame's id word: the act its hit plays

enum : uint16_t {
    kFire = 100, kStorm = 101, kFlame = 102, kHerb = 200, kTonic = 201, kIdol = 207,
    kActionHit = 1, kActionHeal = 2, kActionAll = 3,
};

class MenuListTest : public BattleInputTest {
protected:
    void SetUp() override {
        BattleInputTest::SetUp();
        const uint16_t use = kBattleUse;
        ObjFixedFields one;
        one.kind = 17;
        Table(
            {
                {kFire, ObjectRecordBytes("Fire", 0x10, {{11, use}, {13, kActionHit}, {14, 0x8006}}, one)},
                {kStorm, ObjectRecordBytes("Storm", 0x10, {{11, use}, {13, kActionAll}, {14, 0x8006}}, one)},
                {kFlame, ObjectRecordBytes("Flame", 0x10, {{11, use}, {13, kActionHit}, {14, 0x8006}, {20, kFlameAct}}, one)},
                {kHerb, ObjectRecordBytes("Herb", 0x4, {{11, use}, {13, kActionHeal}, {8, 50}})},
                {kIdol, ObjectRecordBytes("Idol", 0x800, {{11, use}, {13, kActionHit}})},
            },
            {{kActionHit, ActionRecordBytes(Hit(0))},
             {kActionHeal, ActionRecordBytes(40, 0, 0)},
             {kActionAll, ActionRecordBytes(Hit(0x1))}});
    }
    static ActionSpec Hit(uint32_t flags) {
        ActionSpec a;
        a.value = 80;
        a.element = 4;
        a.followUp = 7001;
        a.rate = 1000;
        a.flags = flags;
        return a;
    }
    // The list state `menu` with one entry under the cursor, chosen by the
    // keyboard as the icon entry `entry`.
    static void ChooseFirst(int menu, int entry, int count = 1) {
        si = entry;
        fMenu = menu;
        gMagicCount = uint8_t(count);
        gListCount = uint16_t(count);
        gMagicCursor = gListCursor = 1;
        Seld = 1;
        mMove = 0;
        DoMenuChoice();
    }
};

TEST_F(MenuListTest, MagicOnOneEnemyThenTheTargetConfirmIssuesIt) {
    Learn(0, kFire);
    gMagicTab = 0;
    ChooseFirst(kMenuMagic, 2);
    ASSERT_EQ(fMenu, kMenuTarget);
    EXPECT_EQ(MS, 1);  // the keyboard put the cursor on the first enemy
    EXPECT_EQ(gManCommands[0].commandSet, 0);
    EXPECT_EQ(Seld, 1);
    Stop = mStop = 1;
    DoMenuChoice();
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(gChosenCommand[0], 2);
    EXPECT_EQ(Stop, 0);  // magic lets time run at once
    EXPECT_GT(gManRoles[0].actionTimer, 0);  // the action timer started
}

// The act a chosen spell or item plays on its target is the object's id
// word, as the script's use instruction takes it; an object without one
// leaves no act of an earlier action behind.
TEST_F(MenuListTest, AChosenSpellPlaysItsIdWordOnTheTarget) {
    Learn(0, kFlame);
    gMagicTab = 0;
    ChooseFirst(kMenuMagic, 2);
    ASSERT_EQ(fMenu, kMenuTarget);
    EXPECT_EQ(gManHitAct[0], kFlameAct);
}

TEST_F(MenuListTest, AnObjectWithoutAnIdWordLeavesNoEarlierHitAct) {
    Bag(kHerb, 3);
    gItemTab = 1;
    gManHitAct[0] = kFlameAct;  // from an earlier spell
    ChooseFirst(kMenuItems, 3);
    ASSERT_EQ(fMenu, kMenuTarget);
    EXPECT_EQ(gManHitAct[0], 0);
}

TEST_F(MenuListTest, MagicOnTheWholeSide) {
    Learn(0, kStorm);
    gMagicTab = 0;
    ChooseFirst(kMenuMagic, 2);
    ASSERT_EQ(fMenu, kMenuTarget);
    EXPECT_EQ(gWholeSide, 1);
    EXPECT_EQ(MS, 2);  // the enemy count
    DoMenuChoice();
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(gManCommands[0].wholeSide, 1);
}

TEST_F(MenuListTest, AHealingItemAimsAtTheMemberItself) {
    Bag(kHerb, 3);
    gItemTab = 1;
    ChooseFirst(kMenuItems, 3);
    ASSERT_EQ(fMenu, kMenuTarget);
    EXPECT_EQ(gManCommands[0].commandSet, 1);
    EXPECT_EQ(MS, 1);
    EXPECT_EQ(gManRoles[0].highlight, 1u);
    // Back returns to the item list and drops the prepared action.
    BattleKeyBack();
    EXPECT_EQ(fMenu, kMenuItems);
    EXPECT_EQ(gManCommands[0].commandSet, 0);
}

TEST_F(MenuListTest, GuardSummonByTheGuardsStanding) {
    struct Case {
        uint32_t guards;
        int menu, place;
    };
    const Case cases[] = {{0, kMenuNone, 0}, {1, kMenuGuardPlace, 2}, {2, kMenuGuardPlace, 1}};
    for (const Case& c : cases) {
        SEL = 20;
        gBattleStart.guardCount = c.guards;
        gPlaceChoice = 0;
        gChosenCommand[0] = 0;
        FreeItemLists();
        Bag(kIdol, 2);
        gItemTab = 3;
        ChooseFirst(kMenuItems, 3);
        EXPECT_EQ(fMenu, c.menu) << c.guards;
        if (c.menu == kMenuNone) {
            // Summoned at once into place 1, the next free party slot.
            EXPECT_EQ(gChosenCommand[0], 15);
            EXPECT_EQ(gBattleStart.partySlots[2].spriteSet, kIdol);
            EXPECT_EQ(gBattleStart.partySlots[2].homeX, 375);
            EXPECT_EQ(gBattleStart.partySlots[2].homeY, 200);
            EXPECT_EQ(GetItemUseCount(kIdol), 1);
            EXPECT_EQ(gManRoles[0].guardSlot, 2);  // the member remembers it for its summon
            // The place's guard item word holds the item (given back at
            // the battle's end), not the summoning member's id.
            EXPECT_EQ(gGuardItems[0], kIdol);
        } else {
            EXPECT_EQ(gPlaceChoice, c.place) << c.guards;
        }
    }
    gBattleStart.guardCount = 0;
    gGuardItems[0] = gGuardItems[1] = 0;
}

// With the spirit fighting it holds the slot after the members: a guard
// summoned from the list takes the slot after the spirit, and the spirit's
// own slot record is left as it was.
TEST_F(MenuListTest, AGuardFromTheListTakesTheSlotAfterTheSpirit) {
    struct Case {
        uint32_t spiritFlags;
        int slot;
    };
    for (const Case c : {Case{0, 2}, Case{1 | (2u << 16), 3}}) {
        SCOPED_TRACE(c.slot);
        for (BattleSlot& b : gBattleStart.partySlots) b = BattleSlot{};
        gBattleStart.partySlots[2].spriteSet = 92;  // the spirit's record, when it fights
        gBattleStart.spiritFlags = c.spiritFlags;
        gBattleStart.guardCount = 0;
        SEL = 20;
        FreeItemLists();
        Bag(kIdol, 1);
        gItemTab = 3;
        ChooseFirst(kMenuItems, 3);
        EXPECT_EQ(gChosenCommand[0], 15);
        EXPECT_EQ(gBattleStart.partySlots[c.slot].spriteSet, kIdol);
        EXPECT_EQ(gBattleStart.partySlots[c.slot].homeX, 375);
        if (c.slot != 2) EXPECT_EQ(gBattleStart.partySlots[2].spriteSet, 92) << "the spirit's record";
    }
    gBattleStart.spiritFlags = 0;
    gGuardItems[0] = gGuardItems[1] = 0;
}

TEST_F(MenuListTest, AnItemTheMemberCannotPayForIsRefusedWithTheMessage) {
    // A tab-2 item costing 30 stamina, with none left.
    Table({{kTonic, ObjectRecordBytes("Tonic", 0x1, {{11, kBattleUse}, {13, kActionHeal}, {14, 0x4000 | 30}})}},
          {{kActionHeal, ActionRecordBytes(40, 0, 0)}});
    Bag(kTonic, 3);
    gMemberStats[0].gauge[2] = 0;
    gItemTab = 2;
    ChooseFirst(kMenuItems, 3);
    EXPECT_EQ(fMenu, kMenuItems);
    EXPECT_EQ(Messages(), 1);
    // On tab 1 the refusal is the sound alone.
    gItemTab = 1;
    ChooseFirst(kMenuItems, 3);
    EXPECT_EQ(Messages(), 1);
}

}  // namespace
