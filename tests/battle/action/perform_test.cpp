// The action performance: single, sequence and group actions with fake hit
// acts, the resolution of one hit, the drains and the line mover.
#include <map>
#include <vector>

#include "battle/action/command_common.h"
#include "tests/battle/action/action_fixture.h"

namespace {

// A hit act that is over after `frames` calls per target and gathers
// `amount` on its last frame; it notes the frame each target started.
struct HitFake {
    int frames = 3;
    int32_t amount = 0;
    int frame = 0;  // the test's frame counter
    std::map<int, int> calls;
    std::map<int, int> startFrame;
    std::map<int, int> endFrame;
};
HitFake gHit;

int FakeTargetHit(Role*, Role*, int, int slot) {
    if (gHit.calls[slot]++ == 0) gHit.startFrame[slot] = gHit.frame;
    if (gHit.calls[slot] < gHit.frames) return 0;
    gHitLife[slot] += gHit.amount;
    gActionLife = gHitLife[slot];
    gHit.endFrame[slot] = gHit.frame;
    return 1;
}
int FakeSideHit(Role* t, Role* a, int act, int slot, int wholeSide) {
    if (wholeSide == 1) {
        // One act over the side: every party or enemy entry gathers the amount.
        if (++gHit.calls[0] < gHit.frames) return 0;
        for (int i = 0; i < kHitTargets; ++i) gHitLife[i] += gHit.amount;
        return 1;
    }
    return FakeTargetHit(t, a, act, slot);
}

class PerformTest : public ActionTest {
protected:
    // The drain kind of a role's action: 1 life, 2 spirit, 4 stamina.
    static void SetKind(Role& r, int kind) {
        r.action.flags = kind == 1 ? 0x100u : kind == 2 ? 0x200u : 0x400u;
    }
    void SetUp() override {
        ActionTest::SetUp();
        gHit = HitFake{};
        gPerformers.targetHit = FakeTargetHit;
        gPerformers.sideHit = FakeSideHit;
        gActionFlags = kActionRunning;
    }
    // Frames of RunCurrentAction until it reports the end (at most limit).
    static int RunToEnd(int limit = 200) {
        for (int n = 1; n <= limit; ++n) {
            gHit.frame = n;
            if (RunCurrentAction() == 1) return n;
        }
        return -1;
    }
};

TEST_F(PerformTest, NothingRunsWithoutTheRunningBitOrAfterTheOverBit) {
    Member(0, 0);
    Enemy(0);
    Turn(20);
    gActionFlags = 0;
    EXPECT_EQ(RunCurrentAction(), 0);
    gActionFlags = kActionRunning | kActionOver;
    EXPECT_EQ(RunCurrentAction(), 0);
    EXPECT_TRUE(gHit.calls.empty());
}

TEST_F(PerformTest, SingleActionAppliesTheGatheredAmountOnceAndDownsTheTarget) {
    ManRole& m = Member(0, 0);
    MonRole& e = Enemy(0, 300);
    Turn(20);
    m.BeginRoleAction(0);
    gHit.amount = 300;
    EXPECT_EQ(RunToEnd(), 3);
    EXPECT_EQ(e.MonLife(), 0u);
    EXPECT_EQ(e.defeated, 1u);
    EXPECT_EQ(gSomeoneDowned, 1u);
    EXPECT_EQ(gLastDowned, 0);
    EXPECT_EQ(gFlashRequest, 1u);
    EXPECT_EQ(gHitApplied, 1u);
    // Everything of the action is cleared: the next one starts open and empty.
    EXPECT_TRUE(AllTargetsOpen());
    EXPECT_EQ(gActionLife, 0);
    EXPECT_EQ(gHitLife[0], 0);
}

TEST_F(PerformTest, InvincibleShowsButAppliesNothing) {
    ManRole& m = Member(0, 0);
    MonRole& e = Enemy(0, 300);
    Turn(20);
    m.BeginRoleAction(0);
    gHit.amount = 500;
    gInvincible = 1;
    EXPECT_EQ(RunToEnd(), 3);
    EXPECT_EQ(e.MonLife(), 300u);
    EXPECT_EQ(gSomeoneDowned, 0u);
}

TEST_F(PerformTest, SingleActionWithoutTargetEndsAtOnceWithOneTrace) {
    ManRole& m = Member(0, 0);
    Enemy(0);
    Turn(20);
    m.ClearActionTarget();  // target -1
    const size_t traces = Traces();
    EXPECT_EQ(RunToEnd(), 1);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_TRUE(gHit.calls.empty());
}

TEST_F(PerformTest, SequenceStartsTargetsByTheStaggerDelayAndEndsWithTheLast) {
    Member(0, 0);
    Enemy(0, 1000);
    Enemy(1, 1000);
    Enemy(2, 1000);
    Turn(20, 0, 1, 0, 3);
    gStaggerDelay = 5;
    gHit.frames = 3;
    gHit.amount = 100;
    // Started on frames 1, 6 and 11; the third act is over on frame 13.
    EXPECT_EQ(RunToEnd(), 13);
    EXPECT_EQ(gHit.startFrame[0], 1);
    EXPECT_EQ(gHit.startFrame[1], 6);
    EXPECT_EQ(gHit.startFrame[2], 11);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(gMonRoles[i].MonLife(), 900u) << i;
    EXPECT_TRUE(AllTargetsOpen());
    EXPECT_EQ(AllHit, 0);
}

TEST_F(PerformTest, SequenceEndsWhenEveryStartedTargetIsDoneOrSkipped) {
    Member(0, 0);
    Enemy(0, 1000);
    Enemy(1, 1000).SetOut(1);
    Enemy(2, 1000);
    // ALk counts three targets but one is out: the action still ends.
    Turn(20, 0, 1, 0, 3);
    gStaggerDelay = 0;
    EXPECT_GT(RunToEnd(), 0);
    EXPECT_EQ(gHit.calls.count(1), 0u);
}

TEST_F(PerformTest, SequenceWithAZeroDelayStartsTheNextTargetOnTheNextFrame) {
    Member(0, 0);
    Enemy(0, 1000);
    Enemy(1, 1000);
    Turn(20, 0, 1, 0, 2);
    gStaggerDelay = 0;
    gHit.frames = 1;
    EXPECT_EQ(RunToEnd(), 2);
}

TEST_F(PerformTest, ALoopingHitActEndsTheActionAtTheFrameBound) {
    ManRole& m = Member(0, 0);
    Enemy(0);
    Turn(20);
    m.BeginRoleAction(0);
    gHit.frames = 1 << 30;
    const size_t traces = Traces();
    EXPECT_EQ(RunToEnd(kActionFrameCap + 10), kActionFrameCap + 1);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_TRUE(AllTargetsOpen());
}

TEST_F(PerformTest, EnemyGroupActionOnThePartySkipsTheSpiritAndDrainsOnce) {
    ManRole& a = Member(0, 0, 500);
    ManRole& b = Member(1, 1, 500);
    ManRole& sp = Member(2, 2, 500);
    sp.spirit = 1;
    MonRole& e = Enemy(0, 300);
    SetMonLifeOf(e.objRecord, 100);  // the drainer is hurt
    SetKind(e, 1);                   // its action drains life
    Turn(0, 0, 1, 1, 2);
    gHit.frames = 2;
    gHit.amount = 40;
    EXPECT_EQ(RunToEnd(), 2);
    EXPECT_EQ(Life(a), 460);
    EXPECT_EQ(Life(b), 460);
    EXPECT_EQ(Life(sp), 500);
    // The two drains are applied once, together.
    EXPECT_EQ(e.MonLife(), 180u);
    EXPECT_TRUE(AllTargetsOpen());
}

TEST_F(PerformTest, OneHitOf12345IsShownAndGatheredAs9999) {
    MonRole& attacker = Enemy(0);
    ManRole& target = Member(0, 0, 30000);
    attacker.skillAmount = 12345 + target.GetRoleDefence();
    ResolveTargetHit(&target, &attacker, 0, 1);
    EXPECT_EQ(gLastDamage, 9999);
    EXPECT_EQ(gHitLife[0], 9999);
    EXPECT_EQ(target.IsHurtMarked(), 1u);
}

TEST_F(PerformTest, NoNumberAddsNothingAndAHealOfOneIsAHeal) {
    MonRole& attacker = Enemy(0);
    ManRole& target = Member(0, 0);
    attacker.action.flags = 0x4000;  // no effect: -1
    ResolveTargetHit(&target, &attacker, 0, 1);
    EXPECT_EQ(gHitLife[0], 0);
    EXPECT_EQ(gLastDamage, 0);
    attacker.action.flags = 0;
    attacker.regenAmount[0] = 1;  // a heal of exactly 1 is also -1
    ResolveTargetHit(&target, &attacker, 1, 1);
    EXPECT_EQ(gHitLife[1], -1);
}

TEST_F(PerformTest, TwoHitsOnOneTargetAddUp) {
    MonRole& attacker = Enemy(0);
    ManRole& target = Member(0, 0, 5000);
    const uint16_t defence = target.GetRoleDefence();
    attacker.skillAmount = uint16_t(300 + defence);
    ResolveTargetHit(&target, &attacker, 0, 1);
    const int32_t first = gHitLife[0];
    attacker.skillAmount = uint16_t(200 + defence);
    ResolveTargetHit(&target, &attacker, 0, 1);
    const int32_t second = gHitLife[0] - first;
    EXPECT_GT(first, second);  // the weaker hit is the smaller part
    EXPECT_GT(second, 0);
    EXPECT_EQ(gActionLife, gHitLife[0]);
    EXPECT_EQ(Life(target), 5000);  // applied only at the end of its act
}

TEST_F(PerformTest, LineMoverDoublesThenGrowsBy64AndStopsAtTheEnd) {
    std::vector<int> xs;
    int x = 0, y = 0;
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(MoveAlongLine(&x, &y, 0, 0, 1000, 0, 0, 0, 3), 0);
        xs.push_back(x);
    }
    EXPECT_EQ(xs, (std::vector<int>{2, 4, 8, 16, 32, 64, 128, 192, 256}));
    // A short line: the walk arrives on its end point, never past it.
    int n = 0, r = 0;
    do {
        r = MoveAlongLine(&x, &y, 10, 10, 110, 60, 0, 0, 4);
        ++n;
    } while (r == 0 && n < 50);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(x, 110);
    EXPECT_EQ(y, 60);
    EXPECT_EQ(n, 7);  // 2 4 8 16 32 64 then the end (100 steps)
}

TEST_F(PerformTest, LineMoverWithAModeGrowsByTheModeAndWaitsForTheDelay) {
    int x = 0, y = 0;
    MoveAlongLine(&x, &y, 0, 0, 100, 0, 0, 2, 5);
    EXPECT_EQ(x, 0);  // still within its delay
    MoveAlongLine(&x, &y, 0, 0, 100, 0, 0, 2, 5);
    MoveAlongLine(&x, &y, 0, 0, 100, 0, 0, 2, 5);
    EXPECT_EQ(x, 2);
    MoveAlongLine(&x, &y, 0, 0, 100, 0, 3, 0, 6);
    MoveAlongLine(&x, &y, 0, 0, 100, 0, 3, 0, 6);
    EXPECT_EQ(x, 6);
}

TEST_F(PerformTest, SpiritDrainTakesNoMoreThanTheGiverHasAndNothingFromEnemies) {
    ManRole& taker = Member(0, 0, 500, 100);
    ManRole& giver = Member(1, 1, 500, 100);
    taker.baseStats->gauge[1] = 10;
    giver.baseStats->gauge[1] = 30;
    MonRole& e = Enemy(0);
    int32_t amount = 80;
    // An enemy gives no spirit: nothing moves and nothing is created.
    SetKind(taker, 2);
    TransferAmount(&amount, &taker, &e);
    EXPECT_EQ(taker.baseStats->gauge[1], 10);
    amount = 80;
    TransferAmount(&amount, &taker, &giver);
    EXPECT_EQ(taker.baseStats->gauge[1], 40);  // 30 moved, not 80
    EXPECT_EQ(gActionSpirit, -30);
    EXPECT_EQ(amount, 0);
    // A heal (negative) drains nothing: the taker never loses by its drain.
    SetKind(taker, 1);
    int32_t life = Life(taker);
    amount = -50;
    TransferAmount(&amount, &taker, &giver);
    EXPECT_EQ(Life(taker), life);
}

}  // namespace

namespace {

TEST_F(PerformTest, ARippleActionWithoutARippleObjectPlaysItsPlainActOnce) {
    ManRole& m = Member(0, 0);
    MonRole& e = Enemy(0);
    gRippleMode = 1;
    const size_t traces = Traces();
    // Act 0 cannot be stepped: the slot ends at once.
    EXPECT_EQ(PlayTargetHitAct(&e, &m, 0, 0), 1);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_EQ(gRippleMode, 0u);
}

TEST_F(PerformTest, ALaterHitKeepsTheSpiritAndStaminaOfEarlierOnes) {
    ManRole& attacker = Member(0, 0);
    MonRole& target = Enemy(0, 5000);
    // An earlier hit gathered spirit and stamina; a later one without any
    // adds nothing and takes nothing away.
    gHitSpirit[0] = -20;
    gHitStamina[0] = -5;
    ResolveTargetHit(&target, &attacker, 0, 1);
    EXPECT_EQ(gHitSpirit[0], -20);
    EXPECT_EQ(gHitStamina[0], -5);
    EXPECT_EQ(gActionSpirit, -20);
    EXPECT_EQ(gActionStamina, -5);
}

TEST_F(PerformTest, TheRippleVariantHitsOnceAfterItsHundredFrames) {
    ManRole& m = Member(0, 0);
    MonRole& e = Enemy(0, 300);
    Turn(20);
    m.SetCommand(1);  // a plain attack with a prepared power
    m.skillAmount = 200;
    m.BeginRoleAction(0);
    gManHitAct[0] = 6000;
    gPerformers.targetHit = PlayTargetHitAct;
    command::CreateActionRipple();
    ASSERT_EQ(gRippleMode, 1u);
    EXPECT_EQ(RunToEnd(), 100);
    EXPECT_LT(e.MonLife(), 300u);
    EXPECT_GT(e.MonLife(), 0u);
    const uint32_t life = e.MonLife();
    command::ReleaseActionRipple();
    EXPECT_EQ(gRippleMode, 0u);
    EXPECT_EQ(gAction.ripple, nullptr);
    EXPECT_EQ(e.MonLife(), life);
}

}  // namespace
