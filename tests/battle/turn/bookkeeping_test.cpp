// Defeats booked once: rewards, stolen items, the counts, the guards, and
// the end by the roles' ailments.
#include "base/memory.h"
#include "battle/battle_start.h"
#include "battle/role/effect_node.h"
#include "battle/screen/battle_messages.h"
#include "battle/script/fight_script.h"
#include "battle/turn/bookkeeping.h"
#include "battle/turn/targeting.h"
#include "battle/turn/turn_state.h"
#include "tests/battle/manrole/man_fixture.h"

namespace {

constexpr uint16_t kLoot = 4100;
constexpr uint16_t kGuardItem = 4101;

class BookkeepingTest : public ManRoleTest {
protected:
    void SetUp() override {
        ManRoleTest::SetUp();
        gBattleStart.guardCount = 0;
        gBattleStart.spiritFlags = 0;
        gSceneRepeat = 0;
        Table({{kLoot, ObjectRecordBytes("Loot", 0x1, {})}, {kGuardItem, ObjectRecordBytes("Bell", 0x1, {})}});
    }
    void TearDown() override {
        gBattleStart.guardCount = 0;
        gBattleStart.spiritFlags = 0;
        gSceneRepeat = 0;
        ManRoleTest::TearDown();
    }
    MonRole& Foe(int i, uint16_t exp, uint16_t silver) {
        MonRole& e = Enemy(i);
        SetObjWordAt(e.objRecord, mon::kExperience, exp);
        SetObjWordAt(e.objRecord, mon::kSilver, silver);
        e.slot.spriteSet = uint16_t(300 + i);
        return e;
    }
    static void Down(Role& r) { r.DamageRole(30000, 0, 0); }
    // An ailment of `kind` in force on the role (freed with the role).
    static void Under(Role& r, uint32_t kind) {
        EffectNode* n = static_cast<EffectNode*>(AllocZero(int(sizeof(EffectNode))));
        n->kind = kind;
        n->turnsLeft = 5;
        n->next = r.effects;
        r.effects = n;
        r.effectBits |= kind;
    }
    static int Messages() {
        int n = 0;
        for (BattleMessage* m = gBattleMsgs; m; m = m->next) ++n;
        return n;
    }
    static int BagCount(uint16_t id) {
        for (ItemRecord* n = gInventory; n; n = n->next)
            if (n->id == id) return n->count + n->newCount;
        return 0;
    }
};

TEST_F(BookkeepingTest, AnEnemyIsBookedOnceWithThirtyTwoBitSums) {
    Foe(0, 40000, 40000);
    Foe(1, 40000, 40000);
    Foe(2, 10, 10);
    for (int i = 0; i < 2; ++i) Down(gMonRoles[i]);
    for (int frame = 0; frame < 5; ++frame)
        for (int i = 0; i < 2; ++i) BookDefeat(i, 0);
    EXPECT_EQ(MsDCount, 2);
    EXPECT_EQ(gRewardExp, 80000u);     // past 16 bits, nothing lost
    EXPECT_EQ(gRewardSilver, 80000u);
    EXPECT_EQ(gRewardTreasure, 6u);
    EXPECT_EQ(GetCount(&gFameList2, 300), 1);
    EXPECT_NE(fMenu, 99);              // one enemy still stands
}

TEST_F(BookkeepingTest, TheLastEnemyBooksTheVictoryAndStopsTime) {
    Foe(0, 5, 5);
    Down(gMonRoles[0]);
    EXPECT_EQ(BookDefeat(0, 0), 1);
    EXPECT_EQ(BookDefeat(0, 0), 0);  // once
    EXPECT_EQ(fMenu, 99);
    EXPECT_EQ(Stop, 1);
    EXPECT_EQ(gTurn.victoryBooked, 1u);
}

TEST_F(BookkeepingTest, ACapturedEnemyPaysNothingButCountsAndGivesBackWhatItStole) {
    Foe(0, 50, 60);
    Foe(1, 1, 1);
    gCaptured[0] = 1;
    gStolenItems[0][0] = kLoot;
    gStolenItems[0][5] = kLoot;
    Down(gMonRoles[0]);
    EXPECT_EQ(BookDefeat(0, 0), 1);
    EXPECT_EQ(gRewardExp, 0u);
    EXPECT_EQ(gRewardSilver, 0u);
    EXPECT_EQ(gRewardTreasure, 0u);
    EXPECT_EQ(GetCount(&gFameList2, 300), 0);
    EXPECT_EQ(MsDCount, 1);
    EXPECT_EQ(gCaptured[0], 0);
    EXPECT_EQ(BagCount(kLoot), 2);
    EXPECT_EQ(Messages(), 1);  // one message however many items
    EXPECT_EQ(gStolenItems[0][0], 0);
}

TEST_F(BookkeepingTest, StolenItemsComeBackOnceAlsoWithoutExperience) {
    Foe(0, 50, 60);
    Foe(1, 1, 1);
    gTurn.noExperience = 1;
    gStolenItems[0][31] = kLoot;
    Down(gMonRoles[0]);
    BookDefeat(0, 0);
    BookDefeat(0, 0);
    EXPECT_EQ(BagCount(kLoot), 1);
    EXPECT_EQ(gRewardExp, 0u);
    EXPECT_EQ(gRewardSilver, 60u);
    EXPECT_EQ(gTurn.noExperience, 0u);
}

TEST_F(BookkeepingTest, RepeatedScenesHalveTheRewardsAndSilverCanBeSwitchedOff) {
    Foe(0, 50, 60);
    Foe(1, 1, 1);
    gSceneNo = 12;
    gSceneVisits[12] = 4;
    gSceneRepeat = 3;
    gTurn.noSilver = 1;
    Down(gMonRoles[0]);
    BookDefeat(0, 0);
    EXPECT_EQ(gRewardExp, 25u);
    EXPECT_EQ(gRewardSilver, 0u);
    gSceneVisits[12] = 0;
}

TEST_F(BookkeepingTest, AMemberIsCountedOnceAndAgainAfterARevival) {
    Party(0, 0);
    Party(1, 1);
    Down(gManRoles[0]);
    for (int frame = 0; frame < 4; ++frame) BookDefeat(0, 1);
    EXPECT_EQ(gDownedMen, 1);
    EXPECT_EQ(gManRoles[0].IsOut(), 1u);
    EXPECT_NE(fMenu, 103);
    // Revived, then down again: counted again, once.
    gManRoles[0].out = 0;
    gManRoles[0].defeated = 0;
    gManRoles[0].baseStats->gauge[0] = 100;
    --gDownedMen;
    BookDefeat(0, 1);
    Down(gManRoles[0]);
    BookDefeat(0, 1);
    BookDefeat(0, 1);
    EXPECT_EQ(gDownedMen, 1);
    Down(gManRoles[1]);
    BookDefeat(1, 1);
    EXPECT_EQ(gDownedMen, 2);
    EXPECT_EQ(fMenu, 103);
}

TEST_F(BookkeepingTest, TheSpiritsFallIsNoDownOfTheParty) {
    Party(0, 0);
    ManRole& g = Party(1, 1);
    g.member = 0;
    g.spirit = 1;
    gBattleStart.spiritFlags = 1 | (1u << 16);
    Down(g);
    BookDefeat(1, 1);
    EXPECT_EQ(gDownedMen, 0);
    EXPECT_EQ(FightingPartySize(), 1);
    EXPECT_NE(fMenu, 103);
}

TEST_F(BookkeepingTest, AMemberFallingWithItsMenusOpenClosesThemAndTimeRuns) {
    Party(0, 0);
    Party(1, 1);
    SEL = 20;
    fMenu = 1;
    Stop = mStop = 1;
    GetCom = 1;
    AddToAttackOrder(1, 20);
    gWaitOrder[0] = 20;
    gWaitOrder[1] = 21;
    Down(gManRoles[0]);
    EXPECT_EQ(BookDefeat(0, 1), 1);
    EXPECT_EQ(SEL, 0);
    EXPECT_EQ(fMenu, 0);  // no menu left open for nobody: the queue pops again
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(mStop, 0);
    EXPECT_EQ(GetCom, 0);
    EXPECT_FALSE(IsInAttackOrder(20));
    EXPECT_EQ(gWaitOrder[0], 21);
}

TEST_F(BookkeepingTest, AMemberFallingInItsOwnTurnGivesTheTurnBack) {
    Party(0, 0);
    Party(1, 1);
    gCurRole.id = 21;
    GetCom = 1;
    Stop = mStop = 1;
    gManActing = 1;
    Down(gManRoles[1]);
    BookDefeat(1, 1);
    EXPECT_EQ(gCurRole.id, -1);
    EXPECT_EQ(GetCom, 0);
    EXPECT_EQ(gManActing, 0);
}

TEST_F(BookkeepingTest, AFallenGuardIsRemovedOnlyFromTheEnd) {
    Party(0, 0);
    ManRole& a = Party(1, 1);
    ManRole& b = Party(2, 2);
    for (ManRole* g : {&a, &b}) {
        g->member = 0;
        g->guard = 1;
    }
    gBattleStart.guardCount = 2;
    SetAllyWaitMark(1, kGuardItem);
    SetAllyWaitMark(2, kGuardItem);
    // The first guard falls while the second stands: the second stays.
    Down(a);
    EXPECT_EQ(BookDefeat(1, 1), 1);
    EXPECT_EQ(gBattleManCount, 3u);
    EXPECT_EQ(gGuardItems[0], 0);
    EXPECT_EQ(gGuardItems[1], kGuardItem);
    EXPECT_EQ(gDownedMen, 0);
    // Then the second: both leave.
    Down(b);
    EXPECT_EQ(BookDefeat(2, 1), 1);
    EXPECT_EQ(gBattleManCount, 1u);
    EXPECT_EQ(gBattleStart.guardCount, 0u);
    EXPECT_EQ(gDownedMen, 0);
}

TEST_F(BookkeepingTest, TheGuardsItemsComeBackOnceAtTheEnd) {
    SetAllyWaitMark(1, kGuardItem);
    gTurn.spentObjects = 0;
    ClearWaitSlots();
    ClearWaitSlots();
    EXPECT_EQ(BagCount(kGuardItem), 1);
    EXPECT_EQ(gGuardItems[0], 0);
}

TEST_F(BookkeepingTest, StonedPartyEndsTheBattleOnceAndNoMore) {
    Party(0, 0);
    Party(1, 1);
    Foe(0, 1, 1);
    Under(gManRoles[0], kEffectStone);
    gManRoles[1].SetOut(1);
    gDownedMen = 1;
    EXPECT_EQ(CheckBattleEndByStatus(), 1);
    EXPECT_EQ(fMenu, 103);
    EXPECT_EQ(gDownedMen, 2);
    EXPECT_EQ(CheckBattleEndByStatus(), 0);  // the page is up: not counted again
    EXPECT_EQ(gDownedMen, 2);
}

TEST_F(BookkeepingTest, PendingDamageThatDownsAMemberMarksItsOwnSlot) {
    Party(0, 0, 50);
    Party(1, 1);
    AddToAttackOrder(1, 20);
    gArrangeOrder[0] = 20;
    gArrangeOrder[1] = 21;
    for (int i = 2; i < kCombatantIds; ++i) gArrangeOrder[i] = -1;
    gManRoles[0].pendingDamage = 80;
    UpdateBattleRoles();
    EXPECT_EQ(gManDyingMark[0], 0);
    EXPECT_EQ(gDyingMark[0], -1);  // the enemies' table is not touched
    EXPECT_FALSE(IsInAttackOrder(20));
}

TEST_F(BookkeepingTest, TheSpiritComesToTheRescueOfTheFirstMember) {
    ManRole& a = Party(0, 0, 400);
    ManRole& g = Party(1, 1, 300, 500);
    g.member = 0;
    g.spirit = 1;
    g.battleAffinity = 100;
    g.SetGhostOrder(4);  // it obeys
    gBattleStart.spiritFlags = 1 | (1u << 16);
    a.baseStats->gauge[0] = 100;  // below half
    gArrangeOrder[0] = 20;
    gArrangeOrder[1] = 21;
    for (int i = 2; i < kCombatantIds; ++i) gArrangeOrder[i] = -1;
    gPendingDown = 1;
    UpdateBattleRoles();
    EXPECT_EQ(gAttackOrder[0].id, 21);  // at the front
    EXPECT_EQ(g.GetActionTarget(), 0);
    EXPECT_EQ(Stop, 1);
    EXPECT_EQ(gTurn.spiritHealPending, 1u);
    // Pending: not twice.
    gPendingDown = 1;
    UpdateBattleRoles();
    EXPECT_EQ(gAttackOrder[1].id, -1);
}

TEST_F(BookkeepingTest, ReinforcementsCollapseOnlyOnceEveryDefeatDisplayIsOver) {
    Foe(0, 1, 1);
    Foe(1, 1, 1);
    Foe(2, 1, 1);
    gTurn.reinforcement = 77;
    Down(gMonRoles[1]);
    Down(gMonRoles[2]);
    BookDefeat(1, 0);
    EXPECT_EQ(gBattleMonCount, 3u);  // enemy 2 is still in its display
    BookDefeat(2, 0);
    EXPECT_EQ(gBattleMonCount, 1u);
    EXPECT_EQ(MsDCount, 0);
    EXPECT_EQ(gTurn.reinforcement, 0);
}

}  // namespace
