// Damage, healing, defence, the element cycle and the charge gauge.
#include "battle/hud/accumulator.h"
#include "battle/role/role_damage.h"
#include "tests/battle/role/role_fixture.h"

namespace {

using DamageTest = RoleTest;

TEST_F(DamageTest, AnEnemysLifeFallsRisesToItsMaximumAndADefeatIsReportedOnce) {
    MonRole& e = Enemy(0, 300);
    EXPECT_EQ(e.DamageRole(100, 0, 0), 0u);
    EXPECT_EQ(e.MonLife(), 200u);
    EXPECT_EQ(e.DamageRole(-500, 0, 0), 0u);  // a heal never kills and stops at the maximum
    EXPECT_EQ(e.MonLife(), 300u);
    EXPECT_EQ(e.DamageRole(300, 0, 0), 1u);
    EXPECT_EQ(e.MonLife(), 0u);
    EXPECT_GE(e.defeatEffect, 1);
    EXPECT_LE(e.defeatEffect, 10);
    EXPECT_EQ(e.DamageRole(10, 0, 0), 0u);  // defeated, not yet out: no second report
}

TEST_F(DamageTest, TheExtraPoolTakesHitsFirstAndKeepsItsBonus) {
    MonRole& e = Enemy(0, 1000);
    e.extraLife = e.extraLifeMax = 1400;  // a pool above the life maximum
    EXPECT_EQ(e.DamageRole(100, 0, 0), 0u);
    EXPECT_EQ(e.extraLife, 1300);
    EXPECT_EQ(e.MonLife(), 1000u);
    EXPECT_EQ(e.DamageRole(-50, 0, 0), 0u);
    EXPECT_EQ(e.extraLife, 1350);
    EXPECT_EQ(e.DamageRole(-500, 0, 0), 0u);
    EXPECT_EQ(e.extraLife, 1400);
    e.extraLife = 50;
    EXPECT_EQ(e.DamageRole(80, 0, 0), 1u);  // the rest is not carried over: life 0 at once
    EXPECT_EQ(e.extraLife, 0);
    EXPECT_EQ(e.MonLife(), 0u);
}

TEST_F(DamageTest, BlockedDamage) {
    MonRole& e = Enemy(0, 300);
    e.status = kStatusNoDamage;
    EXPECT_EQ(e.DamageRole(50, 0, 0), 0u);
    e.status = 0;
    e.effectBits = kEffectResistAll;
    EXPECT_EQ(e.DamageRole(50, 0, 0), 0u);
    EXPECT_EQ(e.DamageRole(-10, 0, 0), 0u);  // a heal still passes resist-all
    e.effectBits = 0;
    e.out = 1;
    EXPECT_EQ(e.DamageRole(500, 0, 0), 0u);
    EXPECT_EQ(e.MonLife(), 300u);
}

TEST_F(DamageTest, APartyMembersGaugesStayWithinZeroAndTheirMaxima) {
    ManRole& m = Member(0, 0, 500, 100, 80);
    gMemberStats[0].gauge[0] = 200;
    EXPECT_EQ(m.DamageRole(-1000, -30, 500), 0u);
    EXPECT_EQ(gMemberStats[0].gauge[0], 500);
    EXPECT_EQ(gMemberStats[0].gauge[1], 70);
    EXPECT_EQ(gMemberStats[0].gauge[2], 80);
    EXPECT_EQ(m.DamageRole(0, -500, -500), 0u);
    EXPECT_EQ(gMemberStats[0].gauge[1], 0);
    EXPECT_EQ(gMemberStats[0].gauge[2], 0);
    // A script's large amount neither wraps the 16-bit life nor revives.
    EXPECT_EQ(m.DamageRole(100000, 0, 0), 1u);
    EXPECT_EQ(gMemberStats[0].gauge[0], 0);
    EXPECT_EQ(m.DamageRole(100000, 0, 0), 0u);
}

TEST_F(DamageTest, ADefeatedGuardShowsTheGuardDisplay) {
    ManRole& g = Member(4, 2, 50);
    g.member = 0;
    g.guard = 1;
    g.baseStats = g.stats;
    EXPECT_EQ(g.DamageRole(60, 0, 0), 1u);
    EXPECT_EQ(g.defeatEffect, 6);
}

TEST_F(DamageTest, TheSilverShieldPaysForHitsButNotForHeals) {
    ManRole& m = Member(0, 0, 500);
    m.silverShield = 1;
    gTalkVar[0] = 150;
    EXPECT_EQ(m.DamageRole(100, 0, 0), 0u);
    EXPECT_EQ(gTalkVar[0], 50u);
    EXPECT_EQ(gMemberStats[0].gauge[0], 500);
    EXPECT_EQ(m.DamageRole(80, 0, 0), 0u);  // silver pays 50, life the rest
    EXPECT_EQ(gTalkVar[0], 0u);
    EXPECT_EQ(gMemberStats[0].gauge[0], 470);
    gTalkVar[0] = 10;
    EXPECT_EQ(m.DamageRole(-20, 0, 0), 0u);  // a shielded member can still be healed
    EXPECT_EQ(gMemberStats[0].gauge[0], 490);
    EXPECT_EQ(gTalkVar[0], 10u);
}

TEST_F(DamageTest, DamageTransferFlashesInPlaceOfTheFirstHit) {
    ManRole& m = Member(0, 0, 500);
    m.effectBits = kEffectTransfer;
    EXPECT_EQ(m.DamageRole(100, 0, 0), 0u);
    EXPECT_EQ(gMemberStats[0].gauge[0], 500);
    EXPECT_EQ(gFlashRequest, 1u);
    m.transferFlag = 1;
    EXPECT_EQ(m.DamageRole(100, 0, 0), 0u);
    EXPECT_EQ(gMemberStats[0].gauge[0], 400);
    EXPECT_EQ(m.transferFlag, 0);
}

TEST_F(DamageTest, BankingAddsToTheAccumulatorAndTheBankedTotal) {
    ManRole& m = Member(0, 0, 5000);
    m.statusDword = 0x100;
    m.skillValue = 50;
    EXPECT_EQ(m.DamageRole(1000, 0, 0), 0u);
    // b = (1000 * 80 / 100) * 50 / 100 + 1000 * 20 / 100 = 400 + 200
    EXPECT_EQ(m.bankedTotal, 600);
    EXPECT_EQ(gAccumCap, 95 * 50 + 500);
    EXPECT_EQ(gAccumTotal, 600);
    m.DamageRole(10000, 0, 0);  // 6000 more passes the cap: both emptied
    EXPECT_EQ(m.bankedTotal, 0);
    EXPECT_EQ(gAccumTotal, 0);
}

TEST_F(DamageTest, TheElementCycle) {
    // metal 0, wood 1, water 2, fire 3, earth 4
    const int8_t pct[5] = {0, 20, 30, 10, 0};
    uint16_t v = 100;
    EXPECT_EQ(ApplyElementCycle(pct, 1, &v), 1u);
    EXPECT_EQ(static_cast<int16_t>(v), -32);  // 100 -> 90 -> 108 -> heals 32
    const struct {
        int16_t element;
        int8_t pct[5];
        int16_t out;
        uint32_t heals;
    } cases[] = {
        {2, {50, 0, 0, 0, 0}, 50, 0},   // metal overcomes wood
        {2, {0, 0, 0, 0, 50}, 150, 0},  // wood overcomes earth
        {2, {0, 0, 0, 50, 0}, -50, 1},  // wood generates fire
        {3, {0, 50, 0, 0, 0}, -50, 1},  // water generates wood
        {4, {0, 0, 0, 0, 25}, -25, 1},  // fire generates earth
        {5, {25, 0, 0, 0, 0}, -25, 1},  // earth generates metal
        {0, {90, 90, 90, 90, 90}, 100, 0},
        {6, {90, 90, 90, 90, 90}, 100, 0},
    };
    for (const auto& c : cases) {
        uint16_t value = 100;
        EXPECT_EQ(ApplyElementCycle(c.pct, c.element, &value), c.heals) << c.element;
        EXPECT_EQ(static_cast<int16_t>(value), c.out) << c.element;
    }
}

TEST_F(DamageTest, DefenceWithBuffsShieldAndStacks) {
    ManRole& m = Member(0, 0);
    m.stats->bonus[1] = 200;
    EXPECT_EQ(m.GetRoleDefence(), 200);
    m.stackCount = 5;
    EXPECT_EQ(m.GetRoleDefence(), 100);
    m.stackCount = 0;
    m.effectBits = kEffectShield;
    EXPECT_EQ(m.GetRoleDefence(), 340);
    m.effectBits = kEffectDefenceDown;
    m.defenceAmount = 150;
    EXPECT_EQ(m.GetRoleDefence(), 0);  // never below 0
    MonRole& e = Enemy(0, 100, 80);
    e.effectBits = kEffectDefenceUp | kEffectShield;  // an enemy has no shield bonus
    e.defenceAmount = 50;
    EXPECT_EQ(e.GetRoleDefence(), 120);
}

TEST_F(DamageTest, PendingTickDamageIsShownAndApplied) {
    MonRole& e = Enemy(0, 100);
    EXPECT_EQ(e.ApplyPendingDamage(), 0u);
    e.pendingDamage = 30;
    EXPECT_EQ(e.ApplyPendingDamage(), 0u);
    EXPECT_EQ(e.MonLife(), 70u);
    EXPECT_EQ(e.pendingDamage, 0);
    EXPECT_EQ(e.shown[0].sprite, 9097);
    EXPECT_TRUE(e.IsHurtMarked());
    e.pendingDamage = -20;
    e.ApplyPendingDamage();
    EXPECT_EQ(e.MonLife(), 90u);
    EXPECT_EQ(e.shown[1].sprite, 9085);
    e.pendingDamage = 90;
    EXPECT_EQ(e.ApplyPendingDamage(), 1u);
}

TEST_F(DamageTest, TheDefeatOverrideWins) {
    MonRole& e = Enemy(0, 10);
    e.SetDefeatEffect(3);
    EXPECT_EQ(e.defeatEffect, 3);
    e.SetDefeatEffectOverride(9);
    e.SetDefeatEffect(4);
    EXPECT_EQ(e.defeatEffect, 9);
    e.DamageRole(10, 0, 0);
    EXPECT_EQ(e.defeatEffect, 9);
}

TEST_F(DamageTest, TheChargeGaugeFillsWithDamageTaken) {
    ManRole& m = Member(0, 0, 1000);
    m.AddChargeGauge(10);
    EXPECT_EQ(gMemberBattle[0].charge, 0u);
    EXPECT_EQ(m.chargeCarry, 10);
    m.AddChargeGauge(10);
    EXPECT_EQ(gMemberBattle[0].charge, 0u);
    EXPECT_EQ(m.chargeCarry, 20);
    m.AddChargeGauge(25);
    EXPECT_EQ(gMemberBattle[0].charge, 1u);
    EXPECT_EQ(m.chargeCarry, 0);
    m.AddChargeGauge(1000);
    EXPECT_EQ(m.IsChargeGaugeFull(), 1u);
    m.AddChargeGauge(0);
    EXPECT_EQ(gMemberBattle[0].charge, 0u);
    m.AddChargeGauge(-1);
    EXPECT_EQ(gMemberBattle[0].charge, 48u);
    gMemberStats[0].gaugeMax[0] = 0;  // a maximum of 0 fills it, never divides
    m.AddChargeGauge(0);
    m.AddChargeGauge(1);
    EXPECT_EQ(gMemberBattle[0].charge, 48u);
    m.spirit = 1;
    m.AddChargeGauge(0);
    EXPECT_EQ(gMemberBattle[0].charge, 48u);  // the spirit has no charge gauge
}

TEST(AccumulatorTest, TheRunningTotalStaysWithinItsCap) {
    ResetAccumulator();
    SetAccumulatorCap(100);
    EXPECT_EQ(AddToAccumulator(60), 1);
    EXPECT_EQ(AddToAccumulator(-80), 1);
    EXPECT_EQ(gAccumTotal, 0);
    EXPECT_EQ(gAccumLast, 0);
    EXPECT_EQ(AddToAccumulator(100), 1);
    EXPECT_EQ(AddToAccumulator(1), 0);
    EXPECT_EQ(gAccumTotal, 0);
    EXPECT_EQ(AddToAccumulator(40), 1);
    EXPECT_EQ(AddToAccumulator(-1), 1);
    EXPECT_EQ(gAccumTotal, 0);
}

}  // namespace
