// Weapon skills and treasure growth; the status accessors and the reset.
#include "tests/battle/role/role_fixture.h"

namespace {

class SkillTest : public RoleTest {
protected:
    ManRole& Carrier(uint16_t id0, uint16_t kind0, uint16_t id1, uint16_t kind1, uint16_t max = 200) {
        ManRole& m = Member(0, 0, 500, 100, 40);
        m.treasureId[0] = id0;
        m.treasure[0].w[17] = kind0;
        m.treasure[0].w[16] = max;
        m.treasure[0].w[14] = 0x4000 | 30;
        m.treasureId[1] = id1;
        m.treasure[1].w[17] = kind1;
        m.treasure[1].w[16] = max;
        m.treasure[1].w[14] = 50;
        return m;
    }
};

TEST_F(SkillTest, GrowthIsCountedPerTreasureAndNeverPastItsMaximum) {
    ManRole& m = Carrier(700, 30, 701, 30);
    EXPECT_EQ(m.AddWeaponExperience(&gFameList3, 30, 50), 1u);
    EXPECT_EQ(FindCount(&gFameList3, 700)->count, 50);
    EXPECT_EQ(FindCount(&gFameList3, 701)->count, 50);  // both treasures of the kind grow
    EXPECT_EQ(FindCount(&gFameList3, 700)->percent, 25);
    m.AddWeaponExperience(&gFameList3, 30, 500);
    EXPECT_EQ(FindCount(&gFameList3, 700)->count, 200);
    EXPECT_EQ(FindCount(&gFameList3, 700)->percent, 100);
    EXPECT_EQ(m.AddWeaponExperience(&gFameList3, 31, 5), 0u);
    EXPECT_EQ(gFameList3.id, 2);
}

TEST_F(SkillTest, OneItemWornTwiceGrowsOnce) {
    ManRole& m = Carrier(700, 30, 700, 30);
    m.AddWeaponExperience(&gFameList3, 30, 20);
    EXPECT_EQ(FindCount(&gFameList3, 700)->count, 20);
    EXPECT_EQ(gFameList3.id, 1);
}

TEST_F(SkillTest, ATreasureWithoutAMaximumIsCompleteAtOnce) {
    ManRole& m = Carrier(700, 30, 0, 0, 0);
    m.AddWeaponExperience(&gFameList3, 30, 20);
    CountNode* n = FindCount(&gFameList3, 700);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->count, 0);
    EXPECT_EQ(n->percent, 100);
    EXPECT_EQ(n->complete, 1);
    m.AddWeaponExperience(&gFameList3, 30, 20);
    EXPECT_EQ(n->count, 0);  // complete: unchanged
}

TEST_F(SkillTest, TheSkillValueIsTheTreasuresGrowthOrNothing) {
    ManRole& m = Carrier(700, 39, 0, 0);
    SetCountPercent(&gFameList3, 700, 200, 70);  // 35 per cent
    EXPECT_EQ(m.SelectRoleWeaponSkill(39), 35);
    for (int16_t stacks : {0, 1, 2}) {
        m.stackCount = stacks;
        EXPECT_EQ(m.CanRaiseStackCount(), 1u) << stacks;
    }
    m.stackCount = 3;
    EXPECT_EQ(m.CanRaiseStackCount(), 0u);
    EXPECT_EQ(m.GetRoleStackCount(), 4);
    // No treasure of the kind: no strength, rather than the last kind's.
    EXPECT_EQ(m.SelectRoleWeaponSkill(25), 0);
    EXPECT_EQ(m.skillValue, 0);
}

TEST_F(SkillTest, CostsAndUsability) {
    ManRole& m = Carrier(700, 40, 701, 25);
    EXPECT_EQ(m.GetWeaponSkillCost(40), 30);
    EXPECT_EQ(m.GetWeaponSkillCost(25), 50);
    EXPECT_EQ(m.GetWeaponSkillCost(33), 0);
    EXPECT_EQ(m.CanUseWeaponSkill(40), 1u);
    EXPECT_EQ(m.CanUseWeaponSkill(25), 0u);  // 50 stamina asked, 40 held
    m.statusDword = 0x100;                   // banking: kind 40 is free
    EXPECT_EQ(m.GetWeaponSkillCost(40), 0);
    gMemberStats[0].gauge[2] = 60;
    uint32_t before = m.skillBits;
    EXPECT_EQ(m.CanUseWeaponSkill(25), 1u);
    EXPECT_EQ(m.skillBits, before);  // a question changes nothing
    m.effectBits = kEffectShield;
    EXPECT_EQ(m.CanUseWeaponSkill(32), 0u);
    EXPECT_EQ(m.CanUseWeaponSkill(57), 0u);
    m.statusDword |= 0x40;
    EXPECT_EQ(m.CanUseWeaponSkill(57), 1u);
}

using StatusTest = RoleTest;

TEST_F(StatusTest, SetRoleGaugesByTheSide) {
    ManRole& m = Member(0, 0, 300, 50, 60);
    m.SetRoleGauges(0, 0, 0);
    EXPECT_EQ(gMemberStats[0].gauge[0], 300);
    EXPECT_EQ(gMemberStats[0].gaugeMax[0], 300);
    gMemberStats[0].gauge[1] = 10;
    m.SetRoleGauges(700, -1, -5);
    EXPECT_EQ(gMemberStats[0].gauge[0], 700);
    EXPECT_EQ(gMemberStats[0].gaugeMax[0], 700);
    EXPECT_EQ(gMemberStats[0].gauge[1], 50);
    EXPECT_EQ(gMemberStats[0].gauge[2], 60);
    MonRole& e = Enemy(0, 400);
    e.SetRoleGauges(0, 0, 0);
    EXPECT_EQ(e.MonLife(), 0u);
    EXPECT_EQ(e.MonLifeMax(), 0u);
    e.SetRoleGauges(-3, 0, 0);  // never a huge unsigned life
    EXPECT_EQ(e.MonLife(), 0u);
    e.SetRoleGauges(900, 0, 0);
    EXPECT_EQ(e.MonLife(), 900u);
    EXPECT_EQ(e.MonLifeMax(), 900u);
}

TEST_F(StatusTest, LifeAndItsBar) {
    ManRole& m = Member(0, 0, 400);
    gMemberStats[0].gauge[0] = 100;
    EXPECT_EQ(m.GetRoleLifeBar(48), 12);
    gMemberStats[0].gaugeMax[0] = 0;
    EXPECT_EQ(m.GetRoleLifeBar(48), 0);  // no maximum: no bar, no division
    MonRole& e = Enemy(1, 200);
    e.extraLife = 50;
    int32_t life, max;
    e.GetRoleLife(&life, &max);
    EXPECT_EQ(life, 50);
    EXPECT_EQ(max, 200);
}

TEST_F(StatusTest, TargetedFollowsTheFlagAndTheStatusBit) {
    MonRole& e = Enemy(0);
    e.SetRoleStatusBits(kStatusTargeted);
    e.SetRoleTargetFlag(1);
    EXPECT_EQ(e.IsRoleTargeted(), 1u);
    e.ClearRoleStatusBits(kStatusTargeted);
    EXPECT_EQ(e.IsRoleTargeted(), 0u);
    e.SetRoleStatusBits(kStatusFadingIn);
    EXPECT_EQ(e.fadeInLevel, -32);
}

TEST_F(StatusTest, AnOutPartyRoleKeepsItsFacing) {
    ManRole& m = Member(0, 0);
    m.out = 1;
    m.SetRoleFacingLock(1);
    EXPECT_EQ(m.facing, 0u);
    m.out = 0;
    m.SetRoleFacingLock(1);
    EXPECT_EQ(m.facing, 1u);
    EXPECT_EQ(m.facingLock, 1u);
}

TEST_F(StatusTest, SmallReadings) {
    MonRole& e = Enemy(0);
    e.action.word32 = 0x8000 | 77;
    EXPECT_EQ(e.GetActionPresetWord(), 77);
    e.action.word32 = 77;
    EXPECT_EQ(e.GetActionPresetWord(), 0);
    e.action.flags = 0x100;
    EXPECT_EQ(e.GetActionTargetKind(), 1);
    e.statusDword = 0x20;
    EXPECT_EQ(e.GetActionTargetKind(), 8);
    e.action.flags = 0x400;
    EXPECT_EQ(e.GetActionTargetKind(), 4);
    int16_t x = 0, y = 0;
    EXPECT_EQ(e.GetActionTargetPoint(&x, &y), 0u);
    e.action.word20 = 1;
    e.action.word38 = 120;
    e.action.word40 = 80;
    EXPECT_EQ(e.GetActionTargetPoint(&x, &y), 1u);
    EXPECT_EQ(x, 120);
    e.status = kStatusHeld;
    e.turnOver = 1;
    EXPECT_EQ(e.IsRoleTurnOver(), 0u);
    e.action.mask = 0x2000000;
    EXPECT_EQ(e.IsActionSupportive(), 1u);
    e.action.ailment = 0x8000;
    EXPECT_EQ(e.IsActionInstantKill(), 1u);
}

TEST_F(StatusTest, TheBattleResetClearsTheRoleAndFreesAGuardsRecord) {
    ManRole& g = Member(4, 1);
    g.guard = 1;
    g.objRecord = &g.guardRecord;
    g.guardRecord.description = static_cast<char*>(std::malloc(16));
    g.status = kStatusOut;
    g.effectBits = kEffectShield;
    g.command = 17;
    g.gauge = 300;
    g.ResetRoleForBattle();
    EXPECT_EQ(g.objRecord, nullptr);
    EXPECT_EQ(g.guardRecord.description, nullptr);
    EXPECT_EQ(g.status, 0);
    EXPECT_EQ(g.effectBits, 0u);
    EXPECT_EQ(g.command, 0);
    EXPECT_EQ(g.gauge, 0);
    EXPECT_EQ(g.guard, 0u);
    EXPECT_EQ(g.target, -1);
    EXPECT_EQ(g.effects, nullptr);
    EXPECT_EQ(g.quietFlag, 0u);
}

}  // namespace
