#include "battle/battle_services.h"

#include "base/settings.h"
#include "battle/screen/battle_messages.h"
#include "battle/screen/battle_tint.h"

uint32_t gBattleColourKey;
uint32_t gBattleWaitTime;
uint32_t gBattleScene;
MemberBattleRecord gMemberBattle[4];

void LoadBattleScene(uint32_t number) {
    gBattleScene = number & 0xFFFF;
    SetBattleWaitTime(gBattleWait);
}

int RunFightScript() { return 0; }

void CreateBattleSurfaces() {}
void ReleaseBattleSurfaces() {}
void FreeBattleRoles() {}
void ResetBattleRecords() {
    for (MemberBattleRecord& r : gMemberBattle) r = MemberBattleRecord{};
}

void SetBattleWaitTime(uint32_t n) {
    // n comes from the settings file: a value past 20 would make the wait
    // negative, which as a count of milliseconds never runs out.
    uint32_t setting = n > kBattleWaitMax ? kBattleWaitMax : n;
    gBattleWaitTime = (kBattleWaitMax - setting) * 100;
}

void ResetBattleServices() {
    gBattleColourKey = 0;
    gBattleWaitTime = 0;
    gBattleScene = 0;
    ResetBattleRecords();
    ResetBattleTint();
    ResetBattleMessages();
}
