// Time gauges and the command state of a role.
#include "tests/battle/role/role_fixture.h"
#include "world/spirit/spirit.h"

namespace {

using GaugeTest = RoleTest;

TEST_F(GaugeTest, APartyStepAddsAQuarterOfTheAgilityWithBoostAndBuffs) {
    const struct {
        uint16_t agility;
        int boost;
        uint32_t effects;
        int16_t speedAmount;
        int expected;
    } cases[] = {
        {0, 0, 0, 0, 0},    {3, 0, 0, 0, 0},  {4, 0, 0, 0, 1},
        {4, 1, 0, 0, 2},    {40, 0, 0, 0, 10}, {40, 1, 0, 0, 13},
        {40, 0, kEffectSpeedUp, 40, 20},       {40, 0, kEffectSpeedDown, 30, 2},
        {40, 0, kEffectSpeedUp | kEffectSpeedDown, 20, 10},
    };
    for (const auto& c : cases) {
        ManRole& r = Member(0, 0, 500, 100, 100, c.agility);
        r.gauge = 100;
        r.ready = 0;
        r.effectBits = c.effects;
        r.speedAmount = c.speedAmount;
        EXPECT_EQ(r.StepManGauge(c.boost), 0);
        EXPECT_EQ(r.gauge, 100 + c.expected) << c.agility << " boost " << c.boost;
    }
}

TEST_F(GaugeTest, TheDragOfEffectBit31PullsASlowGaugeDownToZero) {
    ManRole& r = Member(0, 0, 500, 100, 100, 0);
    r.effectBits = kEffectInvisible;
    r.skillValue = 0;
    r.gauge = 9;
    r.StepManGauge(0);
    EXPECT_EQ(r.gauge, 5);
    r.StepManGauge(0);
    EXPECT_EQ(r.gauge, 1);
    r.StepManGauge(0);
    EXPECT_EQ(r.gauge, 0);
}

TEST_F(GaugeTest, NothingMovesWhileTheRoleIsStopped) {
    const auto stop = [](ManRole& r, int how) {
        switch (how) {
        case 0: r.status = kStatusHeld; break;
        case 1: r.status = kStatusGaugeStopped; break;
        case 2: r.out = 1; break;
        case 3: r.gaugeHold = 1; break;
        case 4: r.ready = 1; break;
        case 5: r.spiritEvents = 0x2; break;
        case 6: r.state = kStateHurt; break;
        }
    };
    for (int how = 0; how < 7; ++how) {
        ResetBattleServices();
        ManRole& r = Member(0, 0);
        r.gauge = 200;
        stop(r, how);
        EXPECT_EQ(r.StepManGauge(1), 0);
        EXPECT_EQ(r.gauge, 200) << how;
    }
}

TEST_F(GaugeTest, AFullGaugeMakesTheRoleReadyOnceAndASkipBitSkipsOneTurn) {
    ManRole& r = Member(0, 0);
    r.gauge = static_cast<uint16_t>(gGaugeFull);
    r.facingLock = 1;
    r.facing = 1;
    EXPECT_EQ(r.StepManGauge(0), 1);
    EXPECT_EQ(r.ready, 1u);
    EXPECT_EQ(r.facing, 0u);
    EXPECT_EQ(r.StepManGauge(0), 0);  // ready roles wait for their turn
    r.ready = 0;
    r.spiritEvents = 0x80;
    EXPECT_EQ(r.StepManGauge(0), 0);
    EXPECT_EQ(r.gauge, 0);
    EXPECT_EQ(r.spiritEvents & 0x80, 0);
}

TEST_F(GaugeTest, TheSpiritDawdlesByItsAffinity) {
    ManRole& r = Member(2, 0);
    r.member = 0;
    r.spirit = 1;
    r.spiritRecord = &gSpirit;
    r.battleAffinity = 0;
    r.gauge = static_cast<uint16_t>(gGaugeFull);
    EXPECT_EQ(r.StepManGauge(0), 0);  // at 0 it always dawdles, paying a third of the gauge
    EXPECT_EQ(r.gauge, gGaugeFull - gGaugeFull / 3);
    EXPECT_EQ(r.spiritEvents & 0x1, 0x1);
    r.battleAffinity = 100;
    r.gauge = static_cast<uint16_t>(gGaugeFull);
    for (int i = 0; i < 20; ++i) {
        r.ready = 0;
        EXPECT_EQ(r.StepManGauge(0), 1);
    }
    EXPECT_EQ(r.spiritEvents & 0x1, 0);
}

TEST_F(GaugeTest, AnEnemyStepsByItsRecordAndIgnoresThePartyStops) {
    MonRole& e = Enemy(0, 100, 10, 8);
    e.gaugeHold = 1;  // the hold is the party's
    e.gauge = 10;
    EXPECT_EQ(e.StepMonGauge(0), 0);
    EXPECT_EQ(e.gauge, 12);
    e.gauge = static_cast<uint16_t>(gGaugeFull);
    EXPECT_EQ(e.StepMonGauge(0), 1);
    EXPECT_EQ(e.ready, 1u);
}

TEST_F(GaugeTest, StartValuesAndTheBar) {
    MonRole& e = Enemy(0);
    ManRole& m = Member(0, 0);
    e.InitGauge(1);
    m.InitGauge(1);
    EXPECT_EQ(e.gauge, 899);
    EXPECT_EQ(m.gauge, 600);
    for (int i = 0; i < 50; ++i) {
        m.InitGauge(0);
        EXPECT_GE(m.gauge, 86);
        EXPECT_LE(m.gauge, 410);
    }
    m.gauge = 450;
    EXPECT_EQ(m.GaugeBarWidth(), 31);
    m.gauge = 1200;
    EXPECT_GT(m.GaugeBarWidth(), 62);  // above full the bar passes its box
    gGaugeFull = 0;  // never a division by zero, never every gauge full at 0
    m.gauge = 0;
    EXPECT_EQ(m.StepManGauge(0), 0);
    EXPECT_GE(m.GaugeBarWidth(), 0);
}

TEST_F(GaugeTest, TheActionTimerRunsOnlyForAnActionWithARate) {
    ManRole& m = Member(0, 0);
    m.StartActionTimer();
    EXPECT_EQ(m.actionTimer, 0);
    m.action.word24 = 3;
    m.StartActionTimer();
    EXPECT_EQ(m.actionTimer, 2400);
    EXPECT_EQ(m.ActionTimerBarWidth(), 62);
    m.actionTimer = 1200;
    EXPECT_EQ(m.ActionTimerBarWidth(), 31);
}

TEST_F(GaugeTest, SetCommandKeepsSomeCodesBackAsTheSecondCommand) {
    const struct {
        uint16_t code;
        uint16_t command, sub;
        uint8_t flags;
    } cases[] = {{1, 1, 0, 0},   {2, 0, 2, 0},     {3, 0, 3, 0},     {13, 0, 13, 0}, {41, 0, 41, 0},
                 {6, 0, 6, 0x8}, {80, 0, 80, 0x8}, {14, 0, 14, 0x40}, {15, 0, 15, 0x40}, {7, 7, 0, 0},
                 {405, 405, 0, 0}};
    for (const auto& c : cases) {
        ManRole& m = Member(0, 0);
        m.command = m.subCommand = 0;
        m.actionFlags = 0;
        EXPECT_EQ(m.SetCommand(c.code), 1);
        EXPECT_EQ(m.GetCommand(), c.command) << c.code;
        EXPECT_EQ(m.GetSubCommand(), c.sub) << c.code;
        EXPECT_EQ(m.actionFlags, c.flags) << c.code;
    }
}

TEST_F(GaugeTest, TheEndOfATurnClearsTheTurnAndGivesThePartyAHeadStart) {
    ManRole& m = Member(0, 0);
    m.BeginRoleAction(3);
    EXPECT_EQ(m.GetActionTarget(), 3);
    EXPECT_EQ(m.HasActed(), 1u);
    m.command = 1;
    m.acts[kActPerform].rec.act = 5;
    m.acts[kActMultiFirst].rec.act = 6;
    m.action.flags = 0x4;
    m.hitSlots[0] = 2;
    m.EndRoleTurn();
    EXPECT_EQ(m.command, 0);
    EXPECT_TRUE(m.acts[kActPerform].Empty());
    EXPECT_FALSE(m.acts[kActMultiFirst].Empty());  // block 5 is kept
    EXPECT_EQ(m.hitSlots[0], -1);
    EXPECT_EQ(m.fadeInLevel, -32);  // flag 0x4: it fades back in
    EXPECT_TRUE(m.status & kStatusFadingIn);
    EXPECT_GE(m.gauge, 50);
    EXPECT_LE(m.gauge, 189);
    m.cancelWord = 1;
    m.EndRoleTurn();
    EXPECT_EQ(m.gauge, 0);
    EXPECT_EQ(m.cancelWord, 0);
    MonRole& e = Enemy(0);
    e.gauge = 500;
    e.EndRoleTurn();
    EXPECT_EQ(e.gauge, 0);
}

TEST_F(GaugeTest, HeldPositionAndHome) {
    ManRole& m = Member(0, 0);
    m.SetRolePos(100, 200);
    m.MoveRole(10, -5);
    int16_t x, y;
    m.GetHomePos(&x, &y);
    EXPECT_EQ(x, 110);
    EXPECT_EQ(y, 195);
    m.GetRolePos(&x, &y);
    EXPECT_EQ(x, 110);  // no hold: the home point
    m.holdTimer[0] = 4;
    m.GetRolePos(&x, &y);
    EXPECT_EQ(x, 100);  // the point kept by SetRolePos
    EXPECT_EQ(y, 200);
}

TEST_F(GaugeTest, TheHurtMarkIsRefusedWhileProtected) {
    ManRole& m = Member(0, 0);
    m.SetHurtMark();
    EXPECT_TRUE(m.IsHurtMarked());
    m.ClearHurtMark();
    m.effectBits = kEffectResistAll;
    m.SetHurtMark();
    EXPECT_FALSE(m.IsHurtMarked());
    m.effectBits = kEffectTransfer;
    m.SetHurtMark();
    EXPECT_FALSE(m.IsHurtMarked());
    EXPECT_TRUE(m.state & kStateTransferProtected);
    gActionFlags = kActionRunning;
    m.pendingDamage = 5;
    m.SetHurtMark();
    EXPECT_TRUE(m.IsHurtMarked());
    EXPECT_TRUE(m.state & kStatePendingHurt);
}

TEST_F(GaugeTest, SetOutEmptiesAPartyRolesLife) {
    ManRole& m = Member(0, 0, 300);
    m.SetOut(1);
    EXPECT_EQ(m.IsOut(), 1u);
    EXPECT_EQ(m.defeatEffect, 6);
    EXPECT_EQ(gMemberStats[0].gauge[0], 0);
}

}  // namespace
