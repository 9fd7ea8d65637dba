// The enemies' command application with fake performers.
#include <string>

#include "base/memory.h"
#include "battle/action/action_texts.h"
#include "battle/role/effect_node.h"
#include "tests/battle/action/action_fixture.h"

namespace {

constexpr uint16_t kMonster = 1000;

class EnemyCommandTest : public ActionTest {
protected:
    void SetUp() override {
        ActionTest::SetUp();
        ObjFixedFields stealable;
        stealable.kind = 12;
        Table({{kMonster, ObjectRecordBytes("beast", 0, {})},
               {300, ObjectRecordBytes("herb", 0, {})},
               {310, ObjectRecordBytes("coin", 0, {}, stealable)}});
    }
    // The control effect (kind 0x400) on a role, as an ailment node.
    static void Control(Role& r) {
        auto* n = static_cast<EffectNode*>(AllocZero(int(sizeof(EffectNode))));
        ASSERT_NE(n, nullptr);
        n->kind = 0x400;
        n->turnsLeft = 3;
        n->next = r.effects;
        r.effects = n;
    }
    int Run(int id, int target, int limit = 100) {
        return FramesUntilDone([&] { return EnemyFrame(id, target); }, limit);
    }
};

TEST_F(EnemyCommandTest, AnAttackOnThePartyBooksItsAmountThenWalksBack) {
    ManRole& m = Party(0, 0, 500);
    MonRole& e = Enemy(0);
    Turn(0);
    e.SetCommand(1);
    gFakes[kFakeMonAttack] = FakeKind{3, 70};
    gFakes[kFakeWalkBack].frames = 2;
    EXPECT_EQ(Run(0, 0), 5);
    EXPECT_EQ(Life(m), 430);
    EXPECT_EQ(gActionLife, 0);
    EXPECT_EQ(UM, -1);
    EXPECT_EQ(e.GetCommand(), 0);
}

// An attack whose act starts the action performance (a screen tint) on its
// second frame; the performance's hit gathers 40.
int AttackStartingTheAction(Role*, Role*, int) {
    if (++gFakes[kFakeMonAttack].calls < 2) return 0;
    gActionFlags |= kActionRunning;
    return 1;
}
int HitOf40(Role*, Role*, int, int slot) {
    if (++gFakes[kFakeSkill].calls < 3) return 0;
    gHitLife[slot] += 40;
    gActionLife = gHitLife[slot];
    return 1;
}

TEST_F(EnemyCommandTest, AnAttackWaitsForTheActionItStartedAndBooksNothingTwice) {
    ManRole& m = Party(0, 0, 500);
    MonRole& e = Enemy(0);
    Turn(0);
    e.BeginRoleAction(0);
    e.SetCommand(1);
    gPerformers.monAttack = AttackStartingTheAction;
    gPerformers.targetHit = HitOf40;
    EXPECT_GT(Run(0, 0), 0);
    EXPECT_EQ(gFakes[kFakeMonAttack].calls, 2);  // never started again while it waited
    EXPECT_EQ(Life(m), 460);
    EXPECT_EQ(gActionFlags & (kActionRunning | kActionOver), 0u);
}

TEST_F(EnemyCommandTest, AnAttackOnItsOwnSideBooksTheDownAsPendingDefeat) {
    MonRole& e = Enemy(0);
    MonRole& other = Enemy(1, 50);
    Party(0, 0);
    Turn(0, 1);
    e.SetCommand(1);
    gFakes[kFakeMonAttack] = FakeKind{1, 80};
    EXPECT_EQ(Run(0, 1), 1);
    EXPECT_EQ(other.defeated, 1u);
    EXPECT_EQ(gPendingDefeat[1], 1);
}

TEST_F(EnemyCommandTest, AStealWithEveryStolenSlotUsedFailsSafely) {
    Party(0, 0);
    Bag(300, 5);
    MonRole& e = Enemy(0);
    for (int k = 0; k < kStolenPerEnemy; ++k) gStolenItems[0][k] = uint16_t(2000 + k);
    Turn(0);
    e.SetCommand(1);
    gPendingSteal = 1;
    EXPECT_GT(Run(0, 0), 0);
    EXPECT_EQ(FindBagItem(300)->count, 5);
    EXPECT_EQ(LastMessage(), std::string(kEnemyStealFailText));
    EXPECT_EQ(gPendingSteal, 0u);
}

TEST_F(EnemyCommandTest, AStealTakesOneItemIntoTheFirstFreeSlot) {
    Party(0, 0);
    Bag(310, 2);
    MonRole& e = Enemy(0);
    gStolenItems[0][0] = 300;
    Turn(0);
    e.SetCommand(1);
    gPendingSteal = 1;
    EXPECT_GT(Run(0, 0), 0);
    EXPECT_EQ(FindBagItem(310)->count, 1);
    EXPECT_EQ(gStolenItems[0][1], 310);
    const std::string said = LastMessage();
    EXPECT_NE(said.find("coin"), std::string::npos);
    // When it goes down or leaves, both come back once.
    EXPECT_EQ(ReturnStolenItems(0), 2);
    EXPECT_EQ(FindBagItem(310)->count + FindBagItem(310)->newCount, 2);
}

TEST_F(EnemyCommandTest, CodesWithoutRowsAndTheEndlessFadeEndAtOnce) {
    Party(0, 0);
    MonRole& e = Enemy(0);
    Turn(0);
    for (uint16_t code : {uint16_t(3), uint16_t(5), uint16_t(10), uint16_t(16), uint16_t(150)}) {
        e.command = code;
        const size_t traces = Traces();
        EXPECT_EQ(EnemyFrame(0, 0), 1) << code;
        EXPECT_EQ(Traces(), traces + 1) << code;
        EXPECT_EQ(e.GetCommand(), 0) << code;
    }
}

TEST_F(EnemyCommandTest, ReinforcementsStopAtTwentyEnemies) {
    Party(0, 0);
    for (int i = 0; i < 19; ++i) Enemy(i);
    MonRole& caller = gMonRoles[0];
    caller.action.value = kMonster;
    caller.action.duration = 2;
    Turn(0);
    caller.SetCommand(15);
    const size_t traces = Traces();
    const int frames = Run(0, 0);
    EXPECT_EQ(frames, 26);
    EXPECT_EQ(gBattleMonCount, 20u);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_EQ(gReinforceId, kMonster);
    EXPECT_EQ(gMonRoles[19].status & 0x400, 0x400);
}

TEST_F(EnemyCommandTest, ReinforcementsOnTheMirroredLayoutStandAt400) {
    Party(0, 0);
    MonRole& caller = Enemy(0);
    caller.action.value = kMonster;
    caller.action.duration = 2;
    gBattleMirrored = 1;
    Turn(0);
    caller.SetCommand(15);
    EXPECT_GT(Run(0, 0), 0);
    ASSERT_EQ(gBattleMonCount, 3u);
    EXPECT_EQ(gMonRoles[1].slot.homeX, 400);
    EXPECT_EQ(gMonRoles[1].slot.homeY, 200);
    EXPECT_EQ(gMonRoles[2].slot.homeY, 340);
    gBattleMirrored = 0;
}

TEST_F(EnemyCommandTest, AnEnemyThatLeavesGivesNoRewardsAndReturnsWhatItStoleOnce) {
    Party(0, 0);
    MonRole& e = Enemy(0);
    gStolenItems[0][0] = 300;
    gStolenItems[0][5] = 300;
    Turn(0);
    e.SetCommand(17);
    EXPECT_EQ(Run(0, 0), 1);
    EXPECT_EQ(e.IsOut(), 1u);
    EXPECT_EQ(gCaptured[0], 1);
    ASSERT_NE(FindBagItem(300), nullptr);
    EXPECT_EQ(FindBagItem(300)->newCount, 2);
    EXPECT_EQ(LastMessage(), std::string(kStolenBackText));
    // A second return gives nothing more.
    EXPECT_EQ(ReturnStolenItems(0), 0);
    EXPECT_EQ(FindBagItem(300)->newCount, 2);
}

TEST_F(EnemyCommandTest, MagicOnAnOutMemberTurnsToTheFirstStandingUntargetedOne) {
    ManRole& a = Party(0, 0);
    ManRole& b = Party(1, 1);
    ManRole& sp = Party(2, 2);
    Party(3, 3);
    a.SetOut(1);
    b.SetRoleTargetFlag(1);
    sp.spirit = 1;
    MonRole& e = Enemy(0);
    Turn(0);
    e.BeginRoleAction(0);
    e.SetCommand(2);
    gPerformers.targetHit = [](Role*, Role*, int, int) { return 1; };
    EXPECT_EQ(Run(0, 0), 2);
    EXPECT_EQ(e.GetActionTarget(), 3);
    EXPECT_TRUE(AllTargetsOpen());
    EXPECT_EQ(gActionFlags & (kActionRunning | kActionOver), 0u);
}

TEST_F(EnemyCommandTest, AControlledMembersMarkIsSetOnceAndNeverPastTheThirdSlot) {
    Party(0, 0);
    Party(1, 1);
    Party(2, 2);
    ManRole& fourth = Party(5, 3);
    MonRole& e = Enemy(4);
    Control(fourth);
    Turn(4);
    e.SetCommand(1);
    EXPECT_GT(Run(4, 5), 0);
    for (uint16_t mark : gControlMark) EXPECT_EQ(mark, 0);
    Control(gManRoles[1]);
    e.SetCommand(1);
    EXPECT_GT(Run(4, 1), 0);
    EXPECT_EQ(gControlMark[1], 5);
}

}  // namespace
