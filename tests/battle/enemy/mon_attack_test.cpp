// The enemy's performers on acts generated for the test (the character
// pack: sprite set n is entry n; act 40 the attack, 48 and 49 the attack
// objects, 36 the leave).
#include "battle/battle_state.h"
#include "tests/battle/enemy/enemy_fixture.h"
#include "tests/battle/role/scripted_random.h"

namespace {

enum : uint16_t {
    kHitSet = 1,      // act 40: the hit on frame 2, then "O2"
    kLoopSet = 2,     // act 40 loops for ever
    kNoActSet = 3,    // no act 40
    kLatchSet = 4,    // act 40: the hit raised once, then three more frames
    kSpecialSet = 5,  // act 7: no event 0x8; act 8: a screen effect (0x8 with 0x400)
    kLeaveSet = 6,    // act 36
};

class MonAttackTest : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        Pack("all_char.act",
             {{kHitSet, Entry({{40, "SD 0 PA 0 ED PA 1 AT 1 ED PA 2 O2"}, {48, "SD 0 PA 0 ED AT 1 PA 1 O2"}})},
              {kLoopSet, Entry({{40, "SD 0 PA 0 ED PA 1 OV"}})},
              {kNoActSet, Entry({{36, "SD 0 PA 0 O2"}})},
              {kLatchSet, Entry({{40, "SD 0 PA 0 AT 1 ED PA 1 ED PA 2 ED PA 3 O2"}})},
              {kSpecialSet, Entry({{7, "SD 0 PA 0 ED PA 1 O2"}, {8, "SD 0 PA 0 AT 0x408 ED PA 1 O2"}})},
              {kLeaveSet, Entry({{36, "SD 0 PA 0 ED PA 1 ED PA 2 OV"}})}});
    }
    MonRole& Attacker(uint16_t spriteSet, uint16_t power = 60) {
        MonRole& e = Enemy(0);
        e.spriteSet = spriteSet;
        e.skillAmount = power;
        e.name = "Ogre";
        return e;
    }
    // Calls until the performer reports its end; the calls it took (0: not
    // within the limit).
    template <typename F>
    static int Run(F step, int limit = 1000) {
        for (int call = 1; call <= limit; ++call)
            if (step() == 1) return call;
        return 0;
    }
};

TEST_F(MonAttackTest, AGeneratedActHitsOnceAndEndsWithIt) {
    MonRole& e = Attacker(kHitSet);
    e.command = 1;
    ManRole& m = Member(0, 0);
    m.stats->bonus[1] = 10;  // defence
    ScriptRandom({});        // every roll 0
    const uint16_t before = e.gauge;
    EXPECT_EQ(Run([&] { return e.MonRoleAttack(&m); }), 3);  // frames 0, 1 (the hit), 2 ("O2")
    EXPECT_EQ(m.shownCursor, 1);                               // exactly one hit
    EXPECT_EQ(m.shown[0].Amount(), 52);                        // 60 + 1 less defence 10, + 1
    EXPECT_EQ(e.hitCounter, 1);
    EXPECT_EQ(m.IsHurtMarked(), 1u);
    EXPECT_GE(e.gauge, before + 10);
    EXPECT_LE(e.gauge, before + 129);
    EXPECT_TRUE(e.acts[kActPerform].Empty());
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(MonAttackTest, ALatchedHitEventLandsOnce) {
    MonRole& e = Attacker(kLatchSet);
    ManRole& m = Member(0, 0);
    EXPECT_EQ(Run([&] { return e.MonRoleAttack(&m); }), 4);
    EXPECT_EQ(e.hitCounter, 1);
    EXPECT_EQ(m.shownCursor, 1);
}

TEST_F(MonAttackTest, TheAttackObjectPlaysItsOwnAct) {
    MonRole& e = Attacker(kHitSet);
    e.attackKind = 1;
    ManRole& m = Member(0, 0);
    EXPECT_EQ(Run([&] { return e.MonRoleAttack(&m); }), 2);
    EXPECT_EQ(e.hitCounter, 1);
}

TEST_F(MonAttackTest, ALoopingActEndsAtTheCapWithOneTrace) {
    MonRole& e = Attacker(kLoopSet);
    ManRole& m = Member(0, 0);
    const size_t traces = Traces();
    EXPECT_EQ(Run([&] { return e.MonRoleAttack(&m); }), kMonPerformFrameCap + 1);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_EQ(Boxes(), 0u);
    EXPECT_TRUE(e.acts[kActPerform].Empty());
    // The next attack starts afresh.
    e.spriteSet = kHitSet;
    EXPECT_EQ(Run([&] { return e.MonRoleAttack(&m); }), 3);
}

TEST_F(MonAttackTest, AMissingActShowsOneBoxAndEndsTheAttack) {
    MonRole& e = Attacker(kNoActSet);
    ManRole& m = Member(0, 0);
    EXPECT_EQ(e.MonRoleAttack(&m), 1);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "Attack Act");
    EXPECT_EQ(m.shownCursor, 0);
}

TEST_F(MonAttackTest, NoTargetEndsAtOnceWithOneTrace) {
    MonRole& e = Attacker(kHitSet);
    const size_t traces = Traces();
    EXPECT_EQ(e.MonRoleAttack(nullptr), 1);
    EXPECT_EQ(e.MonSpecialAct(nullptr), 1);
    EXPECT_EQ(Traces(), traces + 2);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(MonAttackTest, TheRepeatCountWaitsButNeverPastTheCap) {
    MonRole& e = Attacker(kHitSet);
    ManRole& m = Member(0, 0);
    e.repeatCount = 1;
    EXPECT_EQ(Run([&] { return e.MonRoleAttack(&m); }), kMonPerformFrameCap + 1);
    EXPECT_EQ(m.shownCursor, 0);
}

TEST_F(MonAttackTest, TheAttackRaisesTriggerTwentySeven) {
    MonRole& e = Attacker(kHitSet);
    SetObjWordAt(e.objRecord, mon::kTrigger, 27);
    SetObjWordAt(e.objRecord, mon::kReaction, 1014);
    ManRole& m = Member(0, 0);
    Run([&] { return e.MonRoleAttack(&m); });
    EXPECT_NE(e.state & kStateTriggerFired, 0u);
    EXPECT_EQ(e.GetMonTriggerPhase(), 2);
}

TEST_F(MonAttackTest, ASelfDestructingStrikeRisesThenDefeatsTheEnemy) {
    MonRole& e = Attacker(kNoActSet);  // it needs no act
    e.state |= kStateSelfDestruct;
    ManRole& m = Member(0, 0);
    m.slot.homeX = 123;
    m.slot.homeY = 77;
    EXPECT_EQ(Run([&] { return e.MonRoleAttack(&m); }), 32);
    EXPECT_EQ(e.defeated, 1u);
    EXPECT_EQ(e.MonLife(), 0u);
    EXPECT_EQ(e.defeatOverride, 2);
    EXPECT_EQ(gMonBattle.selfDestruct, 1u);
    EXPECT_EQ(e.slot.homeX, 123);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(MonAttackTest, ASpecialActWithoutAnEffectEndsWithTheAct) {
    MonRole& e = Attacker(kSpecialSet);
    e.specialAct = 7;
    ManRole& m = Member(0, 0);
    EXPECT_EQ(Run([&] { return e.MonSpecialAct(&m); }), 2);
}

TEST_F(MonAttackTest, ASpecialActWithAnEffectWaitsForTheBattleOrTheCap) {
    MonRole& e = Attacker(kSpecialSet);
    e.specialAct = 8;
    ManRole& m = Member(0, 0);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(e.MonSpecialAct(&m), 0);
    EXPECT_NE(gActionFlags & kActionRunning, 0u);
    gActionFlags |= kActionOver;
    EXPECT_EQ(e.MonSpecialAct(&m), 1);

    gActionFlags = 0;
    e.specialAct = 8;  // the end of an act clears it
    const size_t traces = Traces();
    EXPECT_EQ(Run([&] { return e.MonSpecialAct(&m); }), kMonPerformFrameCap + 1);
    EXPECT_EQ(Traces(), traces + 1);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(MonAttackTest, AMissingSpecialActShowsOneBox) {
    MonRole& e = Attacker(kSpecialSet);
    e.specialAct = 9;
    ManRole& m = Member(0, 0);
    EXPECT_EQ(e.MonSpecialAct(&m), 1);
    EXPECT_EQ(Boxes(), 1u);
}

TEST_F(MonAttackTest, TheLeaveFadesTheEnemyOutEvenWithoutItsAct) {
    for (uint16_t set : {kLeaveSet, kHitSet}) {
        MonRole& e = Attacker(set);
        e.out = 0;
        e.performStarted = 0;
        EXPECT_EQ(Run([&] { return e.MonLeaveAct(); }), 9) << set;
        EXPECT_EQ(e.out, 1u);
    }
    EXPECT_EQ(Boxes(), 0u);
}

}  // namespace
