// The enemies' targets by rule and by draw, and the small scans and marks
// of the turn model.
#include <vector>

#include "battle/battle_start.h"
#include "battle/turn/targeting.h"
#include "battle/turn/turn_state.h"
#include "tests/battle/role/role_fixture.h"

namespace {

class TargetingTest : public RoleTest {
protected:
    void SetUp() override {
        RoleTest::SetUp();
        gBattleStart.guardCount = 0;
        gBattleStart.spiritFlags = 0;
    }
    void TearDown() override {
        gBattleStart.guardCount = 0;
        gBattleStart.spiritFlags = 0;
        RoleTest::TearDown();
    }
    // Three members whose compared value per mode is given slot by slot.
    void Party(int mode, const std::vector<int>& v) {
        for (int s = 0; s < int(v.size()); ++s) {
            ManRole& r = Member(s, s, mode == 1 ? int16_t(v[s]) : 500, 100, 100);
            MemberStats& m = gMemberStats[s];
            if (mode == 2) m.gauge[1] = int16_t(v[s]);
            if (mode == 3) m.gauge[2] = int16_t(v[s]);
            if (mode == 4) m.stat[3] = uint16_t(v[s]);
            if (mode == 5) r.statsCopy.bonus[1] = uint16_t(v[s]);
            if (mode == 6) m.bonus[0] = uint16_t(v[s]);
        }
    }
};

struct ModeCase {
    int mode;
    std::vector<int> values;
    int expected;  // slot + 1
};

TEST_F(TargetingTest, ChooseEnemyTargetInEverySixModes) {
    const ModeCase cases[] = {
        {1, {300, 200, 250}, 3},  // life lower than the first: the last of them
        {1, {100, 200, 250}, 1},  // nobody lower: the first member
        {2, {50, 80, 70}, 3},     // spirit higher
        {2, {90, 80, 70}, 1},
        {3, {40, 60, 30}, 2},     // stamina higher
        {4, {30, 20, 40}, 2},     // agility lower
        {5, {10, 30, 5}, 3},      // defence lower
        {5, {10, 10, 10}, 1},     // ties do not pass
        {6, {70, 90, 95}, 3},     // attack higher
    };
    for (const ModeCase& c : cases) {
        ResetBattleServices();
        ResetMemberStats();
        Party(c.mode, c.values);
        EXPECT_EQ(ChooseEnemyTarget(c.mode), c.expected) << "mode " << c.mode;
        EXPECT_EQ(ChooseEnemyTarget(c.mode | 0x300), c.expected) << "only the low byte is the mode";
    }
}

TEST_F(TargetingTest, ChooseEnemyTargetSkipsTheFallenAndTheSpiritAndKnowsNoOtherMode) {
    Party(1, {300, 100, 250});
    gManRoles[1].SetOut(1);  // the lowest life is out
    EXPECT_EQ(ChooseEnemyTarget(1), 3);
    gManRoles[2].member = 0;  // not a member proper
    gManRoles[2].spirit = 1;
    EXPECT_EQ(ChooseEnemyTarget(1), 1);
    EXPECT_EQ(ChooseEnemyTarget(0), 0);
    EXPECT_EQ(ChooseEnemyTarget(7), 0);
    gManRoles[0].SetOut(1);
    gDownedMen = 2;
    EXPECT_EQ(ChooseEnemyTarget(1), 0);  // nobody left to target
}

TEST_F(TargetingTest, TheFightingPartyLeavesOutTheSpiritAndTheGuards) {
    Member(0, 0);
    Member(1, 1);
    Member(2, 2);
    Member(3, 3);
    gBattleStart.spiritFlags = 1 | (3u << 16);
    EXPECT_EQ(FightingPartySize(), 3);
    gBattleStart.guardCount = 1;
    EXPECT_EQ(FightingPartySize(), 2);
}

TEST_F(TargetingTest, TheRandomDrawNeverTakesTheSpiritNorAThirdRepeat) {
    Member(0, 0);
    Member(1, 1);
    ManRole& spirit = Member(2, 2);
    spirit.member = 0;
    spirit.spirit = 1;
    for (int i = 0; i < 200; ++i) {
        const int t = DrawRandomPartyTarget(0);
        EXPECT_TRUE(t == 0 || t == 1) << t;
        EXPECT_LE(gMonRepeat, 3);
    }
    // Slot 1 out of reach: only slot 0 is left, and the repeat rule yields.
    gManRoles[1].SetOut(1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(DrawRandomPartyTarget(0), 0);
    gManRoles[0].SetOut(1);
    EXPECT_EQ(DrawRandomPartyTarget(0), -1);  // nobody: the draw ends at once
}

TEST_F(TargetingTest, AHuntBindsItsEnemyForItsTurnsThenEnds) {
    Member(0, 0);
    Member(1, 1);
    MonRole& e = Enemy(4);
    e.SetRoleStateBits(kStateHunting);
    gHuntTarget = 2;
    gHuntTurns = 2;
    gHuntEnemy = 4;
    EXPECT_EQ(DrawRandomPartyTarget(4), 1);
    EXPECT_EQ(DrawRandomPartyTarget(4), 1);
    EXPECT_EQ(gHuntTarget, 0);
    EXPECT_EQ(e.state & kStateHunting, 0u);
}

TEST_F(TargetingTest, GuardItemWordsAreOneBased) {
    SetAllyWaitMark(1, 901);
    SetAllyWaitMark(2, 902);
    EXPECT_EQ(gGuardItems[0], 901);
    EXPECT_EQ(gGuardItems[1], 902);
    SetAllyWaitMark(0, 7);
    SetAllyWaitMark(3, 7);
    SetAllyWaitMark(-1, 7);
    EXPECT_EQ(gGuardItems[0], 901);
    EXPECT_EQ(gGuardItems[1], 902);
    EXPECT_EQ(gTurn.rewardExp, 0u);  // the words beside are untouched
}

TEST_F(TargetingTest, TheTopScoreIsTheFirstOfEqualHighs) {
    EXPECT_EQ(FindTopEnemyScore(), 1);
    gEnemyScore[3] = 9;
    gEnemyScore[7] = 9;
    EXPECT_EQ(FindTopEnemyScore(), 4);
}

TEST_F(TargetingTest, ControlMarksOfAnEnemyAreClearedWithTheirEffect) {
    Member(0, 0);
    Member(1, 1);
    gControlMark[0] = 5;
    gControlMark[1] = 6;
    gManRoles[0].effectBits |= kEffectDoom;
    ClearEnemyMarks(4);
    EXPECT_EQ(gControlMark[0], 0);
    EXPECT_EQ(gControlMark[1], 6);
    ClearEnemyMarks(25);  // outside the enemies: nothing
    EXPECT_EQ(gControlMark[1], 6);
}

TEST_F(TargetingTest, AlliesAimedAtTheDownedEnemyMoveToTheNextOne) {
    Member(0, 0);
    ManRole& b = Member(1, 1);
    Enemy(0).SetOut(1);
    Enemy(1);
    b.BeginRoleAction(0);
    gLastDowned = 0;
    RetargetAllies(0, 0);
    EXPECT_EQ(b.GetActionTarget(), 1);
    EXPECT_EQ(gTurnOpened, 0);  // its own opening is still to come
}

TEST_F(TargetingTest, WithNoEnemyLeftTheWaitingTurnsAreEmptied) {
    Member(0, 0);
    ManRole& b = Member(1, 1);
    Enemy(0).SetOut(1);
    b.BeginRoleAction(0);
    AddToAttackOrder(1, 21);
    gWaitOrder[0] = 21;
    gLastDowned = 0;
    MsDCount = 0;
    RetargetAllies(0, 0);
    EXPECT_EQ(b.HasActed(), 0u);
    EXPECT_EQ(gAttackOrder[0].id, -1);
    EXPECT_EQ(gWaitOrder[0], 0);
    EXPECT_EQ(gCurRole.id, -1);
}

}  // namespace
