// What the engine, the world and the saves call in the battle: the battle's
// one door.
#pragma once
#include <cstdint>

// Resets the battle and loads scene `number`; the next frame runs it.
void LoadBattleScene(uint32_t number);
// One frame of the battle script: 1 the fight goes on, 0 it ended (won or
// left), 2 the party lost and the story goes on.
int RunFightScript();
void CreateBattleSurfaces();
void ReleaseBattleSurfaces();
void FreeBattleRoles();

// What each party member carries from fight to fight (kept in saved games).
struct MemberBattleRecord {
    uint32_t charge;           // the charge gauge
    uint32_t techniquePoints;
    uint32_t pointsNeeded;     // points to the next technique
    uint32_t nextTechnique;    // id of the next technique
};
extern MemberBattleRecord gMemberBattle[4];
// Every member's record back to zero (a new game and every load).
void ResetBattleRecords();
// The gauge-full value of the time gauges becomes (20 - n) x 100 for the
// settings' battle wait n; n above 19 counts as 19, so the value is never 0.
constexpr uint32_t kBattleWaitMax = 19;
void SetBattleWaitTime(uint32_t n);

extern uint32_t gBattleColourKey; // the battle's copy of the colour key

void ResetBattleServices();
