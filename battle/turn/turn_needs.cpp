// Stand-ins for the modules the turn steps hand a ready role to (see
// turn_needs.h). Each keeps to the simplest body that lets a turn finish.
#include "battle/turn/turn_needs.h"

#include "base/random.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

namespace {

Role* EnemyAt(int target) {
    if (target < 0 || uint32_t(target) >= gBattleMonCount) return nullptr;
    return &gMonRoles[target];
}

Role* PartyAt(int target) {
    if (target < 0 || uint32_t(target) >= gBattleManCount) return nullptr;
    return &gManRoles[target];
}

}  // namespace

void OpenCommandMenus(int slot) {
    if (slot < 0 || slot >= 4) return;
    int first = -1;
    for (uint32_t i = 0; i < gBattleMonCount && first < 0; ++i)
        if (!gMonRoles[i].IsOut()) first = int(i);
    gChosenCommand[slot] = 1;
    MS = first + 1;
    gManRoles[slot].SetCommandChosen(1);
    SEL = 0;
    fMenu = 0;
    Stop = mStop = 0;
}

void ClearStatusPanelMark(int) {}
