// The role arrays, construction and release.
#include "tests/battle/role/role_fixture.h"

namespace {

using RoleClassesTest = RoleTest;

TEST_F(RoleClassesTest, BattleIdsNameEnemiesBelowTwentyAndThePartyFromTwenty) {
    EXPECT_EQ(RoleById(19), &gMonRoles[19]);
    EXPECT_EQ(RoleById(20), &gManRoles[0]);
    EXPECT_EQ(RoleById(29), &gManRoles[9]);
    EXPECT_EQ(RoleById(-1), nullptr);
    EXPECT_EQ(RoleById(30), nullptr);
    EXPECT_EQ(gMonRoles[19].Id(), 19);
    EXPECT_EQ(gManRoles[0].Id(), 20);
}

TEST_F(RoleClassesTest, AFreshRoleHasNoTargetNoCommandNoEffectsAndItsColourPair) {
    for (Role* r : {static_cast<Role*>(&gManRoles[3]), static_cast<Role*>(&gMonRoles[7])}) {
        EXPECT_EQ(r->target, -1);
        EXPECT_EQ(r->command, 0);
        EXPECT_EQ(r->effects, nullptr);
        EXPECT_EQ(r->colourPair, 0x062B062Bu);
        for (int32_t s : r->hitSlots) EXPECT_EQ(s, -1);
        EXPECT_EQ(r->fadeCounter, 15);
        EXPECT_EQ(r->fadeInLevel, 1);
        EXPECT_EQ(r->actNumberSlot, 4);
        EXPECT_EQ(r->pulse[1], 2);
        EXPECT_EQ(r->pulse[2], 24);
    }
    EXPECT_NE(gManRoles[3].GetStatsRecord(1), nullptr);
    EXPECT_NE(gMonRoles[7].objRecord, nullptr);
}

TEST_F(RoleClassesTest, ReleasedRolesAreReadyForTheNextBattle) {
    MonRole& e = Enemy(0, 400);
    e.objRecord->description = static_cast<char*>(std::malloc(8));
    Member(0, 0);
    FreeBattleRoles();
    FreeBattleRoles();  // twice frees nothing twice
    // The next battle sets the same roles up again without a crash.
    EXPECT_NE(gMonRoles[0].objRecord, nullptr);
    EXPECT_EQ(gMonRoles[0].objRecord->description, nullptr);
    EXPECT_NE(gManRoles[0].stats, nullptr);
    MonRole& again = Enemy(0, 120);
    EXPECT_EQ(again.MonLife(), 120u);
}

TEST_F(RoleClassesTest, StatQueriesOnAnEnemyReadItsMonsterRecord) {
    MonRole& e = Enemy(2, 300, 55, 61);
    EXPECT_EQ(e.BattleDefence(), 55);
    EXPECT_EQ(e.BattleAgility(), 61);
    EXPECT_EQ(e.GetRoleAgility(), 0);  // the member-record reading gives 0
    int16_t max = 7, cur = 7;
    e.GetRoleStamina(&max, &cur);  // nothing for an enemy
    EXPECT_EQ(max, 7);
    e.objRecord = nullptr;  // even without a record nothing crashes
    EXPECT_EQ(e.BattleDefence(), 0);
    EXPECT_EQ(e.ElementPercent(2), 0);
    e.objRecord = &e.monRecord;
}

TEST_F(RoleClassesTest, ClearManRoleEmptiesThePartyFields) {
    ManRole& r = Member(1, 1);
    r.regenPercent3[0] = 5;
    r.storedCommand = 405;
    r.pendingCost[1] = 30;
    r.acts[kActBegin].rec.act = 9;
    r.ClearManRole();
    EXPECT_EQ(r.regenPercent3[0], 0);
    EXPECT_EQ(r.storedCommand, 0);
    EXPECT_EQ(r.pendingCost[1], 0);
    EXPECT_EQ(r.member, 0u);
    EXPECT_TRUE(r.acts[kActBegin].Empty());
}

}  // namespace
