#include "battle/battle_services.h"

#include "base/settings.h"

uint32_t gBattleColourKey;
uint32_t gBattleWaitTime;
uint32_t gBattleScene;

void LoadBattleScene(uint32_t number) {
    gBattleScene = number & 0xFFFF;
    SetBattleWaitTime(gBattleWait);
}

int RunFightScript() { return 0; }

void CreateBattleSurfaces() {}
void ReleaseBattleSurfaces() {}
void FreeBattleRoles() {}
void ResetBattleRecords() {}

void SetBattleWaitTime(uint32_t n) { gBattleWaitTime = (20 - static_cast<int32_t>(n)) * 100; }

void ResetBattleServices() {
    gBattleColourKey = 0;
    gBattleWaitTime = 0;
    gBattleScene = 0;
}
