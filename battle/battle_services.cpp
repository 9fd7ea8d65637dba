#include "battle/battle_services.h"

#include "base/settings.h"
#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/screen/battle_tint.h"

uint32_t gBattleColourKey;
uint32_t gBattleScene;
MemberBattleRecord gMemberBattle[4];

void LoadBattleScene(uint32_t number) {
    gBattleScene = number & 0xFFFF;
    SetBattleWaitTime(gBattleWait);
}

int RunFightScript() { return 0; }

void CreateBattleSurfaces() {}
void ReleaseBattleSurfaces() {}
void ResetBattleRecords() {
    for (MemberBattleRecord& r : gMemberBattle) r = MemberBattleRecord{};
}

void SetBattleWaitTime(uint32_t n) {
    // n comes from the settings file: 20 or more would make the value 0 or
    // negative, and every gauge would be full at once.
    uint32_t setting = n > kBattleWaitMax ? kBattleWaitMax : n;
    gGaugeFull = static_cast<int32_t>((20 - setting) * 100);
}

void ResetBattleServices() {
    gBattleColourKey = 0;
    ResetBattleState();
    ResetAccumulator();
    FreeBattleRoles();
    gBattleScene = 0;
    ResetBattleRecords();
    ResetBattleTint();
    ResetBattleMessages();
}
